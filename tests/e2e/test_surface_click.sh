#!/usr/bin/env bash
# A person looks at a triangulated surface: korvel starts with a node file
# (a tilted plane, z = 400 + 0.1 x + 0.05 y over 200 x 150 m, its element
# file beside it), Map is clicked, the shaded surface appears (screen shot:
# the value classes fill the plot in many colours), Examine is clicked and
# then a point in the plot; the value reported in the log lies on the
# plane. The key x leaves the viewer, f and x leave korvel.
#
# Clicks go by label (the layout log, SKETRA_LAYOUT_LOG), the plot point
# by the middle of the plot frame, which the surface fills.
set -euo pipefail
: "${KORVEL:?}" "${KORVEL_SOURCE_DIR:?}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
layout=$work/layout.log

# 21 x 16 nodes 10 m apart from (2600000, 1200000), two triangles per cell.
. "$KORVEL_SOURCE_DIR/tests/e2e/surface/plane.sh"  # plane.node, plane.ele

SKETRA_LAYOUT_LOG=$layout timeout 120 "$KORVEL" plane.node > korvel.out &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Korvel_4\.01$' | head -1)

seen=0
# box_of LABEL: the box "x y w h" of LABEL drawn since the last click.
box_of() {
  local box=""
  for _ in $(seq 300); do
    box=$({ tail -n "+$((seen + 1))" "$layout" 2>/dev/null || true; } |
      awk -v want="$1" '{ label = $0; for (k = 0; k < 4; ++k) sub(/^[^ ]+ /, "", label) }
                        label == want { box = $1 " " $2 " " $3 " " $4 } END { print box }')
    [ -n "$box" ] && break
    sleep 0.1
  done
  [ -n "$box" ] || { echo "\"$1\" was not drawn"; tail -n 20 "$layout"; exit 1; }
  echo "$box"
}
click_on() {
  local b
  b=$(box_of "$1")
  sleep 0.3
  seen=$(wc -l < "$layout")
  # shellcheck disable=SC2086
  xdotool mousemove --window "$wid" $(awk '{ print int($1 + $3 / 2), int($2 + $4 / 2) }' <<< "$b") click 1
}

click_on Map
box_of Examine > /dev/null   # the viewer's menu: the picture is drawn
sleep 1
import -window "$wid" surface.png
cp surface.png "${KORVEL_SHOT_DIR:-$work}/surface.png" 2> /dev/null || true
colours=$(convert surface.png -format %k info:)
[ "$colours" -ge 12 ] || { echo "the surface shows $colours colours only"; exit 1; }

click_on Examine
sleep 0.5
# The middle of the plot frame: left of the menu column, below the titles.
read -r ww wh < <(xdotool getwindowgeometry "$wid" | awk '/Geometry/ { split($2, g, "x"); print g[1], g[2] }')
xdotool mousemove --window "$wid" $((ww * 2 / 5)) $((wh / 2)) click 1
sleep 1
xdotool key x
sleep 0.5
xdotool key f
sleep 0.3
xdotool key x
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || { echo "exit status $status"; cat korvel.out; exit 1; }
grep -qx " found       600 triangles" outp || { echo "no triangle count in outp"; exit 1; }
# The log reaches the disk when the viewer has returned.
line=$(grep -m1 '^(X,Y):.*  F:' outp) || { echo "no Examine line in outp"; exit 1; }
awk -v l="$line" 'BEGIN {
  n = split(l, w, /[ :]+/)
  want = 400 + (w[2] - 2600000) * 0.1 + (w[3] - 1200000) * 0.05
  if (w[n] - want > 0.02 || want - w[n] > 0.02) { print "F", w[n], "off the plane:", want; exit 1 } }'
echo "surface click session ok"
