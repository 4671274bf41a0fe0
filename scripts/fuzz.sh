#!/usr/bin/env bash
# fuzz.sh [SECONDS]: builds the libFuzzer targets with clang 14, replays each committed seed corpus,
# then fuzzes each target for SECONDS (default 60). Any crash, leak or sanitizer report fails it.
# New inputs go to build/fuzz/corpus/<target>; the committed seeds are never changed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/setup.sh fuzz
# fontconfig's own leaks are suppressed by the font code itself (src/platform/font/FontFaces.cpp).
status=0
for target in build/fuzz/fuzz/*_fuzz; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    seeds=fuzz/corpus/$name
    work=build/fuzz/corpus/$name
    mkdir -p "$work"
    dict=()
    if [ -f "fuzz/$name.dict" ]; then dict=(-dict="fuzz/$name.dict"); fi
    echo "== $name: replaying $seeds"
    "$target" "${dict[@]}" -runs=0 "$seeds" || status=1
    echo "== $name: fuzzing for ${seconds}s"
    "$target" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix=build/fuzz/ "$work" "$seeds" 2>&1 | tail -n 5 || status=1
done
exit $status
