// The computations behind Inquire: samples along polylines, a fast
// point-in-polygon test, volumes, means, slopes and flow paths.

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <span>

#include "sketra/base/textfmt.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/surface/surface_inquire.h"

namespace sketra {

// ---------------------------------------------------------------- sampling

namespace {

// Segment k of p: from vertex k to vertex k + 1; the last vertex has a
// segment of 0.001 x 0.001 in the direction of the segment before it.
struct Segment {
  float x, y, dx, dy;
  double length, direction;
};

Segment segment(const Polygon& p, std::size_t k) {
  const std::size_t n = p.x.size();
  Segment s{p.x[k], p.y[k], 0.001f, 0.001f, 0, 0};
  if (k + 1 < n) s.dx = p.x[k + 1] - p.x[k], s.dy = p.y[k + 1] - p.y[k];
  s.length = std::hypot(double(s.dx), double(s.dy));
  const std::size_t d = k + 1 < n ? k : k - (k > 0 ? 1 : 0);
  if (d + 1 < n) s.direction = std::atan2(double(p.y[d + 1]) - p.y[d], double(p.x[d + 1]) - p.x[d]);
  return s;
}

bool spaced(double spacing) { return spacing > 0 && std::isfinite(spacing); }

// Stations j * spacing on [start, start + length): j = first ... last - 1.
void station_range(double start, double length, double spacing, double& first, double& last) {
  first = std::ceil(start / spacing);
  last = std::ceil((start + length) / spacing);
  if (!(last > first)) last = first;
}

}  // namespace

double line_sample_count(const Polygon& p, double spacing) {
  if (!spaced(spacing)) return double(p.x.size());
  double n = 0, start = 0;
  for (std::size_t k = 0; k < p.x.size(); ++k) {
    const Segment s = segment(p, k);
    double first = 0, last = 0;
    station_range(start, s.length, spacing, first, last);
    n += last - first;
    start += s.length;
  }
  return n;
}

std::vector<LineSample> line_samples(const Polygon& p, double spacing) {
  std::vector<LineSample> out;
  double start = 0;
  for (std::size_t k = 0; k < p.x.size(); ++k) {
    const Segment s = segment(p, k);
    if (!spaced(spacing)) {
      out.push_back({s.x, s.y, start, s.direction});
    } else {
      double first = 0, last = 0;
      station_range(start, s.length, spacing, first, last);
      for (double j = first; j < last; ++j) {
        const double station = j * spacing, t = (station - start) / s.length;
        out.push_back({float(s.x + t * s.dx), float(s.y + t * s.dy), station, s.direction});
      }
    }
    start += s.length;
  }
  return out;
}

bool surface_value(SurfaceView& sv, float px, float py, float& value) {
  const TriangleIndex::Hit h = sv.index().find(px, py);
  if (!h.found()) return false;
  const std::size_t t = std::size_t(h.triangle);
  for (int k = 0; k < 3; ++k)
    if (!(sv.data.corner_value(t, k) > grtrs.zndt)) return false;
  value = h.value;
  return true;
}

// ---------------------------------------------------------------- polygons

PolygonTest::PolygonTest(const Polygon& p) : p_(p) {
  const std::size_t n = p.x.size();
  if (n < 3) return;
  const Box b = box_ = polygon_box(p.x, p.y);
  const std::size_t bands = std::clamp<std::size_t>(n, 1, 4096);
  y0_ = b.ymin;
  band_ = std::max((double(b.ymax) - b.ymin) / double(bands), 1e-30);
  eps_ = 1e-5 * std::hypot(double(b.xmax) - b.xmin, double(b.ymax) - b.ymin) + 1e-4;
  auto band_of = [&](double y) {
    return std::size_t(std::clamp((y - y0_) / band_, 0.0, double(bands - 1)));
  };
  // Each edge goes into every band its y range (widened by eps) touches.
  std::vector<std::uint32_t> count(bands + 1, 0);
  auto each = [&](auto&& f) {
    for (std::size_t k = 0; k < n; ++k) {
      const std::size_t m = (k + 1) % n;
      const double lo = std::min(p.y[k], p.y[m]) - eps_, hi = std::max(p.y[k], p.y[m]) + eps_;
      for (std::size_t i = band_of(lo), e = band_of(hi); i <= e; ++i) f(i, k);
    }
  };
  each([&](std::size_t i, std::size_t) { ++count[i + 1]; });
  for (std::size_t i = 0; i < bands; ++i) count[i + 1] += count[i];
  start_ = count;
  edges_.resize(count[bands]);
  each([&](std::size_t i, std::size_t k) { edges_[count[i]++] = std::uint32_t(k); });
}

bool PolygonTest::inside(float px, float py) const {
  const std::size_t n = p_.x.size();
  if (n < 3 || start_.empty()) return false;
  if (!box_.contains(px, py)) return false;
  const std::size_t bands = start_.size() - 1;
  const std::size_t i = std::size_t(std::clamp((double(py) - y0_) / band_, 0.0, double(bands - 1)));
  const double x = px, y = py;
  bool in = false;
  for (std::uint32_t e = start_[i]; e < start_[i + 1]; ++e) {
    const std::size_t k = edges_[e], m = (k + 1) % n;
    const double x1 = p_.x[k], y1 = p_.y[k], x2 = p_.x[m], y2 = p_.y[m];
    // Close to the edge: igpoly decides, with its own rule for edges.
    const double ex = x2 - x1, ey = y2 - y1, l2 = ex * ex + ey * ey;
    const double t = l2 > 0 ? std::clamp(((x - x1) * ex + (y - y1) * ey) / l2, 0.0, 1.0) : 0.0;
    const double qx = x1 + t * ex - x, qy = y1 + t * ey - y;
    if (qx * qx + qy * qy <= eps_ * eps_) return igpoly(p_.x, p_.y, px, py) > 0;
    // A ray towards +x crosses the edge (half-open in y).
    if ((y1 <= y) != (y2 <= y) && x < x1 + (y - y1) / ey * ex) in = !in;
  }
  return in;
}

VolumeSums surface_volume(const SurfaceData& s, const Polygon& p, float level, float zndt) {
  VolumeSums v;
  if (p.count() < 3) return v;
  const PolygonTest test(p);
  for (std::size_t t = 0; t < s.triangles.size(); ++t) {
    const Triangle& tr = s.triangles[t];
    const std::size_t a = std::size_t(tr.a - 1), b = std::size_t(tr.b - 1), c = std::size_t(tr.c - 1);
    const float xc = (s.x[a] + s.x[b] + s.x[c]) * 0.3333333f, yc = (s.y[a] + s.y[b] + s.y[c]) * 0.3333333f;
    if (!test.inside(xc, yc)) continue;
    const float za = s.value[a], zb = s.value[b], zc = s.value[c];
    if (!(za > zndt && zb > zndt && zc > zndt)) continue;
    const float z = (za + zb + zc) / 3.0f;
    const float area = 0.5f * ((s.y[b] - s.y[c]) * s.x[a] - (s.y[a] - s.y[c]) * s.x[b] + (s.y[a] - s.y[b]) * s.x[c]);
    v.below += double(std::max(level - z, 0.0f)) * area;
    v.above += double(std::max(z - level, 0.0f)) * area;
    v.area += area;
  }
  return v;
}

std::vector<std::string> volume_lines(const VolumeSums& v) {
  return {"Area        [m2]=" + fmt_f(v.area, 12, 0), "Volume below[m3]=" + fmt_f(v.below, 12, 0),
          "Volume above[m3]=" + fmt_f(v.above, 12, 0)};
}

MeanSums surface_mean(const SurfaceData& s, const Polygon& p, std::vector<std::size_t>* inside) {
  MeanSums m;
  if (p.count() < 3) return m;
  const PolygonTest test(p);
  double f0 = 0, se = 0, se2 = 0;
  for (std::size_t k = 0; k < s.nodes(); ++k) {
    const float f = s.value[k];
    if (!(f > -9998.0f) || !test.inside(s.x[k], s.y[k])) continue;
    if (m.n == 0) f0 = f;
    const double e = double(f) - f0;
    se += e, se2 += e * e;
    ++m.n;
    if (inside) inside->push_back(k);
  }
  const double n = double(m.n), mm = se / std::max(n, 1.0);
  m.mean = f0 + mm;
  m.stdev = std::sqrt(std::max(se2 - n * mm * mm, 0.0) / std::max(n - 1, 1.0));
  return m;
}

std::string mean_message(const MeanSums& m) {
  return "n=" + fmt_i(m.n, 5) + " Mean=" + fmt_f(m.mean, 12, 3) + " Stdev=" + fmt_f(m.stdev, 12, 3);
}

// ---------------------------------------------------------------- slope, flow

std::string slope_message(double D, float start, float previous, float z, double d) {
  const double total = (double(start) - z) / std::max(D, 0.0001) * 100;
  const double local = (double(previous) - z) / std::max(d, 0.0001) * 100;
  return "distance=" + fmt_f(D, 8, 2) + " m slope=" + fmt_f(total, 7, 2) + "%" + " m slope(local)=" +
         fmt_f(local, 7, 2) + "%";
}

namespace {

// Node -> triangles, built once per trace: triangles of node k are
// tri_[first_[k]] ... tri_[first_[k + 1] - 1].
class NodeTriangles {
 public:
  explicit NodeTriangles(const SurfaceData& s) : first_(s.nodes() + 1, 0) {
    for (const Triangle& t : s.triangles)
      for (std::int32_t c : {t.a, t.b, t.c}) ++first_[std::size_t(c)];
    for (std::size_t k = 0; k < s.nodes(); ++k) first_[k + 1] += first_[k];
    tri_.resize(first_.back());
    std::vector<std::size_t> at(first_.begin(), first_.end() - 1);
    for (std::size_t t = 0; t < s.triangles.size(); ++t) {
      const Triangle& tr = s.triangles[t];
      for (std::int32_t c : {tr.a, tr.b, tr.c}) tri_[at[std::size_t(c - 1)]++] = std::uint32_t(t);
    }
  }
  std::span<const std::uint32_t> of(std::size_t k) const {
    return std::span<const std::uint32_t>(tri_).subspan(first_[k], first_[k + 1] - first_[k]);
  }

