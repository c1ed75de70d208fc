# Starts a private Xvfb when there is no display; sourced by scripts that show windows.
# Sets DISPLAY and registers a cleanup that stops the server when the script ends.
folivex_private_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return 0
    fi
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] || break
    done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    FOLIVEX_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "display: Xvfb did not start on :$n" >&2
    return 1
}
folivex_stop_display() {
    if [ -n "${FOLIVEX_XVFB_PID:-}" ]; then
        kill "$FOLIVEX_XVFB_PID" 2>/dev/null || true
        wait "$FOLIVEX_XVFB_PID" 2>/dev/null || true
        FOLIVEX_XVFB_PID=
    fi
}
