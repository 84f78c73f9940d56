#!/usr/bin/env bash
# Triangulated surfaces in a whole session without a person: the project's
# mesher triangulates the river's points (their heights set on a tilted
# plane) with their breaklines, the convex hull meshed; korvel loads the
# mesher's node file, Map reads the element file beside it and opens the
# surface viewer, Examine and Nearest ask at the largest triangle's
# centroid; then Grid -> Tin puts the surface onto the proposed grid, the
# contour viewer writes it as an ESRI grid and the set is named. The log
# must hold the triangle count, the value found and the nearest node; GDAL
# must read the grid with every value on the plane or NODATA.
. "$(dirname "$0")/session.sh"
meshgen=${MESHGEN:-$(dirname "$KORVEL")/meshgen}
[ -x "$meshgen" ] || fail "meshgen missing: $meshgen"
data=$KORVEL_SOURCE_DIR/tests/meshgen/data
cp "$data/korvel_river.poly" .
# The river's points on a tilted plane, so that every interpolated value is
# known: z = 400 + 0.01 (x - 2600000) + 0.02 (y - 1199000).
awk 'NR == 1 || /^#/ { print; next }
     { printf "%d %.3f %.3f %.4f %s\n", $1, $2, $3, 400 + 0.01 * ($2 - 2600000) + 0.02 * ($3 - 1199000), $5 }' \
  "$data/korvel_river.node" > korvel_river.node
"$meshgen" -pc korvel_river > meshgen.out || fail "meshgen failed: $(cat meshgen.out)"
[ -f korvel_river.1.ele ] || fail "meshgen wrote no element file"

# The largest triangle's centroid, rounded to a decimetre relative to the
# first node (the store origin; a script entry holds 16 characters), and
# the value interpolated there.
read -r ntri _ < <(grep -v '^#' korvel_river.1.ele | head -1)
read -r px py cx cy cz < <(awk '
  FNR == 1 || /^#/ { next }
  FILENAME ~ /node$/ { x[$1] = $2; y[$1] = $3; z[$1] = $4; if (!n++) { x0 = $2; y0 = $3 } next }
  { a = 0.5 * ((x[$3] - x[$2]) * (y[$4] - y[$2]) - (x[$4] - x[$2]) * (y[$3] - y[$2]))
    if (a < 0) a = -a
    if (a > best) { best = a; p = $2; q = $3; r = $4 } }
  END {
    rx = sprintf("%.1f", (x[p] + x[q] + x[r]) / 3 - x0); ry = sprintf("%.1f", (y[p] + y[q] + y[r]) / 3 - y0)
    X = x0 + rx; Y = y0 + ry
    d = (y[q] - y[r]) * (x[p] - x[r]) + (x[r] - x[q]) * (y[p] - y[r])
    l1 = ((y[q] - y[r]) * (X - x[r]) + (x[r] - x[q]) * (Y - y[r])) / d
    l2 = ((y[r] - y[p]) * (X - x[r]) + (x[p] - x[r]) * (Y - y[r])) / d
    printf "%s %s %.4f %.4f %.4f\n", rx, ry, X, Y, l1 * z[p] + l2 * z[q] + (1 - l1 - l2) * z[r] }
' korvel_river.1.node korvel_river.1.ele)
point="$px $py"
sed "s/^@POINT@$/E $point\nN $point/" "$e2e/surface/session" > session

run_script session korvel_river.1.node

grep -qx " found$(printf '%10d' "$ntri") triangles" outp || fail "no triangle count $ntri in outp"
line=$(grep -m1 '^(X,Y):.*  F:' outp) || fail "no Examine line in outp"
awk -v l="$line" -v x="$cx" -v y="$cy" -v z="$cz" 'BEGIN {
  n = split(l, w, /[ :]+/)
  if (w[2] - x > 0.006 || x - w[2] > 0.006 || w[3] - y > 0.006 || y - w[3] > 0.006) exit 1
  if (w[n] - z > 0.006 || z - w[n] > 0.006) exit 1 }' || fail "Examine: $line, expected $cx $cy $cz"
grep -q "^(X,Y):.* (I):" outp || fail "no Nearest line in outp"
grep -qx "DATA STORED AS NUMBER    1" outp || fail "the Tin grid was not stored"

# GDAL reads the grid: each value lies on the plane at its node, or is
# NODATA beyond the surface. Nodes within a fifth of a cell outside the
# surface take the value a fifth of a cell (2 m) inside it: the plane's
# slope allows them 0.02 * 2 m.
if command -v gdal_translate > /dev/null; then
  gdal_translate -q -of XYZ tin.asc tin.xyz || fail "gdal cannot read tin.asc"
  awk '{ n++; if ($3 == -9999) { empty++; next }
         d = $3 - (400 + 0.01 * ($1 - 2600000) + 0.02 * ($2 - 1199000)); if (d < 0) d = -d
         if (d > 0.0401) { bad++; if (bad < 4) print "off the plane:", $0, d }
         if (d > 0.001) band++ }
       END { if (bad || n - empty < 1000 || empty < 1 || band > (n - empty) / 50) { print n, empty, band, bad; exit 1 } }' \
    tin.xyz || fail "tin.asc: values off the plane"
else
  [ -s tin.asc ] || fail "no tin.asc"
fi
echo "surface session ok"
