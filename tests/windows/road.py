#!/usr/bin/python3
"""The Windows downloads tried as a pupil and a teacher use them, under Wine
with real X events: the portable program placed, drawn, copied, taken back
and cleared; then the installer run silently, its program started, and its
uninstaller run.

    road.py OUT_DIR VERSION      (run.sh prepares Xvfb and the Wine prefix)
"""

import os
import pathlib
import subprocess
import sys
import tempfile
import time
import zipfile

OUT_DIR = pathlib.Path(sys.argv[1])
VERSION = sys.argv[2]
TITLE = "collinear.example.org  Геометрия - 3 точки, ориентирано лице"
CANVAS = (8, 56)  # the drawing area's place in the window
DRAW_BUTTON = (344 + 28, 264 + 12)
CLEAR_BUTTON = (416 + 28, 32 + 12)
REPORT = (8 + 200, 296 + 60)
EXPECTED_REPORT = "Търся, точки, лежащи на една права:\n15,50; 25,50; 35,50"

results = []


def check(name, condition, detail=""):
    results.append(condition)
    print(("PASS" if condition else "FAIL") + ": " + name + ("" if condition else "  " + detail))
    return condition


def run(*command, **options):
    return subprocess.run(command, check=True, capture_output=True, text=True, **options).stdout


def wait_for(predicate, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.25)
    return None


def find_window():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "collinear.example.org"],
                           capture_output=True, text=True).stdout.split()
    return found[0] if found else None


def window_geometry(window):
    values = dict(line.split("=", 1) for line in run("xdotool", "getwindowgeometry", "--shell", window).split())
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def pixels(window):
    """The window as it is on the screen: (width, height, RGB bytes)."""
    x, y, width, height = window_geometry(window)
    raw = subprocess.run(["import", "-silent", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}",
                          "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    return width, height, raw


def colour(shot, x, y):
    width, _, raw = shot
    offset = (y * width + x) * 3
    return tuple(raw[offset:offset + 3])


def is_dark(rgb):
    return max(rgb) < 96


def is_white(rgb):
    return min(rgb) > 240


def click(window, x, y):
    run("xdotool", "mousemove", "--window", window, str(x), str(y), "click", "1")
    time.sleep(0.3)


def key(*keys):
    run("xdotool", "key", *keys)
    time.sleep(0.3)


def clipboard_text():
    result = subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True)
    return result.stdout.decode("utf-8", "replace").replace("\r\n", "\n").strip()


def canvas_point(x, y):
    return CANVAS[0] + x, CANVAS[1] + y


