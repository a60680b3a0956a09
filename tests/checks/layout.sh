#!/usr/bin/env bash
# The rooms of src/ and who may include whom: a file includes only its own room and the rooms below
# it, and the widget's windows and the helper's never include each other.
# Usage: layout.sh SOURCE_DIR
set -euo pipefail
cd "$1/src"

# Lowest first. ui/windows and browser share a rank: two programs' rooms, side by side.
rank() {
    case "$1" in
    platform) echo 0 ;;
    log) echo 1 ;;
    settings) echo 2 ;;
    serverlink) echo 3 ;;
    feed) echo 4 ;;
    weblink) echo 5 ;;
    ui/skin) echo 6 ;;
    ui/windows | browser) echo 7 ;;
    app) echo 8 ;;
    *) echo -1 ;;
    esac
}
room_of() {
    case "$1" in
    ui/*) echo "$1" | cut -d/ -f1-2 ;;
    *) echo "$1" | cut -d/ -f1 ;;
    esac
}

failures=0
while IFS= read -r file; do
    own=$(room_of "$file")
    own_rank=$(rank "$own")
    if [ "$own_rank" -lt 0 ]; then
        echo "$file: not in any room" >&2
        failures=$((failures + 1))
        continue
    fi
    while IFS= read -r included; do
        target=$(room_of "$included")
        target_rank=$(rank "$target")
        [ "$target_rank" -ge 0 ] || continue # resources and the like
        if [ "$target_rank" -gt "$own_rank" ] || { [ "$target_rank" -eq "$own_rank" ] && [ "$target" != "$own" ]; }; then
            echo "$file includes $included: $own may not reach $target" >&2
            failures=$((failures + 1))
        fi
    done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.cpp' -o -name '*.h' | sed 's|^\./||' | sort)

[ "$failures" -eq 0 ] || exit 1
echo "every include points to its own room or one below"