 private:
  std::vector<std::size_t> first_;
  std::vector<std::uint32_t> tri_;
};

// Nodes in square cells, for the nearest lower node within a distance.
class NodeCells {
 public:
  explicit NodeCells(const SurfaceData& s) : s_(s) {
    float x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    for (std::size_t k = 0; k < s.nodes(); ++k) {
      if (!std::isfinite(s.x[k]) || !std::isfinite(s.y[k])) continue;
      x0 = std::min(x0, s.x[k]), x1 = std::max(x1, s.x[k]);
      y0 = std::min(y0, s.y[k]), y1 = std::max(y1, s.y[k]);
    }
    if (!(x0 <= x1)) return;
    x0_ = x0, y0_ = y0;
    const double w = std::max(double(x1) - x0, 1e-6), h = std::max(double(y1) - y0, 1e-6);
    size_ = std::max(std::sqrt(w * h / double(std::max<std::size_t>(s.nodes(), 1))) * 2, 1e-6);
    size_ = std::max({size_, w / 2048, h / 2048});
    nx_ = int(w / size_) + 1, ny_ = int(h / size_) + 1;
    first_.assign(std::size_t(nx_) * std::size_t(ny_) + 1, 0);
    for (std::size_t k = 0; k < s.nodes(); ++k)
      if (const long c = cell(s.x[k], s.y[k]); c >= 0) ++first_[std::size_t(c) + 1];
    for (std::size_t c = 0; c + 1 < first_.size(); ++c) first_[c + 1] += first_[c];
    node_.resize(first_.back());
    std::vector<std::size_t> at(first_.begin(), first_.end() - 1);
    for (std::size_t k = 0; k < s.nodes(); ++k)
      if (const long c = cell(s.x[k], s.y[k]); c >= 0) node_[at[std::size_t(c)]++] = std::uint32_t(k);
  }

