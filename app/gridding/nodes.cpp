#include <algorithm>

#include "app/gridding/gridding.h"

namespace korvel {

void mmset(std::span<float> a, float v) { std::fill(a.begin(), a.end(), v); }

void grid_nodes(const GridGeometry& g, std::span<float> gx, std::span<float> gy) {
  std::size_t m = 0;
  float y = g.y0;
  for (int j = 0; j < g.ny; ++j) {
    float x = g.x0;
    for (int i = 0; i < g.nx; ++i, ++m) {
      gx[m] = x;
      gy[m] = y;
      x += g.dx;
    }
    y += g.dy;
  }
}

}  // namespace korvel
