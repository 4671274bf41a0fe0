#!/usr/bin/env bash
# run.sh [DUMP ARGUMENTS]: sets up and builds the reader, then shows article 1 (its main text and
# its commentary) through the dump tool, until the reader's own window exists. Arguments go to
# the dump tool instead: "scripts/run.sh 17", "scripts/run.sh index", "scripts/run.sh --stats".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh release
dump=build/release/tools/dump/kestrova-dump
if [ $# -gt 0 ]; then exec "$dump" "$@"; fi
"$dump" 1
echo
exec "$dump" 2
