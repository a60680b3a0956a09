#!/usr/bin/env bash
# The program started twice, as a user starts it, on a real X server: the second copy shows its
# message at once, reads no file of ours, opens no connection and ends when the message is dismissed;
# the first copy is unaffected; after the first has ended a new copy starts normally.
set -u
program=$1
source "$(dirname "$0")/lib.sh"
for tool in xdotool strace; do
    command -v $tool >/dev/null || fail "$tool missing"
done
install_program "$program"

# The message box of a process.
window_of() { find_window "$1" Pellamo; }

# First copy: no environment file, so it waits in its message box.
"$work/bin/pellamo" & first=$!; pids+=($first)
first_window=$(window_of $first) || fail "first copy shows no message"
[ -e "$XDG_RUNTIME_DIR/KORVA.TolvikWG.lock" ] || fail "first copy holds no lock"

# Second copy, traced: it may open Qt's own files, never ours, and never an internet socket.
printf '[Settings]\r\nServerAddr=127.0.0.1\r\n' > "$work/bin/Pellamo.ini"
strace -f -qq -e trace=open,openat,stat,newfstatat,access,connect -o "$work/trace" "$work/bin/pellamo" & second=$!; pids+=($second)
second_window=$(find_window_of_program "$work/bin/pellamo" Pellamo $first) || fail "second copy shows no message"
dismiss "$second_window"
ends_within $second || fail "second copy did not end after its message"
grep -E 'Pellamo(_VER)?\.ini|settings\.reg|Tolvik/Pellamo' "$work/trace" && fail "second copy touched the program's files"
grep -E 'connect\(.*AF_INET' "$work/trace" && fail "second copy opened a network connection"
kill -0 $first 2>/dev/null || fail "first copy ended with the second"
[ -e "$log_dir" ] && fail "second copy wrote a log"

dismiss "$first_window"
ends_within $first || fail "first copy did not end after its message"
[ -e "$XDG_RUNTIME_DIR/KORVA.TolvikWG.lock" ] && fail "lock file left behind"

# A new copy now runs normally: with an environment file that lacks [URL] 관리 it logs exactly that
# line, in CP949, and shows its message.
printf '[Settings]\r\nServerAddr=127.0.0.1\r\nServerPort=7000\r\nRefreshRate=30\r\n[URL]\r\nWGInfo=http://127.0.0.1/wg\r\n' > "$work/bin/Pellamo.ini"
for key in 사업소 지도 현장 차량 출하 SMS; do printf '%s=http://127.0.0.1/%s\r\n' "$key" "$key" >> "$work/bin/Pellamo.ini"; done
"$work/bin/pellamo" & third=$!; pids+=($third)
third_window=$(window_of $third) || fail "third copy shows no message"
logs=("$log_dir"/*.log)
[ ${#logs[@]} -eq 1 ] || fail "expected one log file"
[ "$(basename "${logs[0]}")" = "$(date +%Y%m%d).log" ] || fail "log file named ${logs[0]}"
expected=$(printf 'URL section의 관리 값을 읽을수 없습니다.\r\n' | iconv -f UTF-8 -t CP949 | od -An -tx1)
actual=$(cut -c20- "${logs[0]}" | od -An -tx1)
[ "$expected" = "$actual" ] || fail "log holds: $(iconv -f CP949 -t UTF-8 "${logs[0]}")"
[ "$(wc -l < "${logs[0]}")" -eq 1 ] || fail "log holds more than one line"
dismiss "$third_window"
ends_within $third || fail "third copy did not end after its message"
echo "single instance: ok"
