#!/usr/bin/env bash
# Installs what is missing, builds, and starts the widget. With a display it runs there; without one
# it runs under a virtual X server and leaves screenshots in build/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"

# The environment file lives beside the executable; a first run gets the sample one.
[ -e "$root/build/Pellamo.ini" ] || cp "$root/scripts/Pellamo.ini.sample" "$root/build/Pellamo.ini"

if [ -n "${DISPLAY:-}" ]; then
    exec "$root/build/pellamo"
fi

source "$root/scripts/xvfb.sh"
trap stop_xvfb EXIT
start_xvfb
shots="$root/build/screenshots"
mkdir -p "$shots"
"$root/build/pellamo" &
pid=$!
for second in 1 2 3; do
    sleep 1
    import -window root "$shots/screen-$second.png" 2>/dev/null || true
done
if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo "the widget ran; screenshots in $shots"
else
    wait "$pid" || true
    echo "the widget ended by itself; screenshots in $shots"
fi
