#!/usr/bin/env bash
# The grid contour viewer in a whole session without a person: korvel loads
# the example ESRI grid, Edit opens it in the viewer, and the script
#   - asks Nearest and Examine at given points (relative to the store
#     origin, which a grid read into an empty store puts at its first node),
#   - writes the grid as ESRI grid, breaklines and xyz,
#   - draws the sum curve over two hull polygons and saves both tables,
#   - sets the values inside a polygon read from a file to 500 (Alter, Fill,
#     Read), leaves the viewer and keeps the result as a new set "raised",
#   - opens the new set and writes it as ESRI grid,
# then leaves through File eXit. The outputs are compared with the files in
# tests/e2e/contour and with the example grid itself.
. "$(dirname "$0")/session.sh"
here=$e2e/contour
grid=$ex/river_grid.asc
cp "$here/session" "$here/poly.txt" "$here/hull.txt" .
run_script session "$grid"

# Queries: the messages and the Examine point are echoed to the log.
while IFS= read -r line; do
  grep -qxF -- "$line" outp || fail "missing in outp: $line"
done < "$here/queries.txt"
grep -qx 'values stored on raised.asc' outp || fail "the new set was not written"

# The ESRI grid: the header, and every value as in the example grid.
head -6 grid_out.asc | cmp - "$here/grid_header.txt" || fail "grid header differs"
values() { tail -n +7 "$1" | tr -s ' ' '\n' | sed '/^$/d'; }
paste <(values "$grid") <(values grid_out.asc) |
  awk '$1 + 0 != $2 + 0 { bad++ } END { if (NR != 22000 || bad) { print NR, bad; exit 1 } }' ||
  fail "values of grid_out.asc differ from the example grid"

# Breaklines and xyz points.
sha256sum -c --quiet "$here/checksums" || fail "breaklines or xyz differ"
[ "$(wc -l < breaklines.txt)" -eq 22000 ] || fail "breaklines: wrong line count"
[ "$(wc -l < nodes.xyz)" -eq 14679 ] || fail "xyz: wrong node count"

# Sum curve tables.
cmp sum_fraction.txt "$here/sum_fraction.txt" || fail "sum curve (fractions) differs"
cmp sum_area.txt "$here/sum_area.txt" || fail "sum curve (areas) differs"

# The new set: the 450 nodes inside the polygon are 500, all others as before.
head -6 raised.asc | cmp - "$here/grid_header.txt" || fail "header of the new set differs"
paste <(values "$grid") <(values raised.asc) |
  awk '$1 + 0 != $2 + 0 { changed++; if ($2 + 0 != 500) bad++ }
       END { if (changed != 450 || bad) { print changed, bad; exit 1 } }' ||
  fail "the new set holds other changes than the polygon's"

# GDAL reads the written grid with korvel's header and values.
if command -v gdalinfo > /dev/null; then
  info=$(gdalinfo -stats grid_out.asc)
  grep -q 'Size is 200, 110' <<< "$info" || fail "gdal: size"
  grep -q 'Origin = (2600120.000000000000000,1200620.000000000000000)' <<< "$info" || fail "gdal: corner (the nodes are cell centres, as in the example grid)"
  grep -q 'Pixel Size = (16.000000000000000,-16.000000000000000)' <<< "$info" || fail "gdal: cell size"
  grep -q 'NoData Value=-9999' <<< "$info" || fail "gdal: no-data value"
  grep -q 'Minimum=417.520, Maximum=478.390' <<< "$info" || fail "gdal: values"
fi
echo "contour session ok"
