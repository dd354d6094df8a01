// The served page as an installable program that opens offline: it
// registers service-worker.js, which keeps this version's files. Only over
// http(s): a page opened from a file has no worker, and the single file
// has no part of this.
//
// A new version is installed by the browser in the background while the
// page runs from the stored one. When it is ready and the pupil has not yet
// touched the page, the page asks it to take over and reloads, so one
// visit shows the new version; once the page is in use it is never
// reloaded under the pupil's hands, and the new version opens next time.
(function () {
  'use strict';
  if (!navigator.serviceWorker || !/^https?:$/.test(location.protocol)) {
    return;
  }
  var workers = navigator.serviceWorker;
  var canvas = document.getElementById('qtcanvas');
  var touched = false;
  ['pointerdown', 'touchstart', 'keydown', 'wheel'].forEach(function (type) {
    window.addEventListener(type, function () { touched = true; }, true);
  });

  // The window is shown once the program's files are all loaded; before
  // that, a worker taking over could hand the rest of them from another
  // version.
  function whenShown(then) {
    if (getComputedStyle(canvas).display === 'block') {
      then();
      return;
    }
    var observer = new MutationObserver(function () {
      if (getComputedStyle(canvas).display === 'block') {
        observer.disconnect();
        then();
      }
    });
    observer.observe(canvas, { attributes: true, attributeFilter: ['style'] });
  }

  // With no worker in control this is the first visit, served from the
  // network: the first worker simply starts serving from the next visit.
  var updating = Boolean(workers.controller);
  var reloading = false;
  workers.addEventListener('controllerchange', function () {
    if (updating && !touched && !reloading) {
      reloading = true;
      location.reload();
    }
  });

  function offer(registration) {
    whenShown(function () {
      if (updating && !touched && registration.waiting) {
        registration.waiting.postMessage('take-over');
      }
    });
  }

  // Another page of the program was still open, or still closing: asked
  // again a little later, a few times.
  var asked = 0;
  workers.addEventListener('message', function (event) {
    if (event.data === 'busy' && asked < 5) {
      asked += 1;
      setTimeout(function () {
        workers.getRegistration().then(function (registration) {
          if (registration) {
            offer(registration);
          }
        });
      }, 2000);
    }
  });

  workers.register('service-worker.js').then(function (registration) {
    // No registration at all where a browser's setting stands in for it.
    if (!registration) {
      return;
    }
    offer(registration);
    registration.addEventListener('updatefound', function () {
      var installing = registration.installing;
      if (installing) {
        installing.addEventListener('statechange', function () {
          if (installing.state === 'installed') {
            offer(registration);
          }
        });
      }
    });
  }, function () {
    // Storage refused (a private window, a full disk): the page works
    // from the network as before.
  });
})();
