#!/usr/bin/env bash
# Triangulated surfaces in a whole session without a person: the project's
# mesher triangulates the river's breaklines (node and poly files), korvel
# loads the mesher's node file, Map reads the element file beside it and
# opens the surface viewer, Examine and Nearest ask at the first triangle's
# centroid, and the session leaves through File eXit. The log must hold the
# triangle count, the value found (the mean of the three corners) and the
# nearest node.
set -euo pipefail
: "${KORVEL:?}" "${KORVEL_SOURCE_DIR:?}"
meshgen=${MESHGEN:-$(dirname "$KORVEL")/meshgen}
[ -x "$meshgen" ] || { echo "meshgen missing: $meshgen"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
data=$KORVEL_SOURCE_DIR/tests/meshgen/data
cp "$data/korvel_river.node" "$data/korvel_river.poly" .
"$meshgen" -p korvel_river > meshgen.out || { cat meshgen.out; exit 1; }
[ -f korvel_river.1.ele ] || { echo "meshgen wrote no element file"; exit 1; }

fail() { echo "$*"; exit 1; }

# The first triangle's corners, absolute, and its centroid relative to the
# first node (the store origin).
read -r ntri _ < <(grep -v '^#' korvel_river.1.ele | head -1)
read -r _ a b c < <(grep -v '^#' korvel_river.1.ele | sed -n 2p)
node() { grep -v '^#' korvel_river.1.node | awk -v n="$1" 'NR > 1 && $1 == n { print $2, $3, $4 }'; }
read -r x0 y0 _ < <(grep -v '^#' korvel_river.1.node | sed -n 2p | awk '{ print $2, $3, $4 }')
read -r cx cy cz < <({ node "$a"; node "$b"; node "$c"; } |
  awk '{ x += $1; y += $2; z += $3 } END { printf "%.4f %.4f %.4f\n", x / 3, y / 3, z / 3 }')
point=$(awk -v x="$cx" -v y="$cy" -v x0="$x0" -v y0="$y0" 'BEGIN { printf "%.4f %.4f", x - x0, y - y0 }')
sed "s/^@POINT@$/E $point\nN $point/" "$KORVEL_SOURCE_DIR/tests/e2e/surface/session" > session

SKETRA_SCRIPT=session timeout 120 "$KORVEL" korvel_river.1.node > korvel.out || {
  echo "korvel failed"; cat korvel.out; exit 1; }

grep -qx " found$(printf '%10d' "$ntri") triangles" outp || fail "no triangle count $ntri in outp"
line=$(grep -m1 '^(X,Y):.*  F:' outp) || fail "no Examine line in outp"
awk -v l="$line" -v x="$cx" -v y="$cy" -v z="$cz" 'BEGIN {
  n = split(l, w, /[ :]+/)
  if (w[2] - x > 0.006 || x - w[2] > 0.006 || w[3] - y > 0.006 || y - w[3] > 0.006) exit 1
  if (w[n] - z > 0.006 || z - w[n] > 0.006) exit 1 }' || fail "Examine: $line, expected $cx $cy $cz"
grep -q "^(X,Y):.* (I):" outp || fail "no Nearest line in outp"
! grep -q 'unknown script line' outp || fail "the script was misread"
echo "surface session ok"
