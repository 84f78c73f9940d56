#!/usr/bin/env bash
# A closed dialog gives back the picture under it, messages keep off the
# axis labels, a resized window is laid out again. After each dialog over
# the main menu and the grid viewer is closed, korvel's picture
# (SKETRA_PICTURE_FILE) must equal the one before it opened, menus and the
# message strip left out. Resizes: the message line moves to the new bottom;
# an open form keeps its buttons in the window, and after it the viewer is
# laid out for the new size with the legend in the plot. Screen shots go to
# screen_restore_shots in ctest's working directory.
shots=$PWD/screen_restore_shots  # ctest's working directory
. "$(dirname "$0")/session.sh"
picture=$work/picture.ppm
rm -rf "$shots"
mkdir -p "$shots"
strip=46  # the message strip at the bottom of the window

SKETRA_PICTURE_FILE=$picture start_korvel "$ex/river_grid.asc"
fail() {
  echo "$*"
  cp "$picture" "$shots/failed.ppm" 2> /dev/null || true
  exit 1
}
xdotool mousemove --window "$wid" 600 400
settle none

size() { identify -format '%w %h\n' "$picture"; }
# region NAME LEFT TOP: the picture less the right edge from LEFT on and
# the rows above TOP and in the message strip, kept as NAME.png.
region() {
  local w h
  read -r w h < <(size)
  convert "$picture" -crop "${2}x$((h - strip - $3))+0+$3" +repage "$1.png"
}
# same WHAT NAME LEFT TOP: the picture now against NAME in that region.
same() {
  region now "$3" "$4"
  local differ
  differ=$(compare -metric AE now.png "$2.png" null: 2>&1 || true)
  [ "$differ" = "0" ] || { cp now.png "$shots/after_$2.png"; cp "$2.png" "$shots/before_$2.png"; fail "$1: $differ pixels differ"; }
}

# The main menu made smaller: the message line moves to the new bottom.
resize 1000 700
convert "$picture" -crop "1000x${strip}+0+$((700 - strip))" +repage -negate -format '%[fx:maxima>0]' info: > ink
[ "$(cat ink)" = "1" ] || fail "the message line is not at the bottom of the resized window"
import -window "$wid" grab.png
[ "$(compare -metric AE grab.png "$picture" null: 2>&1 || true)" = "0" ] ||
  fail "the screen differs from korvel's picture after the resize"

# Over the main menu: the bar (24 rows) and the message strip left out.
read -r width height < <(size)
region main "$width" 24
keys x shift+slash d
same "eXport's help page closed" main "$width" 24
keys m shift+slash d
same "Mesh's help page closed" main "$width" 24

# The grid viewer: the control column (the right 95 pixels) left out.
keys e
clicked "       200/110"
wait_for_menu Nearest
plot=$((width - 95))
region viewer "$plot" 0
keys i n
import -window "$wid" "$shots/browser_open.png"
keys Escape
import -window "$wid" "$shots/browser_closed.png"
same "file browser closed over the viewer" viewer "$plot" 0
keys d t d
same "Trace page closed" viewer "$plot" 0
keys q Escape
same "Query form cancelled" viewer "$plot" 0
keys w g Escape d
same "Write's file prompt left" viewer "$plot" 0
clicked key
keys Escape
same "legend dialog cancelled" viewer "$plot" 0
keys h d a period d x f Return x
grep -q "DXF File done" outp || fail "no DXF hard copy"
same "a message shown under the plot" viewer "$plot" 0

# Smaller with the Query form open: its buttons stay in the window.
keys q
seen=$(wc -l < "$layout")
resize 640 300
wait_for_menu Cancel
import -window "$wid" "$shots/dialog_resized.png"
tail -n "+$((seen + 1))" "$layout" | awk '/ (Apply|Cancel)$/ { if ($1 < 0 || $2 < 0 || $1 + $3 > 640 || $2 + $4 > 300 - 46) bad = bad $0 "; " }
  END { if (bad != "") { print "buttons outside the window: " bad; exit 1 } }' || fail "the form left the window"
clicked Cancel
wait_for_menu eXit
read -r w h < <(size)
[ "$w $h" = "640 300" ] || fail "the viewer drew a picture of $w x $h"
import -window "$wid" "$shots/viewer_resized.png"
tail -n "+$((seen + 1))" "$layout" | awk '/ key$/ { k = $0 } END { split(k, b, " ")
  if (k == "" || b[1] < 65 || b[1] + b[3] > 640 - 80 || b[2] + b[4] > 300 - 50 - 46) { print "legend outside the plot: " k; exit 1 } }' ||
  fail "the legend left the plot"

keys x i
xdotool key f x
wait_end
echo "dialogs closed without a trace, messages under the labels, resizes laid out"
