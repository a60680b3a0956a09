#!/usr/bin/env bash
# The widget as a user starts it, on a real X server, with remembered credentials and the simulator:
# centred on a first run, 259 x 138 with see-through corners, live figures, a clock that advances;
# exit asks, remembers the place, and the next start comes back there.
set -u
program=$1
sim=$2
[ -n "${DISPLAY:-}" ] || { echo "no display: skipped"; exit 77; }
for tool in xdotool xwininfo import; do
    command -v $tool >/dev/null || { echo "$tool missing"; exit 1; }
done

work=$(mktemp -d /tmp/pellamo-widget-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
    pkill -9 -f "^$work/bin/pellamo" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir -p "$work/bin" "$work/home" "$work/config/Tolvik/Pellamo" "$work/state"
mkdir -m 0700 "$work/run"
cp "$program" "$work/bin/pellamo"
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/run
store=$XDG_CONFIG_HOME/Tolvik/Pellamo/settings.reg

"$sim" --login-port 0 --http-port 0 --ready-file "$work/ready" --user demo:demo:00 --max-seconds 600 \
    --feed-line "1280.0|1195.5|485.6|709.9|10|3|3|A|B" >/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/ready" ] && grep -q http-port "$work/ready" && break; sleep 0.1; done
login_port=$(sed -n 's/login-port=//p' "$work/ready")
http_port=$(sed -n 's/http-port=//p' "$work/ready")
[ -n "$http_port" ] || fail "simulator did not start"
{
    printf '[Settings]\r\nServerAddr=127.0.0.1\r\nServerPort=%s\r\nRefreshRate=30\r\n[URL]\r\n' "$login_port"
    printf 'WGInfo=http://127.0.0.1:%s/wginfo\r\n' "$http_port"
    for key in 사업소 지도 현장 차량 출하 SMS 관리; do printf '%s=http://127.0.0.1:%s/map\r\n' "$key" "$http_port"; done
} > "$work/bin/Pellamo.ini"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Tolvik\\Pellamo]\r\n"SaveID"=dword:00000001\r\n"SavePW"=dword:00000001\r\n"ID"="demo"\r\n"PW"="demo"\r\n' > "$store"

# The widget's window and its geometry as the X server has it: "x y width height".
widget_window() {
    for _ in $(seq 150); do
        id=$(xdotool search --all --onlyvisible --pid "$1" --name "내부용 위젯" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'
}
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
