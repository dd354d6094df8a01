// The window's controls as elements of the page, for screen readers: Qt 6.4
// draws the window into one canvas and tells the browser nothing of what is
// in it. page_mirror.cpp reads the window's accessible interfaces and keeps
// these elements in step; this part makes and changes the elements.
//
// They are the canvas's fallback content: the browser draws none of them,
// yet its accessibility tree holds them and they take the focus. The focus
// goes where the window's focus is, so that a screen reader reads the
// control the pupil is on, and every key still reaches Qt, which listens on
// the canvas before its content sees the key. A screen reader that presses,
// chooses, moves the caret or the focus itself is handed to the window's
// interfaces, as on the desktop.
//
// Anything that fails here takes the elements away and leaves the page as
// it was without them; it never reaches the program.
Module.collinearMirror = (function () {
  'use strict';

  var canvas = null;
  var root = null;
  var controls = {};
  // The window's focused control, which the page's focus follows.
  var focused = -1;
  var broken = false;

  function stop(error) {
    broken = true;
    if (root && root.parentNode) {
      root.parentNode.removeChild(root);
    }
    console.warn('The controls for screen readers are off: ' + error);
  }

  // Every entry point: after a failure the page goes on without the mirror.
  function guarded(action) {
    return function () {
      if (broken) {
        return false;
      }
      try {
        var result = action.apply(null, arguments);
        return result === undefined ? true : result;
      } catch (error) {
        stop(error);
        return false;
      }
    };
  }

  // Calls the program back from a browser's event, outside the guard: a
  // failure there is the program's and is not hidden.
  function tell(name, args) {
    var callback = Module[name];
    if (!broken && typeof callback === 'function') {
      callback.apply(null, args);
    }
  }

  function focusInside() {
    var active = document.activeElement;
    return active === canvas || (active !== null && canvas.contains(active));
  }

  function focusControl() {
    var control = controls[focused];
    if (control && focusInside() && document.activeElement !== control.element) {
      control.element.focus({ preventScroll: true });
    }
  }

  function make(tag, attributes) {
    var element = document.createElement(tag);
    Object.keys(attributes).forEach(function (name) {
      element.setAttribute(name, attributes[name]);
    });
    return element;
  }

  // A control's element by the kind of the window's control.
  var kinds = {
    label: function () {
      return { element: make('div', {}) };
    },
    button: function (id) {
      var element = make('button', { type: 'button', tabindex: '-1' });
      // Keys on a focused button go to the window, which presses it and
      // takes the key from the browser; a click here is a screen reader's.
      element.addEventListener('click', function (event) {
        event.preventDefault();
        tell('collinearMirrorPress', [id]);
      });
      return { element: element };
    },
    list: function (id) {
      var element = make('div', { role: 'listbox', tabindex: '-1' });
      element.addEventListener('click', function (event) {
        var option = event.target.closest('[role="option"]');
        if (option && option.parentNode === element) {
          tell('collinearMirrorChoose', [id, Number(option.dataset.row)]);
        }
      });
      return { element: element, rows: [], selected: -1 };
    },
    area: function () {
      var element = make('div', { role: 'group', tabindex: '-1' });
      // What the area says as its keyboard cursor moves: a screen reader
      // speaks a live region's new text without the focus moving.
      var live = make('div', { 'aria-live': 'polite', 'aria-atomic': 'true' });
      return { element: element, extra: live, live: live, said: '' };
    },
    text: function (id) {
      var element = make('textarea', { readonly: '', tabindex: '-1' });
      var control = { element: element, anchor: -1, caret: -1 };
      // A screen reader that moves the caret or selects moves it in the
      // window; the window's own moves, set below, come back here
      // unchanged and stop.
      var moved = guarded(function () {
        if (document.activeElement !== element) {
          return false;
        }
        var backward = element.selectionDirection === 'backward';
        var anchor = backward ? element.selectionEnd : element.selectionStart;
        var caret = backward ? element.selectionStart : element.selectionEnd;
        if (anchor === control.anchor && caret === control.caret) {
          return false;
        }
        control.anchor = anchor;
        control.caret = caret;
        return true;
      });
      var follow = function () {
        if (moved()) {
          tell('collinearMirrorSelect', [id, control.anchor, control.caret]);
        }
      };
      element.addEventListener('select', follow);
      element.addEventListener('selectionchange', follow);
      document.addEventListener('selectionchange', follow);
      return control;
    },
    other: function () {
      return { element: make('div', { role: 'group' }) };
    },
  };

  return {
    // Puts the mirror into the window's canvas, as an application named as
    // the window is; false where it cannot be.
    start: guarded(function (name) {
      var container = Module.qtContainerElements && Module.qtContainerElements[0];
      canvas = container && container.tagName === 'CANVAS' ? container
        : container && container.querySelector('canvas');
      if (!canvas || typeof canvas.contains !== 'function') {
        return false;
      }
      // An application, as the window is one: screen readers leave its keys
      // to it and read each control the focus comes to. (Orca takes an
      // application inside the page for a page of its own, and says
      // nothing of the focus in it, so the drawing area is not one.)
      root = make('div', { id: 'collinear-controls', role: 'application', 'aria-label': name });
      // Qt makes the canvas editable, for the clipboard's events; inside
      // an editable element the controls could not take the focus.
      root.contentEditable = 'false';
      canvas.appendChild(root);
      // A press or the page's loader focuses the canvas itself: the focus
      // goes on to the window's focused control.
      canvas.addEventListener('focus', guarded(focusControl));
      return true;
    }),

    add: guarded(function (id, kind) {
      var control = (kinds[kind] || kinds.other)(id);
      control.kind = kind;
      control.element.id = 'collinear-control-' + id;
      // A screen reader that moves the focus itself moves the window's.
      control.element.addEventListener('focus', function () {
        if (focused !== id) {
          tell('collinearMirrorFocus', [id]);
        }
      });
      controls[id] = control;
      root.appendChild(control.element);
      if (control.extra) {
        root.appendChild(control.extra);
      }
    }),

    setName: guarded(function (id, name) {
      var control = controls[id];
      if (control.kind === 'label' || control.kind === 'button') {
        control.element.textContent = name;
      } else {
        control.element.setAttribute('aria-label', name);
      }
    }),

    setDescription: guarded(function (id, text) {
      var element = controls[id].element;
      if (text) {
        element.setAttribute('aria-description', text);
      } else {
        element.removeAttribute('aria-description');
      }
    }),

    setState: guarded(function (id, disabled, hidden) {
      var control = controls[id];
      if (disabled) {
        control.element.setAttribute('aria-disabled', 'true');
      } else {
        control.element.removeAttribute('aria-disabled');
      }
      control.element.hidden = hidden;
      if (control.extra) {
        control.extra.hidden = hidden;
      }
    }),

    setText: guarded(function (id, text) {
      var control = controls[id];
      control.element.value = text;
      control.anchor = -1;
      control.caret = -1;
    }),

    setCaret: guarded(function (id, anchor, caret) {
      var control = controls[id];
      control.anchor = anchor;
      control.caret = caret;
      control.element.setSelectionRange(Math.min(anchor, caret), Math.max(anchor, caret),
        caret < anchor ? 'backward' : 'forward');
    }),

    // The list's rows and its selected row (-1: none): the option of the
    // selected row is the one a screen reader reads on the focused list.
    setRows: guarded(function (id, rows, selected) {
      var control = controls[id];
      var element = control.element;
      var options = element.children;
      while (options.length > rows.length) {
        element.removeChild(element.lastChild);
      }
      for (var row = 0; row < rows.length; ++row) {
        var option = options[row];
        if (!option) {
          option = make('div', { role: 'option', id: element.id + '-row-' + row });
          option.dataset.row = String(row);
          element.appendChild(option);
        }
        if (option.textContent !== rows[row]) {
          option.textContent = rows[row];
        }
        option.setAttribute('aria-selected', row === selected ? 'true' : 'false');
      }
      if (selected >= 0 && selected < rows.length) {
        element.setAttribute('aria-activedescendant', element.id + '-row-' + selected);
      } else {
        element.removeAttribute('aria-activedescendant');
      }
    }),

    // Said once, even when it is what was said last (a point pressed again
    // is read again): a no-break space, which readers do not speak, makes
    // the text new.
    announce: guarded(function (id, text) {
      var control = controls[id];
      if (text === control.said.replace(/\u00a0$/, '')) {
        text = control.said.endsWith('\u00a0') ? text : text + '\u00a0';
      }
      control.said = text;
      control.live.textContent = text;
    }),

    focus: guarded(function (id) {
      focused = id;
      focusControl();
    }),
  };
})();
