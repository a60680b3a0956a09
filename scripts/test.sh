#!/usr/bin/env bash
# Installs what is missing, builds, starts a virtual X server, runs every test with ctest (unit,
# sanitizer and real-window tests) and stops the server again. Ends with ctest's summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"

source "$root/scripts/xvfb.sh"
trap stop_xvfb EXIT
start_xvfb
start_tray
ctest --test-dir "$root/build" -j2 --output-on-failure --timeout 300
