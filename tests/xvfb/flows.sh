#!/usr/bin/env bash
# The flows besides the everyday ones (first start, sign-in retry, mini bar and tray, pages and exit
# with positions have scripts of their own), run as a user meets them, and what each leaves behind:
# - an update published: the updater beside the program is started and the program ends unseen;
# - an update server that accepts and never answers: the widget comes all the same, within 12 s;
# - a server that does not answer: the error is shown, the login comes back, closing it ends all;
# - the feed going away: the last figures stay on the widget; coming back: the new ones show;
# - the feed answering 500: after 10 s without a success the figures go grey, and come back with it;
# - "창 위치 초기화" from the icon: asks, ends, and the remembered positions are gone from the store.
# After each run: no process, no lock and no temporary file left; the day's log has the session.
set -u
program=$1
sim=$2
source "$(dirname "$0")/lib.sh"
xdotool search --classname trayer >/dev/null 2>&1 || { echo "no notification area on this display: skipped"; exit 77; }
install_program "$program"
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR"
start_sim "$sim" --user demo:demo:00 --auth CODE42 --published-version 7 --http-fault /hang=silent \
    --feed-line "1280.0|1195.5|485.6|709.9|10|3|3|본사|B"
sim_pid=${pids[-1]}
write_environment
remember_login demo demo

ends_unseen_within() { # pid seconds
    for _ in $(seq $(($2 * 10))); do kill -0 "$1" 2>/dev/null || { wait "$1" 2>/dev/null; return 0; }; sleep 0.1; done
    return 1
}
nothing_left() { # what
    pgrep -f "^$work/bin/" >/dev/null && fail "$1: a process of the program is still running"
    [ -e "$XDG_RUNTIME_DIR/KORVA.TolvikWG.lock" ] && fail "$1: the lock was left behind"
    [ -z "$(ls -A "$TMPDIR")" ] || fail "$1: temporary files left: $(ls -A "$TMPDIR")"
    return 0
}
answer_yes() { local q; q=$(find_window "$1" "Pellamo") || fail "$2: no question"; xdotool windowfocus --sync "$q" key Return; }

# --- an update published -------------------------------------------------------------------------
printf '[Version]\r\nVersion=6\r\nUpdateURL=http://127.0.0.1:%s/version\r\n' "$http_port" > "$work/bin/Pellamo_VER.ini"
printf '#!/bin/sh\ntouch "%s/updater-ran"\n' "$work" > "$work/bin/Update.exe"
chmod +x "$work/bin/Update.exe"
"$work/bin/pellamo" & app=$!; pids+=($app)
ends_unseen_within $app 15 || fail "update: the program did not end"
for _ in $(seq 50); do [ -e "$work/updater-ran" ] && break; sleep 0.1; done
[ -e "$work/updater-ran" ] || fail "update: the updater was not started"
grep -q "GET /version" "$work/requests" || fail "update: the version was not asked for"
grep -q "ID=demo" "$work/requests" && fail "update: it signed in before updating"
nothing_left update

# --- an update server that never answers ---------------------------------------------------------
printf '[Version]\r\nVersion=6\r\nUpdateURL=http://127.0.0.1:%s/hang\r\n' "$http_port" > "$work/bin/Pellamo_VER.ini"
rm -f "$work/updater-ran"
began=$(date +%s)
"$work/bin/pellamo" & app=$!; pids+=($app)
widget=$(find_window_within $app "내부용 위젯" 20) || fail "hanging update: no widget"
waited=$(($(date +%s) - began))
[ $waited -le 12 ] || fail "hanging update: the widget came after $waited s"
[ -e "$work/updater-ran" ] && fail "hanging update: the updater was started"
read -r x y _ _ < <(geometry "$widget")
xdotool mousemove $((x + 60)) $((y + 70)) click 3
sleep 0.7
xdotool key Up Return
answer_yes $app "hanging update"
ends_unseen_within $app 10 || fail "hanging update: the program did not end"
nothing_left "hanging update"
remember_login demo demo # its exit remembered the widget's place; the flows below start without it
rm -f "$work/bin/Pellamo_VER.ini" "$work/bin/Update.exe"

