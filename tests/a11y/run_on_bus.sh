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

. "$here/../support/xvfb.sh"
work=$(mktemp -d)
cleanup() {
    stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

if ! start_xvfb 1024x768 "$work"; then
    echo "SKIP: the window has no X server to open on"
    exit $skip
fi
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
