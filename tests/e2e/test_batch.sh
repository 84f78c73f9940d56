#!/usr/bin/env bash
# Batch runs: with SKETRA_BATCH=1 korvel ends with status 3 and a message on
# standard error as soon as it would wait for a person -- when the script
# runs out at a menu, when a dialog drops a script it cannot use, when there
# is no script at all, and after a flood of keys no menu knows. What was
# done before stays in the log.
. "$(dirname "$0")/session.sh"
cp "$ex/river_points.xyz" points.xyz

# batch NAME FILE... : runs korvel on the script NAME with SKETRA_BATCH=1 and
# expects the batch end within 30 s (input that kept korvel busy for good
# ends as the timeout's status 124).
batch() {
  local script=$1
  shift
  local status=0
  SKETRA_BATCH=1 SKETRA_SCRIPT=$script timeout 30 "$KORVEL" "$@" > out.txt 2> err.txt || status=$?
  [ "$status" -eq 3 ] || fail "$script: exit status $status, not 3"
  grep -qx 'korvel: the script ended while an answer was awaited (SKETRA_BATCH=1)' err.txt ||
    fail "$script: no message on standard error"
}

printf 'D\nF\n' > runs_out
batch runs_out points.xyz
grep -qx 'found    29993 points (        0 edges)' outp || fail "the load before the end is not in the log"

printf 'hello\nD\n' > dropped
batch dropped points.xyz
grep -qx '\*\*error: unknown script line: hello' outp || fail "the dropped line is not in the log"

: > empty
batch empty

awk 'BEGIN { for (i = 0; i < 8000; ++i) print "q" }' > keys
batch keys

# Input that once kept korvel busy for good ends promptly: an option block
# never closed (one, and 100,000 on one line), a 10 MB script line, a binary
# script, and in the grid viewer queries at non-finite and huge co-ordinates
# and a section along a polygon of 1e308 vertices.
printf '>>unstruct\n{name\nxyz /\n1 2 3\n' > open.unstruct
awk 'BEGIN { printf ">>unstruct\n"; for (i = 0; i < 100000; ++i) printf "{a "; print ""; print "xyz /"; print "1 2 3" }' > deep.unstruct
printf 'D\n' > apply
batch apply open.unstruct
batch apply deep.unstruct
grep -q '^ >>$' outp || fail "the unclosed blocks did not reach the end of the file"
awk 'BEGIN { s = "x"; while (length(s) < 10000000) s = s s; print s }' > long_line
batch long_line
# The binary script is the same every run, and holds no "X", "x" or "#":
# a line starting with those could choose File -> eXit, which rightly ends
# korvel with status 0 (random bytes did so in about one run of thirty).
python3 -c 'import random, sys; sys.stdout.buffer.write(random.Random(11).randbytes(200000))' | tr -d 'Xx#' > binary
batch binary
cp "$ex/river_grid.asc" grid.asc
printf '1e308 1e308\n-1e308 1e308\n-1e308 -1e308\n1e308 -1e308\n' > huge.txt
printf 'E\n2\nN nan nan\nE nan nan\nN inf -inf\nE 1e308 -1e308\nI\nS\nhuge.txt\nD\nA\nO\n=500\nF\nR\nhuge.txt\nD\nD\n' > viewer
batch viewer grid.asc

# Without SKETRA_BATCH a finished script leaves korvel waiting for a
# person: it is still running when the timeout ends it.
status=0
SKETRA_SCRIPT=runs_out timeout 3 "$KORVEL" points.xyz > out.txt 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "without SKETRA_BATCH korvel did not wait (status $status)"
echo "batch runs ok"