def start(exe):
    return subprocess.Popen(["wine", str(exe)], cwd=exe.parent, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def stop(process, window):
    if window:
        subprocess.run(["xdotool", "windowclose", window], capture_output=True)
    try:
        process.wait(timeout=15)
    except subprocess.TimeoutExpired:
        process.kill()


def save_screenshot(name):
    subprocess.run(["import", "-silent", "-window", "root", str(OUT_DIR / f"screenshot-{name}.png")])


def pupil_road(exe):
    process = start(exe)
    window = wait_for(find_window, 60)
    if not check("the portable collinear.exe shows its window", window is not None):
        process.kill()
        return
    time.sleep(1)
    name = run("xdotool", "getwindowname", window).strip()
    check("the window has the design's title", name == TITLE, repr(name))
    _, _, width, height = window_geometry(window)
    check("the window has the design's size", (width, height) == (481, 429), f"{width}x{height}")
    before = pixels(window)

    for x, y in ((13, 48), (23, 48), (33, 52)):
        click(window, *canvas_point(x, y))
    click(window, *DRAW_BUTTON)
    shot = pixels(window)
    save_screenshot("draw")
    dots = [colour(shot, *canvas_point(x, 50)) for x in (15, 25, 35)]
    check("the three dots are dark", all(is_dark(c) for c in dots), str(dots))
    segment = [colour(shot, *canvas_point(x, 50)) for x in (19, 20, 21, 29, 30, 31)]
    check("the segments between them are dark", all(is_dark(c) for c in segment), str(segment))
    around = [colour(shot, *canvas_point(x, y)) for x, y in ((20, 45), (30, 55), (100, 100), (5, 5))]
    check("the drawing area round them is white", all(is_white(c) for c in around), str(around))

    click(window, *REPORT)
    key("ctrl+a")
    key("ctrl+c")
    report = wait_for(lambda: clipboard_text() == EXPECTED_REPORT and EXPECTED_REPORT, 5)
    check("the report, selected and copied with the keys, is the found triple", report is not None,
          repr(clipboard_text()))

    key("ctrl+z")
    shot = pixels(window)
    check("Ctrl+Z takes „Чертай“ back: the segments are gone, the dots stay",
          is_white(colour(shot, *canvas_point(20, 50))) and is_dark(colour(shot, *canvas_point(25, 50))),
          str((colour(shot, *canvas_point(20, 50)), colour(shot, *canvas_point(25, 50)))))

    click(window, *CLEAR_BUTTON)
    after = pixels(window)
    # After „Чисти“ the lists are empty and the drawing area white again:
    # the window as it was at start, the focus frame of the button aside.
    lists = (8, 256, 473, 296)
    changed = [(x, y) for y in range(lists[1], lists[3]) for x in range(lists[0], lists[2])
               if colour(after, x, y) != colour(before, x, y) and not (344 <= x < 401)]
    check("„Чисти“ empties the point lists", not changed, f"{len(changed)} pixels differ, e.g. {changed[:3]}")
    canvas_white = all(is_white(colour(after, *canvas_point(x, y))) for x in range(5, 460, 7) for y in range(10, 195, 7))
    check("„Чисти“ leaves the drawing area white", canvas_white)
    stop(process, window)


def installer_road(setup):
    result = subprocess.run(["wine", str(setup), "/S"], capture_output=True, timeout=120)
    check("the installer runs silently with /S", result.returncode == 0, str(result.returncode))
    subprocess.run(["wineserver", "-w"])

    def windows_folder(path):
        return pathlib.Path(run("winepath", "-u", path).strip())

    def expanded(variable):
        return run("wine", "cmd", "/c", f"echo %{variable}%").strip()

    # Where it went, as its uninstall entry says: for the user alone, or,
    # run as an administrator (as Wine's user is), for all users.
    installed = None
    uninstall_key = None
    for root, view in (("HKCU", []), ("HKLM", ["/reg:64"]), ("HKLM", ["/reg:32"])):
        key = root + r"\Software\Microsoft\Windows\CurrentVersion\Uninstall\org.example.Collinear"
        listing = subprocess.run(["wine", "reg", "query", key, "/v", "InstallLocation", *view],
                                 capture_output=True, text=True).stdout
        for line in listing.splitlines():
            if "InstallLocation" in line and "REG_SZ" in line:
                installed = windows_folder(line.split("REG_SZ", 1)[1].strip())
                uninstall_key = (key, view)
        if installed:
            break
    check("it registers its uninstaller in Apps and features", installed is not None)
    if installed is None:
        return
    print(f"the installer installed in {installed} ({uninstall_key[0].split(chr(92))[0]})")
    menus = [windows_folder(expanded(variable)) / "Microsoft" / "Windows" / "Start Menu" / "Programs"
             for variable in ("APPDATA", "ProgramData")]
    shortcuts = [menu / "Collinear.lnk" for menu in menus]
    check("it adds a Start-menu entry", any(shortcut.is_file() for shortcut in shortcuts), str(shortcuts))

    def entry():
        key, view = uninstall_key
        return subprocess.run(["wine", "reg", "query", key, *view], capture_output=True, text=True).stdout

    exe = installed / "collinear.exe"
    check("it installs the program there", exe.is_file(), str(installed))
    if exe.is_file():
        process = start(exe)
        window = wait_for(find_window, 60)
        check("the installed collinear.exe shows its window", window is not None)
        stop(process, window)
        subprocess.run(["wineserver", "-w"])
        subprocess.run(["wine", str(installed / "uninstall.exe"), "/S"], capture_output=True, timeout=120)
        subprocess.run(["wineserver", "-w"])
        # The NSIS uninstaller copies itself away and returns at once.
        gone = wait_for(lambda: not installed.exists(), 30)
        leftovers = sorted(str(p) for p in installed.rglob("*")) if installed.exists() else []
        check("the uninstaller removes every file it installed", gone is not None, str(leftovers[:5]))
        check("and the Start-menu entry", not any(shortcut.exists() for shortcut in shortcuts))
        check("and its entry in Apps and features", "UninstallString" not in entry())


def main():
    with tempfile.TemporaryDirectory() as folder:
        # Unzipped somewhere new, as from a USB stick.
        with zipfile.ZipFile(OUT_DIR / f"collinear-{VERSION}-windows-x64.zip") as archive:
            archive.extractall(folder)
        unzipped = {p: p.stat().st_mtime_ns for p in pathlib.Path(folder).rglob("*")}
        pupil_road(pathlib.Path(folder) / f"collinear-{VERSION}-windows-x64" / "collinear.exe")
        now = {p: p.stat().st_mtime_ns for p in pathlib.Path(folder).rglob("*")}
        written = sorted(str(p) for p in now if unzipped.get(p) != now[p])
        check("the portable program writes nothing beside itself", not written, str(written[:3]))
    installer_road(OUT_DIR / f"collinear-{VERSION}-setup.exe")
    passed = sum(results)
    print(f"windows road: {passed} passed, {len(results) - passed} failed")
    return 0 if all(results) else 1

if __name__ == "__main__":
    sys.exit(main())
