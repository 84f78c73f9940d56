#!/usr/bin/env bash
# Inquire on a surface of the example survey, scripted: the river banks
# are loaded, written as Node/Poly, meshed (convex hull, 200 m2) and shown;
# Inquire lists a Section across the river and the Volume below 425 m in a
# rectangle across the channel (both pages saved) and a Flowtrace from
# the channel to the log, Done, korvel left.
. "$(dirname "$0")/session.sh"

# A line across the river, a point every 5 m from the left bank.
printf '%s\n' "default 5 1 0" "2601000 1199520" "2601000 1199440" > across.xyz
# The rectangle, relative to the store origin (the banks' first point,
# 2600262.74 1199413.47): x 2600900 ... 2601100, y 1199440 ... 1199520.
cat > inquire.script <<'SCRIPT'
## load dialog; eXport Node/Poly; Mesh Open, Mesh (convex hull, 200 m2), Show
D
X
N
river
#5
O
river.node
#5
M
1 +
4 200
D
#5
S
## Inquire: Section (file, form, page saved), Volume (corners, level, page saved), Flowtrace, Done
I
S
across.xyz
4 km 0.7
D
S
section.txt
D
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
#7 737.26 66.53
D
X
F
X
SCRIPT
run_script inquire.script "$ex/river_banks.xyzi"
[ -s river.1.ele ] && [ -s section.txt ] && [ -s volume.txt ] || fail "no mesh or no pages"

# Both pages, independently: each section station interpolated in the
# triangle holding it, and area and volumes summed over the triangles whose
# centroid lies in the rectangle; single precision may differ in the last
# digit (section) or unit (volumes).
awk '
  (FNR == 1 && FILENAME ~ /(node|ele)$/) || /^#/ { next }
  FILENAME ~ /node$/ { x[$1] = $2; y[$1] = $3; z[$1] = $4; next }
  FILENAME ~ /ele$/ { t++; a[t] = $2; b[t] = $3; c[t] = $4; next }
  FILENAME == "section.txt" && !/^\// { got[++n] = $2; st[n] = $1 }
  FILENAME == "volume.txt" { split($0, f, "="); vol[FNR] = f[2] + 0 }
  END {
    for (s = 0; s <= 80; s += 5) {
      px = 2601000; py = 1199520 - s; k = s / 5 + 1
      for (e = 1; e <= t; e++) {
        p = a[e]; q = b[e]; r = c[e]
        d = (y[q] - y[r]) * (x[p] - x[r]) + (x[r] - x[q]) * (y[p] - y[r])
        l1 = ((y[q] - y[r]) * (px - x[r]) + (x[r] - x[q]) * (py - y[r])) / d
        l2 = ((y[r] - y[p]) * (px - x[r]) + (x[p] - x[r]) * (py - y[r])) / d
        if (l1 < -1e-6 || l2 < -1e-6 || 1 - l1 - l2 < -1e-6) continue
        want = l1 * z[p] + l2 * z[q] + (1 - l1 - l2) * z[r]
        if (st[k] != s || got[k] - want > 0.0015 || want - got[k] > 0.0015) { print "station", s, got[k], want; bad = 1 }
        break
      }
    }
    for (e = 1; e <= t; e++) {
      p = a[e]; q = b[e]; r = c[e]
      cx = (x[p] + x[q] + x[r]) / 3; cy = (y[p] + y[q] + y[r]) / 3
      if (cx < 2600900 || cx > 2601100 || cy < 1199440 || cy > 1199520) continue
      zc = (z[p] + z[q] + z[r]) / 3
      A = 0.5 * ((y[q] - y[r]) * x[p] - (y[p] - y[r]) * x[q] + (y[p] - y[q]) * x[r])
      v[1] += A; if (zc < 425) v[2] += (425 - zc) * A; else v[3] += (zc - 425) * A
    }
    for (i = 1; i <= 3; i++) if (vol[i] - v[i] > 1.5 || v[i] - vol[i] > 1.5) { print "volume line", i, vol[i], v[i]; bad = 1 }
    exit bad || n != 17 || v[1] < 10000 }' river.1.node river.1.ele section.txt volume.txt || fail "the pages differ"
head -1 section.txt | grep -qx '/Section km 0.7' && tail -1 section.txt | grep -qx '/Section km 0.7' ||
  fail "section.txt: no comment lines"
grep -q '^Area        \[m2\]=.*[0-9]\.$' volume.txt || fail "volume.txt: $(cat volume.txt)"
# The flow path in the log: from the clicked node (code 1) ever lower.
awk 'NF == 5 && $4 ~ /^[01]$/ && $1 ~ /^26[0-9]+\.[0-9][0-9]$/ { n++; if (n == 1 && $4 != 1 || n > 1 && ($4 != 0 || $3 > z)) bad = 1; z = $3 }
     END { exit bad || n < 2 }' outp || fail "no flow path in outp"
echo "surface inquire session ok: $(tr '\n' ' ' < volume.txt)"
