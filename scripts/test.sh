#!/usr/bin/env bash
# test.sh: installs what building, running and testing need (only what is missing), builds with
# warnings as errors, then runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --with-tests ci
ctest --preset ci -j2
