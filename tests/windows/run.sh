#!/bin/sh
# make test-windows: the project's tests built for Windows, run under Wine
# on an X server of their own, then the portable program and the installer
# tried as a pupil and a teacher use them (road.py).
#   run.sh VERSION
set -u

version=$1
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cd "$root"
qt_prefix=$(sh scripts/build-qt.sh --prefix windows)
. "$here/../support/xvfb.sh"
work=$(mktemp -d)
cleanup() {
    wineserver -k 2>/dev/null
    stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# The tests' own X server, and their own Wine prefix, made anew each run
# so that nothing of an earlier install or test is left to pass a test.
if ! start_xvfb 3840x2160 "$work"; then
    echo "test-windows: SKIPPED: Wine has no display to run the tests on"
    exit 0
fi
WINEPREFIX=$root/build/windows/wine
WINEDEBUG=-all
# Wine's Mono and Gecko installers would ask on a first start; nothing
# here needs them.
WINEDLLOVERRIDES="mscoree,mshtml="
# The DLLs the test programs load: Qt's and the compiler's run time.
gcc_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
WINEPATH="Z:$qt_prefix/bin;Z:$gcc_runtime;Z:/usr/x86_64-w64-mingw32/lib"
export DISPLAY WINEPREFIX WINEDEBUG WINEDLLOVERRIDES WINEPATH

rm -rf "$WINEPREFIX"
start=$(date +%s)
wineboot --init >"$work/wineboot.log" 2>&1
# Wine has no Times New Roman; its font replacements give the name the
# metric twin that fontconfig gives it on Linux.
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /d 'Liberation Serif' /f \
    >/dev/null 2>&1
wineserver -w
# One Wine server and its services for every test: two test programs that
# start the first Wine processes at once have been seen to wait minutes.
wineserver -p
wine cmd /c exit >/dev/null 2>&1
echo "test-windows: Wine prefix ready in $(($(date +%s) - start)) s"

status=0
start=$(date +%s)
ctest --preset windows || status=1
echo "test-windows: the test suites took $(($(date +%s) - start)) s under Wine"

# The road waits for Wine to finish its work between steps, which a
# server kept running would never do.
wineserver -k
wineserver -w
start=$(date +%s)
/usr/bin/python3 "$here/road.py" "$root/build/windows" "$version" || status=1
echo "test-windows: the road through the program took $(($(date +%s) - start)) s"
exit $status
