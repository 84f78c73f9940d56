// The values of a triangulated surface at the nodes of a regular grid.
//
// The work runs triangle by triangle in stored order, as the result
// depends on it: a node inside two triangles takes the later one's value,
// and a node just outside the surface takes its value from the first
// triangle that reaches it by a fifth of a cell. Each triangle visits only
// the nodes of its bounding box (widened by one node each side), so the
// cost is the number of triangles times the nodes per box, about 16 for a
// surface as fine as the grid.

#include <algorithm>
#include <cmath>

#include "app/gridding/gridding.h"
#include "app/mapping/mapping.h"
#include "sketra/modes/surface/surface_viewer.h"

namespace korvel {

bool GridTarget::usable() const {
  const GridGeometry& g = geometry;
  if (g.nx < 1 || g.ny < 1 || std::int64_t(g.nx) * g.ny < 2) return false;
  if (!(g.dx > 0) || !(g.dy > 0) || !std::isfinite(g.dx) || !std::isfinite(g.dy)) return false;
  const auto n = std::size_t(g.nx) * std::size_t(g.ny);
  return gx.size() >= n && gy.size() >= n;
}

namespace {

constexpr int kProgressStep = 100;  // triangles between progress reports

// round((v - origin) / spacing) with halves away from zero, held to a range
// an int can take (a NaN gives the low end).
std::int64_t node_index(float v, float origin, float spacing) {
  const float q = (v - origin) / spacing;
  if (!(q > -1.0e9f)) return -1000000000;
  if (q > 1.0e9f) return 1000000000;
  return std::lround(q);
}

// Bounding box of up to three values, NaN passed over; false when all are NaN.
bool range(const float (&v)[3], float& lo, float& hi) {
  lo = INFINITY, hi = -INFINITY;
  for (float c : v)
    if (!std::isnan(c)) lo = std::min(lo, c), hi = std::max(hi, c);
  return lo <= hi;
}

}  // namespace

bool tin_values(const Tin& tin, const GridTarget& grid, std::span<float> values, const MapProgress& progress) {
  if (!grid.usable()) return false;
  const GridGeometry& g = grid.geometry;
  const std::size_t nodes = std::size_t(g.nx) * std::size_t(g.ny);
  if (values.size() < nodes) return false;
  mmset(values.first(nodes), grid.nodata);
  const float shift = 0.2f * g.dx;
  const float dxs[4] = {-shift, shift, 0.0f, 0.0f}, dys[4] = {0.0f, 0.0f, -shift, shift};
  const std::size_t np = std::min({tin.x.size(), tin.y.size(), tin.z.size()});
  const auto total = std::int64_t(tin.triangles.size());
  for (std::int64_t e = 0; e < total; ++e) {
    if (e % kProgressStep == 0 && progress && !progress(e, total)) return false;
    const Triangle& t = tin.triangles[std::size_t(e)];
    if (t.a < 1 || t.b < 1 || t.c < 1 || std::size_t(t.a) > np || std::size_t(t.b) > np || std::size_t(t.c) > np)
      continue;
    const std::size_t a = std::size_t(t.a - 1), b = std::size_t(t.b - 1), c = std::size_t(t.c - 1);
    const float x[3] = {tin.x[a], tin.x[b], tin.x[c]}, y[3] = {tin.y[a], tin.y[b], tin.y[c]};
    const float z[3] = {tin.z[a], tin.z[b], tin.z[c]};
    float xmin, xmax, ymin, ymax;
    if (!range(x, xmin, xmax) || !range(y, ymin, ymax)) continue;
    const std::int64_t i0 = std::max<std::int64_t>(node_index(xmin, g.x0, g.dx) - 1, 1);
    const std::int64_t i1 = std::min<std::int64_t>(node_index(xmax, g.x0, g.dx) + 1, g.nx);
    const std::int64_t j0 = std::max<std::int64_t>(node_index(ymin, g.y0, g.dy) - 1, 1);
    const std::int64_t j1 = std::min<std::int64_t>(node_index(ymax, g.y0, g.dy) + 1, g.ny);
    for (std::int64_t j = j0; j <= j1; ++j)
      for (std::int64_t i = i0; i <= i1; ++i) {
        const std::size_t m = std::size_t((j - 1) * g.nx + (i - 1));
        const float px = grid.gx[m], py = grid.gy[m];
        float v = 0;
        if (sketra::igrtri(x[0], y[0], z[0], x[1], y[1], z[1], x[2], y[2], z[2], px, py, v) != 0) {
          values[m] = v;
          continue;
        }
        // Outside: only a node still empty is reached from a shifted position.
        if (std::fabs(values[m] - grid.nodata) >= 0.1f) continue;
        for (int k = 0; k < 4; ++k)
          if (sketra::igrtri(x[0], y[0], z[0], x[1], y[1], z[1], x[2], y[2], z[2], px + dxs[k], py + dys[k], v) != 0) {
            values[m] = v;
            break;
          }
      }
  }
  if (progress) progress(total, total);
  return true;
}

}  // namespace korvel
