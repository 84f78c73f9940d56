#!/usr/bin/env bash
# Gridding, whole process against whole process: korvel started with a
# file of 1,000,000 scattered points over 1000 m x 1000 m, the load dialog
# applied, Grid onto 1000 x 1000 nodes at 1 m, the grid shown once in the
# contour viewer, written with Write -> Grid and the program left; against
# gdal_grid on the same points (CSV) and the same nodes, written as a
# GeoTIFF. Inverse distance: korvel's quadrant search with R = 2 m against
# gdal_grid invdistnn (power 2, radius 2 m, at most 8 points, its fastest
# comparable algorithm); nearest point: korvel's Nearest against gdal_grid
# nearest within 3 m (a search radius lets it use its quadtree; without one
# it compares every point with every node and takes hours). Both run under one Xvfb started beforehand (gdal does not use
# it). Each run is timed three times; the best counts.
#
#   KORVEL=build/korvel bash bench/gridding_vs_gdal.sh
#
# Target: korvel at least twice as fast as gdal_grid for both methods.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
korvel=$(realpath "${KORVEL:-$here/../build/korvel}")
command -v gdal_grid > /dev/null || { echo "gdal_grid missing (gdal-bin)"; exit 1; }
data=$here/data/gridding
mkdir -p "$data"
if [ ! -f "$data/points.xyz" ]; then
  echo "generating 1000000 points"
  python3 - "$data" <<'PY'
import math, random, sys
random.seed(2020)
d = sys.argv[1]
with open(d + '/points.xyz', 'w') as xyz, open(d + '/points.csv', 'w') as csv:
    csv.write('x,y,z\n')
    for _ in range(1000000):
        x, y = random.uniform(0, 1000), random.uniform(0, 1000)
        z = 400 + 20 * math.sin(x / 150) * math.cos(y / 110) + random.uniform(-0.2, 0.2)
        line = '%.3f %.3f %.3f' % (500000 + x, 5000000 + y, z)
        xyz.write(line + '\n')
        csv.write(line.replace(' ', ',') + '\n')
PY
fi
cat "$data/points.xyz" "$data/points.csv" > /dev/null   # both start from the page cache

work=$(mktemp -d "$data/run.XXXXXX")
xvfb_pid=
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null; rm -rf "$work"; }
trap cleanup EXIT
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do DISPLAY=$display xdpyinfo > /dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display
cd "$work"

# The session of one method: hot key I (Invers, radius form) or N (Nearest).
session() {
  printf '%s\n' D G "$1" "1 500000" "2 5000000" "3 1" "4 1" "5 1000" "6 1000" D
  [ "$1" = I ] && printf '%s\n' "1 2" D
  printf '%s\n' W G grid.asc D X " " F X
}

# Seconds of the fastest of three runs of a command.
best_of_three() {
  local best=
  for _ in 1 2 3; do
    rm -f grid.asc out.tif outp
    local t0 t1
    t0=$(date +%s.%N)
    "$@" > run.log 2>&1 || { echo "failed: $*" >&2; cat run.log >&2; exit 1; }
    t1=$(date +%s.%N)
    best=$(awk -v a="$t1" -v b="$t0" -v c="$best" 'BEGIN { t = a - b; if (c == "" || t < c) c = t; printf "%.2f", c }')
  done
  echo "$best"
}

korvel_run() { session "$1" > session; SKETRA_SCRIPT=session "$korvel" "$data/points.xyz"; }
# gdal_grid reads the CSV through a virtual layer that makes points of it.
cat > points.vrt <<VRT
<OGRVRTDataSource>
  <OGRVRTLayer name="points">
    <SrcDataSource>$data/points.csv</SrcDataSource>
    <SrcLayer>points</SrcLayer>
    <GeometryType>wkbPoint25D</GeometryType>
    <GeometryField encoding="PointFromColumns" x="x" y="y" z="z"/>
  </OGRVRTLayer>
</OGRVRTDataSource>
VRT
gdal_run() {
  gdal_grid -q -a "$1" -txe 499999.5 500999.5 -tye 4999999.5 5000999.5 -outsize 1000 1000 -ot Float32 \
    -of GTiff points.vrt out.tif
}

status=0
for method in invdist nearest; do
  if [ $method = invdist ]; then
    k=$(best_of_three korvel_run I)
    g=$(best_of_three gdal_run "invdistnn:power=2.0:radius=2.0:max_points=8:nodata=-9999")
  else
    k=$(best_of_three korvel_run N)
    g=$(best_of_three gdal_run "nearest:radius1=3.0:radius2=3.0:nodata=-9999")
  fi
  ratio=$(awk -v a="$g" -v b="$k" 'BEGIN { printf "%.1f", a / b }')
  echo "$method korvel_s $k gdal_grid_s $g gdal_over_korvel $ratio"
  if awk -v r="$ratio" 'BEGIN { exit !(r >= 2) }'; then echo "PASS $method: at least twice gdal_grid"; else
    echo "FAIL $method: less than twice gdal_grid"; status=1; fi
done
exit $status
