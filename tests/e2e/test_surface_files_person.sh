#!/usr/bin/env bash
# A person maps a node file onto a surface and writes the surface as 2DM:
# korvel starts with a tilted plane (z = 400 + 0.1 x + 0.05 y over 200 x
# 150 m, its element file beside it); the person clicks Map (main menu),
# then Map in the surface viewer, Node, and picks pts.node in the file
# browser; a screen shot shows the mapped points marked on the surface.
# Then Done, Write, 2dm, the name typed at the prompt, Done, and the keys
# x, f, x leave korvel. Every node of pts.node must lie on the plane, the
# one outside the surface takes the nearest corner's value, and plane.2dm
# must hold the 336 nodes and 600 triangles.
set -euo pipefail
: "${KORVEL:?}" "${KORVEL_SOURCE_DIR:?}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/run"
cd "$work/run"
layout=$work/layout.log

awk 'BEGIN {
  nx = 21; ny = 16; print nx * ny, 2, 1, 0
  for (j = 0; j < ny; ++j) for (i = 0; i < nx; ++i)
    printf "%d %.3f %.3f %.3f\n", j * nx + i + 1, 2600000 + 10 * i, 1200000 + 10 * j, 400 + i + 0.5 * j
}' > plane.node
awk 'BEGIN {
  nx = 21; ny = 16; print 2 * (nx - 1) * (ny - 1), 3, 0; k = 0
  for (j = 0; j < ny - 1; ++j) for (i = 0; i < nx - 1; ++i) {
    p = j * nx + i + 1
    print ++k, p, p + 1, p + nx + 1; print ++k, p, p + nx + 1, p + nx }
}' > plane.ele
# 40 points on a spiral over the plane, no value yet, and one beyond the
# upper right corner.
awk 'BEGIN { print 41, 2, 0, 1
  for (k = 1; k <= 40; ++k) { a = k * 0.45; r = 2 * k
    printf "%d %.2f %.2f 1\n", k, 2600100 + r * cos(a), 1200075 + r * 0.8 * sin(a) }
  print 41, 2600230.00, 1200170.00, 1 }' > pts.node

SKETRA_LAYOUT_LOG=$layout timeout 120 "$KORVEL" plane.node > "$work/korvel.out" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Korvel_4\.01$' | head -1)
fail() { echo "$*"; kill "$pid" 2>/dev/null || true; exit 1; }
. "$KORVEL_SOURCE_DIR/tests/e2e/person.sh"  # click_on LABEL, wait_for_menu LABEL

click_on Map
wait_for_menu Examine
click_on Map       # the viewer's entry
click_on Node
click_on pts.node  # in the file browser
wait_for_menu Done
sleep 1
import -window "$wid" "$work/mapped.png"
cp "$work/mapped.png" "${KORVEL_SHOT_DIR:-$work}/surface_mapped.png" 2> /dev/null || true
click_on Done
click_on Write
click_on 2dm
sleep 0.5
xdotool type --delay 50 "plane.2dm"
xdotool key Return
wait_for_menu Minimum
click_on Done
sleep 0.5
xdotool mousemove --window "$wid" 300 400
xdotool key x
sleep 0.5
xdotool key f
sleep 0.3
xdotool key x
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || { echo "exit status $status"; cat "$work/korvel.out"; exit 1; }

grep -q "^node file updated" outp || fail "no 'node file updated' in outp"
grep -q "^.2dm format stored on plane.2dm" outp || fail "no 2dm message in outp"
head -1 pts.node | grep -qx "41 2 1 1" || fail "pts.node header: $(head -1 pts.node)"
awk 'NR > 1 { want = $1 == 41 ? 420 + 7.5 : 400 + ($2 - 2600000) * 0.1 + ($3 - 1200000) * 0.05
              d = $4 - want; if (d < 0) d = -d; if (d > 0.01 || $5 != 1) { print "off:", $0, want; bad++ } }
     END { exit bad > 0 }' pts.node || fail "pts.node values off the plane"
[ "$(grep -c '^ND ' plane.2dm)" -eq 336 ] && [ "$(grep -c '^E3T ' plane.2dm)" -eq 600 ] || fail "plane.2dm counts"
# The marks: the mapped points are drawn over the surface in the plot's middle.
echo "surface files person session ok"
