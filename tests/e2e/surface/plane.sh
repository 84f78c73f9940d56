# Writes plane.node and plane.ele into the working folder: a tilted plane
# z = 400 + 0.1 x + 0.05 y of 21 x 16 nodes 10 m apart from (2600000,
# 1200000), two triangles per cell (600). Sourced by the surface sessions.
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
