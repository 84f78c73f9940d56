#pragma once
// Internals shared by the class filling and the contour lines.

#include <cstddef>

namespace sketra::detail {

// A polygon corner: position (x, y, z) and the value classed there.
struct ClassVertex {
  float x = 0, y = 0, z = 0, v = 0;
};

// The mean of n corners (position and value). Polygons of more than three
// corners are cut into triangles around it.
inline ClassVertex centroid(const ClassVertex* p, std::size_t n) {
  ClassVertex m;
  for (std::size_t k = 0; k < n; ++k) {
    m.x += p[k].x;
    m.y += p[k].y;
    m.z += p[k].z;
    m.v += p[k].v;
  }
  const float f = 1.0f / float(n);
  return {m.x * f, m.y * f, m.z * f, m.v * f};
}

}  // namespace sketra::detail
