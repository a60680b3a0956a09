#!/usr/bin/env bash
# The widget as a user starts it, on a real X server, with remembered credentials and the simulator:
# centred on a first run, 259 x 138 with see-through corners, live figures, a clock that advances;
# exit asks, remembers the place, and the next start comes back there.
set -u
program=$1
sim=$2
source "$(dirname "$0")/lib.sh"
for tool in xdotool xwininfo import; do
    command -v $tool >/dev/null || fail "$tool missing"
done
install_program "$program"
start_sim "$sim" --user demo:demo:00 --feed-line "1280.0|1195.5|485.6|709.9|10|3|3|A|B"
write_environment
remember_login demo demo

widget_window() { find_window "$1" "내부용 위젯"; }
# The colour of a root-window pixel as "r,g,b".
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- | tail -n 1 | sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/'; }
# How many pixels of an area are near a colour.
count_near() {
    local x=$1 y=$2 w=$3 h=$4 r=$5 g=$6 b=$7
    import -window root -crop "${w}x${h}+${x}+${y}" -depth 8 txt:- | tail -n +2 |
        sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/' |
        awk -v r="$r" -v g="$g" -v b="$b" '{d=($1-r)^2+($2-g)^2+($3-b)^2; if (d < 1600) n++} END{print n+0}'
}

"$work/bin/pellamo" & first=$!; pids+=($first)
window=$(widget_window $first) || fail "no widget after signing in"
read -r x y w h < <(geometry "$window")
[ "$w" = 259 ] && [ "$h" = 138 ] || fail "widget is ${w}x${h}"
screen_w=$(xwininfo -root | awk '/Width:/{print $2}')
screen_h=$(xwininfo -root | awk '/Height:/{print $2}')
[ "$x" = $(( (screen_w - 259) / 2 )) ] && [ "$y" = $(( (screen_h - 138) / 2 )) ] || fail "not centred: $x,$y"
sleep 1.5
[ "$(pixel "$x" "$y")" = "$(pixel 2 2)" ] || fail "the corner is not see-through: $(pixel "$x" "$y")"
[ "$(pixel $((x + 130)) $((y + 70)))" != "$(pixel 2 2)" ] || fail "the widget's inside is see-through"
planned=$(count_near $((x + 42)) $((y + 34)) 54 13 0 146 156)
[ "$planned" -gt 10 ] || fail "no planned volume from the feed ($planned pixels)"

# The clock: the picture of its rectangle changes when the minute does.
clock_shot() { import -window root -crop "117x41+$((x + 128))+$((y + 45))" -depth 8 rgb:- | md5sum; }
before=$(clock_shot)
changed=no
for _ in $(seq 70); do
    sleep 1
    [ "$(clock_shot)" != "$before" ] && { changed=yes; break; }
done
[ $changed = yes ] || fail "the clock did not advance in 70 seconds"

# Drag it by its top band, then exit from the context menu and confirm.
xdotool mousemove $((x + 60)) $((y + 10)) mousedown 1 mousemove $((x + 80)) $((y + 25)) mousemove $((x + 100)) $((y + 40)) mouseup 1
sleep 0.5
read -r x2 y2 _ _ < <(geometry "$window")
[ "$x2" = $((x + 40)) ] && [ "$y2" = $((y + 30)) ] || fail "drag moved it to $x2,$y2"
xdotool mousemove $((x2 + 60)) $((y2 + 70)) click 3
sleep 0.7
xdotool key Up Return
sleep 0.7
question=$(xdotool search --all --onlyvisible --pid $first --name Pellamo | head -n 1)
[ -n "$question" ] || fail "exit did not ask"
xdotool windowfocus --sync "$question" key Return
for _ in $(seq 50); do kill -0 $first 2>/dev/null || break; sleep 0.1; done
kill -0 $first 2>/dev/null && fail "the program did not end after Yes"
expected=$(printf '%02x,%02x,00,00,%02x,%02x,00,00' $((x2 & 255)) $((x2 >> 8)) $((y2 & 255)) $((y2 >> 8)))
iconv -f CP949 -t UTF-8 "$store" | grep -q "\"메인\"=hex:$expected" || fail "point not saved: $(iconv -f CP949 -t UTF-8 "$store")"

"$work/bin/pellamo" & second=$!; pids+=($second)
window=$(widget_window $second) || fail "no widget on the next start"
read -r x3 y3 _ _ < <(geometry "$window")
[ "$x3" = "$x2" ] && [ "$y3" = "$y2" ] || fail "the next start is at $x3,$y3, not $x2,$y2"
echo "widget: ok"
