#!/usr/bin/env bash
# A bounded fuzzing run of one target from its corpus:
#   run.sh BINARY CORPUS SECONDS [RUNS]
# New inputs go to a scratch folder that is removed afterwards, so the committed corpus only changes
# by hand. A finding fails the run and is printed (hex) so that it can be added to the corpus.
set -u
binary=$1
corpus=$2
seconds=$3
runs=${4:--1}
work=$(mktemp -d /tmp/pellamo-fuzz-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/new"
export TMPDIR=$work
"$binary" -max_total_time="$seconds" -runs="$runs" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/" "$work/new" "$corpus" > "$work/log" 2>&1
status=$?
grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb|cov: .*(DONE|INITED)" "$work/log" | tail -n 3
if [ $status -ne 0 ]; then
    tail -n 60 "$work/log"
    for finding in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
        [ -e "$finding" ] || continue
        echo "finding $(basename "$finding"):"
        od -A x -t x1z -v "$finding" | head -n 40
    done
    exit 1
fi
