#!/usr/bin/env bash
# run.sh: sets up and builds the reader, then starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh release
exec build/release/app/kestrova "$@"
