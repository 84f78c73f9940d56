#include "app/store.h"

#include <algorithm>
#include <cmath>

namespace korvel {

Cin cin;
Cin1 cin1;
sketra::Cplot cplot;
sketra::Cpch cpch;
Cunit cunit;

void store_reset() {
  cin = Cin{};
  cin1 = Cin1{};
  cplot = sketra::Cplot{};
  cpch = sketra::Cpch{};
  cunit = Cunit{};
}

void store_set_np(std::int32_t np) {
  np = std::clamp(np, 0, std::max(cin1.maxp, 0));
  auto n = std::size_t(np);
  cin.x.resize(n);
  cin.y.resize(n);
  cin.z.resize(n);
  cin.code.resize(n);
  cin1.np = np;
}

void store_set_nseg(std::int32_t nseg) {
  nseg = std::clamp(nseg, 0, kMaxEdges);
  cin.seg.resize(std::size_t(nseg));
  cin1.nseg = nseg;
}

void store_reserve_points(std::size_t n) {
  std::size_t want = std::min(cin.x.size() + n, std::size_t(std::max(cin1.maxp, 0)));
  if (want <= cin.x.capacity()) return;
  cin.x.reserve(want);
  cin.y.reserve(want);
  cin.z.reserve(want);
  cin.code.reserve(want);
}

void store_grid_nodes(int k) {
  const GridGeometry& g = cin1.set(k);
  std::size_t n = std::size_t(std::max(g.nx, 0)) * std::size_t(std::max(g.ny, 0));
  cin.gx.resize(n);
  cin.gy.resize(n);
  GridNodes nodes(g);
  // GridNodes' formula with the column terms worked out once, added in
  // the same order: the same floats, a million nodes in a blink.
  const std::size_t nx = std::size_t(std::max(g.nx, 0));
  std::vector<double> ax(nx), ay(nx);
  for (std::size_t i = 0; i < nx; ++i) {
    ax[i] = nodes.column_x(int(i));
    ay[i] = nodes.column_y(int(i));
  }
  std::size_t m = 0;
  for (int j = 0; j < g.ny; ++j) {
    const double bx = nodes.row_x(j), by = nodes.row_y(j);
    for (std::size_t i = 0; i < nx; ++i, ++m) {
      cin.gx[m] = nodes.x(ax[i], bx);
      cin.gy[m] = nodes.y(ay[i], by);
    }
  }
}

bool store_consistent() {
  auto n = std::size_t(cin1.np);
  if (cin.x.size() != n || cin.y.size() != n || cin.z.size() != n || cin.code.size() != n) return false;
  if (cin.seg.size() != std::size_t(cin1.nseg)) return false;
  return std::all_of(cin.seg.begin(), cin.seg.end(),
                     [&](const Edge& e) { return e.a >= 1 && e.b >= 1 && e.a <= cin1.np && e.b <= cin1.np; });
}

}  // namespace korvel
