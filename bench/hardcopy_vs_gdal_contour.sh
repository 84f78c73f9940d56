#!/usr/bin/env bash
# Hard copies of a 1000 x 1000 filled grid view, whole process against
# whole process: korvel loads the grid (an ESRI grid), opens it in the
# contour viewer and writes the view as a Polygon shapefile, as DXF, as a
# keep file, and replays the keep file; GDAL's gdal_contour -p writes
# contour polygons of the same grid, in the same number of classes, to a
# shapefile.
#
#   KORVEL=build/korvel bash bench/hardcopy_vs_gdal_contour.sh
#
# Each korvel run is timed whole; a run that only opens and leaves the
# viewer is timed too, and its time taken off to give the cost of the hard
# copy itself. Targets: Polygon shapefile <= 5 s, DXF <= 3 s, keep file
# written <= 2 s and replayed <= 1 s; the whole shapefile run no slower
# than gdal_contour -p.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
korvel=$(realpath "${KORVEL:-$here/../build/korvel}")
python=/usr/bin/python3
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$@"
fi
mkdir -p "$here/data"
grid=$here/data/valley_1000.asc
if [ ! -f "$grid" ]; then
  "$python" - "$grid" <<'PY'
import sys
import numpy as np
n = 1000
x = np.linspace(0, 1200, n)[None, :]
y = np.linspace(900, 0, n)[:, None]
axis = 450 + 120 * np.sin(x / 160)
v = 430 - 8 * np.exp(-((y - axis) / 35) ** 2) + 18 * np.sin(x / 310) * np.cos(y / 230) \
    + 0.02 * np.abs(y - axis) + 0.25 * np.sin(x / 6.3) * np.sin(y / 8.9)
with open(sys.argv[1], 'w') as f:
    f.write('ncols 1000\nnrows 1000\nxllcenter 2600000.0\nyllcenter 1200000.0\n')
    f.write('cellsize %.6f\nNODATA_value -9999\n' % (1200 / (n - 1)))
    np.savetxt(f, v, fmt='%.3f')
