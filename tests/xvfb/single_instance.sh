#!/usr/bin/env bash
# The program started twice, as a user starts it, on a real X server: the second copy shows its
# message at once, reads no file of ours, opens no connection and ends when the message is dismissed;
# the first copy is unaffected; after the first has ended a new copy starts normally.
set -u
program=$1
[ -n "${DISPLAY:-}" ] || { echo "no display: skipped"; exit 77; }
for tool in xdotool strace; do
    command -v $tool >/dev/null || { echo "$tool missing"; exit 1; }
done

work=$(mktemp -d /tmp/pellamo-xvfb-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
    pkill -9 -f "^$work/bin/pellamo" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir -p "$work/bin" "$work/home" "$work/config" "$work/state"
mkdir -m 0700 "$work/run"
cp "$program" "$work/bin/pellamo"
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/run
log_dir=$XDG_STATE_HOME/Tolvik/Pellamo

# The message box of a process: its window id, once it is mapped.
window_of() {
    local pid=$1 id
    for _ in $(seq 100); do
        id=$(xdotool search --all --onlyvisible --pid "$pid" --name Pellamo 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
ends_within() {
    local pid=$1
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; return 0; }
        sleep 0.1
    done
    return 1
}
# No window manager runs here: give the box the focus ourselves, then press Enter as a user would.
dismiss() { xdotool windowfocus --sync "$1" && xdotool key Return; }

# First copy: no environment file, so it waits in its message box.
"$work/bin/pellamo" & first=$!; pids+=($first)
first_window=$(window_of $first) || fail "first copy shows no message"
[ -e "$XDG_RUNTIME_DIR/KORVA.TolvikWG.lock" ] || fail "first copy holds no lock"

# Second copy, traced: it may open Qt's own files, never ours, and never an internet socket.
printf '[Settings]\r\nServerAddr=127.0.0.1\r\n' > "$work/bin/Pellamo.ini"
strace -f -qq -e trace=open,openat,stat,newfstatat,access,connect -o "$work/trace" "$work/bin/pellamo" & second=$!; pids+=($second)
for _ in $(seq 50); do traced=$(pgrep -P $second) && break; sleep 0.1; done
second_window=$(window_of "$traced") || fail "second copy shows no message"
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
