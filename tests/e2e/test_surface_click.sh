#!/usr/bin/env bash
# A person looks at a triangulated surface: korvel starts with a node file
# (a tilted plane, z = 400 + 0.1 x + 0.05 y over 200 x 150 m, its element
# file beside it), Map is clicked, the shaded surface appears (screen shot:
# the value classes fill the plot in many colours), Examine is clicked and
# then a point in the plot; the value reported in the log lies on the
# plane. The key x leaves the viewer, f and x leave korvel.
#
# Clicks go by label (person.sh), the plot point by the middle of the plot
# frame, which the surface fills.
. "$(dirname "$0")/session.sh"

# 21 x 16 nodes 10 m apart from (2600000, 1200000), two triangles per cell.
. "$e2e/surface/plane.sh"  # plane.node, plane.ele

start_korvel plane.node
click_on Map
wait_for_menu Examine   # the viewer's menu: the picture is drawn
shot surface
n=$(colours surface 100%x100%)
[ "$n" -ge 12 ] || fail "the surface shows $n colours only"

click_on Examine
sleep 0.5
# The middle of the plot frame: left of the menu column, below the titles.
read -r ww wh < <(xdotool getwindowgeometry "$wid" | awk '/Geometry/ { split($2, g, "x"); print g[1], g[2] }')
xdotool mousemove --window "$wid" $((ww * 2 / 5)) $((wh / 2)) click 1
sleep 1
leave_viewer
grep -qx " found       600 triangles" outp || fail "no triangle count in outp"
# The log reaches the disk when the viewer has returned.
line=$(grep -m1 '^(X,Y):.*  F:' outp) || fail "no Examine line in outp"
awk -v l="$line" 'BEGIN {
  n = split(l, w, /[ :]+/)
  want = 400 + (w[2] - 2600000) * 0.1 + (w[3] - 1200000) * 0.05
  if (w[n] - want > 0.02 || want - w[n] > 0.02) { print "F", w[n], "off the plane:", want; exit 1 } }'
echo "surface click session ok"