  // The nearest node (lowest number on ties) with squared distance below
  // r2 whose value lies in (zndt, below); false when there is none.
  bool nearest_lower(float px, float py, float below, float zndt, double r2, std::size_t& best) const {
    if (nx_ == 0) return false;
    const int ci = std::clamp(int((double(px) - x0_) / size_), 0, nx_ - 1);
    const int cj = std::clamp(int((double(py) - y0_) / size_), 0, ny_ - 1);
    const int reach = int(std::sqrt(r2) / size_) + 1;
    double bd = r2;
    bool found = false;
    for (int ring = 0; ring <= reach; ++ring) {
      // Cells of this ring lie at least (ring - 1) cells away.
      if (found && double(ring - 1) * size_ * double(ring - 1) * size_ > bd) break;
      for (int j = cj - ring; j <= cj + ring; ++j) {
        if (j < 0 || j >= ny_) continue;
        const bool edge_row = j == cj - ring || j == cj + ring;
        for (int i = ci - ring; i <= ci + ring; i += edge_row ? 1 : 2 * std::max(ring, 1)) {
          if (i < 0 || i >= nx_) continue;
          const std::size_t c = std::size_t(j) * std::size_t(nx_) + std::size_t(i);
          for (std::size_t e = first_[c]; e < first_[c + 1]; ++e) {
            const std::size_t k = node_[e];
            const float f = s_.value[k];
            if (!(f < below && f > zndt)) continue;
            const double dx = double(s_.x[k]) - px, dy = double(s_.y[k]) - py, d = dx * dx + dy * dy;
            if (d < bd || (d == bd && found && k < best)) bd = d, best = k, found = true;
          }
          if (ring == 0) break;
        }
      }
    }
    return found;
  }

