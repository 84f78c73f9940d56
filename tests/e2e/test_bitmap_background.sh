#!/usr/bin/env bash
# A scanned plan behind the contour viewer: the keep list in ".grset" names
# a grey image (raw PGM) whose world file places it around the example
# grid. The left half of the image is black, the right half white. A person
# opens the grid in the viewer, takes a screen shot and leaves.
#
# On the screen: black pixels are drawn in the palette's dark grey behind
# the grid, white ones (grey level 255) are not drawn at all, and the grid's
# classes are drawn over the image.
. "$(dirname "$0")/session.sh"

# 400 x 300 pixels of 10 m; the upper left pixel's centre at
# (2599805, 1200995): the image covers x 2599800..2603800, y 1198000..1201000.
convert -size 200x300 xc:black -size 200x300 xc:white +append -depth 8 plan.pgm
printf '10.0\n0.0\n0.0\n-10.0\n2599805.0\n1200995.0\n' > plan.wld

# The settings file as korvel writes it, with one background keep file.
{
  grset 24
  printf '%s\n' "  18 /NUMBER OF Y-AXIS INTERVALS" \
    "           0.00 /XMIN" "           1.00 /XMAX" "           0.00 /YMIN" "           1.00 /YMAX" \
    "        0.50 /SYMBOL FACTOR" "        0.71 /ZOOM FACTOR" "        1.00 /SCALING FACTOR" \
    " 1        0.00       10.00   1.0 1 /KEY" "       10.00    1  103     0.010 /VECTORS" " 0 /SHADING" \
    "'' /" "'[]' /" "'Title' /" "'' /" \
    "   1 /NUMBER OF KEEP FILES" "'plan.pgm'  2 /" "  0 /NUMBER OF VIEWS"
  for _ in $(seq 10); do echo "0 /not used"; done
} > .grset

## Edit, then the second item of its choice list: the grid set.
printf '%s\n' "## Edit: the grid set, shown in the contour viewer" E 2 > session
SKETRA_SCRIPT=session start_korvel "$ex/river_grid.asc"

# Give the viewer time to draw, look, then leave: eXit, File, eXit.
wait_for_menu Alter
shot viewer
leave_viewer

grey=$(pixels viewer '#5A5A5A')
grid=$(pixels viewer '#3856FF')
echo "image pixels: $grey, grid pixels: $grid"
[ "$grey" -gt 20000 ] || fail "the image is not behind the view"
[ "$grid" -gt 20000 ] || fail "the grid is not drawn over the image"
# The black half is 2000 m wide and 3000 m high, the view keeps equal
# scales: the grey area is higher than wide, as the white half is left out.
box=$(convert "$work/viewer.png" -fill black +opaque '#5A5A5A' -fill white -opaque '#5A5A5A' -trim \
  -format '%w %h' info:)
read -r w h <<< "$box"
echo "grey area: ${w} x ${h} pixels"
[ "$w" -lt "$h" ] || fail "the white half of the image was drawn"
echo "bitmap background ok"
