#!/usr/bin/env bash
# setup.sh [--with-tests] [PRESET...]: installs the Debian packages the project needs (only those
# missing, as root or through sudo), then configures and builds each preset named (default: run,
# the program and its tools without tests or benchmarks).
# PACKAGES are what building and running need; TEST_PACKAGES (tests, benchmarks, fuzzing and the
# package checks) are added by --with-tests, and by any preset but run, since every other preset
# builds the tests. Safe to run again: installed packages are skipped and builds are incremental.
# docs/SETUP.md says how much each set pulls onto a fresh Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."

# Building and running the reader.
PACKAGES=(
    cmake ninja-build g++ cpp pkg-config
    binutils-mingw-w64-x86-64
    libfreetype-dev libfontconfig-dev libpng-dev libsdl2-dev libx11-dev
    fontconfig culmus fonts-dejavu-core
)

# Only for the tests, benchmarks, fuzz targets and package checks.
TEST_PACKAGES=(
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    dpkg-dev desktop-file-utils
    unicode-data
    # A virtual X server for the desktop backend's tests, and the tools that type, click and use
    # the clipboard on it as another program would.
    xvfb xdotool xclip
    # A Wayland compositor that draws into a window of that X server: the demo in a pure Wayland session.
    weston
    # A word processor that opens the copied RTF (text and PDF), and the PDF page drawn as a PNG.
    libreoffice-writer-nogui poppler-utils
)

with_tests=0
presets=()
for arg in "$@"; do
    case "$arg" in
    --with-tests) with_tests=1 ;;
    -*) echo "usage: scripts/setup.sh [--with-tests] [PRESET...]" >&2; exit 2 ;;
    *) presets+=("$arg") ;;
    esac
done
if [ ${#presets[@]} -eq 0 ]; then presets=(run); fi
for preset in "${presets[@]}"; do
    if [ "$preset" != run ]; then with_tests=1; fi
done

wanted=("${PACKAGES[@]}")
if [ "$with_tests" -eq 1 ]; then wanted+=("${TEST_PACKAGES[@]}"); fi
missing=()
for package in "${wanted[@]}"; do
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

for preset in "${presets[@]}"; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
