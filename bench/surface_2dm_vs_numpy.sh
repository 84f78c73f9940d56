#!/usr/bin/env bash
# Writing a 2,000,000-triangle surface as 2DM: korvel's Write -> 2dm (the
# BM_Write2dm benchmark, which also reads the file back with korvel's 2DM
# reader) beside numpy.savetxt writing the same cards in the same layout
# from arrays already in memory. Both write to the same disk.
#
#   KORVEL=build/korvel bash bench/surface_2dm_vs_numpy.sh
#
# Target: korvel at least 150 MB/s.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
korvel=${KORVEL:-$here/../build/korvel}
tool=$(dirname "$korvel")/bench/surface_files_bench
[ -x "$tool" ] || { echo "missing $tool (build with -DKORVEL_BENCH=ON)"; exit 1; }
echo "-- korvel"
"$tool" --benchmark_filter=BM_Write2dm
read -r nodes triangles < <("$tool" --counts)
/usr/bin/python3 -c 'import numpy' 2> /dev/null || { echo "numpy missing: peer skipped"; exit 0; }
mkdir -p "$here/data"
echo "-- numpy.savetxt"
/usr/bin/python3 - "$here/data/numpy.2dm" "$nodes" "$triangles" <<'PY'
import os, sys, time
import numpy as np
name, n, m = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = np.random.default_rng(3)
xyz = np.column_stack([np.arange(1, n + 1), 2600000 + rng.uniform(0, 1000, n), 1200000 + rng.uniform(0, 1000, n),
                       400 + rng.uniform(-20, 20, n)])
ele = np.column_stack([np.arange(1, m + 1), rng.integers(1, n, (m, 3)), np.ones(m, dtype=np.int64)])
t0 = time.perf_counter()
with open(name, "w") as f:
    f.write("MESH2D\n")
    np.savetxt(f, ele, fmt="E3T %8d%8d%8d%8d%4d")
    np.savetxt(f, xyz, fmt="ND %8d%16.9E%16.9E%14.7E")
    f.flush()
    os.fsync(f.fileno())
t = time.perf_counter() - t0
size = os.path.getsize(name)
print(f"numpy_savetxt_2dm seconds={t:.3f} bytes={size} MB/s={size / t / 1e6:.1f}")
os.remove(name)
PY
