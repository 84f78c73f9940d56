#!/usr/bin/env bash
# A person looks at a surface, maps a node file onto it and writes it as
# 2DM: korvel starts with a tilted plane (z = 400 + 0.1 x + 0.05 y over 200
# x 150 m, its element file beside it); the person clicks Map (main menu):
# the shaded surface fills the plot in the value classes' colours (screen
# shot). Examine and a click in the middle of the plot report a value on
# the plane. Then Map in the surface viewer, Node, and pts.node picked in the
# file browser (Open); a screen shot shows the mapped points marked on the surface.
# Then Done, Write, 2dm, the name typed at the prompt, Done. The person
# measures: Inquire, Slope and two clicks (the message gives distance and
# slope); Volume: four clicks, Done, level 430 typed; the page of area and
# volumes is on the screen (screen shot), saved, closed; Done, and the keys
# x, f, x leave korvel. Every node of pts.node must lie on the plane, the
# one outside the surface takes the nearest corner's value, plane.2dm
# must hold the 336 nodes and 600 triangles, the slope lies within the
# plane's gradient, the volume below the level between the plane's least
# and greatest depth under it.
. "$(dirname "$0")/session.sh"

. "$KORVEL_SOURCE_DIR/tests/e2e/surface/plane.sh"  # plane.node, plane.ele
# 40 points on a spiral over the plane, no value yet, and one beyond the
# upper right corner.
awk 'BEGIN { print 41, 2, 0, 1
  for (k = 1; k <= 40; ++k) { a = k * 0.45; r = 2 * k
    printf "%d %.2f %.2f 1\n", k, 2600100 + r * cos(a), 1200075 + r * 0.8 * sin(a) }
  print 41, 2600230.00, 1200170.00, 1 }' > pts.node

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
cx=$((ww * 2 / 5)) cy=$((wh / 2))
at() { xdotool mousemove --window "$wid" "$1" "$2" click 1; sleep 0.4; }
at $cx $cy
sleep 0.6

click_on Map       # the viewer's entry
click_on Node
click_on pts.node  # in the file browser, then Open
click_on Open
wait_for_menu Done
shot surface_mapped
# The 41 marks changed the plot: compare the plots before and after.
for n in surface surface_mapped; do convert "$work/$n.png" -crop 800x600+80+60 +repage "$work/$n.plot.png"; done
marked=$(compare -metric AE "$work/surface.plot.png" "$work/surface_mapped.plot.png" null: 2>&1 || true)
[ "${marked%%.*}" -ge 200 ] 2> /dev/null || fail "the mapped points are not marked on the plot ($marked pixels changed)"
click_on Done
click_on Write
click_on 2dm
type_in "plane.2dm"
wait_for_menu Minimum
click_on Done

click_on Inquire
click_on Slope
at $((cx - 100)) $((cy + 60))
at $((cx + 120)) $((cy - 40))
wait_log "^distance="
click_on Volume
wait_for_menu Read
at $((cx - 80)) $((cy - 60))
at $((cx + 90)) $((cy - 60))
at $((cx + 90)) $((cy + 70))
at $((cx - 80)) $((cy + 70))
click_on Done
type_in 430
wait_for_menu Save
shot volume
save_page volume.txt
click_on Done   # the page
click_on Done   # Inquire
sleep 0.5
leave_viewer

grep -qx " found       600 triangles" outp || fail "no triangle count in outp"
line=$(grep -m1 '^(X,Y):.*  F:' outp)
awk -v l="$line" 'BEGIN {
  n = split(l, w, /[ :]+/)
  want = 400 + (w[2] - 2600000) * 0.1 + (w[3] - 1200000) * 0.05
  if (w[n] - want > 0.02 || want - w[n] > 0.02) { print "F", w[n], "off the plane:", want; exit 1 } }' ||
  fail "the examined value is off the plane"
grep -q "^node file updated" outp || fail "no 'node file updated' in outp"
grep -q "^.2dm format stored on plane.2dm" outp || fail "no 2dm message in outp"
head -1 pts.node | grep -qx "41 2 1 1" || fail "pts.node header: $(head -1 pts.node)"
awk 'NR > 1 { want = $1 == 41 ? 420 + 7.5 : 400 + ($2 - 2600000) * 0.1 + ($3 - 1200000) * 0.05
              d = $4 - want; if (d < 0) d = -d; if (d > 0.01 || $5 != 1) { print "off:", $0, want; bad++ } }
     END { exit bad > 0 }' pts.node || fail "pts.node values off the plane"
[ "$(grep -c '^ND ' plane.2dm)" -eq 336 ] && [ "$(grep -c '^E3T ' plane.2dm)" -eq 600 ] || fail "plane.2dm counts"
# Slope: along any leg at most the plane's gradient, 11.18 %. Volume: the
# plane lies wholly below 430 m, 400 ... 418.5 m.
awk '/^distance=/ { split($0, w, /[=%m ]+/); s = w[4] < 0 ? -w[4] : w[4]; ok = w[2] > 10 && s <= 11.18 && s > 1; exit }
     END { exit !ok }' outp || fail "slope message: $(grep '^distance=' outp)"
awk -F '=' '{ v[NR] = $2 + 0; k[NR] = $1 }
  END { exit !(NR == 3 && k[1] == "Area        [m2]" && v[1] > 100 && v[2] >= 11.5 * v[1] && v[2] <= 30 * v[1] && v[3] == 0) }' \
  volume.txt || fail "the volume page: $(cat volume.txt)"
[ "$(colours volume)" -ge 8 ] || fail "the surface is not on the screen"
echo "surface files person session ok: $(tr '\n' ' ' < volume.txt)"
