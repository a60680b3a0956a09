#!/usr/bin/env bash
# Profiles the widget polling the simulator's feed every second (RefreshRate 1) on a private virtual X
# server: perf samples the widget's process, all threads, for the given seconds, and the top entries are
# printed by thread and by function. bench/RESULTS.md keeps them from before and after a change.
#   bash bench/poll_profile.sh [BUILD_DIR] [SECONDS]
set -u
source "$(dirname "$0")/lib.sh" "${1:-}"
seconds=${2:-60}
sed -i "s/^RefreshRate=.*/RefreshRate=1/" "$work/bin/Pellamo.ini"
"$work/bin/pellamo" & app=$!
find_window $app "내부용 위젯" >/dev/null
sleep 3
perf record -q -F ${FREQ:-997} -p $app -o "$work/perf.data" -- sleep "$seconds" 2>/dev/null
stop $app
echo "Samples by thread:"
perf report -q -i "$work/perf.data" --stdio --no-children --sort comm 2>/dev/null | sed '/^$/d' | head -n 8
echo
echo "Top functions (thread, library, symbol):"
perf report -q -i "$work/perf.data" --stdio --no-children --sort comm,dso,sym 2>/dev/null | sed '/^$/d' | head -n 25
