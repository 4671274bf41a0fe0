#!/usr/bin/env bash
# run.sh [DUMP ARGUMENTS]: sets up and builds the reader, then shows article 1 (its main text and
# its commentary) through the dump tool, and article 1 as a picture, until the reader's own window
# exists. Arguments go to the dump tool instead: "scripts/run.sh 17", "scripts/run.sh index",
# "scripts/run.sh --stats".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh release
dump=build/release/tools/dump/kestrova-dump
if [ $# -gt 0 ]; then exec "$dump" "$@"; fi
"$dump" 1
echo
"$dump" 2
# Article 1 as the reader's pane draws it, written as a picture (opened when there is a display).
picture=build/release/kestrova-article-1.png
build/release/tools/render/kestrova-render --article 1 --width 480 --height 800 --out "$picture" >/dev/null
echo
echo "Article 1 as the reader draws it: $PWD/$picture"
if { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; } && command -v xdg-open >/dev/null; then
    xdg-open "$picture" >/dev/null 2>&1 || true
fi
