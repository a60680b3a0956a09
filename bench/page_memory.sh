#!/usr/bin/env bash
# Memory of the widget around its page windows, on a virtual X server against the simulator: the
# widget's resident and proportional set before the first page opens and after each of N openings
# and closings of the map page (the browser helper starts and ends each time), the helper's own
# (with the engine's processes) while the page is open, and a bare Qt window's for comparison.
# Prints figures and ratios; it never passes or fails.
#   bench/page_memory.sh [BUILD_DIR] [CYCLES]
set -u
cycles=${2:-50}
source "$(dirname "$0")/lib.sh" "${1:-}"

helpers() { pgrep -f "^$work/bin/pellamo-web" | head -n 1; }

"$bench/bare-window" & bare=$!; pids+=($bare)
"$work/bin/pellamo" & app=$!; pids+=($app)
widget=$(find_window $app "내부용 위젯") || fail "no widget"
read -r x y _ _ < <(geometry "$widget")
sleep 3
bare_rss=$(kb $bare Rss); bare_pss=$(kb $bare Pss)
rss0=$(kb $app Rss); pss0=$(kb $app Pss)
max_rss=$rss0; helper_first=""; helper_last=""
for i in $(seq "$cycles"); do
    xdotool mousemove $((x + 136)) $((y + 102)) click 1
    page=""
    for _ in $(seq 300); do
        hp=$(helpers)
        [ -n "$hp" ] && page=$(xdotool search --all --onlyvisible --pid "$hp" 2>/dev/null | head -n 1)
        [ -n "$page" ] && break
        sleep 0.1
    done
    [ -n "$page" ] || fail "cycle $i: no page window"
    for _ in $(seq 100); do grep -c "GET /map?" "$work/requests" | grep -qx "$i" && break; sleep 0.1; done
    sleep 1
    h=$(tree_pss "$hp")
    [ -z "$helper_first" ] && helper_first=$h
    helper_last=$h
    eval "$(xdotool getwindowgeometry --shell "$page")"
    xdotool mousemove $((X + 1004)) $((Y + 14)) click 1
    for _ in $(seq 150); do [ -z "$(helpers)" ] && break; sleep 0.1; done
    [ -z "$(helpers)" ] || fail "cycle $i: the helper did not end"
    r=$(kb $app Rss)
    [ "$r" -gt "$max_rss" ] && max_rss=$r
done
sleep 2
rss1=$(kb $app Rss); pss1=$(kb $app Pss)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.2f", a / b}'; }
echo "machine: $(nproc) cores, $(awk '/MemTotal/{printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(uname -sr)"
echo "bare Qt window:            RSS ${bare_rss} kB, PSS ${bare_pss} kB"
echo "widget before first page:  RSS ${rss0} kB, PSS ${pss0} kB (RSS x$(ratio "$rss0" "$bare_rss") of bare)"
echo "widget after $cycles pages:    RSS ${rss1} kB, PSS ${pss1} kB (RSS x$(ratio "$rss1" "$bare_rss") of bare), highest RSS ${max_rss} kB"
echo "helper with one page open: PSS ${helper_first} kB at the first opening, ${helper_last} kB at the last (all its processes)"
