#!/usr/bin/env bash
# The typical run with hard copies and keep files.
#
# Session 1, from a script: korvel starts with the example survey points,
# the load dialog is applied, Grid -> Invers grids them with the proposed
# geometry, and in the contour viewer Hardcopy -> DXF writes plan.dxf,
# Keep -> Save records the view as view.kep and Recall lists it again; the
# viewer is left, the set named, eXport -> Grid writes river.grd and File
# eXit ends the session. The DXF passes ezdxf's audit and GDAL counts its
# entities; the keep file holds the view's records.
#
# Session 2, a person with mouse and keys: the same start (a screen shot
# shows the grid filled in its classes' colours), then a turn of
# the mouse wheel zooms into the grid, Hardcopy -> DXF writes zoomed.dxf,
# Hardcopy -> Shape with the file prefix "areas" and the field name
# "class" typed and the shape type clicked on to Polygon writes areas.shp,
# Hardcopy -> PNG captures the window as gr0000.png,
# a screen shot shows the zoomed grid back on the screen, and eXit and the
# set's name store it. A second gridding with a radius of 2000 m, which
# takes long, is stopped with Escape while its bar runs and stores nothing;
# the keys F, X end korvel. The zoomed drawing covers a smaller area than
# the whole one; in the shapefile every class is one polygon, valid to GDAL.
. "$(dirname "$0")/session.sh"
points=$ex/river_points.xyz

cat > session <<'SCRIPT'
## the load dialog: apply; Grid, Invers, the proposed geometry and radius
D
G
I
D
D
## the contour viewer: Hardcopy, DXF "plan", eXit the hard-copy menu
H
D
plan
X
## Keep: Save "view", Recall view.kep (file, then the list form), Done
K
S
view
R
view.kep
D
D
## eXit the viewer and name the set
X
river
## eXport Grid to river.grd; File eXit
X
G
river.grd
F
X
SCRIPT
run_script session "$points"
grep -qx 'DXF File done' outp || fail "no DXF message"
grep -qx 'saved on keep file' outp || fail "no keep message"
head -2 river.grd | grep -q '^>>grid' || fail "the grid was not exported"

audit() {
  /usr/bin/python3 - "$1" <<'PY'
import collections, sys
import ezdxf
doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
kinds = collections.Counter(e.dxftype() for e in doc.modelspace())
print(len(auditor.errors), kinds['SOLID'], kinds['LINE'], kinds['TEXT'])
PY
}
read -r errors solids lines texts < <(audit plan.dxf)
echo "plan.dxf: $errors errors, $solids solids, $lines lines, $texts texts"
[ "$errors" -eq 0 ] || fail "ezdxf audit reports errors"
[ "$solids" -gt 1000 ] || fail "the filled grid is missing from the DXF"
[ "$lines" -gt 100 ] || fail "the contour lines are missing from the DXF"
sed -n '8,10p' plan.dxf | tr '\n' ' ' | grep -qx '\$ACADVER 1 AC1006 ' || fail "not an AC1006 drawing"
count=$(ogrinfo -al -so plan.dxf | sed -n 's/^Feature Count: //p')
[ "$count" -eq "$(grep -cxE 'SOLID|LINE|TEXT|POINT' plan.dxf)" ] || fail "ogrinfo counts $count features"
head -8 view.kep | tr '\n' ' ' | grep -q '^MCOL .* RCOL .* XORG  0.2[0-9.]*D+07 YORG  0.1[0-9.]*D+07 ' ||
  fail "keep file header"
[ "$(grep -cxE 'FIL2|FIL3' view.kep)" -gt 1000 ] || fail "the keep file lacks the filled grid"

