// Lowest point per node: each point belongs to the node nearest to it; the
// node keeps the lowest value of its points. One pass over the points for
// the values and one for the points that hold them: O(points + nodes).

#include <cmath>

#include "app/gridding/gridding.h"

namespace korvel {

namespace {

constexpr float kUnset = 99999.0f;
constexpr float kNoPoint = -99999.0f;

// The node (0-based element) of point (x, y), or -1 when it lies beyond the
// grid or its position is not a number.
std::int64_t node_of(const GridGeometry& g, float x, float y) {
  const float fx = (x - g.x0) / g.dx, fy = (y - g.y0) / g.dy;
  // Range check before the conversion: beyond ±2^30 no node is near.
  if (!(std::fabs(fx) < 1.0e9f) || !(std::fabs(fy) < 1.0e9f)) return -1;
  const long ix = std::lround(fx), iy = std::lround(fy);
  if (ix < 0 || ix >= g.nx || iy < 0 || iy >= g.ny) return -1;
  return std::int64_t(ix) + std::int64_t(iy) * g.nx;
}

}  // namespace

bool gridlow(const GridGeometry& g, const ScatteredPoints& p, std::span<float> gz, const LowestPointSink& lowest,
             GridProgress& progress) {
  const std::size_t nodes = std::size_t(g.nx) * std::size_t(g.ny);
  const std::int64_t np = std::int64_t(p.size());
  mmset(gz.first(nodes), kUnset);
  for (std::int64_t k = 0; k < np; ++k) {
    if (!progress.step("lowest points", k + 1, np)) return false;
    const std::int64_t m = node_of(g, p.x[std::size_t(k)], p.y[std::size_t(k)]);
    if (m < 0) continue;
    float& v = gz[std::size_t(m)];
    const float z = p.z[std::size_t(k)];
    if (std::isnan(v) || z < v) v = z;
  }
  for (std::size_t m = 0; m < nodes; ++m)
    if (gz[m] > kUnset - 1.0f) gz[m] = kNoPoint;
  for (std::int64_t k = 0; k < np; ++k) {
    if (!progress.step("write points", k + 1, np)) return false;
    const std::size_t kk = std::size_t(k);
    const std::int64_t m = node_of(g, p.x[kk], p.y[kk]);
    if (m >= 0 && std::fabs(p.z[kk] - gz[std::size_t(m)]) < 0.01f) lowest(p.x[kk], p.y[kk], p.z[kk]);
  }
  return true;
}

}  // namespace korvel