 private:
  long cell(float x, float y) const {
    if (!std::isfinite(x) || !std::isfinite(y)) return -1;
    const int i = std::clamp(int((double(x) - x0_) / size_), 0, nx_ - 1);
    const int j = std::clamp(int((double(y) - y0_) / size_), 0, ny_ - 1);
    return long(j) * nx_ + i;
  }
  const SurfaceData& s_;
  double x0_ = 0, y0_ = 0, size_ = 1;
  int nx_ = 0, ny_ = 0;
  std::vector<std::size_t> first_;
  std::vector<std::uint32_t> node_;
};

}  // namespace

std::vector<FlowStep> flow_path(const SurfaceData& s, std::size_t start, float zndt,
                                const std::function<bool()>& stop) {
  std::vector<FlowStep> path;
  if (start >= s.nodes()) return path;
  const NodeTriangles around(s);
  std::unique_ptr<NodeCells> cells;  // built when first needed
  std::size_t k = start;
  double travelled = 0;
  // Values fall at every step, so the path visits each node at most once.
  for (;;) {
    path.push_back({k, travelled});
    if (path.size() % 1024 == 0 && stop && stop()) break;
    const float here = s.value[k];
    double best = 0;
    std::size_t next = k;
    for (std::uint32_t t : around.of(k)) {
      const Triangle& tr = s.triangles[t];
      for (std::int32_t c : {tr.a, tr.b, tr.c}) {
        const std::size_t m = std::size_t(c - 1);
        const float there = s.value[m];
        if (m == k || !(there > zndt)) continue;
        const double d = std::hypot(double(s.x[m]) - s.x[k], double(s.y[m]) - s.y[k]);
        const double descent = (double(here) - there) / std::max(d, 0.0001);
        if (descent > best) best = descent, next = m;
      }
    }
    if (next == k) {
      if (!cells) cells = std::make_unique<NodeCells>(s);
      if (!cells->nearest_lower(s.x[k], s.y[k], here, zndt, 10000.0, next)) break;
    }
    travelled += std::hypot(double(s.x[next]) - s.x[k], double(s.y[next]) - s.y[k]);
    k = next;
  }
  return path;
}

std::string flow_line(const SurfaceData& s, const FlowStep& step, bool first) {
  const std::size_t k = step.node;
  return fmt_f(double(s.x[k]) + grcomn.xorgr, 12, 2) + fmt_f(double(s.y[k]) + grcomn.yorgr, 12, 2) +
         fmt_f(s.value[k], 10, 2) + fmt_i(first ? 1 : 0, 2) + fmt_f(step.distance, 10, 2);
}

}  // namespace sketra
