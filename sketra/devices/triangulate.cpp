// Ear clipping: a simple polygon cut into triangles that cover it exactly.
//
// The polygon's orientation is taken from its signed area; a vertex is an
// ear when its corner turns the same way and no other remaining vertex
// lies inside the triangle it cuts off. Cutting an ear removes its vertex.
// When no ear is found (a self-touching or degenerate polygon) the rest is
// cut as a fan, so the routine always ends. Cost: O(n^2) for the usual
// polygons, O(n^3) at worst.

#include <array>
#include <span>
#include <vector>

#include "sketra/devices/devices_internal.h"

namespace sketra::detail {

namespace {

double cross(double ax, double ay, double bx, double by, double cx, double cy) {
  return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

}  // namespace

void triangulate(std::span<const float> x, std::span<const float> y,
                 std::vector<std::array<std::size_t, 3>>& out) {
  out.clear();
  const std::size_t n = std::min(x.size(), y.size());
  if (n < 3) return;
  double area = 0;
  for (std::size_t i = 0, j = n - 1; i < n; j = i++) area += double(x[j]) * y[i] - double(x[i]) * y[j];
  const double sign = area >= 0 ? 1 : -1;
  std::vector<std::size_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = i;
  auto is_ear = [&](std::size_t k) {
    const std::size_t m = v.size();
    const std::size_t a = v[(k + m - 1) % m], b = v[k], c = v[(k + 1) % m];
    if (sign * cross(x[a], y[a], x[b], y[b], x[c], y[c]) <= 0) return false;
    for (std::size_t p : v) {
      if (p == a || p == b || p == c) continue;
      if (sign * cross(x[a], y[a], x[b], y[b], x[p], y[p]) >= 0 &&
          sign * cross(x[b], y[b], x[c], y[c], x[p], y[p]) >= 0 &&
          sign * cross(x[c], y[c], x[a], y[a], x[p], y[p]) >= 0)
        return false;
    }
    return true;
  };
  std::size_t k = 0, tried = 0;
  while (v.size() > 3) {
    const std::size_t m = v.size();
    if (tried >= m) break;  // no ear left: fan the rest
    k %= m;
    if (!is_ear(k)) {
      ++k;
      ++tried;
      continue;
    }
    out.push_back({v[(k + m - 1) % m], v[k], v[(k + 1) % m]});
    v.erase(v.begin() + std::ptrdiff_t(k));
    tried = 0;
    if (k > 0) --k;
  }
  for (std::size_t i = 1; i + 1 < v.size(); ++i) out.push_back({v[0], v[i], v[i + 1]});
}

}  // namespace sketra::detail
