// Drawing bitmap backgrounds (see bitmap.h): sampled cells, device edges
// once per column and row, runs of one grey merged, one batch per grey.

#include <algorithm>
#include <array>
#include <cmath>

#include "sketra/kernel/bitmap.h"
#include "sketra/kernel/plot.h"
#include "sketra/kernel/plot_internal.h"

namespace sketra {

int grey_level(int v, int maxval) {
  if (maxval <= 0) return 0;
  const double g = 13.0 - double(v) * 13.0 / double(maxval);
  return std::clamp(int(g), 0, 13);
}

namespace {

constexpr int kCellsAcross = 800;
constexpr int kMaxStep = 100;
constexpr double kFar = 1.0e7;  // device co-ordinates are held within +-kFar

int device_x(double x) {
  const PlotState& c = grcomn;
  return int(std::clamp((x - c.xmingr) * c.xfacgr + c.xorggr, -kFar, kFar));
}
int device_y(double y) {
  const PlotState& c = grcomn;
  return int(std::clamp((y - c.ymingr) * c.yfacgr + c.yorggr, -kFar, kFar));
}

// The samples m0 ... m1 (sample m is pixel k * m) whose cells reach into
// the pixel range lo ... hi (pixel units, 0 at the first pixel's centre) of
// an axis of n pixels; false when none does.
bool visible(double lo, double hi, int n, int k, int& m0, int& m1) {
  const double half = k / 2.0;
  const double a = std::max(std::ceil((lo - half) / k), 0.0);
  const double b = std::min(std::floor((hi + half) / k), double((n - 1) / k));
  if (!(a <= b)) return false;
  m0 = int(a), m1 = int(b);
  return true;
}

// A device interval [a, b) cut to [lo, hi]; false when empty.
bool cut(int a, int b, int lo, int hi, int& from, int& size) {
  if (a > b) std::swap(a, b);
  from = std::max(a, lo);
  size = std::min(b, hi + 1) - from;
  return size > 0;
}

using Batches = std::array<std::vector<DeviceRect>, 14>;

void sample_cells(const Bitmap& b, std::span<const std::uint8_t> px, Batches& out) {
  const PlotState& c = grcomn;
  const BitmapGeometry& g = b.geo;
  const double bx = g.x0 - c.xorgr, by = g.y0 - c.yorgr;
  const double xlo = std::min(c.xmingr, c.xmaxgr), xhi = std::max(c.xmingr, c.xmaxgr);
  const double ylo = std::min(c.ymingr, c.ymaxgr), yhi = std::max(c.ymingr, c.ymaxgr);
  const double steps = std::min(std::floor((xhi - xlo) / (g.dx * kCellsAcross)), std::floor((yhi - ylo) / (g.dy * kCellsAcross)));
  const int k = int(std::clamp(steps + 1, 1.0, double(kMaxStep)));
  int m0 = 0, m1 = 0, n0 = 0, n1 = 0;
  if (!visible((xlo - bx) / g.dx, (xhi - bx) / g.dx, b.width, k, m0, m1)) return;
  if (!visible((by - yhi) / g.dy, (by - ylo) / g.dy, b.height, k, n0, n1)) return;
  const double half = k / 2.0;
  std::vector<int> ex, ey;
  for (int m = m0; m <= m1 + 1; ++m) ex.push_back(device_x(bx + (k * double(m) - half) * g.dx));
  for (int n = n0; n <= n1 + 1; ++n) ey.push_back(device_y(by - (k * double(n) - half) * g.dy));
  int cx0 = device_x(c.xmncgr), cx1 = device_x(c.xmxcgr), cy0 = device_y(c.ymncgr), cy1 = device_y(c.ymxcgr);
  if (cx0 > cx1) std::swap(cx0, cx1);
  if (cy0 > cy1) std::swap(cy0, cy1);
  std::array<int, 256> lut{};
  for (int v = 0; v < 256; ++v) lut[std::size_t(v)] = grey_level(v, b.maxval);
  const int cols = m1 - m0 + 1;
  for (int t = 0; t + n0 <= n1; ++t) {
    int y = 0, h = 0;
    if (!cut(ey[std::size_t(t)], ey[std::size_t(t) + 1], cy0, cy1, y, h)) continue;
    const std::uint8_t* row = px.data() + std::size_t(k) * std::size_t(n0 + t) * std::size_t(b.width);
    int run = 0, level = 0;
    const auto flush = [&](int end) {
      int x = 0, w = 0;
      if (level > 0 && cut(ex[std::size_t(run)], ex[std::size_t(end)], cx0, cx1, x, w)) out[std::size_t(level)].push_back({x, y, w, h});
    };
    for (int s = 0; s < cols; ++s) {
      const int g2 = lut[row[std::size_t(k) * std::size_t(m0 + s)]];
      if (g2 == level) continue;
      flush(s);
      run = s, level = g2;
    }
    flush(cols);
  }
}

void draw_bitmap(const Bitmap& b) {
  const std::span<const std::uint8_t> px = grbmps.pixels_of(b);
  if (px.empty() || !b.geo.valid() || (b.type != kBitmapPbm && b.type != kBitmapPgm)) return;
  Batches batches;
  sample_cells(b, px, batches);
  PlotState& c = grcomn;
  grdump();
  const int mode = c.colour.mode, colour = c.current_colour;
  c.colour.mode = 1;
  for (int g = 1; g <= 13; ++g) {
    if (batches[std::size_t(g)].empty()) continue;
    grcolr(g);
    driver().fill_rectangles(batches[std::size_t(g)]);
  }
  c.colour.mode = mode;
  grcolr(colour);
}

}  // namespace

void draw_bitmaps(int state) {
  if (!detail::window_live()) return;
  for (const Bitmap& b : grbmps.table)
    if (b.state == state) draw_bitmap(b);
}

void grfilp(float x, float y, float w, float h, int colour) {
  if (!detail::window_live()) return;
  const PlotState& c = grcomn;
  int cx0 = device_x(c.xmncgr), cx1 = device_x(c.xmxcgr), cy0 = device_y(c.ymncgr), cy1 = device_y(c.ymxcgr);
  if (cx0 > cx1) std::swap(cx0, cx1);
  if (cy0 > cy1) std::swap(cy0, cy1);
  DeviceRect r;
  if (!cut(device_x(x), device_x(double(x) + w), cx0, cx1, r.x, r.w)) return;
  if (!cut(device_y(double(y) + h), device_y(y), cy0, cy1, r.y, r.h)) return;
  grdump();
  grcolr(colour);
  driver().fill_rectangles(std::span<const DeviceRect>(&r, 1));
}

}  // namespace sketra
