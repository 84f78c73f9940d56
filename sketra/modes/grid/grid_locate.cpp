// Locating a point in a grid: the cell that holds it, the triangle of the
// cell's centre fan, and the value interpolated there (grloct), with a
// bucket index for many lookups in one grid.

#include <algorithm>
#include <cmath>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/grid/grid_viewer.h"

namespace sketra {

bool GridData::valid() const {
  if (nx < 1 || ny < 1 || ld < nx) return false;
  const std::size_t need = at(nx, ny) + 1;
  return x.size() >= need && y.size() >= need && value.size() >= need;
}

void greror(std::string_view text, float a, float b) {
  unit_write(grcomn.joutgr, " ***ERROR***" + std::string(text) + "  (" + fmt_g(a, 15, 7) + "," +
                                fmt_g(b, 15, 7) + ")");
}

namespace {

// The four corners of cell (i, j): (i, j), (i+1, j), (i+1, j+1), (i, j+1).
struct Cell {
  double x[4], y[4], z[4];
};

Cell cell_at(const GridData& g, int i, int j) {
  const std::size_t k[4] = {g.at(i, j), g.at(i + 1, j), g.at(i + 1, j + 1), g.at(i, j + 1)};
  Cell c;
  for (int n = 0; n < 4; ++n) {
    c.x[n] = g.x[k[n]];
    c.y[n] = g.y[k[n]];
    c.z[n] = g.value[k[n]];
  }
  return c;
}

// Sign of the cross product of the first cell's diagonals.
double orientation(const GridData& g) {
  if (g.nx < 2 || g.ny < 2) return 0;
  auto X = [&](int i, int j) { return double(g.x[g.at(i, j)]); };
  auto Y = [&](int i, int j) { return double(g.y[g.at(i, j)]); };
  const double d = (X(2, 2) - X(1, 1)) * (Y(1, 2) - Y(2, 1)) - (X(1, 2) - X(2, 1)) * (Y(2, 2) - Y(1, 1));
  return d > 0 ? 1.0 : d < 0 ? -1.0 : 0.0;
}

// Not positive when (px, py) lies on the inner side of edge P -> Q.
double side(double px, double py, double xp, double yp, double xq, double yq, double s) {
  return ((px - xp) * (yq - yp) - (py - yp) * (xq - xp)) * s;
}

bool in_cell(const Cell& c, double px, double py, double s) {
  const auto [x0, x1] = std::minmax({c.x[0], c.x[1], c.x[2], c.x[3]});
  const auto [y0, y1] = std::minmax({c.y[0], c.y[1], c.y[2], c.y[3]});
  if (!(px >= x0 && px <= x1 && py >= y0 && py <= y1)) return false;
  for (int k = 0; k < 4; ++k) {
    const int n = (k + 1) % 4;
    if (side(px, py, c.x[k], c.y[k], c.x[n], c.y[n], s) > 0) return false;
  }
  return true;
}

// Value at (px, py) on the plane through three points.
double plane(const double* x, const double* y, const double* z, double px, double py) {
  const double det = (y[1] - y[2]) * (x[0] - x[2]) + (x[2] - x[1]) * (y[0] - y[2]);
  if (det == 0) return (z[0] + z[1] + z[2]) / 3;
  const double l1 = ((y[1] - y[2]) * (px - x[2]) + (x[2] - x[1]) * (py - y[2])) / det;
  const double l2 = ((y[2] - y[0]) * (px - x[2]) + (x[0] - x[2]) * (py - y[2])) / det;
  return l1 * z[0] + l2 * z[1] + (1 - l1 - l2) * z[2];
}

// The triangle of the centre fan that holds the point, and the value;
// greror and "not found" when none does. A cell with an empty corner gives
// the no-data value.
GridHit in_fan(const Cell& c, int i, int j, double px, double py, double s, float nodata) {
  double mx = 0, my = 0, mz = 0;
  for (int k = 0; k < 4; ++k) mx += c.x[k], my += c.y[k], mz += c.z[k];
  mx /= 4, my /= 4, mz /= 4;
  for (int k = 0; k < 4; ++k) {
    const int n = (k + 1) % 4;
    const double tx[3] = {c.x[k], c.x[n], mx}, ty[3] = {c.y[k], c.y[n], my}, tz[3] = {c.z[k], c.z[n], mz};
    bool inside = true;
    for (int e = 0; e < 3 && inside; ++e) {
      const int f = (e + 1) % 3;
      inside = side(px, py, tx[e], ty[e], tx[f], ty[f], s) <= 0;
    }
    if (!inside) continue;
    for (const double z : c.z)
      if (!(float(z) > nodata + 0.1f)) return {i, j, nodata};
    return {i, j, float(plane(tx, ty, tz, px, py))};
  }
  greror("Could not find cell in GRLOCT", float(i), float(j));
  return {};
}

}  // namespace

GridHit grloct_at(const GridData& g, float pxf, float pyf) {
  const double px = pxf, py = pyf, s = orientation(g);
  for (int i = 1; i < g.nx; ++i)
    for (int j = 1; j < g.ny; ++j) {
      const Cell c = cell_at(g, i, j);
      if (in_cell(c, px, py, s)) return in_fan(c, i, j, px, py, s, g.nodata);
    }
  return {};
}

GridHit grloct(std::span<const float> x, std::span<const float> y, std::span<const float> z, int nx,
               int ny, int ld) {
  // The locator only reads the values.
  const GridData g{x, y, std::span<float>(const_cast<float*>(z.data()), z.size()), ld, nx, ny, -9999.0f};
  if (!g.valid()) return {};
  return grloct_at(g, grcomn.xcrsgr, grcomn.ycrsgr);
}

// ---------------------------------------------------------------- the bucket index

GridLocator::GridLocator(const GridData& g) : g_(g) {
  if (!g.valid() || g.nx < 2 || g.ny < 2) return;
  float x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
  for (int j = 1; j <= g.ny; ++j)
    for (int i = 1; i <= g.nx; ++i) {
      const float x = g.x[g.at(i, j)], y = g.y[g.at(i, j)];
      if (!std::isfinite(x) || !std::isfinite(y)) continue;
      x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    }
  if (!(x0 <= x1 && y0 <= y1)) return;
  const long long cells = (long long)(g.nx - 1) * (g.ny - 1);
  const int b = std::clamp(int(std::sqrt(double(cells))), 1, 1024);
  bx_ = by_ = b;
  x0_ = x0, y0_ = y0;
  fx_ = x1 > x0 ? float(b) / (x1 - x0) : 0.0f;
  fy_ = y1 > y0 ? float(b) / (y1 - y0) : 0.0f;
  auto bucket = [&](float v, float o, float f) { return std::clamp(int((v - o) * f), 0, b - 1); };
  // Two passes over the cells in scan order: count, then fill.
  std::vector<std::uint32_t> count(std::size_t(b) * b + 1, 0);
  for (int pass = 0; pass < 2; ++pass) {
    std::uint32_t c = 0;
    for (int i = 1; i < g.nx; ++i)
      for (int j = 1; j < g.ny; ++j, ++c) {
        const Cell cl = cell_at(g, i, j);
        const auto [cx0, cx1] = std::minmax({cl.x[0], cl.x[1], cl.x[2], cl.x[3]});
        const auto [cy0, cy1] = std::minmax({cl.y[0], cl.y[1], cl.y[2], cl.y[3]});
        if (!std::isfinite(cx0) || !std::isfinite(cx1) || !std::isfinite(cy0) || !std::isfinite(cy1)) continue;
        const int bx0 = bucket(float(cx0), x0_, fx_), bx1 = bucket(float(cx1), x0_, fx_);
        const int by0 = bucket(float(cy0), y0_, fy_), by1 = bucket(float(cy1), y0_, fy_);
        for (int v = by0; v <= by1; ++v)
          for (int u = bx0; u <= bx1; ++u) {
            const std::size_t k = std::size_t(v) * b + u;
            if (pass == 0) ++count[k + 1];
            else cells_[count[k]++] = c;
          }
      }
    if (pass == 0) {
      for (std::size_t k = 1; k < count.size(); ++k) count[k] += count[k - 1];
      start_ = count;
      cells_.resize(count.back());
    }
  }
}

GridHit GridLocator::locate(float pxf, float pyf) const {
  if (bx_ == 0) return {};
  const double px = pxf, py = pyf, s = orientation(g_);
  const float u = (pxf - x0_) * fx_, v = (pyf - y0_) * fy_;
  if (!(u >= -1e-3f * bx_ && v >= -1e-3f * by_ && u <= bx_ * 1.001f && v <= by_ * 1.001f)) return {};
  const int bu = std::clamp(int(u), 0, bx_ - 1), bv = std::clamp(int(v), 0, by_ - 1);
  const std::size_t k = std::size_t(bv) * bx_ + bu;
  for (std::uint32_t n = start_[k]; n < start_[k + 1]; ++n) {
    const int i = int(cells_[n] / std::uint32_t(g_.ny - 1)) + 1;
    const int j = int(cells_[n] % std::uint32_t(g_.ny - 1)) + 1;
    const Cell c = cell_at(g_, i, j);
    if (in_cell(c, px, py, s)) return in_fan(c, i, j, px, py, s, g_.nodata);
  }
  return {};
}

}  // namespace sketra
