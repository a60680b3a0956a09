#!/usr/bin/env bash
# A whole session as a user has it, on a real X server with a notification area and the simulator:
# the first start asks for the login, a wrong password is refused and asked again with the identifier
# kept, the right one opens the widget; "X" puts the mini bar at the widget's corner; the bar's "X"
# leaves only the icon; a double-click on it brings the widget back; the icon's "종료" asks and ends.
# Screenshots of the login dialog, the widget and the mini bar are left in $PELLAMO_SHOTS when set.
set -u
program=$1
sim=$2
source "$(dirname "$0")/lib.sh"
xdotool search --classname trayer >/dev/null 2>&1 || { echo "no notification area on this display: skipped"; exit 77; }
shot() { [ -n "${PELLAMO_SHOTS:-}" ] && import -window root -crop "$2" "$PELLAMO_SHOTS/$1.png"; return 0; }
install_program "$program"
start_sim "$sim" --user demo:secret:00
write_environment

gone() { ! xdotool search --all --onlyvisible --pid "$1" --name "$2" >/dev/null 2>&1; }
type_into() { xdotool windowfocus --sync "$1"; shift; xdotool "$@"; }

"$work/bin/pellamo" & app=$!; pids+=($app)
login=$(find_window $app "로그인") || fail "no login dialog on a first start"
read -r lx ly lw lh < <(geometry "$login")
[ "$lw" = 259 ] && [ "$lh" = 105 ] || fail "login dialog is ${lw}x${lh}"
type_into "$login" type --delay 20 demo
xdotool key Tab type --delay 20 wrong
sleep 0.3
shot login "${lw}x${lh}+$lx+$ly"
xdotool key Return
message=$(find_window $app "Pellamo") || fail "no message for the wrong password"
grep -q "ID=demo .*PWlength=5" "$work/requests" || fail "the attempt did not reach the server"
xdotool windowfocus --sync "$message" key Return
login=$(find_window $app "로그인") || fail "the login dialog did not come back"
# Only the password is typed again: the identifier must still be there for the login to pass.
type_into "$login" type --delay 20 secret
xdotool key Return
widget=$(find_window $app "내부용 위젯") || fail "no widget after the right password"
[ "$(grep -c 'ID=demo ' "$work/requests")" = 2 ] || fail "expected two attempts"
read -r wx wy ww wh < <(geometry "$widget")
sleep 1.5
shot widget "${ww}x${wh}+$wx+$wy"

xdotool mousemove $((wx + 246)) $((wy + 11)) click 1
bar=$(find_window $app "외부용 위젯") || fail "X did not open the mini bar"
read -r bx by bw bh < <(geometry "$bar")
[ "$bx $by $bw $bh" = "$wx $wy 353 62" ] || fail "mini bar at $bx,$by ${bw}x${bh}, widget was at $wx,$wy"
gone $app "내부용 위젯" || fail "the widget stayed beside the mini bar"
sleep 0.5
shot minibar "${bw}x${bh}+$bx+$by"

xdotool mousemove $((bx + 344)) $((by + 4)) click 1
sleep 0.7
gone $app "외부용 위젯" || fail "the mini bar's X left the bar"
gone $app "내부용 위젯" || fail "the mini bar's X showed the widget"

# The icon: the one visible window the program still has.
icon=$(xdotool search --all --onlyvisible --pid $app 2>/dev/null | head -n 1)
[ -n "$icon" ] || fail "no notification-area icon"
read -r ix iy iw ih < <(geometry "$icon")
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click --repeat 2 --delay 80 1
widget=$(find_window $app "내부용 위젯") || fail "a double-click on the icon did not bring the widget back"
read -r rx ry _ _ < <(geometry "$widget")
[ "$rx $ry" = "$wx $wy" ] || fail "the widget came back at $rx,$ry, not $wx,$wy"

xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
sleep 0.7
xdotool key Up Return
question=$(find_window $app "Pellamo") || fail "종료 did not ask"
xdotool windowfocus --sync "$question" key Return
for _ in $(seq 50); do kill -0 $app 2>/dev/null || break; sleep 0.1; done
kill -0 $app 2>/dev/null && fail "the program did not end"
[ -e "$XDG_RUNTIME_DIR/KORVA.TolvikWG.lock" ] && fail "the lock was left behind"
echo "session: ok"
