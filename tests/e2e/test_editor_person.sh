#!/usr/bin/env bash
# A person cuts points in the point and line editor: korvel starts with a
# lattice of 21 x 21 survey points; the person applies the load dialog,
# clicks Edit and Unstructured, takes a screen shot, clicks Cut and Inside,
# clicks four corners of a polygon over the lower left of the plot and
# Done, takes a second screen shot, and leaves with Done, eXit and the keys
# F and X. Inside the polygon the first picture shows point markers and the
# second none; the log holds the polygon's corners.
#
# Clicks go by label through the layout log (see test_click_through.sh).
set -euo pipefail
: "${KORVEL:?}" "${KORVEL_SOURCE_DIR:?}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/run"
cd "$work/run"
layout=$work/layout.log
for j in $(seq 0 20); do
  for i in $(seq 0 20); do echo "$((1000 + 5 * i)) $((2000 + 5 * j)) 10"; done
done > lattice.xyz

SKETRA_LAYOUT_LOG=$layout timeout 120 "$KORVEL" lattice.xyz > "$work/korvel.out" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Korvel_4\.01$' | head -1)
fail() { echo "$*"; kill "$pid" 2>/dev/null || true; exit 1; }

. "$KORVEL_SOURCE_DIR/tests/e2e/person.sh"  # click_on LABEL, wait_for_menu LABEL
wait_for() {
  for _ in $(seq 300); do
    tail -n "+$((seen + 1))" "$layout" | grep -q " $1\$" && return 0
    sleep 0.1
  done
  fail "\"$1\" was not drawn"
}
# Non-white pixels in the plot's lower left (where the polygon goes).
marks() { convert "$1" -crop 230x230+160+420 +repage -fill black +opaque white -format '%[fx:round((1-mean)*w*h)]' info:; }

click_on Apply
for _ in $(seq 100); do grep -q '^found      441 points' outp 2>/dev/null && break; sleep 0.2; done
click_on Edit
click_on Unstructured
wait_for Cut
sleep 1
import -window "$wid" "$work/before.png"
click_on Cut
click_on Inside
sleep 0.5
for corner in "150 680" "400 680" "400 410" "150 410"; do
  # shellcheck disable=SC2086
  xdotool mousemove --window "$wid" $corner click 1
  sleep 0.3
done
click_on Done    # the polygon
wait_for Replot  # the Cut menu again, over the redrawn picture
sleep 1
import -window "$wid" "$work/after.png"
click_on Done    # Cut
click_on eXit
sleep 0.5
xdotool mousemove --window "$wid" 500 400
xdotool key f
sleep 0.3
xdotool key x
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || { echo "exit status $status"; cat "$work/korvel.out"; exit 1; }

grep -q 'waiting for cursor input' outp || fail "no polygon was asked for"
[ "$(grep -c ' /$' outp)" -ge 4 ] || fail "the polygon's corners are not in the log"
before=$(marks "$work/before.png")
after=$(marks "$work/after.png")
[ -n "${KORVEL_SHOTS:-}" ] && cp "$work"/*.png "$KORVEL_SHOTS"/
echo "non-white pixels in the polygon: before $before, after $after"
[ "$before" -gt 200 ] || fail "no points were shown before the cut"
[ "$after" -lt $((before / 10)) ] || fail "the points inside the polygon are still shown"
echo "editor person session ok"
