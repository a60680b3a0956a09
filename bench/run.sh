#!/usr/bin/env bash
# Runs every benchmark once, on a private virtual X server (96 DPI) against the simulator, and prints
# the figures and ratios as Markdown (bench/RESULTS.md is made from it). Nothing here passes or fails.
#   bash bench/run.sh [BUILD_DIR]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
source "$root/scripts/xvfb.sh"
start_xvfb >/dev/null || exit 1
source "$root/tests/xvfb/lib.sh"
trap 'cleanup; stop_xvfb' EXIT
install_program "$build/pellamo"
cp "$build/pellamo-web" "$work/bin/pellamo-web"
start_sim "$build/dispatch-sim" --user demo:demo:00
write_environment
remember_login demo demo
bench=$build/bench

median() { sort -n | awk '{v[NR]=$1} END{print v[int((NR+1)/2)]}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{ if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
kb() { awk -v f="$2" '$1 == f":" {print $2}' "/proc/$1/smaps_rollup" 2>/dev/null; }
tree() { local p=$1 c; echo "$p"; for c in $(pgrep -P "$p"); do tree "$c"; done; }
tree_pss() { local sum=0 p v; for p in "$@"; do for p in $(tree "$p"); do v=$(kb "$p" Pss); sum=$((sum + ${v:-0})); done; done; echo $sum; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
stop() { kill "$1" 2>/dev/null; wait "$1" 2>/dev/null; }

# Milliseconds from launch to first paint: start it through launch-timer, wait for its report.
first_paint_ms() { # program...
    local mark=$work/first-paint out=$work/launch start pid
    rm -f "$mark"
    PELLAMO_FIRST_PAINT_FILE=$mark "$bench/launch-timer" "$@" > "$out" &
    pid=$!
    for _ in $(seq 300); do [ -s "$mark" ] && break; sleep 0.05; done
    start=$(head -n 1 "$out")
    [ -s "$mark" ] && echo $(( $(cat "$mark") - start ))
    stop $pid
}

echo "# Benchmark results"
echo
echo "Command: \`bash bench/run.sh build\` ($(date -u +%Y-%m-%d)). Machine: $(nproc) cores,"
echo "$(awk '/MemTotal/{printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(uname -sr), Qt $(qtpaths6 --qt-version 2>/dev/null || echo 6),"
echo "Xvfb 1280 x 1024 at 96 DPI, no GPU. Each ratio is against a baseline measured in the same run."
echo

echo "## Start-up to first paint (median of 7)"
echo
bare_ms=$(for _ in $(seq 7); do first_paint_ms "$bench/bare-window"; done | median)
widget_ms=$(for _ in $(seq 7); do first_paint_ms "$work/bin/pellamo"; done | median)
echo "| program | ms | ratio |"
echo "| --- | --- | --- |"
echo "| bare Qt window | $bare_ms | 1.00 |"
echo "| widget (remembered sign-in against the simulator, update check, first feed poll) | $widget_ms | $(ratio "$widget_ms" "$bare_ms") |"
echo

echo "## Idle cost: clock repaints and polls (RefreshRate 1, 120 s, both at once)"
echo
sed -i 's/^RefreshRate=.*/RefreshRate=1/' "$work/bin/Pellamo.ini"
"$bench/bare-window" & bare=$!
"$work/bin/pellamo" & app=$!
find_window $app "내부용 위젯" >/dev/null
sleep 5
b0=$(cpu_ticks $bare); w0=$(cpu_ticks $app); r0=$(grep -c "GET /wginfo" "$work/requests")
sleep 120
b1=$(cpu_ticks $bare); w1=$(cpu_ticks $app); r1=$(grep -c "GET /wginfo" "$work/requests")
hz=$(getconf CLK_TCK)
bare_cpu=$(awk -v t=$((b1 - b0)) -v hz="$hz" 'BEGIN{printf "%.2f", t / hz}')
widget_cpu=$(awk -v t=$((w1 - w0)) -v hz="$hz" 'BEGIN{printf "%.2f", t / hz}')
echo "| program | CPU s in 120 s | % of a core | ratio |"
echo "| --- | --- | --- | --- |"
echo "| bare Qt window, repainting every second | $bare_cpu | $(awk -v c="$bare_cpu" 'BEGIN{printf "%.3f", c / 1.2}') | 1.00 |"
echo "| widget: clock every second, $((r1 - r0)) feed polls | $widget_cpu | $(awk -v c="$widget_cpu" 'BEGIN{printf "%.3f", c / 1.2}') | $(ratio "$widget_cpu" "$bare_cpu") |"
echo
echo "An hour at RefreshRate 1 is thirty times this: about $(awk -v c="$widget_cpu" 'BEGIN{printf "%.0f", c * 30}') s of CPU for the widget."
echo

echo "## Memory (PSS, all processes)"
echo
bare_pss=$(tree_pss $bare)
widget_pss=$(tree_pss $app)
read -r x y _ _ < <(geometry "$(find_window $app "내부용 위젯")")
xdotool mousemove $((x + 136)) $((y + 102)) click 1
for _ in $(seq 300); do helper=$(pgrep -f "^$work/bin/pellamo-web" | head -n 1); [ -n "$helper" ] && break; sleep 0.1; done
sleep 6
both_pss=$(tree_pss $app $helper)
stop $app; stop $bare
for _ in $(seq 100); do pgrep -f "^$work/bin/pellamo-web" >/dev/null || break; sleep 0.1; done
"$bench/bare-webview" "http://127.0.0.1:$http_port/map?userId=demo" & view=$!
sleep 8
view_pss=$(tree_pss $view)
stop $view
echo "| what | PSS kB | against | ratio |"
echo "| --- | --- | --- | --- |"
echo "| bare Qt window | $bare_pss | | |"
echo "| widget alone | $widget_pss | bare Qt window | $(ratio "$widget_pss" "$bare_pss") |"
echo "| bare QWebEngineView app with the map page | $view_pss | | |"
echo "| widget + helper with the map page open | $both_pss | bare QWebEngineView app | $(ratio "$both_pss" "$view_pss") |"
echo

echo "## Parser throughput against libinih on the same bytes"
echo
"$bench/parser-bench"
echo
