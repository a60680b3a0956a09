#!/usr/bin/env bash
# Redraws the skin bitmaps and icons into resources/ with tools/skin-art. Run after changing the art,
# look at the result, and commit the generator and the files together.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
"$root/build/skin-art" "$root/resources"
echo "skin written to $root/resources"
