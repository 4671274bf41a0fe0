#!/usr/bin/env bash
# test.sh: sets up and builds with warnings as errors, then runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh ci
ctest --preset ci -j2
