#!/usr/bin/python3
"""Reads the real window over the accessibility bus, as a screen reader does.

Run by run_on_bus.sh inside an X server and a D-Bus session of its own, with
the program to start as the only argument. It places three points on one
line by real X clicks, presses „Чертай“ through the button's action, then
reads the report back, follows the caret and the selection that the text
interface and real keys and clicks set, and checks the names and roles of
every control. On the drawing area it copies the picture to the clipboard
and reads it back with xclip, and follows the keyboard cursor by the
area's description. Every wait has a deadline; a failed check ends the run with
exit status 1 and says what was expected.
"""

import os
import struct
import subprocess
import sys
import time
import zlib

try:
    import pyatspi
    from gi.repository import GLib
except ImportError as missing:
    sys.exit("FAIL: %s (scripts/install-deps.sh installs python3-pyatspi)" % missing)

# Far longer than any step takes; only a fault runs into it.
DEADLINE_SECONDS = 20.0

STARTUP_FIRST_LINE = "През една точка от равнината минават безброй много прави."
HEADING = "Търся, точки, лежащи на една права:"
REPORT = HEADING + "\n15,50; 25,50; 35,50"

CONTROLS = {
    "Чертай": pyatspi.ROLE_PUSH_BUTTON,
    "Чисти": pyatspi.ROLE_PUSH_BUTTON,
    "Изтрий": pyatspi.ROLE_PUSH_BUTTON,
    " Геометрия - точки, лежащи на права": pyatspi.ROLE_LABEL,
    "X": pyatspi.ROLE_LABEL,
    "Y": pyatspi.ROLE_LABEL,
    "N": pyatspi.ROLE_LABEL,
    "Допустима стъпка:": pyatspi.ROLE_LABEL,
    "Координата X": pyatspi.ROLE_LIST,
    "Координата Y": pyatspi.ROLE_LIST,
    "Номер на точката": pyatspi.ROLE_LIST,
    "Допустима стъпка": pyatspi.ROLE_LIST,
    "Чертожно поле": pyatspi.ROLE_CANVAS,
    "Резултат": pyatspi.ROLE_TEXT,
}


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def pump():
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def wait_until(what, condition):
    """Lets the bus deliver until condition() gives a true value, and returns it."""
    end = time.monotonic() + DEADLINE_SECONDS
    while True:
        pump()
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.02)


class Events:
    """Every text and description event of the program, in the order they came."""

    TYPES = (
        "object:text-changed",
        "object:text-caret-moved",
        "object:text-selection-changed",
        "object:property-change:accessible-description",
    )

    def __init__(self):
        self.seen = []
        # Registered before the program starts, so that it sends these from
        # its first moment.
        pyatspi.Registry.registerEventListener(self._record, *self.TYPES)

    def _record(self, event):
        data = event.any_data if isinstance(event.any_data, str) else None
        self.seen.append((event.type, event.detail1, event.detail2, data, event.source))

    def mark(self):
        return len(self.seen)

    def wait_for(self, what, since, kind, source, detail1=None, data=None):
        def found():
            for seen_kind, first, _, seen_data, seen_source in self.seen[since:]:
                if (
                    seen_kind == kind
                    and seen_source == source
                    and (detail1 is None or first == detail1)
                    and (data is None or seen_data == data)
                ):
                    return True
            return False

        try:
            wait_until(what, found)
        except Failure:
            got = [(k, d1, d2, (s or "")[:40]) for k, d1, d2, s, _ in self.seen[since:]]
            raise Failure("no %s event (%s); got %s" % (kind, what, got)) from None


def xdotool(*arguments):
    subprocess.run(["xdotool", *[str(a) for a in arguments]], check=True, timeout=10)


def screen_origin(accessible):
    extents = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return extents.x, extents.y


def click(accessible, x, y, repeat=1):
    left, top = screen_origin(accessible)
    # Clicks well within the double-click time, so that three make a
    # triple-click.
    xdotool("mousemove", left + x, top + y, "click", "--repeat", repeat, "--delay", 60, 1)


def children(accessible):
    # Asked afresh each time: the rows of a list come and go.
    accessible.clear_cache()
    return list(accessible)


def whole_text(panel):
    text = panel.queryText()
    return text.getText(0, text.characterCount)


def selection(panel):
    text = panel.queryText()
    if text.getNSelections() != 1:
        return None
    return tuple(text.getSelection(0))


def press(button):
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    check("Press" in names, "%r offers %s" % (button.name, names))
    action.doAction(names.index("Press"))


