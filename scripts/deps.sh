#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need. Does nothing when all are
# present, so that repeated runs cost no time.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ pkg-config
    # Qt 6 and what its CMake files look for
    qt6-base-dev qt6-base-dev-tools libgl-dev
    # the browser helper only; the widget itself never links the web engine
    qt6-webengine-dev libqt6webenginecore6-bin
    # benchmarks: the INI library the parsers are compared with
    libinih-dev
    # tests and checks
    libgtest-dev clang-tidy clang-format
    # fuzzing: libFuzzer comes with clang's runtime libraries
    clang libclang-rt-dev
    # real windows under a virtual X server, screenshots, driving the windows as a user
    xvfb xauth x11-utils xdotool imagemagick strace trayer
    # the skin's fonts: NanumGothic stands in for "굴림", Liberation Sans for "Arial"
    fonts-nanum fonts-liberation2
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
