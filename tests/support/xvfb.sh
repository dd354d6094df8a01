# An X server of a test's own, for the scripts that run the real program.
# Sourced; the caller ends it with stop_xvfb in its cleanup.
#   start_xvfb WIDTHxHEIGHT FOLDER
# Starts Xvfb on a display it picks itself and exports DISPLAY. When no
# server starts it prints why and returns 1.
xvfb=""

start_xvfb() {
    Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$2/display" 2>"$2/xvfb.log" &
    xvfb=$!
    tries=0
    # Xvfb writes the display's number when it is ready.
    while [ ! -s "$2/display" ]; do
        if ! kill -0 "$xvfb" 2>/dev/null || [ $tries -ge 100 ]; then
            echo "no X server could start:"
            cat "$2/xvfb.log"
            return 1
        fi
        tries=$((tries + 1))
        sleep 0.1
    done
    DISPLAY=:$(cat "$2/display")
    export DISPLAY
}

stop_xvfb() {
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null
        wait "$xvfb" 2>/dev/null
    fi
}
