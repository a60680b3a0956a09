#!/usr/bin/env bash
# The bug-finding checks of .clang-tidy over every source file of ours that the build compiles, as the
# build's compile database lists them (so a new file is checked without anyone adding it here).
# Usage: tidy.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
root=$2
database="$build/compile_commands.json"
[ -f "$database" ] || { echo "no compile database in $build" >&2; exit 1; }

# Each file once, though the core is compiled twice (plain and instrumented); generated files and
# the tests are not ours to hold to these checks.
mapfile -t files < <(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$database" |
    grep -E "^$root/(src|tools)/" | sort -u)
[ ${#files[@]} -gt 0 ] || { echo "the compile database lists none of our sources" >&2; exit 1; }
echo "clang-tidy over ${#files[@]} files"
cd "$root"
printf '%s\0' "${files[@]}" | xargs -0 -n 4 -P 2 clang-tidy -p "$build" --quiet