# --- a server that does not answer ---------------------------------------------------------------
real_port=$login_port
login_port=1 # nothing listens there: refused at once
write_environment
"$work/bin/pellamo" & app=$!; pids+=($app)
message=$(find_window $app "Pellamo") || fail "unreachable: no message"
xdotool windowfocus --sync "$message" key Return
login=$(find_window $app "로그인") || fail "unreachable: the login did not come back"
xdotool windowfocus --sync "$login" key Escape
answer_yes $app unreachable
ends_unseen_within $app 10 || fail "unreachable: the program did not end"
nothing_left unreachable
login_port=$real_port
write_environment
sed -i 's/^RefreshRate=.*/RefreshRate=2/' "$work/bin/Pellamo.ini"
# Something to forget first: the widget's point, as an earlier exit would have left it.
printf '\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Tolvik\\Pellamo\\POS]\r\n' >> "$store"
printf '"%s"=hex:0a,00,00,00,14,00,00,00\r\n' "$(printf '메인' | iconv -f UTF-8 -t CP949)" >> "$store"

# --- the feed going away and coming back ---------------------------------------------------------
"$work/bin/pellamo" & app=$!; pids+=($app)
widget=$(find_window $app "내부용 위젯") || fail "feed: no widget"
read -r x y _ _ < <(geometry "$widget")
[ "$x $y" = "10 20" ] || fail "feed: the widget is at $x,$y, not at its remembered point"
figures() { import -window root -crop "54x76+$((x + 42))+$((y + 34))" -depth 8 rgb:- | md5sum; }
sleep 2.5
before=$(figures)
kill -9 $sim_pid
sleep 3.5
kill -0 $app 2>/dev/null || fail "feed: the widget died with the feed"
[ "$(figures)" = "$before" ] || fail "feed: the figures changed while the feed was away"
rm -f "$work/ready"
start_sim "$sim" --login-port "$login_port" --http-port "$http_port" --user demo:demo:00 --auth CODE42 \
    --session demo=CODE42 --feed-line "2222.0|2111.5|999.6|888.9|20|4|4|본사|B"
sim_pid=${pids[-1]}
changed=no
for _ in $(seq 60); do [ "$(figures)" != "$before" ] && { changed=yes; break; }; sleep 0.1; done
[ $changed = yes ] || fail "feed: the new figures did not show after the feed came back"

# --- the feed answering 500 ----------------------------------------------------------------------
grey_pixels() { import -window root -crop "54x76+$((x + 42))+$((y + 34))" -depth 8 txt:- | grep -ci '#969696'; }
stale_lines() { iconv -f CP949 -t UTF-8 "$log_dir/$(date +%Y%m%d).log" | grep -c "$1"; }
[ "$(grey_pixels)" -eq 0 ] || fail "stale: grey figures while the feed answers"
sleep 2.1 # a success just now: the outage is counted from it
restart_sim() {
    kill -9 $sim_pid
    rm -f "$work/ready"
    start_sim "$sim" --login-port "$login_port" --http-port "$http_port" --user demo:demo:00 --auth CODE42 \
        --session demo=CODE42 --feed-line "2222.0|2111.5|999.6|888.9|20|4|4|본사|B" "$@"
    sim_pid=${pids[-1]}
}
restart_sim --http-fault /wginfo=status:500
failing=$(date +%s)
sleep 6
[ "$(grey_pixels)" -eq 0 ] || fail "stale: grey after a few missed polls"
for _ in $(seq 80); do [ "$(grey_pixels)" -gt 10 ] && break; sleep 0.1; done
greyed=$(($(date +%s) - failing))
[ "$(grey_pixels)" -gt 10 ] || fail "stale: the figures did not go grey"
[ $greyed -le 12 ] || fail "stale: grey only $greyed s after the feed failed"
restart_sim
for _ in $(seq 50); do [ "$(grey_pixels)" -eq 0 ] && break; sleep 0.1; done
[ "$(grey_pixels)" -eq 0 ] || fail "stale: the colours did not come back with the feed"
[ "$(stale_lines 'shown as stale')" -eq 1 ] || fail "stale: not one log line for going stale"
[ "$(stale_lines 'no longer stale')" -eq 1 ] || fail "stale: not one log line for coming back"

# --- reset from the icon's menu ------------------------------------------------------------------
icon=""
for id in $(xdotool search --all --onlyvisible --pid $app 2>/dev/null); do [ "$id" != "$widget" ] && icon=$id; done
[ -n "$icon" ] || fail "reset: no icon"
read -r ix iy iw ih < <(geometry "$icon")
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
sleep 0.7
xdotool key Down Down Return
answer_yes $app reset
ends_unseen_within $app 10 || fail "reset: the program did not end"
iconv -f CP949 -t UTF-8 "$store" | grep -q '"메인"=hex:0a' && fail "reset: the widget's point is still remembered"
nothing_left reset

log=$log_dir/$(date +%Y%m%d).log
[ -s "$log" ] || fail "no log of the day"
# Every line whole, in the stored line-end form.
[ "$(grep -c $'\r$' "$log")" = "$(wc -l < "$log")" ] || fail "log lines without their CR LF"
echo "flows: ok"
