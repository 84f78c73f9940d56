#!/usr/bin/env bash
# The surface viewer's Map and Write in a whole scripted session: korvel
# exports the example survey's points as a node file, the project's mesher
# triangulates it, and korvel shows that surface (Map of the main menu).
# In the viewer, Map -> Node maps the surface onto a copy of the exported
# node file whose values were zeroed, then Write stores the surface as 2DM
# and as Node/Ele, and korvel is left. Every mapped node is a vertex of the
# surface, so it must get its survey height back; the 2DM and Node/Ele
# files must hold the mesher's nodes and triangles.
. "$(dirname "$0")/session.sh"
meshgen=${MESHGEN:-$(dirname "$KORVEL")/meshgen}
[ -x "$meshgen" ] || fail "meshgen missing: $meshgen"

# Session 1: the survey's points exported as survey.node and survey.poly.
cat > export.script <<'SCRIPT'
## the load dialog of river_points.xyz: apply
D
## eXport Node/Poly with the prefix survey
X
N
survey
F
X
SCRIPT
SKETRA_BATCH=1 run_script export.script "$ex/river_points.xyz"
"$meshgen" -pc survey > meshgen.out || { cat meshgen.out; fail "meshgen failed"; }
[ -f survey.1.ele ] || fail "meshgen wrote no element file"

# The node file to map: the exported one with every value 0 and a comment
# line of our own.
awk 'NR == 1 { print "# survey nodes to be given heights"; print; next }
     /^#/ { print; next } { $4 = "0.0"; print }' survey.node > map.node

cat > surface.script <<'SCRIPT'
## Map of the main menu (Mesh takes its hot key): the surface viewer
#3
## Map -> Node: map.node; Done
M
N
map.node
D
## Write -> 2dm and Node/Ele; Done
W
2
survey.2dm
N
survey.nodeele
D
## leave the viewer and korvel
X
F
X
SCRIPT
SKETRA_BATCH=1 run_script surface.script survey.1.node
grep -q "node file updated" outp || { tail -20 outp; fail "no 'node file updated'"; }
grep -q "^.2dm format stored on survey.2dm" outp || fail "no 2dm message"
grep -q "^node/ele stored on survey.nodeele" outp || fail "no node/ele message"

# map.node: the same lines, the values back at the survey's heights.
[ "$(wc -l < map.node)" -eq "$(($(wc -l < survey.node) + 1))" ] || fail "map.node lost lines"
head -2 map.node | tail -1 | cmp -s - <(head -1 survey.node) || fail "map.node header changed"
tail -1 map.node | cmp -s - <(tail -1 survey.node) || fail "map.node trailer changed"
awk '/^#/ || FNR == (FILENAME == ARGV[1] ? 1 : 2) { next }
     FILENAME == ARGV[1] { z[$1] = $4; x[$1] = $2; next }
     { n++; d = $4 - z[$1]; if (d < 0) d = -d; if (d > 0.001 || $2 != x[$1]) { bad++; if (bad < 4) print } }
     END { if (bad || n != 29993) { print n, bad; exit 1 } }' survey.node map.node || fail "map.node values wrong"

# survey.2dm and survey.nodeele against the mesher's nodes and triangles.
nn=$(awk 'NR == 1 { print $1 }' survey.1.node)
ne=$(grep -v '^#' survey.1.ele | awk 'NR == 1 { print $1 }')
awk -v nn="$nn" -v ne="$ne" '
  FILENAME ~ /1.node$/ { if (FNR > 1 && !/^#/) { x[$1] = $2; y[$1] = $3; z[$1] = $4 } next }
  FILENAME ~ /1.ele$/ { if (!/^#/ && ++k > 1) t[$1] = $2 " " $3 " " $4; next }
  function far(a, b, tol) { d = a - b; if (d < 0) d = -d; return d > tol }
  $1 == "E3T" { e++; if ($3 " " $4 " " $5 != t[$2] || $6 != 1) bad++; next }
  $1 == "ND" { n++; if (far($3, x[$2], 0.01) || far($4, y[$2], 0.01) || far($5, z[$2], 0.001)) bad++; next }
  END { if (bad || n != nn || e != ne) { print "2dm:", n, e, bad; exit 1 } }' survey.1.node survey.1.ele survey.2dm ||
  fail "survey.2dm differs"
awk -v nn="$nn" -v ne="$ne" '
  FILENAME ~ /1.node$/ { if (FNR > 1 && !/^#/) { x[$1] = $2; z[$1] = $4 } next }
  FILENAME ~ /1.ele$/ { if (!/^#/ && ++k > 1) t[$1] = $2 " " $3 " " $4; next }
  function far(a, b, tol) { d = a - b; if (d < 0) d = -d; return d > tol }
  FNR == 1 { if ($1 != nn || $2 " " $3 " " $4 != "2 1 1") bad++; next }
  FNR <= nn + 1 { if (far($2, x[$1], 0.001) || far($4, z[$1], 0.001) || $5 != 0) bad++; next }
  FNR == nn + 2 { if ($1 != ne || $2 " " $3 != "3 0") bad++; next }
  { e++; if ($2 " " $3 " " $4 != t[$1]) bad++ }
  END { if (bad || e != ne) { print "node/ele:", e, bad; exit 1 } }' survey.1.node survey.1.ele survey.nodeele ||
  fail "survey.nodeele differs"
echo "surface files session ok"
