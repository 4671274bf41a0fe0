#!/usr/bin/env bash
# setup.sh [PRESET...]: installs the Debian packages the project needs (only those missing, as root
# or through sudo), then configures and builds each preset named (default: release).
# Safe to run again: installed packages are skipped and the builds are incremental.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
    cmake ninja-build g++ cpp pkg-config
    clang-14 libclang-rt-14-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    binutils-mingw-w64-x86-64
    libfreetype-dev libfontconfig-dev libpng-dev libsdl2-dev libx11-dev
    fontconfig culmus fonts-dejavu-core
    unicode-data
)
# What only the tests use: a virtual X server for the desktop backend's tests, and the tools that
# type, click and use the clipboard on it as another program would.
TEST_PACKAGES=(
    xvfb xdotool xclip
)

missing=()
for package in "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    # sudo resets the environment, so the front end is passed on its command line through env.
    as_root=(env DEBIAN_FRONTEND=noninteractive)
    if [ "$(id -u)" -ne 0 ]; then as_root=(sudo env DEBIAN_FRONTEND=noninteractive); fi
    "${as_root[@]}" apt-get update -q
    "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

presets=("$@")
if [ ${#presets[@]} -eq 0 ]; then presets=(release); fi
for preset in "${presets[@]}"; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
