// Outlines, rectangles, circles, segment intersection and the nearest-node
// search -- shapes built from the moves, draws and fills.

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "sketra/kernel/plot_internal.h"

namespace sketra {

void grfram(std::span<const float> x, std::span<const float> y, int colour) {
  const size_t n = std::min(x.size(), y.size());
  if (n == 0) return;
  grdash(1);
  if (colour != kBevelRaised && colour != kBevelSunken) {
    grcolr(colour);
    grmov2(x[0], y[0]);
    for (size_t i = 0; i < n; ++i) grdrw2(x[i], y[i]);
    grdrw2(x[0], y[0]);
    return;
  }
  // A bevel: the first half of the outline (vertices 1 ... n/2 + 1) dark for
  // a raised frame and light for a sunken one, the rest the other way.
  const int first = colour == kBevelRaised ? -4 : -2;
  const int second = colour == kBevelRaised ? -2 : -4;
  const size_t half = std::min(n / 2 + 1, n);
  grcolr(first);
  grmov2(x[0], y[0]);
  for (size_t i = 0; i < half; ++i) grdrw2(x[i], y[i]);
  grcolr(second);
  for (size_t i = half; i < n; ++i) grdrw2(x[i], y[i]);
  grdrw2(x[0], y[0]);
}

void grect(float x, float y, float w, float h, int fill, int frame) {
  const float xs[4] = {x, x + w, x + w, x};
  const float ys[4] = {y, y, y + h, y + h};
  grfil2(xs, ys, fill);
  if (frame != 0) grfram(xs, ys, frame);
}

// 40 points at steps of 2 pi / 39, so the last point repeats the first.
void grcrcl(float x, float y, float r, int fill, int frame) {
  constexpr int kPoints = 40;
  float xs[kPoints], ys[kPoints];
  const float step = float(2.0 * std::numbers::pi / 39.0);
  for (int i = 0; i < kPoints; ++i) {
    const float a = float(i) * step;
    xs[i] = x + r * std::cos(a);
    ys[i] = y + r * std::sin(a);
  }
  if (fill >= -2) grfil2(xs, ys, fill);
  if (frame >= 0) grfram(xs, ys, frame);
}

int igsect(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
           float& xs, float& ys) {
  const double d = (double(y2) - y1) * (double(x4) - x3) - (double(x2) - x1) * (double(y4) - y3);
  if (!(std::fabs(d) >= 1e-10)) {
    xs = ys = 0;
    return 0;
  }
  const double t = ((double(x1) - x3) * (double(y4) - y3) - (double(y1) - y3) * (double(x4) - x3)) / d;
  double s = -1;
  if (std::fabs(double(x4) - x3) > 0.01)
    s = ((double(x2) - x1) * t + x1 - x3) / (double(x4) - x3);
  else if (y4 != y3)
    s = ((double(y2) - y1) * t + y1 - y3) / (double(y4) - y3);
  xs = float(x1 + t * (double(x2) - x1));
  ys = float(y1 + t * (double(y2) - y1));
  const int result = (t > 0 && t < 1 ? 1 : 2) + (s > 0 && s < 1 ? 0 : 2);
  if (result == 1) grmov2(xs, ys);
  return result;
}

// Screen distances from the last cursor pick; of equally near nodes the
// first visited (i outer, j inner) wins. Nodes whose index lies beyond the
// arrays are skipped.
void grnear(std::span<const float> x, std::span<const float> y, int nx, int ny, int ld, int& i,
            int& j) {
  const PlotState& c = grcomn;
  i = j = 0;
  const long long size = (long long)std::min(x.size(), y.size());
  if (nx < 1 || ny < 1 || size == 0) return;
  auto distance = [&](long long k) {
    const double dx = (double(x[size_t(k)]) - c.xcrsgr) * c.xfacgr;
    const double dy = (double(y[size_t(k)]) - c.ycrsgr) * c.yfacgr;
    return dx * dx + dy * dy;
  };
  double best = distance(0) + 100000.0;
  if (std::isnan(best)) best = std::numeric_limits<double>::infinity();
  long long found = -1;
  for (int ii = 1; ii <= nx; ++ii) {
    for (int jj = 1; jj <= ny; ++jj) {
      const long long k = (long long)(ii - 1) + (long long)(jj - 1) * ld;
      if (k < 0 || k >= size) continue;
      const double d = distance(k);
      if (d < best) {
        best = d;
        i = ii;
        j = jj;
        found = k;
      }
    }
  }
  if (found < 0) return;
  grmov2(x[size_t(found)], y[size_t(found)]);
  grsymb(-702);
}

}  // namespace sketra
