#!/usr/bin/env bash
# Every C++ file of ours follows .clang-format; prints the files that do not, and fails.
# Usage: format.sh SOURCE_DIR
set -euo pipefail
cd "$1"
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' 2>/dev/null ||
    find src tests tools bench resources -name '*.cpp' -o -name '*.h')
[ ${#files[@]} -gt 0 ] || { echo "no C++ files found" >&2; exit 1; }
bad=()
for file in "${files[@]}"; do
    if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
        bad+=("$file")
    fi
done
if [ ${#bad[@]} -gt 0 ]; then
    printf 'not formatted (clang-format -i FILE):\n' >&2
    printf '  %s\n' "${bad[@]}" >&2
    exit 1
fi
echo "${#files[@]} files follow .clang-format"