# Session 2: a person.
rm -f outp
start_korvel "$points"
click_on Apply   # the load dialog
wait_log '^found'
click_on Grid
click_on Invers
click_on Apply   # the proposed geometry
click_on Apply   # the search radius
wait_for_menu Alter   # the viewer's menu appears once the grid is drawn
shot viewer
seen=$(wc -l < "$layout")
xdotool mousemove --window "$wid" 500 380 click 4   # the wheel zooms in
wait_for_menu Alter
click_on Hardcopy
click_on DXF
type_in "zoomed"
wait_log '^DXF File done$'
click_on Shape
click_on "File prefix"
xdotool type --delay 20 "areas"
xdotool key Return
click_on "Field name"
for _ in $(seq 12); do xdotool key BackSpace; done
xdotool type --delay 20 "class"
xdotool key Return
click_on Shape_type   # Point -> Arc
click_on Shape_type   # Arc -> Polygon
click_on Apply
wait_log '^Shapefile done$'
click_on PNG     # a screen shot of the window by ImageMagick's import
wait_log '^screen shot to gr0000.png$'
click_on eXit    # the hard-copy menu
wait_for_menu Alter
shot zoomed
click_on eXit    # the viewer
type_in "river"
wait_log 'DATA STORED'
click_on Grid
click_on Invers
click_on Apply   # the proposed geometry
click_on "Search Radius[m]"
sleep 0.3
xdotool key --delay 30 BackSpace BackSpace BackSpace BackSpace
xdotool type --delay 30 "2000"
xdotool key Return
click_on Apply
sleep 0.3
xdotool key Escape
wait_log 'gridding interrupted'
quit
grep -qx 'DATA STORED AS NUMBER    1' outp || fail "the set was not stored"
grep -qx 'gridding interrupted: nothing changed' outp || fail "Escape did not stop the gridding"
! grep -q 'DATA STORED AS NUMBER    2' outp || fail "the stopped gridding stored a set"

read -r errors solids lines texts < <(audit zoomed.dxf)
echo "zoomed.dxf: $errors errors, $solids solids"
[ "$errors" -eq 0 ] || fail "ezdxf audit of the zoomed view"
[ "$solids" -gt 100 ] || fail "the zoomed DXF holds no filled grid"
# Width and height of each drawing ($EXTMIN to $EXTMAX).
awk '($0 == "$EXTMIN" || $0 == "$EXTMAX") && !seen[FILENAME, $0]++ { getline; getline; x[++n] = $1; getline; getline; y[n] = $1 }
     END { exit !(x[4] - x[3] < 0.9 * (x[2] - x[1]) && y[4] - y[3] < 0.9 * (y[2] - y[1])) }' plan.dxf zoomed.dxf ||
  fail "the zoomed drawing is not smaller than the whole one"

# Every class one polygon, every polygon valid to GDAL.
verdicts=$(ogrinfo -q -dialect sqlite -sql \
  "select count(*) as n, min(ST_IsValid(geometry)) as ok from areas group by class" areas.shp |
  sed -n 's/^ *\(n\|ok\) (Integer) = //p' | paste -d' ' - - | sort | uniq -c | tr -s ' ')
echo "areas.shp: classes by (polygons, validity):$verdicts"
[[ "$verdicts" =~ ^\ ([0-9]+)\ 1\ 1$ ]] && [ "${BASH_REMATCH[1]}" -ge 5 ] ||
  fail "the classes are not one valid polygon each"

# Cropped to the plot, the menu column left out, and no wider canvas kept.
read -r kind w h canvas_w < <(identify -format '%m %w %h %W\n' gr0000.png)
[ "$kind" = PNG ] && [ "$w" -eq "$canvas_w" ] && [ "$w" -lt 1100 ] && [ "$h" -gt 500 ] ||
  fail "Hardcopy PNG: $kind ${w}x$h on a canvas $canvas_w wide"
# The screen shots: the grid in its classes' colours (and their legend),
# and back on the screen after the hard copy.
n=$(colours viewer)
echo "colours in the plot: $n"
[ "$n" -gt 12 ] || fail "the grid is not filled in its classes' colours"
n=$(colours zoomed)
echo "colours in the plot: $n"
[ "$n" -gt 12 ] || fail "the grid is not on the screen after the hard copy"
echo "hard copy session ok"
