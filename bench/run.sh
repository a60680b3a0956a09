#!/usr/bin/env bash
# Runs every benchmark once, on a private virtual X server (96 DPI) against the simulator, and prints
# the figures and ratios as Markdown (bench/RESULTS.md is made from it). Nothing here passes or fails.
#   bash bench/run.sh [BUILD_DIR]
set -u
source "$(dirname "$0")/lib.sh" "${1:-}"

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
echo "| widget (remembered sign-in against the simulator, no version file) | $widget_ms | $(ratio "$widget_ms" "$bare_ms") |"
echo

echo "## Idle cost: clock repaints and polls (120 s each, the bare window running alongside)"
echo
hz=$(getconf CLK_TCK)
secs() { awk -v t="$1" -v hz="$hz" 'BEGIN{printf "%.2f", t / hz}'; }
echo "| run | bare window CPU s | widget CPU s | widget % of a core | feed polls | ratio |"
echo "| --- | --- | --- | --- | --- | --- |"
for rate in 30 1; do
    sed -i "s/^RefreshRate=.*/RefreshRate=$rate/" "$work/bin/Pellamo.ini"
    "$bench/bare-window" & bare=$!
    "$work/bin/pellamo" & app=$!
    find_window $app "내부용 위젯" >/dev/null
    sleep 5
    b0=$(cpu_ticks $bare); w0=$(cpu_ticks $app); r0=$(grep -c "GET /wginfo" "$work/requests")
    sleep 120
    b1=$(cpu_ticks $bare); w1=$(cpu_ticks $app); r1=$(grep -c "GET /wginfo" "$work/requests")
    label="RefreshRate $rate"
    [ $rate = 30 ] && label="idle (RefreshRate 30, as the sample file)"
    [ $rate = 1 ] && label="accelerated hour (RefreshRate 1: an hour is thirty times this)"
    echo "| $label | $(secs $((b1 - b0))) | $(secs $((w1 - w0))) | $(awk -v t=$((w1 - w0)) -v hz="$hz" 'BEGIN{printf "%.3f", t / hz / 1.2}') | $((r1 - r0)) | $(ratio $((w1 - w0)) $((b1 - b0))) |"
    [ $rate = 1 ] && break
    stop $app; stop $bare
done
echo
echo "Ratios of CPU ticks ($hz a second); the bare window repaints every second, the widget wakes every second"
echo "for its clock (repainted when the minute changes), downloads the feed every RefreshRate seconds, each"
echo "with a fresh connection, and repaints the figures that changed."
echo

echo "## Memory (PSS, all processes)"
echo
bare_pss=$(tree_pss $bare)
widget_pss=$(tree_pss $app)
bare_rss=$(kb $bare Rss)
widget_rss=$(kb $app Rss)
read -r x y _ _ < <(geometry "$(find_window $app "내부용 위젯")")
xdotool mousemove $((x + 136)) $((y + 102)) click 1
for _ in $(seq 300); do helper=$(pgrep -f "^$work/bin/pellamo-web" | head -n 1); [ -n "$helper" ] && break; sleep 0.1; done
sleep 6
both_pss=$(tree_pss $app) # the helper and its engine processes are its descendants
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
echo "| widget alone, resident (RSS) | $widget_rss | bare Qt window's RSS $bare_rss | $(ratio "$widget_rss" "$bare_rss") |"
echo "| bare QWebEngineView app with the map page | $view_pss | | |"
echo "| widget + helper with the map page open | $both_pss | bare QWebEngineView app | $(ratio "$both_pss" "$view_pss") |"
echo

echo "## Parser throughput against libinih on the same bytes"
echo
"$bench/parser-bench"
echo
