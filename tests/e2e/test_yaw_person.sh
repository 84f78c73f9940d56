#!/usr/bin/env bash
# A person turns the example grid in three dimensions: korvel is started
# with the grid file; the person clicks Edit and picks the grid, waits for
# the contour viewer, clicks Yaw and Left, and takes a screen shot of the
# turned picture. The domain boundary (black) must frame the filled cells:
# the grid's empty nodes along its edges stand at the height of the
# surface, not 10 km below it, so boundary and cells cover the same part
# of the screen. Then eXit leaves Yaw and the viewer, and F X ends korvel.
#
# Clicks go by label through the layout log (person.sh).
. "$(dirname "$0")/session.sh"
start_korvel "$ex/river_grid.asc"

click_on Edit
click_on "       200/110"  # the grid's set in the pick list
wait_for_menu Alter
click_on Yaw
click_on Left
wait_for_menu Left  # the picture is drawn again and the Yaw menu reopens
shot left
click_on eXit       # Yaw
click_on eXit       # the viewer
sleep 0.5
xdotool key i       # changes ignored
sleep 0.5
quit

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
