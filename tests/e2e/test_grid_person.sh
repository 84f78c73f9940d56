#!/usr/bin/env bash
# A person grids the example survey points: korvel is started with the
# point file; the person applies the load dialog, clicks Grid and Invers,
# accepts the proposed geometry and the search radius, waits for the
# contour viewer, takes a screen shot, leaves the viewer with eXit, names
# the set "river"; then starts a second, long gridding (radius 2000 m) and
# stops it with Escape, and ends korvel with the keys F and X. The log must
# say the first set was stored and the second gridding stopped; the screen
# shot must show the grid filled in the value classes' colours.
#
# Clicks go by label through the layout log (see test_click_through.sh).
set -euo pipefail
: "${KORVEL:?}" "${KORVEL_SOURCE_DIR:?}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/run"
cd "$work/run"
layout=$work/layout.log

SKETRA_LAYOUT_LOG=$layout timeout 120 "$KORVEL" "$KORVEL_SOURCE_DIR/examples/river_points.xyz" \
  > "$work/korvel.out" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Korvel_4\.01$' | head -1)
fail() { echo "$*"; kill "$pid" 2>/dev/null || true; exit 1; }

. "$KORVEL_SOURCE_DIR/tests/e2e/person.sh"  # click_on LABEL, wait_for_menu LABEL

click_on Apply   # the load dialog
for _ in $(seq 100); do
  grep -q '^found    29993 points' outp 2>/dev/null && break
  sleep 0.2
done
click_on Grid
click_on Invers
click_on Apply   # the proposed geometry
click_on Apply   # search radius 10 m, quadrant search
# The viewer's menu appears once the grid is drawn.
for _ in $(seq 300); do
  tail -n "+$((seen + 1))" "$layout" | grep -q ' Alter$' && break
  sleep 0.1
done
sleep 1
import -window "$wid" "$work/viewer.png"
click_on eXit
sleep 0.5
xdotool type --delay 20 "river"
xdotool key Return
for _ in $(seq 50); do grep -q 'DATA STORED' outp && break; sleep 0.1; done

# A second gridding with a radius of 2000 m, which takes long: the person
# presses Escape while the bar runs, and nothing is stored.
click_on Grid
click_on Invers
click_on Apply   # the proposed geometry
click_on "Search Radius[m]"
sleep 0.3
xdotool key --delay 30 BackSpace BackSpace BackSpace BackSpace
xdotool type --delay 30 "2000"
xdotool key Return
click_on Apply
sleep 0.3
xdotool key Escape
for _ in $(seq 100); do grep -q 'gridding interrupted' outp && break; sleep 0.1; done
xdotool mousemove --window "$wid" 500 400
xdotool key f
sleep 0.3
xdotool key x
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || { echo "exit status $status"; cat "$work/korvel.out"; exit 1; }

grep -qx 'DATA STORED AS NUMBER    1' outp || fail "the set was not stored"
grep -qx 'gridding interrupted: nothing changed' outp || fail "Escape did not stop the gridding"
! grep -q 'DATA STORED AS NUMBER    2' outp || fail "the stopped gridding stored a set"

# The screen shot: the plot is filled with many colours (the value
# classes and their legend).
colours=$(convert "$work/viewer.png" -crop 900x650+70+40 +repage -format '%k' info:)
echo "colours in the plot: $colours"
[ "$colours" -gt 12 ] || fail "the grid is not filled in its classes' colours"
echo "grid person session ok"
