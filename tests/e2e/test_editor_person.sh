#!/usr/bin/env bash
# A person cuts points in the point and line editor: korvel starts with a
# lattice of 21 x 21 survey points; the person applies the load dialog,
# clicks Edit and Unstructured, takes a screen shot, clicks Cut and Inside,
# clicks four corners of a polygon over the lower left of the plot and
# Done, takes a second screen shot, and leaves with Done, eXit and the keys
# F and X. Inside the polygon the first picture shows point markers and the
# second none; the log holds the polygon's corners.
#
# Clicks go by label through the layout log (person.sh).
. "$(dirname "$0")/session.sh"
for j in $(seq 0 20); do
  for i in $(seq 0 20); do echo "$((1000 + 5 * i)) $((2000 + 5 * j)) 10"; done
done > lattice.xyz

start_korvel lattice.xyz
# Non-white pixels in the plot's lower left (where the polygon goes).
marks() { convert "$work/$1.png" -crop 230x230+160+420 +repage -fill black +opaque white -format '%[fx:round((1-mean)*w*h)]' info:; }

click_on Apply
wait_log '^found      441 points'
click_on Edit
click_on Unstructured
wait_for_menu Cut
shot before
click_on Cut
click_on Inside
sleep 0.5
for corner in "150 680" "400 680" "400 410" "150 410"; do
  # shellcheck disable=SC2086
  xdotool mousemove --window "$wid" $corner click 1
  sleep 0.3
done
click_on Done    # the polygon
wait_for_menu Replot  # the Cut menu again, over the redrawn picture
shot after
click_on Done    # Cut
click_on eXit
sleep 0.5
quit

grep -q 'waiting for cursor input' outp || fail "no polygon was asked for"
[ "$(grep -c ' /$' outp)" -ge 4 ] || fail "the polygon's corners are not in the log"
before=$(marks before)
after=$(marks after)
echo "non-white pixels in the polygon: before $before, after $after"
[ "$before" -gt 200 ] || fail "no points were shown before the cut"
[ "$after" -lt $((before / 10)) ] || fail "the points inside the polygon are still shown"
echo "editor person session ok"