PY
fi
work=$(mktemp -d "$here/data/run.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# The X server's processor seconds so far, when it is the Xvfb that xvfb-run
# started for this script (0 for any other server).
xserver=$(pgrep -f "^Xvfb ${DISPLAY} " | head -1 || true)
ticks=$(getconf CLK_TCK)
xcpu() {
  if [ -n "$xserver" ] && [ -r "/proc/$xserver/stat" ]; then
    awk -v t="$ticks" '{ printf "%.2f\n", ($14 + $15) / t }' "/proc/$xserver/stat"
  else echo 0; fi
}

# Runs korvel on the grid with the script lines given, as a batch run like
# gdal_contour's (nobody at the screen: no pauses for a person); prints the
# seconds passed, the processor seconds (user and system) korvel took and
# those the X server took meanwhile.
run() {
  rm -f .grset  # each run starts with an empty keep list
  printf '%s\n' "$@" > session
  local t0 t1 x0 x1
  x0=$(xcpu)
  t0=$(date +%s.%N)
  SKETRA_SCRIPT=session SKETRA_BATCH=1 /usr/bin/time -f '%U %S' -o cpu.txt timeout 600 "$korvel" "$grid" > korvel.out 2>&1 ||
    { cat korvel.out; exit 1; }
  t1=$(date +%s.%N)
  x1=$(xcpu)
  awk -v a="$t0" -v b="$t1" -v x0="$x0" -v x1="$x1" '{ printf "%.2f %.2f %.2f\n", b - a, $1 + $2, x1 - x0 }' cpu.txt
}
best() {  # the fastest of three runs (seconds passed, korvel's and the X server's processor seconds)
  local b=999999 c=999999 d=999999 t u x
  for _ in 1 2 3; do
    read -r t u x < <(run "$@")
    b=$(awk -v a="$t" -v c="$b" 'BEGIN { print (a < c) ? a : c }')
    c=$(awk -v a="$u" -v b="$c" 'BEGIN { print (a < b) ? a : b }')
    d=$(awk -v a="$x" -v b="$d" 'BEGIN { print (a < b) ? a : b }')
  done
  echo "$b $c $d"
}
view=(E 2)
leave=(X F X)
read -r base _ < <(best "${view[@]}" "${leave[@]}")
read -r shape shape_cpu _ < <(best "${view[@]}" H S "1 valley" "3 3" D X "${leave[@]}")
grep -qx 'Shapefile done' outp || { echo "no shapefile written"; exit 1; }
read -r dxf _ < <(best "${view[@]}" H D valley X "${leave[@]}")
read -r keep _ < <(best "${view[@]}" K S valley D "${leave[@]}")
# The replay: Recall loads the keep file and redraws the view with it
# behind; a plain Replot is timed the same way and taken off.
read -r replot replot_cpu replot_x < <(best "${view[@]}" R "${leave[@]}")
read -r replay replay_cpu replay_x < <(best "${view[@]}" K R valley.kep D D "${leave[@]}")

features=$(ogrinfo -al -so valley.shp | sed -n 's/^Feature Count: //p')
interval=$(awk 'NR > 6 { for (i = 1; i <= NF; ++i) { if (min == "" || $i < min) min = $i; if ($i > max) max = $i } }
                END { printf "%.4f", (max - min) / 12 }' "$grid")
gdal=999999
gdal_cpu=999999
for _ in 1 2 3; do
  rm -f contours.*
  t0=$(date +%s.%N)
  /usr/bin/time -f '%U %S' -o cpu.txt gdal_contour -q -p -amin lo -amax hi -i "$interval" "$grid" contours.shp
  t1=$(date +%s.%N)
  gdal=$(awk -v a="$t0" -v b="$t1" -v c="$gdal" 'BEGIN { t = b - a; print (t < c) ? t : c }')
  gdal_cpu=$(awk -v c="$gdal_cpu" '{ t = $1 + $2; print (t < c) ? t : c }' cpu.txt)
done
gdal_features=$(ogrinfo -al -so contours.shp | sed -n 's/^Feature Count: //p')

cost() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a - b }'; }
echo "korvel_view_only_s $base"
echo "korvel_shapefile_run_s $shape (hard copy $(cost "$shape" "$base") s, $features polygons)"
echo "korvel_dxf_run_s $dxf (hard copy $(cost "$dxf" "$base") s, $(stat -c %s valley.dxf) bytes)"
echo "korvel_keep_run_s $keep (keep file $(cost "$keep" "$base") s, $(stat -c %s valley.kep) bytes)"
echo "korvel_replay_run_s $replay (load and replay $(cost "$replay" "$replot") s;" \
  "processor: korvel $(cost "$replay_cpu" "$replot_cpu") s, X server $(cost "$replay_x" "$replot_x") s)"
echo "gdal_contour_p_s $gdal ($gdal_features polygons)"
ratio=$(awk -v a="$shape" -v b="$gdal" 'BEGIN { printf "%.2f", a / b }')
echo "korvel_shapefile_over_gdal_contour $ratio"
# Processor time alone: korvel's run also waits for the X server and
# pauses where its windows open and close, which gdal_contour never does.
echo "korvel_shapefile_cpu_s $shape_cpu gdal_contour_p_cpu_s $gdal_cpu ratio" \
  "$(awk -v a="$shape_cpu" -v b="$gdal_cpu" 'BEGIN { printf "%.2f", a / (b > 0 ? b : 0.01) }')"
status=0
check() { if awk -v v="$2" -v lim="$3" 'BEGIN { exit !(v <= lim) }'; then echo "PASS $1"; else echo "FAIL $1"; status=1; fi; }
check "shapefile hard copy <= 5 s" "$(cost "$shape" "$base")" 5
check "DXF hard copy <= 3 s" "$(cost "$dxf" "$base")" 3
check "keep file written <= 2 s" "$(cost "$keep" "$base")" 2
check "keep file replayed <= 1 s" "$(cost "$replay" "$replot")" 1
check "not slower than gdal_contour -p" "$ratio" 1
exit $status
