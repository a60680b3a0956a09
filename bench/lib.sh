# Sourced by the benchmarks: a private virtual X server, the program and its helper installed in a
# scratch folder with remembered credentials and the simulator, and the measuring helpers. Sets root,
# build, bench and work; everything is ended and removed at exit.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
bench=$build/bench
source "$root/scripts/xvfb.sh"
start_xvfb >/dev/null || exit 1
source "$root/tests/xvfb/lib.sh"
trap 'cleanup; stop_xvfb' EXIT
install_program "$build/pellamo"
cp "$build/pellamo-web" "$work/bin/pellamo-web"
start_sim "$build/dispatch-sim" --user demo:demo:00
write_environment
remember_login demo demo

median() { sort -n | awk '{v[NR]=$1} END{print v[int((NR+1)/2)]}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{ if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
# A figure of /proc/PID/smaps_rollup in kB (Rss, Pss).
kb() { awk -v f="$2" '$1 == f":" {print $2}' "/proc/$1/smaps_rollup" 2>/dev/null; }
tree() { local p=$1 c; echo "$p"; for c in $(pgrep -P "$p"); do tree "$c"; done; }
# PSS of processes and all their descendants, in kB.
tree_pss() { local sum=0 p q v; for p in "$@"; do for q in $(tree "$p"); do v=$(kb "$q" Pss); sum=$((sum + ${v:-0})); done; done; echo $sum; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
stop() { kill "$1" 2>/dev/null; wait "$1" 2>/dev/null; }
