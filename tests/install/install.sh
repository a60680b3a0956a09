#!/usr/bin/env bash
# cmake --install into a fresh prefix: the widget and its helper side by side, the menu entry naming
# a program and an icon that are there.
set -u
build=$1
prefix=$(mktemp -d /tmp/pellamo-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
[ -x "$prefix/bin/pellamo" ] || fail "no widget"
[ -x "$prefix/bin/pellamo-web" ] || fail "no browser helper beside the widget"
desktop=$prefix/share/applications/pellamo.desktop
[ -f "$desktop" ] || fail "no menu entry"
grep -qx "Exec=pellamo" "$desktop" || fail "the menu entry does not run the widget"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$prefix/share/icons/hicolor/32x32/apps/$icon.png" ] || fail "the icon the entry names is missing"
ldd "$prefix/bin/pellamo" | grep -qi webengine && fail "the widget links the web engine"
nm -C "$build/pellamo" | grep -E 'CWebDlg|CWeatherDlg|CFactoryDlg|CDockedPageDlg|CWebHost|CExplorer1' &&
    fail "the widget carries code of the helper's windows"
echo "install: ok"
