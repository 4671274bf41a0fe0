#!/usr/bin/env bash
# xvfb-run-tests.sh COMMAND [ARG...]: runs COMMAND against a virtual X display of its own (Xvfb on
# a free display number, chosen by the server itself), then stops that server. Exits with
# COMMAND's status, or 77 (CTest's "skipped") with a message when Xvfb is missing or cannot start,
# so the desktop tests skip cleanly where no X server can run.
set -u

if ! command -v Xvfb >/dev/null 2>&1; then
    echo "xvfb-run-tests: Xvfb is not installed (scripts/setup.sh installs it); skipping"
    exit 77
fi

work=$(mktemp -d)
server=
cleanup() {
    if [ -n "$server" ] && kill -0 "$server" 2>/dev/null; then
        kill "$server" 2>/dev/null
        wait "$server" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# -displayfd: the server picks a free number and writes it once it accepts connections.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/log" &
server=$!
for _ in $(seq 100); do
    if [ -s "$work/display" ] || ! kill -0 "$server" 2>/dev/null; then break; fi
    sleep 0.05
done
number=$(head -n 1 "$work/display" 2>/dev/null)
if [ -z "$number" ]; then
    echo "xvfb-run-tests: Xvfb could not start; skipping. Its log:"
    cat "$work/log"
    exit 77
fi

DISPLAY=":$number" "$@"
status=$?
exit "$status"
