// Alter Spline: breaklines replaced by cubic splines y(x) through their
// vertices, sampled every dmax metres.
//
// Every chain of consecutive edges (each starting where the one before
// ended) of at least three edges is rebuilt in one pass over the edge
// table: its vertices keep their numbers and positions, and each segment
// longer than dmax gets int(length / dmax) - 1 new points between its
// ends, at even steps of x with y from the spline and z linear, so the
// segment still ends at its own end vertex. The new chains are not walked
// again. A chain whose x does not strictly rise or strictly fall has no
// spline y(x): it is left as it is and named on the message line.

#include <algorithm>
#include <cmath>

#include "sketra/base/textfmt.h"
#include "sketra/modes/editor/editor_internal.h"
#include "sketra/ui/dialogs.h"

namespace sketra {

void grspln(std::span<const float> x, std::span<const float> y, float yp1, float ypn, std::vector<float>& y2) {
  const std::size_t n = std::min(x.size(), y.size());
  y2.assign(n, 0);
  if (n < 2) return;
  std::vector<double> u(n, 0);
  if (yp1 > 0.99e30f) {
    y2[0] = 0, u[0] = 0;
  } else {
    y2[0] = -0.5f;
    u[0] = (3.0 / (x[1] - x[0])) * ((double(y[1]) - y[0]) / (double(x[1]) - x[0]) - yp1);
  }
  for (std::size_t i = 1; i + 1 < n; ++i) {
    const double sig = (double(x[i]) - x[i - 1]) / (double(x[i + 1]) - x[i - 1]);
    const double p = sig * y2[i - 1] + 2.0;
    y2[i] = float((sig - 1.0) / p);
    const double d = (double(y[i + 1]) - y[i]) / (double(x[i + 1]) - x[i]) - (double(y[i]) - y[i - 1]) / (double(x[i]) - x[i - 1]);
    u[i] = (6.0 * d / (double(x[i + 1]) - x[i - 1]) - sig * u[i - 1]) / p;
  }
  double qn = 0, un = 0;
  if (!(ypn > 0.99e30f)) {
    qn = 0.5;
    un = (3.0 / (double(x[n - 1]) - x[n - 2])) * (ypn - (double(y[n - 1]) - y[n - 2]) / (double(x[n - 1]) - x[n - 2]));
  }
  y2[n - 1] = float((un - qn * u[n - 2]) / (qn * y2[n - 2] + 1.0));
  for (std::size_t k = n - 1; k-- > 0;) y2[k] = float(y2[k] * double(y2[k + 1]) + u[k]);
}

float grspint(std::span<const float> xa, std::span<const float> ya, std::span<const float> y2a, float x) {
  const std::size_t n = std::min({xa.size(), ya.size(), y2a.size()});
  if (n == 0) return 0;
  if (n == 1) return ya[0];
  std::size_t lo = 0, hi = n - 1;
  while (hi - lo > 1) {
    const std::size_t k = (hi + lo) / 2;
    if (xa[k] > x) hi = k;
    else lo = k;
  }
  const double h = double(xa[hi]) - xa[lo];
  if (h == 0) return ya[lo];  // callers pass strictly rising x
  const double a = (double(xa[hi]) - x) / h, b = (double(x) - xa[lo]) / h;
  return float(a * ya[lo] + b * ya[hi] + ((a * a * a - a) * y2a[lo] + (b * b * b - b) * y2a[hi]) * (h * h) / 6.0);
}

namespace {

// The chains of the edge table: [first, last] edge positions.
std::vector<std::pair<std::size_t, std::size_t>> chains(const std::vector<korvel::Edge>& seg) {
  std::vector<std::pair<std::size_t, std::size_t>> out;
  std::size_t s = 0;
  while (s < seg.size()) {
    std::size_t e = s;
    while (e + 1 < seg.size() && seg[e + 1].a == seg[e].b) ++e;
    out.emplace_back(s, e);
    s = e + 1;
  }
  return out;
}

// New points of the segment a -> b.
std::int64_t inner_points(const EditData& d, const korvel::Edge& e, float dmax) {
  const double len = std::hypot(double(d.px(e.b)) - d.px(e.a), double(d.py(e.b)) - d.py(e.a));
  const double k = std::floor(len / dmax);
  return k > 1 ? std::int64_t(std::min(k, 4.0e9)) - 1 : 0;
}

// True when the chain's x strictly rises or strictly falls.
bool monotone(const EditData& d, const std::vector<korvel::Edge>& seg, std::size_t s, std::size_t e) {
  bool up = true, down = true;
  for (std::size_t k = s; k <= e; ++k) {
    const float x0 = d.px(seg[k].a), x1 = d.px(seg[k].b);
    up = up && x1 > x0;
    down = down && x1 < x0;
  }
  return up || down;
}

}  // namespace

namespace detail {

bool spline_chains(EditData& d, float dmax) {  // true when some chain was rebuilt
  grclne(d.code, d.seg);
  const std::vector<korvel::Edge> seg = d.seg;
  const auto runs = chains(seg);
  std::int64_t more = 0, skipped = 0;
  std::vector<char> use(runs.size(), 0);
  for (std::size_t c = 0; c < runs.size(); ++c) {
    const auto [s, e] = runs[c];
    if (e - s + 1 < 3) continue;
    if (!monotone(d, seg, s, e)) {
      ++skipped;
      continue;
    }
    use[c] = 1;
    for (std::size_t k = s; k <= e && more <= std::int64_t(d.max_points); ++k) more += inner_points(d, seg[k], dmax);
  }
  if (!d.room_for_points(more) || !d.room_for_edges(more)) {
    grmesg("no room for" + fmt_i(more, 10) + " new points");
    return false;
  }
  std::vector<korvel::Edge> out;
  out.reserve(seg.size() + std::size_t(more));
  std::vector<float> xs, ys, y2;
  for (std::size_t c = 0; c < runs.size(); ++c) {
    const auto [s, e] = runs[c];
    if (!use[c]) {
      out.insert(out.end(), seg.begin() + std::ptrdiff_t(s), seg.begin() + std::ptrdiff_t(e) + 1);
      continue;
    }
    xs.clear(), ys.clear();
    xs.push_back(d.px(seg[s].a)), ys.push_back(d.py(seg[s].a));
    for (std::size_t k = s; k <= e; ++k) xs.push_back(d.px(seg[k].b)), ys.push_back(d.py(seg[k].b));
    if (xs.back() < xs.front()) std::reverse(xs.begin(), xs.end()), std::reverse(ys.begin(), ys.end());
    const std::size_t m = xs.size() - 1;
    grspln(xs, ys, (ys[1] - ys[0]) / (xs[1] - xs[0]), (ys[m] - ys[m - 1]) / (xs[m] - xs[m - 1]), y2);
    const std::int32_t colour = d.pcode(seg[s].a) / 100 * 100;
    for (std::size_t k = s; k <= e; ++k) {
      const korvel::Edge g = seg[k];
      const std::int64_t n = inner_points(d, g, dmax);
      std::int32_t from = g.a;
      for (std::int64_t j = 1; j <= n; ++j) {
        const float t = float(double(j) / double(n + 1));
        const float x = d.px(g.a) + t * (d.px(g.b) - d.px(g.a));
        const std::int32_t p = d.add_point(x, grspint(xs, ys, y2, x), d.pz(g.a) + t * (d.pz(g.b) - d.pz(g.a)), colour + 1);
        out.push_back(korvel::Edge{from, p});
        from = p;
      }
      out.push_back(korvel::Edge{from, g.b});
    }
  }
  d.seg.swap(out);
  grclne(d.code, d.seg);
  if (skipped > 0) grmesg(fmt_i(skipped, 8) + " chain(s) left: x not strictly monotone");
  return std::find(use.begin(), use.end(), 1) != use.end();
}

bool spline(EditData& d) {
  std::string prompts[] = {"maximum distance [m]"};
  std::string values[] = {fmt_f(gredst.dmax, 10, 3)};
  if (!grinfo(prompts, values)) return false;
  double v = 0;
  if (!form_number(prompts[0], values[0], v)) return false;
  if (!(v > 0)) {
    grmesg("maximum distance must be above 0");
    return false;
  }
  gredst.dmax = float(v);
  return spline_chains(d, gredst.dmax);
}

}  // namespace detail

}  // namespace sketra
