#!/usr/bin/env bash
# Without an X display korvel says so and ends with status 1 before it
# touches anything: no log file is written.
set -euo pipefail
: "${KORVEL:?}" "${KORVEL_SOURCE_DIR:?}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
status=0
env -u DISPLAY timeout 60 "$KORVEL" "$KORVEL_SOURCE_DIR/examples/river_points.xyz" > out.txt 2> err.txt || status=$?
[ "$status" -eq 1 ] || { echo "exit status $status"; exit 1; }
[ "$(cat out.txt)" = " Cannot open display...aborting" ] || { cat out.txt; exit 1; }
[ ! -e outp ]
