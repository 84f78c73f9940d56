#!/usr/bin/env bash
# Inquire on a surface of the example survey, in a scripted session: the
# river banks are loaded, written as Node/Poly and meshed (convex hull,
# 200 m2) and the mesh is shown; Inquire lists a Section across the river
# at km 0.7 (its page saved) and the Volume below 425 m inside a rectangle
# across the channel (its page saved), Done, and korvel is left.
#
# The test works out both from the mesh files itself: the section's values
# by linear interpolation in the triangle holding each station, the area
# and volumes from the triangles whose centroid lies in the rectangle.
. "$(dirname "$0")/session.sh"

# A line across the river, a point every 5 m from the left bank.
printf '%s\n' "default 5 1 0" "2601000 1199520" "2601000 1199440" > across.xyz
# The rectangle, relative to the store origin (the banks' first point,
# 2600262.74 1199413.47): x 2600900 ... 2601100, y 1199440 ... 1199520.
cat > inquire.script <<'SCRIPT'
## the load dialog: apply; eXport Node/Poly as river; Mesh Open river.node
D
X
N
river
#5
O
river.node
## Mesh: convex hull, area limit 200 m2; Show opens the surface viewer
#5
M
1 +
4 200
D
#5
S
## Inquire, Section: the file, the form applied, the page saved
I
S
across.xyz
4 km 0.7
D
S
section.txt
D
## Volume: four corners, Done, the level, the page saved
V
. 637.26 26.53
. 837.26 26.53
. 837.26 106.53
. 637.26 106.53
D
425
S
volume.txt
D
## Done; leave the viewer and korvel
D
X
F
X
SCRIPT
run_script inquire.script "$ex/river_banks.xyzi"
[ -s river.1.node ] && [ -s river.1.ele ] || fail "no mesh river.1"
[ -s section.txt ] || fail "no section page"
[ -s volume.txt ] || fail "no volume page"

# The section, independently: stations 0, 5, ... 80 m on x = 2601000, y
# from 1199520 southwards, each in the triangle holding it.
awk -v out=section.expected '
  FNR == 1 { next } /^#/ { next }
  FILENAME ~ /node$/ { x[$1] = $2; y[$1] = $3; z[$1] = $4; next }
  { t++; a[t] = $2; b[t] = $3; c[t] = $4 }
  END {
    print "/Section km 0.7" > out
    for (s = 0; s <= 80; s += 5) {
      px = 2601000; py = 1199520 - s
      for (k = 1; k <= t; k++) {
        p = a[k]; q = b[k]; r = c[k]
        d = (y[q] - y[r]) * (x[p] - x[r]) + (x[r] - x[q]) * (y[p] - y[r])
        if (d == 0) continue
        l1 = ((y[q] - y[r]) * (px - x[r]) + (x[r] - x[q]) * (py - y[r])) / d
        l2 = ((y[r] - y[p]) * (px - x[r]) + (x[p] - x[r]) * (py - y[r])) / d
        l3 = 1 - l1 - l2
        if (l1 < -1e-6 || l2 < -1e-6 || l3 < -1e-6) continue
        printf "%12.3f%12.3f /\n", s, l1 * z[p] + l2 * z[q] + l3 * z[r] > out
        break
      }
    }
    print "/Section km 0.7" > out
  }' river.1.node river.1.ele
# Values are interpolated in single precision: the last digit may differ.
paste -d '|' section.expected section.txt | awk -F '|' '
  { n1 = split($1, e, " "); n2 = split($2, g, " ")
    if (n1 != n2) bad = 1
    for (i = 1; i <= n1; i++) {
      if (e[i] ~ /^[-0-9.]+$/) { d = e[i] - g[i]; if (d < 0) d = -d; if (d > 0.0015) bad = 1 }
      else if (e[i] != g[i]) bad = 1 } }
  END { exit bad }' || fail "the section differs: $(diff section.expected section.txt | head -6)"
[ "$(wc -l < section.txt)" -eq 19 ] || fail "section.txt: $(wc -l < section.txt) lines, not 19"

# The volume, independently.
awk '
  FNR == 1 { next } /^#/ { next }
  FILENAME ~ /node$/ { x[$1] = $2; y[$1] = $3; z[$1] = $4; next }
  { p = $2; q = $3; r = $4
    cx = (x[p] + x[q] + x[r]) / 3; cy = (y[p] + y[q] + y[r]) / 3
    if (cx < 2600900 || cx > 2601100 || cy < 1199440 || cy > 1199520) next
    zc = (z[p] + z[q] + z[r]) / 3
    A = 0.5 * ((y[q] - y[r]) * x[p] - (y[p] - y[r]) * x[q] + (y[p] - y[q]) * x[r])
    area += A; if (zc < 425) below += (425 - zc) * A; else above += (zc - 425) * A }
  END { printf "%.0f %.0f %.0f\n", area, below, above }' river.1.node river.1.ele > volume.expected
read -r ea eb ec < volume.expected
awk -v a="$ea" -v b="$eb" -v c="$ec" -F '=' '
  NR == 1 && $1 != "Area        [m2]" { exit 1 }
  NR == 2 && $1 != "Volume below[m3]" { exit 1 }
  NR == 3 && $1 != "Volume above[m3]" { exit 1 }
  { v[NR] = $2 + 0; if (length($2) != 12) exit 1 }
  END { want[1] = a; want[2] = b; want[3] = c
        for (i = 1; i <= 3; i++) { d = v[i] - want[i]; if (d < 0) d = -d; if (d > 2 + 1e-5 * want[i]) exit 1 }
        if (NR != 3 || a < 10000) exit 1 }' volume.txt ||
  fail "the volume page differs: $(cat volume.txt), expected $ea $eb $ec"
echo "surface inquire session ok: $(tr '\n' ' ' < volume.txt)"
