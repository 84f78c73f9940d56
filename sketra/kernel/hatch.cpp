// Hatching of polygons.
//
// The hatch lines are laid out in screen-proportional units (one unit =
// `spacing` pixels on both axes, origin at the lower-left window corner
// XMINGR, YMINGR), so lines of neighbouring polygons line up and diagonal
// families run at 45 degrees on the screen with the same perpendicular
// spacing as the horizontal and vertical ones. For each line the polygon
// edges that cross it are found with a half-open side test (a vertex
// exactly on the line counts for one of its two edges only), the crossings
// are ordered along the line, and the pieces between the first and second,
// third and fourth ... crossing are drawn (even-odd rule).

#include <algorithm>
#include <cmath>
#include <vector>

#include "sketra/kernel/plot_internal.h"

namespace sketra {

namespace {

struct Family {
  int bit;
  double nx, ny;  // unit normal of the lines (in hatch units)
};

constexpr double kHalfRoot2 = 0.70710678118654752;
constexpr Family kFamilies[] = {
    {1, 0, 1}, {2, 1, 0}, {4, kHalfRoot2, -kHalfRoot2}, {8, kHalfRoot2, kHalfRoot2}};

// Upper bound on the hatch lines of one family, so that an absurd spacing
// cannot run away.
constexpr double kMaxLines = 100000;

struct UV {
  double u, v;
};

void hatch_family(const std::vector<UV>& poly, const Family& f, double sx, double sy) {
  const PlotState& c = grcomn;
  double lo = 1e300, hi = -1e300;
  for (const UV& p : poly) {
    const double s = f.nx * p.u + f.ny * p.v;
    lo = std::min(lo, s);
    hi = std::max(hi, s);
  }
  const double first = std::ceil(lo);
  if (!(hi - first < kMaxLines)) return;
  const double dx = -f.ny, dy = f.nx;  // direction along the lines
  std::vector<double> along;
  const long long count = (long long)std::floor(hi - first) + 1;
  for (long long line = 0; line < count; ++line) {
    const double k = first + double(line);
    along.clear();
    for (size_t i = 0; i < poly.size(); ++i) {
      const UV& a = poly[i];
      const UV& b = poly[(i + 1) % poly.size()];
      const double sa = f.nx * a.u + f.ny * a.v - k;
      const double sb = f.nx * b.u + f.ny * b.v - k;
      if ((sa < 0) == (sb < 0)) continue;
      const double t = sa / (sa - sb);
      along.push_back(dx * (a.u + t * (b.u - a.u)) + dy * (a.v + t * (b.v - a.v)));
    }
    std::sort(along.begin(), along.end());
    for (size_t i = 0; i + 1 < along.size(); i += 2) {
      const double u1 = k * f.nx + along[i] * dx, v1 = k * f.ny + along[i] * dy;
      const double u2 = k * f.nx + along[i + 1] * dx, v2 = k * f.ny + along[i + 1] * dy;
      grmov2(float(c.xmingr + u1 * sx), float(c.ymingr + v1 * sy));
      grdrw2(float(c.xmingr + u2 * sx), float(c.ymingr + v2 * sy));
    }
  }
}

}  // namespace

void grhtch(std::span<const float> x, std::span<const float> y, int colour, int style,
            float spacing) {
  const PlotState& c = grcomn;
  grdump();
  grcolr(colour);
  const size_t n = std::min({x.size(), y.size(), size_t(kHatchCapacity)});
  if (n < 3 || (style & 15) == 0) return;
  const double px = std::max(double(spacing), 1.0);  // spacing in pixels, at least one
  const double sx = px / std::fabs(double(c.xfacgr));
  const double sy = px / std::fabs(double(c.yfacgr));
  std::vector<UV> poly;
  poly.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    if (!std::isfinite(x[i]) || !std::isfinite(y[i])) return;
    poly.push_back({(x[i] - c.xmingr) / sx, (y[i] - c.ymingr) / sy});
  }
  for (const Family& f : kFamilies)
    if (style & f.bit) hatch_family(poly, f, sx, sy);
}

}  // namespace sketra
