#!/usr/bin/env bash
# A person turns the example grid in three dimensions: korvel is started
# with the grid file; the person clicks Edit and picks the grid, waits for
# the contour viewer, clicks Yaw and Left, and takes a screen shot of the
# turned picture. The domain boundary (black) must frame the filled cells:
# the grid's empty nodes along its edges stand at the height of the
# surface, not 10 km below it, so boundary and cells cover the same part
# of the screen. Then eXit leaves Yaw and the viewer, and F X ends korvel.
#
# Clicks go by label through the layout log (see test_click_through.sh).
set -euo pipefail
: "${KORVEL:?}" "${KORVEL_SOURCE_DIR:?}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/run"
cd "$work/run"
layout=$work/layout.log

SKETRA_LAYOUT_LOG=$layout timeout 120 "$KORVEL" "$KORVEL_SOURCE_DIR/examples/river_grid.asc" > "$work/korvel.out" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Korvel_4\.01$' | head -1)
fail() { echo "$*"; kill "$pid" 2>/dev/null || true; exit 1; }

. "$KORVEL_SOURCE_DIR/tests/e2e/person.sh"  # click_on LABEL, wait_for_menu LABEL

click_on Edit
click_on "       200/110"  # the grid's set in the pick list
wait_for_menu Alter
click_on Yaw
click_on Left
wait_for_menu Left  # the picture is drawn again and the Yaw menu reopens
sleep 1
import -window "$wid" "$work/left.png"
click_on eXit       # Yaw
click_on eXit       # the viewer
sleep 0.5
xdotool key i       # changes ignored
sleep 0.5
xdotool key f
sleep 0.3
xdotool key x
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || { echo "exit status $status"; cat "$work/korvel.out"; exit 1; }

# The plot above the legend: the box around the black boundary and the box
# around the coloured cells (saturated pixels) agree within a few pixels.
plot() { convert "$work/left.png" -crop 1020x630+0+25 +repage "$@" -format '%@' info:; }
frame=$(plot -fill white +opaque black)
cells=$(plot -colorspace HSL -channel G -separate +channel -threshold 25%)
echo "boundary $frame, cells $cells"
read -r fw fh fx fy <<< "${frame//[x+]/ }"
read -r cw ch cx cy <<< "${cells//[x+]/ }"
near() { [ $(($1 - $2)) -le 6 ] && [ $(($2 - $1)) -le 6 ]; }
[ "$cw" -gt 300 ] || fail "the turned grid is not on the screen"
near "$fx" "$cx" && near "$fy" "$cy" && near $((fx + fw)) $((cx + cw)) && near $((fy + fh)) $((cy + ch)) ||
  fail "the boundary and the cells are drawn in different places"
echo "yaw person session ok"
