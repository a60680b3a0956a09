#!/usr/bin/env bash
# Opt-in start of the widget with the user's desktop session:
#   scripts/autostart.sh enable [PROGRAM]   (PROGRAM: the installed pellamo, default: the one on PATH)
#   scripts/autostart.sh disable
set -euo pipefail
entry=${XDG_CONFIG_HOME:-$HOME/.config}/autostart/pellamo.desktop
case "${1:-}" in
enable)
    program=${2:-$(command -v pellamo || true)}
    [ -n "$program" ] && [ -x "$program" ] || { echo "no pellamo program found; give its path" >&2; exit 1; }
    mkdir -p "$(dirname "$entry")"
    sed "s|^Exec=.*|Exec=\"$program\"|" "$(dirname "$0")/../packaging/pellamo.desktop" > "$entry.tmp"
    echo "X-GNOME-Autostart-enabled=true" >> "$entry.tmp"
    mv "$entry.tmp" "$entry"
    echo "the widget starts with the session: $entry"
    ;;
disable)
    rm -f "$entry"
    echo "the widget no longer starts with the session"
    ;;
*)
    echo "usage: $0 enable [PROGRAM] | disable" >&2
    exit 2
    ;;
esac
