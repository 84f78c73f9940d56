#!/usr/bin/env bash
# Without an X display korvel says so and ends with status 1 before it
# touches anything: no log file is written.
. "$(dirname "$0")/session.sh"
status=0
env -u DISPLAY timeout 60 "$KORVEL" "$ex/river_points.xyz" > out.txt 2> err.txt || status=$?
[ "$status" -eq 1 ] || fail "exit status $status"
[ "$(cat out.txt)" = " Cannot open display...aborting" ] || fail "$(cat out.txt)"
[ ! -e outp ] || fail "a log was written"
