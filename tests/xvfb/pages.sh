#!/usr/bin/env bash
# The page windows as a user meets them, with the real browser helper: the map button opens a
# 1024 x 768 page window centred on the screen that loads the map with the user's identifiers; the
# office button opens the plant window below the widget; closing the page remembers its placement;
# when the last such window closes the helper ends; a helper killed mid-session takes only its
# windows with it, and the next press starts a new one; a widget that goes leaves no helper behind.
set -u
program=$1
helper=$2
sim=$3
source "$(dirname "$0")/lib.sh"
for tool in xdotool xwininfo pgrep; do
    command -v $tool >/dev/null || fail "$tool missing"
done
install_program "$program"
cp "$helper" "$work/bin/pellamo-web"
start_sim "$sim" --user demo:demo:00 --feed-line "1280.0|1195.5|485.6|709.9|10|3|3|본사|B"
write_environment
remember_login demo demo

helpers() { pgrep -f "^$work/bin/pellamo-web" | tr '\n' ' '; }
# A visible window of the helpers with the given size; prints "id x y".
helper_window() { # width height
    local hp id gx gy gw gh
    for _ in $(seq 300); do
        for hp in $(helpers); do
            for id in $(xdotool search --all --onlyvisible --pid "$hp" 2>/dev/null); do
                read -r gx gy gw gh < <(geometry "$id")
                [ "$gw" = "$1" ] && [ "$gh" = "$2" ] && { echo "$id $gx $gy"; return 0; }
            done
        done
        sleep 0.1
    done
    return 1
}
no_helper_within() { # seconds
    for _ in $(seq $(($1 * 10))); do
        [ -z "$(helpers)" ] && return 0
        sleep 0.1
    done
    return 1
}
click() { xdotool mousemove "$1" "$2" click 1; }

"$work/bin/pellamo" & app=$!; pids+=($app)
widget=$(find_window $app "내부용 위젯") || fail "no widget after signing in"
read -r x y _ _ < <(geometry "$widget")
screen_w=$(xwininfo -root | awk '/Width:/{print $2}')
screen_h=$(xwininfo -root | awk '/Height:/{print $2}')
[ -z "$(helpers)" ] || fail "a helper runs before any page is opened"

# Before the page window covers the widget: the plant window hangs below the widget, as wide as the weather window would be.
click $((x + 205)) $((y + 10))
read -r plant fx fy < <(helper_window 260 303) || fail "no plant window after the office button"
[ "$fx" = "$x" ] && [ "$fy" = $((y + 138)) ] || fail "plant window at $fx,$fy, not below the widget"

# The map page: a window of its own from the helper, centred, with the user's identifiers.
click $((x + 136)) $((y + 102))
read -r page px py < <(helper_window 1024 768) || fail "no page window after the map button"
[ "$px" = $(( (screen_w - 1024) / 2 )) ] && [ "$py" = $(( (screen_h - 768) / 2 )) ] || fail "page not centred: $px,$py"
for _ in $(seq 100); do grep -q "GET /map?userId=demo&authCode=" "$work/requests" && break; sleep 0.1; done
grep -q "GET /map?userId=demo&authCode=" "$work/requests" || fail "the map was not asked for with the user's identifiers"

# Closing the page by its button remembers where it was.
click $((px + 1004)) $((py + 14))
map_value=$(printf '"지도"=hex' | iconv -f UTF-8 -t CP949)
for _ in $(seq 100); do grep -qa "$map_value" "$store" 2>/dev/null && break; sleep 0.1; done
grep -qa "$map_value" "$store" 2>/dev/null || fail "the page's placement was not remembered"
sleep 0.5
xwininfo -id "$page" 2>/dev/null | grep -q IsViewable && fail "the page window is still on screen"
# The plant window's close button: the last web window, so the helper ends.
click $((fx + 247)) $((fy + 10))
no_helper_within 15 || fail "the helper did not end with its last window: $(helpers)"

# A helper killed mid-session: its window goes, the widget stays, the next press starts another.
click $((x + 136)) $((y + 102))
helper_window 1024 768 >/dev/null || fail "no page window on the second opening"
kill -9 $(helpers)
sleep 1
kill -0 $app 2>/dev/null || fail "the widget died with its helper"
find_window $app "내부용 위젯" >/dev/null || fail "the widget is gone from the screen"
click $((x + 136)) $((y + 102))
helper_window 1024 768 >/dev/null || fail "no new helper after the first was killed"

# The widget going takes its helper with it.
kill -9 $app
no_helper_within 15 || fail "the helper outlived the widget: $(helpers)"
echo "pages: ok"
