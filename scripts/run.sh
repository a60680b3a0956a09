#!/usr/bin/env bash
# Installs what is missing, builds, starts the bundled dispatch-sim and the widget against it. With a
# display it runs there; without one it runs under a virtual X server, signs in as the demo user and
# leaves screenshots in build/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"

# The environment file lives beside the executable; a first run gets the sample one, which points
# at the simulator's ports.
[ -e "$root/build/Pellamo.ini" ] || cp "$root/scripts/Pellamo.ini.sample" "$root/build/Pellamo.ini"

sim_pid=""
xvfb_stop=:
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    $xvfb_stop
}
trap cleanup EXIT
"$root/build/dispatch-sim" --login-port 17100 --user demo:demo:00 --max-seconds 86400 >/dev/null &
sim_pid=$!
echo "dispatch-sim on 127.0.0.1:17100; sign in as demo / demo"

if [ -n "${DISPLAY:-}" ]; then
    "$root/build/pellamo"
    exit 0
fi

source "$root/scripts/xvfb.sh"
xvfb_stop=stop_xvfb
start_xvfb
start_tray
shots="$root/build/screenshots"
mkdir -p "$shots"
"$root/build/pellamo" &
pid=$!
sleep 2
import -window root "$shots/1-start.png" 2>/dev/null || true
# Type the demo account into the login prompt as a user would.
if window=$(xdotool search --all --onlyvisible --pid "$pid" --name . 2>/dev/null | head -n 1) && [ -n "$window" ]; then
    xdotool windowfocus --sync "$window" type --delay 50 demo
    xdotool key Tab type --delay 50 demo
    xdotool key Return
fi
sleep 2
import -window root "$shots/2-signed-in.png" 2>/dev/null || true
# The map button: the browser helper opens the map page in a window of its own.
if widget=$(xdotool search --all --onlyvisible --pid "$pid" --name "내부용 위젯" 2>/dev/null | head -n 1) &&
    [ -n "$widget" ]; then
    eval "$(xdotool getwindowgeometry --shell "$widget")"
    xdotool mousemove $((X + 136)) $((Y + 102)) click 1
    sleep 4
    import -window root "$shots/3-map-page.png" 2>/dev/null || true
fi
if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
fi
wait "$pid" 2>/dev/null || true
echo "screenshots in $shots"
