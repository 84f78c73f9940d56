#!/usr/bin/env bash
# The Mesh menu on a mesh of about 1,000,000 triangles: korvel started on
# the benchmark river's PSLG (bench/meshgen_river.py, 10,000 segments)
# runs Mesh Open, Mesh with quality and the area limit that gives the
# target count, Show (the viewer drawn once, then left) and File eXit; the
# whole korvel process is timed, the generator's run included. The peer is
# gmsh -2 meshing the same geometry to about the same count, whole process.
#
#   KORVEL=build/korvel bash bench/mesh_menu.sh
#
# Target: korvel's session at most 8 s.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
korvel=${KORVEL:-$here/../build/korvel}
meshgen=${MESHGEN:-$(dirname "$korvel")/meshgen}
target=${TRIANGLES:-1000000}
[ -x "$korvel" ] && [ -x "$meshgen" ] || { echo "missing $korvel or $meshgen"; exit 1; }
command -v gmsh > /dev/null || { echo "missing gmsh (scripts/install-deps.sh installs it)"; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$@"
fi
mkdir -p "$here/data/mesh_menu"
cd "$here/data/mesh_menu"
rm -f river.* session outp .grset

# The geometry, and the area limit that gives the target count.
python3 "$here/meshgen_river.py" river 10000 2.0
"$meshgen" -pqa1.6Q river
area=$(awk -v t="$target" 'NR == 1 { printf "%.4f", 1.6 * $1 / t }' river.1.ele)
rm -f river.1.*

cat > session <<SCRIPT
#5
O
river.node
#5
M
4 $area
D
#5
S
X
F
X
SCRIPT
start=$(date +%s.%N)
SKETRA_SCRIPT=session "$korvel" > korvel.out
korvel_s=$(echo "$(date +%s.%N) - $start" | bc)
cells=$(awk 'NR == 1 { print $1 }' river.1.ele)

# gmsh: the element size of an equilateral triangle of that area.
size=$(awk -v a="$area" 'BEGIN { printf "%.6f", sqrt(4 * a / sqrt(3)) }')
python3 "$here/meshgen_river.py" river 10000 "$size"
start=$(date +%s.%N)
gmsh -2 -format msh22 river.geo -o river_gmsh.msh > /dev/null
gmsh_s=$(echo "$(date +%s.%N) - $start" | bc)
gmsh_cells=$(awk '/^\$Elements/ { on = 1; getline; next } /^\$EndElements/ { on = 0 } on && $2 == 2 { c++ }
                 END { print c + 0 }' river_gmsh.msh)

printf 'area_limit %s\nkorvel_triangles %s\nkorvel_session_seconds %.2f\n' "$area" "$cells" "$korvel_s"
printf 'gmsh_triangles %s\ngmsh_seconds %.2f\n' "$gmsh_cells" "$gmsh_s"
grep -q "found$(printf '%10d' "$cells") elements" outp || { echo "FAIL korvel did not read the mesh"; exit 1; }
if [ "$(echo "$korvel_s <= 8" | bc)" -eq 1 ]; then echo "PASS session <= 8 s"; else echo "FAIL session <= 8 s"; exit 1; fi
