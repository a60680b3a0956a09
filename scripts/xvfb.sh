# Sourced by the scripts that need an X server: start_xvfb starts one on a free display at 96 DPI
# and exports DISPLAY; stop_xvfb ends it. Nothing is left running.
xvfb_pid=""
tray_pid=""

start_xvfb() {
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -dpi 96 -nolisten tcp -br >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "Xvfb did not start" >&2
    return 1
}

# An XEmbed notification area at the top right, as a desktop panel would offer.
start_tray() {
    trayer --edge top --align right --widthtype pixel --width 120 --height 24 --transparent false \
        --SetDockType true >/dev/null 2>&1 &
    tray_pid=$!
    sleep 0.5
}

stop_xvfb() {
    if [ -n "$tray_pid" ]; then
        kill "$tray_pid" 2>/dev/null || true
        wait "$tray_pid" 2>/dev/null || true
        tray_pid=""
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=""
tray_pid=""
    fi
}