def png_rows(data):
    """The (r, g, b) rows of an 8-bit, non-interlaced RGB or RGBA PNG."""
    chunks, position = {}, 8
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position : position + 8])
        chunks[kind] = chunks.get(kind, b"") + data[position + 8 : position + 8 + length]
        position += 12 + length
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
    check(data.startswith(b"\x89PNG") and depth == 8 and colour in (2, 6) and not interlace,
          "the clipboard's image/png is no plain PNG")
    n, stride = (3 if colour == 2 else 4), width * (3 if colour == 2 else 4)
    raw, rows, up = zlib.decompress(chunks[b"IDAT"]), [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1 : start + 1 + stride])
        for i in range(stride):
            a, b, c = (line[i - n] if i >= n else 0), up[i], (up[i - n] if i >= n else 0)
            p = a + b - c
            paeth = min((abs(p - a), 0, a), (abs(p - b), 1, b), (abs(p - c), 2, c))[2]
            line[i] = (line[i] + (0, a, b, (a + b) // 2, paeth)[kind]) & 255
        rows.append([tuple(line[x : x + 3]) for x in range(0, stride, n)])
        up = line
    return rows


def clipboard(target):
    try:
        return subprocess.run(["xclip", "-selection", "clipboard", "-t", target, "-o"],
                              check=True, timeout=10, capture_output=True).stdout
    except FileNotFoundError:
        raise Failure("xclip is missing (scripts/install-deps.sh installs it)") from None


def check_copied_picture(canvas, points):
    """The clipboard holds the picture: the points as dots 5 pixels wide on one
    line 1 pixel wide, on white, and nothing else (no cursor, no frame)."""
    targets = clipboard("TARGETS").decode().split()
    check("image/png" in targets, "clipboard targets %s" % targets)
    rows = png_rows(clipboard("image/png"))
    extents = canvas.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    size = (len(rows[0]), len(rows))
    check(size == (extents.width, extents.height), "copied picture of %s" % (size,))
    black = {(x, points[0][1]) for x in range(points[0][0], points[-1][0] + 1)}
    for px, py in points:
        black |= {(px + dx, py + dy) for dx in range(-2, 3) for dy in range(-2, 3)
                  if dx * dx + dy * dy <= 5}
    for y, row in enumerate(rows):
        for x, colour in enumerate(row):
            wanted = (0, 0, 0) if (x, y) in black else (255, 255, 255)
            check(colour == wanted, "copied pixel (%d, %d) is %s" % (x, y, colour))


def description(accessible):
    accessible.clear_cache()
    return accessible.description


def find_window(program):
    def window():
        desktop = pyatspi.Registry.getDesktop(0)
        for application in children(desktop):
            if application is not None and application.get_process_id() == program.pid:
                frames = children(application)
                # The window is there once all its controls are.
                if frames and len(children(frames[0])) == len(CONTROLS):
                    return frames[0]
        check(program.poll() is None, "the program ended with status %s" % program.poll())
        return None

    return wait_until("the window on the accessibility bus", window)


def check_controls(window):
    check(
        window.name.endswith("Геометрия - 3 точки, ориентирано лице"),
        "window title %r" % window.name,
    )
    found = {}
    for control in children(window):
        name = control.name
        check(name.strip() != "", "a control without a name: %s" % control.getRoleName())
        check(name not in found, "two controls named %r" % name)
        found[name] = control
    check(set(found) == set(CONTROLS), "controls %s" % sorted(found))
    for name, role in CONTROLS.items():
        check(
            found[name].getRole() == role,
            "%r is a %s" % (name, found[name].getRoleName()),
        )
    steps = [row.name for row in children(found["Допустима стъпка"])]
    check(steps == [str(5 * i) for i in range(1, 11)], "step list rows %s" % steps)
    states = found["Резултат"].getState()
    check(states.contains(pyatspi.STATE_MULTI_LINE), "the report panel is not multi-line")
    check(not states.contains(pyatspi.STATE_EDITABLE), "the report panel is editable")
    check(states.contains(pyatspi.STATE_FOCUSABLE), "the report panel takes no focus")
    return found


def run(program_path):
    events = Events()
    environment = dict(
        os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"
    )
    for variable in ("QT_SCALE_FACTOR", "QT_ACCESSIBILITY"):
        environment.pop(variable, None)
    program = subprocess.Popen([program_path], env=environment)
    try:
        window = find_window(program)
        controls = check_controls(window)
        panel = controls["Резултат"]
        text = panel.queryText()
        check(
            whole_text(panel).startswith(STARTUP_FIRST_LINE),
            "start-up text %r" % whole_text(panel)[:80],
        )

        # (13, 48), (23, 48) and (33, 52) become (15, 50), (25, 50) and
        # (35, 50) at the start-up step of 5.
        canvas = controls["Чертожно поле"]
        for x, y in ((13, 48), (23, 48), (33, 52)):
            click(canvas, x, y)
        numbers = controls["Номер на точката"]
        wait_until("three rows in the N list", lambda: len(children(numbers)) == 3)
        rows = [row.name for row in children(controls["Координата X"])]
        check(rows == ["15", "25", "35"], "X list rows %s" % rows)

        mark = events.mark()
        press(controls["Чертай"])
        events.wait_for("the report replaces the text", mark, "object:text-changed:insert",
                        panel, detail1=0, data=REPORT)
        events.wait_for("the start-up text goes", mark, "object:text-changed:delete", panel,
                        detail1=0)
        check(whole_text(panel) == REPORT, "report %r" % whole_text(panel))
        check(text.characterCount == len(REPORT), "character count")

        # A screen reader moves the caret and selects through the text
        # interface, and hears of each change.
        mark = events.mark()
        check(text.setCaretOffset(8), "setting the caret refused")
        events.wait_for("caret set to 8", mark, "object:text-caret-moved", panel, detail1=8)
        check(text.caretOffset == 8, "caret at %d" % text.caretOffset)
        mark = events.mark()
        check(text.setSelection(0, 7, 12), "setting the selection refused")
        events.wait_for("selection set", mark, "object:text-selection-changed", panel)
        check(selection(panel) == (7, 12), "selection %s" % (selection(panel),))
        check(text.getText(7, 12) == "точки", "selected text")

        # The pupil's road, by real X events: a click into the panel (away
        # from the triple-click below, so that the two never make a
        # double-click), the start of the text, Ctrl+Right to the end of the
        # first word, Shift+End to the end of the line, then a triple-click
        # on it.
        click(panel, 200, 30)
        mark = events.mark()
        xdotool("key", "ctrl+Home")
        events.wait_for("Ctrl+Home", mark, "object:text-caret-moved", panel, detail1=0)
        mark = events.mark()
        xdotool("key", "ctrl+Right")
        events.wait_for("Ctrl+Right", mark, "object:text-caret-moved", panel, detail1=5)
        check(text.caretOffset == 5, "caret after Ctrl+Right %d" % text.caretOffset)
        check(selection(panel) is None, "Ctrl+Right selected %s" % (selection(panel),))
        mark = events.mark()
        xdotool("key", "shift+End")
        events.wait_for("Shift+End", mark, "object:text-selection-changed", panel)
        check(selection(panel) == (5, len(HEADING)), "after Shift+End %s" % (selection(panel),))
        check(text.caretOffset == len(HEADING), "caret after Shift+End")
        mark = events.mark()
        click(panel, 60, 10, repeat=3)
        # The line with its line end.
        line = (0, len(HEADING) + 1)
        wait_until("the triple-click's selection", lambda: selection(panel) == line)
        events.wait_for("triple-click", mark, "object:text-selection-changed", panel)
        check(text.getText(*line) == HEADING + "\n", "triple-click text")

        # Tab from the panel to the drawing area: the keyboard cursor stands
        # where the last point went, and the description says so first.
        xdotool("key", "Tab")
        wait_until("the drawing area's focus", lambda: canvas.getState().contains(
            pyatspi.STATE_FOCUSED))
        said = description(canvas)
        check(said.startswith("35, 50, точка 3. "), "drawing area on focus %r" % said)
        check("Ctrl+Shift+C" in said, "no copy keys in %r" % said)
        xdotool("key", "ctrl+c")
        check_copied_picture(canvas, [(15, 50), (25, 50), (35, 50)])

        # Space on the point there is refused and reads it again; each arrow
        # and each Space raises a change that a screen reader speaks.
        for key, where in (("space", "35, 50, точка 3"), ("Right", "40, 50"),
                           ("space", "40, 50, точка 4"), ("Left", "35, 50, точка 3")):
            mark = events.mark()
            xdotool("key", key)
            events.wait_for("description after %s" % key, mark,
                            "object:property-change:accessible-description", canvas)
            said = description(canvas)
            check(said.startswith(where + ". "), "after %s the drawing area reads %r" % (key, said))
        wait_until("four rows in the N list", lambda: len(children(numbers)) == 4)

        # „Чисти“ empties the panel, and a screen reader hears it.
        mark = events.mark()
        press(controls["Чисти"])
        events.wait_for("Clear empties the report", mark, "object:text-changed:delete", panel,
                        detail1=0, data=REPORT)
        check(whole_text(panel) == "", "after Clear %r" % whole_text(panel))
        check(program.poll() is None, "the program ended with status %s" % program.poll())
    finally:
        program.terminate()
        try:
            program.wait(timeout=10)
        except subprocess.TimeoutExpired:
            program.kill()
            program.wait()


def main():
    if len(sys.argv) != 2:
        print("usage: read_window.py PROGRAM", file=sys.stderr)
        return 2
    try:
        run(sys.argv[1])
    except Failure as failure:
        print("FAIL: %s" % failure, file=sys.stderr)
        return 1
    print("The window reads as it should over the accessibility bus.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
