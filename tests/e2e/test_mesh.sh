#!/usr/bin/env bash
# The Mesh menu on the example river banks.
#
# Session 1 (a script): the banks are loaded and written as Node/Poly; Mesh
# Open reads river.node, Mesh runs the generator with the convex hull,
# quality and an area limit of 200 m2 (river.1), Info's page is saved,
# Remesh gives river.2, Refine with a small wave file makes three passes
# (100, 50 and 25 m2: river.3 to river.5), Show, and eXport Unstruct
# afterwards still holds every survey point.
#
# Session 2 (a person): Mesh, Open, river.5.node in the file browser,
# Remesh with Apply, Info; the page is saved, the screen captured, Done;
# Show, the screen captured, x leaves the viewer and F X korvel. Clicks go
# by label through the layout log (person.sh).
. "$(dirname "$0")/session.sh"
banks=$ex/river_banks.xyzi

# Three wave points on the banks, 1 m/s: admissible areas far below 25 m2.
printf '%s 1.0\n' "2602327.67 1199931.59" "2600583.36 1199589.83" "2601780.85 1199611.85" > wave.xyz

cat > mesh.script <<'SCRIPT'
## the load dialog of the banks: apply; eXport Node/Poly as river
D
X
N
river
## Mesh (the bar's fifth entry: M is Map's hot key) Open: no mesh yet, so the file dialog takes river.node
#5
O
river.node
## Mesh: convex hull on, quality as it is, area limit 200 m2
#5
M
1 +
4 200
D
## Info, its page saved as info.txt, then closed
#5
I
S
info.txt
D
## Remesh with the same settings
#5
#2
D
## Refine: smallest area 25 m2, time step and factor as offered
#5
#3
1 25
D
## Show, and the viewer left
#5
S
X
## eXport Unstruct, File eXit
X
U
after.unstruct
F
X
SCRIPT
run_script mesh.script "$banks"

# Names and counts: every mesh korvel read is the one the files hold, and
# the mesh grows from pass to pass.
prev=0
for m in river.1 river.2 river.3 river.4 river.5; do
  [ -s "$m.node" ] && [ -s "$m.ele" ] || fail "$m was not generated"
  n=$(awk 'NR == 1 { print $1 }' "$m.ele")
  [ "$n" -ge "$prev" ] || fail "$m has fewer cells than the mesh before"
  prev=$n
done
[ ! -e river.6.node ] || fail "a sixth mesh was generated"
nodes=$(awk 'NR == 1 { print $1 }' river.5.node)
cells=$(awk 'NR == 1 { print $1 }' river.5.ele)
[ "$(awk 'NR == 1 { print $1 }' river.4.area)" -eq "$(awk 'NR == 1 { print $1 }' river.4.ele)" ] ||
  fail "river.4.area does not cover river.4"
grep -qx "Mesh river.5 Area \[m2\]  25.0, Cells$(printf '%9d' "$cells")" "$out" ||
  fail "no report of the last pass: $(grep '^Mesh' "$out")"
[ "$(grep -c '^Mesh river' "$out")" -eq 3 ] || fail "not three passes"

# Info of river.1, byte for byte.
n1=$(awk 'NR == 1 { print $1 }' river.1.node)
e1=$(awk 'NR == 1 { print $1 }' river.1.ele)
s1=$(awk 'NR == 2 { print $1 }' river.1.poly)
{
  echo "Filename  = river.1"
  echo "Iteration =  1"
  printf 'Nodes     =%10d\n' "$n1"
  printf 'Segments  =%10d\n' "$s1"
  printf 'Elements  =%10d\n' "$e1"
} > info.expected
diff info.expected info.txt || fail "the Info page differs"
grep -q "found$(printf '%10d' "$cells") elements" outp || fail "no element count for river.5 in the log"

# The survey points are untouched: eXport writes every one where it was read.
awk '{ printf "%.2f %.2f %.3f\n", $1, $2, $3 }' "$banks" > survey.expected
sed -n '/^lines \//,/^xyz \//p' after.unstruct | awk 'NF >= 3 && $1 ~ /^[0-9]/ { printf "%.2f %.2f %.3f\n", $1, $2, $3 }' \
  > survey.after
diff -q survey.expected survey.after > /dev/null || fail "the survey points changed: $(diff survey.expected survey.after | head -3)"
echo "scripted mesh session ok: river.5 with $nodes nodes and $cells cells"

# Session 2: a person opens river.5 in the file browser, remeshes it,
# looks at Info and at the mesh.
start_korvel
click_on Mesh
click_on Open
click_on river.5.node   # into the Filename field
click_on river.5.node   # and opened
click_on Mesh
click_on Remesh
click_on Apply
click_on Mesh
click_on Info
save_page person.txt
shot info
click_on Done
click_on Mesh
click_on Show
wait_for_menu Examine
shot show
leave_viewer

cells=$(awk 'NR == 1 { print $1 }' river.6.ele)
[ "$(sed -n 1p person.txt)" = "Filename  = river.6" ] || fail "person's Info: $(sed -n 1p person.txt)"
[ "$(sed -n 2p person.txt)" = "Iteration =  1" ] || fail "person's Info: $(sed -n 2p person.txt)"
[ "$(sed -n 5p person.txt)" = "Elements  =$(printf '%10d' "$cells")" ] || fail "person's Info: $(sed -n 5p person.txt)"
# The page is on the screen: dark text on its light ground.
dark=$(convert "$work/info.png" -colorspace gray -threshold 50% -negate -format '%[fx:int(mean*w*h)]' info: 2>/dev/null ||
  echo 0)
echo "dark pixels: $dark"
[ "$dark" -gt 500 ] || fail "the Info page is not on the screen"
n=$(colours show 100%x100%)
echo "colours of the mesh on the screen: $n"
[ "$n" -ge 12 ] || fail "the mesh is not on the screen"
echo "mesh menu ok"
