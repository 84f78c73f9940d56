// The editor's helpers on points and edges: the edge clean-up, the
// nearest point to the cursor, distances and bearings.

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "sketra/kernel/plot.h"
#include "sketra/base/script.h"
#include "sketra/modes/editor/editor_internal.h"
#include "sketra/ui/dialogs.h"

namespace sketra {

std::int32_t EditData::add_point(float px_, float py_, float pz_, std::int32_t c) const {
  x.push_back(px_);
  y.push_back(py_);
  z.push_back(pz_);
  code.push_back(c);
  return np();
}

bool EditData::valid() const {
  const std::size_t n = x.size();
  if (y.size() != n || z.size() != n || code.size() != n) return false;
  return std::all_of(seg.begin(), seg.end(), [n](const korvel::Edge& e) {
    return e.a >= 1 && e.b >= 1 && std::size_t(e.a) <= n && std::size_t(e.b) <= n;
  });
}

namespace detail {

bool nobody_answers() { return !is_screen_mode(grcomn.imodgr) && !script_pending(); }

void screen_position(const EditData& d, std::int32_t i, float& sx, float& sy) {
  sx = d.px(i), sy = d.py(i);
  if (grcomn.projection) {
    float sz = 0;
    grtran(d.px(i), d.py(i), d.pz(i), sx, sy, sz);
  }
}

}  // namespace detail

namespace {

// The live point that point p stands for: p itself, or the point it was
// merged into (code -k), followed a bounded number of steps. 0 when p does
// not exist, is deleted, or the merges do not end at a live point.
std::int32_t resolve(std::span<const std::int32_t> code, std::int32_t p) {
  const auto n = std::int32_t(code.size());
  for (int step = 0; step < 8; ++step) {
    if (p < 1 || p > n) return 0;
    const std::int32_t c = code[std::size_t(p - 1)];
    if (c > 0) return p;
    if (c == 0) return 0;
    p = -c;
  }
  return 0;
}

}  // namespace

void grclne(std::span<std::int32_t> code, std::vector<korvel::Edge>& seg) {
  std::size_t kept = 0;
  for (const korvel::Edge& e : seg) {
    const std::int32_t a = resolve(code, e.a), b = resolve(code, e.b);
    if (a == 0 || b == 0 || a == b) continue;
    seg[kept++] = korvel::Edge{a, b};
  }
  seg.resize(kept);
  for (std::int32_t& c : code)
    if (c > 0 && c % 100 > 1) c -= c % 100;
  for (const korvel::Edge& e : seg)
    for (const std::int32_t p : {e.a, e.b}) {
      std::int32_t& c = code[std::size_t(p - 1)];
      if (c % 100 == 0) ++c;
      if (c % 100 < 99) ++c;  // a junction of 98 edges and more keeps 99
    }
}

std::int32_t igrnear(const EditData& d, int want) {
  const PlotState& g = grcomn;
  const std::int32_t n = d.np();
  double best = std::numeric_limits<double>::infinity();
  std::int32_t found = 0;
  for (std::int32_t i = 1; i <= n; ++i) {
    if (d.pcode(i) <= 0) continue;  // deleted and merged points are never picked
    float sx = 0, sy = 0;
    detail::screen_position(d, i, sx, sy);
    const double dx = (double(sx) - g.xcrsgr) * g.xfacgr, dy = (double(sy) - g.ycrsgr) * g.yfacgr;
    const double dist = dx * dx + dy * dy;
    if (dist < best) best = dist, found = i;
  }
  if (found == 0) return 0;
  if (want < 1 || want == d.pcode(found) % 100) {
    grmov3(d.px(found), d.py(found), d.pz(found));
    grsymb(1412);
    grdump();
    return found;
  }
  grmesg("invalid node");
  grbeep();
  return 0;
}

float rgdist(float x1, float y1, float x2, float y2, float px, float py, int mode) {
  const double l2 = double(x2 - x1) * (x2 - x1) + double(y2 - y1) * (y2 - y1);
  const double a = double(px - x2) * (px - x2) + double(py - y2) * (py - y2);
  const double b = double(px - x1) * (px - x1) + double(py - y1) * (py - y1);
  if (mode == 1) {
    if (l2 < 0.0001 || b > l2 + a) return float(std::sqrt(a));
    if (a > l2 + b) return float(std::sqrt(b));
  }
  if (!(l2 > 0)) return float(std::sqrt(a));
  return float((double(y1 - y2) * px - double(x1) * (py - y2) + double(py - y1) * x2) / std::sqrt(l2));
}

float razimut(float xi, float yi, float xj, float yj) {
  constexpr double pi = std::numbers::pi;
  const double dx = double(xi) - xj, dy = double(yi) - yj;
  double a = 0;
  if (dy == 0) {
    a = std::atan(dx / 0.0001);
    if (dx < 0) a += 2 * pi;
  } else {
    a = std::atan(dx / dy);
    if (dy < 0) a += pi;
    else if (dx < 0) a += 2 * pi;
  }
  return float(a);
}

}  // namespace sketra
