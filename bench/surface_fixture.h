#pragma once
// The surface of the surface benchmarks: 1001 x 1001 jittered nodes over
// 1000 m, two triangles per cell (2,000,000 triangles), a smooth height.

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "app/formats/geometry.h"

namespace bench {

constexpr int kSide = 1001;   // nodes per side: 2 * 1000 * 1000 triangles
constexpr float kExtent = 1000.0f;

struct Surface {
  std::vector<float> x, y, z;
  std::vector<korvel::Triangle> t;
};

inline float height(float x, float y) {
  return 400.0f + 20.0f * std::sin(x / 90.0f) * std::cos(y / 130.0f) + 0.01f * x;
}

// nx x ny nodes d apart (jittered inside by up to jitter x d), two
// triangles per cell, z = height(x, y).
template <class F>
Surface make_surface(int nx, int ny, float d, float jitter, F height) {
  Surface s;
  std::mt19937 gen(3);
  std::uniform_real_distribution<float> u(-jitter, jitter);
  for (int j = 0; j < ny; ++j)
    for (int i = 0; i < nx; ++i) {
      const bool edge = i == 0 || j == 0 || i == nx - 1 || j == ny - 1;
      const float x = float(i) * d + (edge ? 0 : u(gen) * d), y = float(j) * d + (edge ? 0 : u(gen) * d);
      s.x.push_back(x), s.y.push_back(y), s.z.push_back(height(x, y));
    }
  for (int j = 0; j + 1 < ny; ++j)
    for (int i = 0; i + 1 < nx; ++i) {
      const std::int32_t p = j * nx + i + 1;
      s.t.push_back({p, p + 1, p + nx + 1});
      s.t.push_back({p, p + nx + 1, p + nx});
    }
  return s;
}

inline const Surface& surface() {
  static const Surface s = make_surface(kSide, kSide, kExtent / float(kSide - 1), 0.3f, height);
  return s;
}

}  // namespace bench
