# Shared by the real-window tests: a private folder with HOME and the XDG folders inside it, processes
# that are ended whatever happens, the simulator, and what the X server knows of windows.

[ -n "${DISPLAY:-}" ] || { echo "no display: skipped"; exit 77; }

work=$(mktemp -d /tmp/pellamo-xvfb-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
    pkill -9 -f "^$work/bin/pellamo" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# A copy of the program in $work/bin (its folder is where it looks for Pellamo.ini).
install_program() {
    mkdir -p "$work/bin" "$work/home" "$work/config/Tolvik/Pellamo" "$work/state"
    mkdir -m 0700 "$work/run"
    cp "$1" "$work/bin/pellamo"
    export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/run
    store=$XDG_CONFIG_HOME/Tolvik/Pellamo/settings.reg
    log_dir=$XDG_STATE_HOME/Tolvik/Pellamo
}

# The simulator on free loopback ports; sets login_port and http_port.
start_sim() {
    local sim=$1
    shift
    "$sim" --login-port 0 --http-port 0 --ready-file "$work/ready" --log "$work/requests" --max-seconds 600 "$@" \
        >/dev/null &
    pids+=($!)
    for _ in $(seq 100); do grep -q http-port "$work/ready" 2>/dev/null && break; sleep 0.1; done
    login_port=$(sed -n 's/login-port=//p' "$work/ready")
    http_port=$(sed -n 's/http-port=//p' "$work/ready")
    [ -n "$http_port" ] || fail "simulator did not start"
}

# A complete environment file beside the program, pointing at the simulator.
write_environment() {
    {
        printf '[Settings]\r\nServerAddr=127.0.0.1\r\nServerPort=%s\r\nRefreshRate=30\r\n[URL]\r\n' "$login_port"
        printf 'WGInfo=http://127.0.0.1:%s/wginfo\r\n' "$http_port"
        for key in 사업소 지도 현장 차량 출하 SMS 관리; do
            printf '%s=http://127.0.0.1:%s/map\r\n' "$key" "$http_port"
        done
    } > "$work/bin/Pellamo.ini"
}

remember_login() { # id password
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Tolvik\\Pellamo]\r\n"SaveID"=dword:00000001\r\n"SavePW"=dword:00000001\r\n"ID"="%s"\r\n"PW"="%s"\r\n' "$1" "$2" > "$store"
}

# A visible window of a process by its name, once it is mapped.
find_window() { find_window_within "$1" "$2" 15; }
find_window_within() { # pid name seconds
    local id
    for _ in $(seq $(($3 * 10))); do
        id=$(xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$1" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# A visible window of a name whose owner runs the program of path and is none of the pids given: a copy
# started through another program (a tracer) is found by what it shows, not by guessing its pid.
find_window_of_program() { # path name pid-to-skip...
    local path=$1 name=$2 id owner skip
    shift 2
    for _ in $(seq 150); do
        for id in $(xdotool search --all --onlyvisible --name "$name" 2>/dev/null); do
            owner=$(xdotool getwindowpid "$id" 2>/dev/null) || continue
            [ "$(readlink "/proc/$owner/exe" 2>/dev/null)" = "$path" ] || continue
            skip=0
            for pid in "$@"; do [ "$owner" = "$pid" ] && skip=1; done
            [ $skip -eq 0 ] && { echo "$id"; return 0; }
        done
        sleep 0.1
    done
    return 1
}

# "x y width height" as the X server has them.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'
}

ends_within() { # pid
    for _ in $(seq 100); do
        kill -0 "$1" 2>/dev/null || { wait "$1" 2>/dev/null; return 0; }
        sleep 0.1
    done
    return 1
}

# No window manager runs here: give a window the focus ourselves, then press Enter as a user would.
dismiss() { xdotool windowfocus --sync "$1" && xdotool key Return; }
