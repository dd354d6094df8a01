#!/bin/sh
# Runs read_window.py against the real program in an X server (Xvfb) and a
# D-Bus session of their own, where the accessibility bus starts on demand.
#   run_on_bus.sh PROGRAM
# Exits 77, which CTest counts as skipped, only when no X server can start;
# every other fault fails.
set -u

program=$1
here=$(cd "$(dirname "$0")" && pwd)
skip=77

if ! command -v Xvfb >/dev/null 2>&1; then
    echo "SKIP: Xvfb is not installed, so no X server can start (scripts/install-deps.sh installs it)"
    exit $skip
fi

work=$(mktemp -d)
xvfb=""
cleanup() {
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null
        wait "$xvfb" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# Xvfb picks a free display itself and writes its number when it is ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
tries=0
while [ ! -s "$work/display" ]; do
    if ! kill -0 "$xvfb" 2>/dev/null || [ $tries -ge 100 ]; then
        echo "SKIP: no X server could start:"
        cat "$work/xvfb.log"
        exit $skip
    fi
    tries=$((tries + 1))
    sleep 0.1
done
DISPLAY=:$(cat "$work/display")
export DISPLAY
mkdir -m 700 "$work/runtime"
XDG_RUNTIME_DIR=$work/runtime
export XDG_RUNTIME_DIR

# The system Python, where Debian installs pyatspi. dbus-run-session ends
# the session bus, and with it the accessibility bus, when the script ends.
timeout -k 10 120 dbus-run-session -- /usr/bin/python3 "$here/read_window.py" "$program" \
    >"$work/output" 2>&1
status=$?
# Without the buses' own chatter.
grep -v -e 'Failed to set fd limit' -e 'Activating service' -e 'Successfully activated' \
    -e 'SpiRegistry daemon is running' "$work/output"
if [ $status -eq 124 ]; then
    echo "FAIL: the test did not end within 120 s"
fi
exit $status
