#!/usr/bin/env bash
# run.sh [ARGUMENTS]: installs what building and running need (only what is missing), builds the
# run preset and opens the reader in a window. Without a display (neither DISPLAY nor
# WAYLAND_DISPLAY set) the reader runs headless and writes a screenshot, whose path is printed.
# Arguments go to the reader ("scripts/run.sh --registry my.reg"); a text number, "index" or
# "--stats" go to the dump tool instead ("scripts/run.sh 17").
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh run
build=build/run
program=$build/app/kestrova
dump=$build/tools/dump/kestrova-dump

if [ $# -gt 0 ] && [[ "$1" =~ ^([0-9]+|index|--stats)$ ]]; then exec "$dump" "$@"; fi

# Article 1 as text and as the pane draws it: shown only when the reader itself cannot run.
fallback() {
    echo "$1; showing article 1 through the dump tool instead."
    "$dump" 1
    echo
    "$dump" 2
    local picture=$PWD/$build/kestrova-article-1.png
    $build/tools/render/kestrova-render --article 1 --width 480 --height 800 --out "$picture" >/dev/null
    echo
    echo "Article 1 as the reader draws it: $picture"
}

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    status=0
    "$program" "$@" || status=$?
    if [ "$status" -ne 0 ]; then fallback "The reader stopped with status $status"; fi
    exit "$status"
fi

picture=$PWD/$build/kestrova-screenshot.png
rm -f "$picture"
echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): running the reader headless."
status=0
"$program" "$@" --headless -e "screenshot $picture; quit" || status=$?
if [ "$status" -eq 0 ] && [ -s "$picture" ]; then
    echo "The reader's screen, headless: $picture"
else
    if [ "$status" -eq 0 ]; then fallback "The reader ran but wrote no screenshot (this build has no headless screen yet)"
    else fallback "The reader could not run headless (status $status)"; fi
fi
