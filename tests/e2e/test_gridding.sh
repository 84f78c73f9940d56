#!/usr/bin/env bash
# The typical run without a person: korvel starts with a point file, the
# load dialog is applied, Grid -> Invers grids the points onto 2 m cells
# with a 3 m radius and quadrant search, the contour viewer shows the grid
# and writes it (Write -> Grid), the viewer is left, the set is named, and
# File eXit ends the session. The ESRI grid is compared with two nodes
# worked out by hand and with every node of a plain implementation of the
# quadrant rule (gridding/reference.py).
. "$(dirname "$0")/session.sh"

# The points: A on the first node (it also fixes the store origin), B 1 m
# east and north of it, then 600 random points over 60 x 40 m that keep
# away from the lower-left corner (so A and B are alone there) and from the
# upper-right corner (so its node has no point within 3 m).
python3 - <<'PY'
import random
random.seed(12)
with open('points.xyz', 'w') as f:
    f.write('2600000.00 1200000.00 10.00\n')
    f.write('2600001.00 1200001.00 20.00\n')
    n = 0
    while n < 600:
        x, y = random.uniform(0, 60), random.uniform(0, 40)
        if (x < 6 and y < 6) or (x > 52 and y > 32):
            continue
        f.write('%.2f %.2f %.2f\n' % (2600000 + x, 1200000 + y, 400 + 0.5 * x + random.uniform(-3, 3)))
        n += 1
PY

cat > session <<'SCRIPT'
## the load dialog of the point file: apply
D
## Grid, Invers; the grid form: origin, 2 m cells, 31 x 21 nodes
G
I
1 2600000
2 1200000
3 2
4 2
5 31
6 21
D
## the inverse-distance form: radius 3 m, quadrant search (preset)
1 3
D
## the contour viewer: Write, Grid to grid.asc, Done; eXit
W
G
grid.asc
D
X
## the name of the new set
river grid
## File eXit
F
X
SCRIPT

run_script session points.xyz

grep -q '^found      602 points' outp || fail "the points were not loaded"
grep -qx 'DATA STORED AS NUMBER    1' outp || fail "the set was not stored"
[ -s grid.asc ] || fail "no grid written"
head -2 grid.asc | tr -s ' ' | grep -qx 'ncols 31' || fail "ncols"
sed -n 2p grid.asc | tr -s ' ' | grep -qx 'nrows 21' || fail "nrows"

values() { tail -n +7 "$1" | tr -s ' ' '\n' | sed '/^$/d'; }
[ "$(values grid.asc | wc -l)" -eq 651 ] || fail "grid.asc holds $(values grid.asc | wc -l) values"

# By hand. Node (1, 1) lies on A, at distance 0: weight 1/d2min with
# d2min = 0.1 * (2² + 2²) = 0.8, so 1.25; B is at d² = 2, weight 0.5. The
# value is (1.25 * 10 + 0.5 * 20) / 1.75 = 12.857. Node (31, 21), the last
# of the top row, has no point within 3 m: NODATA.
first_of_bottom=$(tail -1 grid.asc | awk '{ print $1 }')
last_of_top=$(sed -n 7p grid.asc | awk '{ print $NF }')
[ "$first_of_bottom" = "12.857" ] || fail "node (1,1) is $first_of_bottom"
[ "$last_of_top" = "-9999.000" ] || fail "node (31,21) is $last_of_top"

# Every node against the plain implementation.
python3 "$e2e/gridding/reference.py" points.xyz 2600000 1200000 2 31 21 3 -9999 > expected.txt
paste <(values grid.asc) <(tr -s ' ' '\n' < expected.txt | sed '/^$/d') |
  awk '{ d = $1 - $2; if (d < 0) d = -d; if (d > 0.0006) { bad++; if (bad < 5) print NR ": " $1 " vs " $2 } }
       END { if (NR != 651 || bad) { print NR " values, " bad " differ"; exit 1 } }' ||
  fail "grid.asc differs from the reference"
echo "gridding session ok"
