#!/usr/bin/env bash
# A person measures on a triangulated surface: korvel starts with a node
# file (a tilted plane, z = 400 + 0.1 x + 0.05 y over 200 x 150 m, its
# element file beside it) and Map shows it. Inquire, then Slope and two
# clicks in the plot: the message line gives distance and slope. Volume:
# four clicks around the middle, Done, the level 430 typed; the page with
# area and volumes is on the screen (screen shot), saved as volume.txt and
# closed; Done leaves Inquire, x the viewer, F X korvel.
#
# The slope must be the plane's along the clicked leg; area and volumes
# must be what the triangles inside the polygon korvel logged give.
. "$(dirname "$0")/session.sh"

awk 'BEGIN {
  nx = 21; ny = 16; print nx * ny, 2, 1, 0
  for (j = 0; j < ny; ++j) for (i = 0; i < nx; ++i)
    printf "%d %.3f %.3f %.3f\n", j * nx + i + 1, 2600000 + 10 * i, 1200000 + 10 * j, 400 + i + 0.5 * j
}' > plane.node
awk 'BEGIN {
  nx = 21; ny = 16; print 2 * (nx - 1) * (ny - 1), 3, 0; k = 0
  for (j = 0; j < ny - 1; ++j) for (i = 0; i < nx - 1; ++i) {
    p = j * nx + i + 1
    print ++k, p, p + 1, p + nx + 1; print ++k, p, p + nx + 1, p + nx }
}' > plane.ele

start_korvel plane.node
click_on Map
wait_for_menu Inquire
sleep 1
read -r ww wh < <(xdotool getwindowgeometry "$wid" | awk '/Geometry/ { split($2, g, "x"); print g[1], g[2] }')
cx=$((ww * 2 / 5)) cy=$((wh / 2))
at() { xdotool mousemove --window "$wid" "$1" "$2" click 1; sleep 0.4; }

click_on Inquire
click_on Slope
at $((cx - 100)) $((cy + 60))
at $((cx + 120)) $((cy - 40))
wait_log "^distance="
click_on Volume
wait_for_menu Read
at $((cx - 80)) $((cy - 60))
at $((cx + 90)) $((cy - 60))
at $((cx + 90)) $((cy + 70))
at $((cx - 80)) $((cy + 70))
click_on Done
sleep 0.5
xdotool type --delay 20 430
xdotool key Return
wait_for_menu Save
shot volume
click_on Save
sleep 0.5
xdotool type --delay 20 volume.txt
xdotool key Return
for _ in $(seq 50); do [ -s volume.txt ] && break; sleep 0.1; done
click_on Done   # the page
click_on Done   # Inquire
sleep 0.5
xdotool key x
sleep 0.5
quit

# Slope: the message against the plane between the two points (the leg's
# ends are the logged click positions of no file, so take the slope the
# plane gives along any leg: |slope| at most |grad| = 11.18 %).
line=$(grep -m1 '^distance=' outp)
awk -v l="$line" 'BEGIN {
  split(l, w, /[=%m ]+/)
  if (!(w[2] > 10 && w[2] < 400)) exit 1
  s = w[4]; if (s < 0) s = -s; if (s > 11.19 || s < 1) exit 1 }' || fail "slope message: $line"
# Volume: the polygon korvel logged (absolute x, y and " /"), and the
# triangles whose centroid lies inside it.
grep -E '^ +[0-9]+\.[0-9]{3} +[0-9]+\.[0-9]{3} /$' outp | tail -4 > polygon.xy
[ "$(wc -l < polygon.xy)" -eq 4 ] || fail "no polygon in the log"
awk '
  FILENAME == "polygon.xy" { n++; px[n] = $1; py[n] = $2; next }
  FNR == 1 { next }
  FILENAME ~ /node$/ { x[$1] = $2; y[$1] = $3; z[$1] = $4; next }
  { p = $2; q = $3; r = $4
    cx = (x[p] + x[q] + x[r]) / 3; cy = (y[p] + y[q] + y[r]) / 3
    inside = 0
    j = n
    for (i = 1; i <= n; i++) {
      if ((py[i] > cy) != (py[j] > cy) && cx < (px[j] - px[i]) * (cy - py[i]) / (py[j] - py[i]) + px[i]) inside = !inside
      j = i
    }
    if (!inside) next
    zc = (z[p] + z[q] + z[r]) / 3
    A = 0.5 * ((y[q] - y[r]) * x[p] - (y[p] - y[r]) * x[q] + (y[p] - y[q]) * x[r])
    area += A; if (zc < 430) below += (430 - zc) * A; else above += (zc - 430) * A }
  END { printf "Area        [m2]=%11.0f.\nVolume below[m3]=%11.0f.\nVolume above[m3]=%11.0f.\n", area, below, above }
' polygon.xy plane.node plane.ele > volume.expected
# Single-precision sums may differ in the last unit.
paste -d '|' volume.expected volume.txt | awk -F '|' '
  { if (substr($1, 1, 17) != substr($2, 1, 17) || length($2) != 29) exit 1
    d = substr($1, 18) - substr($2, 18); if (d > 1 || d < -1) exit 1 }
  END { if (NR != 3) exit 1 }' || fail "the volume page differs: $(paste volume.expected volume.txt)"
[ "$(colours volume)" -ge 8 ] || fail "the surface is not on the screen"
echo "surface inquire person session ok: $(tr '\n' ' ' < volume.txt)"
