// Inverse-distance weighting.
//
// The method as stated works on the points sorted by ascending y (a stable
// order: equal y keep their numbers' order) and a window over that order
// that slides with the rows: for a node at height y the candidates are the
// sorted points from the window start s up to, not including, the first
// with py - y > R; every candidate met with py - y < -R moves s to its own
// position for the next node. The order in which the candidates are met
// decides the quadrant slots (a tie in weight keeps the earlier point) and
// the rounding of the plain sums, so it is kept exactly.
//
// Here the window bounds are two pointers that only move forward as the
// rows climb (py - y is monotone along the sorted order), and the
// candidates that count are found in a bucket grid over the sorted points
// instead of by scanning the whole window: a bucket lists its points in
// sorted order, the buckets of the square around the node are read strip by
// strip from the bottom (a lower strip holds only earlier points), and the
// ascending runs of one strip's buckets are merged. A candidate counts
// when it lies in the window and within R; testing the window by position
// keeps even the points whose rounding puts them both beyond R in y and
// within R in distance exactly where the window scan would have them.

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "app/gridding/gridding.h"
#include "app/gridding/point_buckets.h"
#include "sketra/base/index_sort.h"

namespace korvel {

namespace {

// A point that counts for a node: its position in the sorted order and its
// squared distance.
struct Candidate {
  std::int32_t pos;
  float d2;
};

// The points sorted by y, as columns, with their bucket grid.
class SortedPoints {
 public:
  SortedPoints(const ScatteredPoints& p, float radius, float nodata) {
    std::vector<std::int32_t> ord;
    sketra::mqsort(ord, p.y);
    const std::size_t n = ord.size();
    x.resize(n);
    y.resize(n);
    z.resize(n);
    std::vector<std::uint8_t> keep(n);
    for (std::size_t k = 0; k < n; ++k) {
      const std::size_t o = std::size_t(ord[k]);
      x[k] = p.x[o];
      y[k] = p.y[o];
      z[k] = p.z[o];
      keep[k] = !empty_value(z[k], nodata);
    }
    buckets = std::make_unique<PointBuckets>(x, y, keep, double(radius), 2.0);
  }

  std::vector<float> x, y, z;
  std::unique_ptr<PointBuckets> buckets;
};

// The counting candidates of node (x, y) with positions in [lo, hi), in
// sorted order, into `out`.
void candidates(const SortedPoints& sp, float x, float y, float r2, double reach, std::int32_t lo,
                std::int32_t hi, std::vector<Candidate>& out) {
  out.clear();
  const PointBuckets& b = *sp.buckets;
  if (b.empty() || lo >= hi) return;
  const int bx0 = b.column(double(x) - reach), bx1 = b.column(double(x) + reach);
  const int by0 = b.row(double(y) - reach), by1 = b.row(double(y) + reach);
  const auto by_position = [](const Candidate& u, const Candidate& v) { return u.pos < v.pos; };
  for (int by = by0; by <= by1; ++by) {
    // Each bucket of the strip adds an ascending run; the runs are merged
    // into one as they come (a lower strip holds only earlier points).
    const std::size_t strip = out.size();
    for (int bx = bx0; bx <= bx1; ++bx) {
      const std::size_t run = out.size();
      const auto items = b.items(bx, by);
      // The bucket's items ascend: skip to lo, stop at hi.
      auto it = items.size() > 8 ? std::lower_bound(items.begin(), items.end(), lo) : items.begin();
      for (; it != items.end(); ++it) {
        const std::int32_t k = *it;
        if (k < lo) continue;
        if (k >= hi) break;
        const float d2 = squared_distance(sp.x[std::size_t(k)], sp.y[std::size_t(k)], x, y);
        if (d2 <= r2) out.push_back({k, d2});
      }
      if (run > strip && out.size() > run && out[run].pos < out[run - 1].pos)
        std::inplace_merge(out.begin() + std::ptrdiff_t(strip), out.begin() + std::ptrdiff_t(run), out.end(),
                           by_position);
    }
  }
}

// The value of node (x, y) from its candidates; `nodata` when none counts.
float weigh(const SortedPoints& sp, float x, float y, const std::vector<Candidate>& cands, float d2min,
            bool quadrants, float nodata) {
  if (cands.empty()) return nodata;
  float sum = 0, wsum = 0;
  if (!quadrants) {
    for (const Candidate& c : cands) {
      const float w = 1.0f / std::max(c.d2, d2min);
      sum += w * sp.z[std::size_t(c.pos)];
      wsum += w;
    }
    return sum / wsum;
  }
  std::array<float, 8> weight{}, value{};
  for (const Candidate& c : cands) {
    const float px = sp.x[std::size_t(c.pos)], py = sp.y[std::size_t(c.pos)];
    const int q = py > y ? (px > x ? 0 : 2) : (px > x ? 6 : 4);  // first slot: NE, NW, SW, SE
    const float w = 1.0f / std::max(c.d2, d2min);
    const float z = sp.z[std::size_t(c.pos)];
    if (w > weight[std::size_t(q)]) {
      weight[std::size_t(q)] = w;
      value[std::size_t(q)] = z;
    } else if (w > weight[std::size_t(q + 1)]) {
      weight[std::size_t(q + 1)] = w;
      value[std::size_t(q + 1)] = z;
    }
  }
  for (std::size_t s = 0; s < 8; ++s) {
    sum += weight[s] * value[s];
    wsum += weight[s];
  }
  return sum / wsum;
}

}  // namespace

bool gridinv(const GridGeometry& g, const ScatteredPoints& p, const InverseOptions& options, std::span<float> gx,
             std::span<float> gy, std::span<float> gz, GridProgress& progress) {
  const float radius = options.radius, r2 = radius * radius;
  // A tenth of the squared cell diagonal; never 0, so no weight is infinite.
  const float d2min = std::max(0.1f * (g.dx * g.dx + g.dy * g.dy), 1.0e-30f);
  // A little beyond R: every point within R in distance lies in this square.
  const double reach = double(radius) * (1 + 1e-5) + 1e-30;
  progress.message("sorting ...");
  const SortedPoints sp(p, radius, options.nodata);
  const std::int32_t np = std::int32_t(sp.y.size());

  std::int32_t s = 0;       // window start
  std::int32_t above = 0;   // first position with py - y > R
  std::int32_t inside = 0;  // first position with py - y >= -R (not below the window)
  std::vector<Candidate> cands;
  std::size_t m = 0;
  float y = g.y0;
  for (int j = 0; j < g.ny; ++j) {
    if (!progress.step("interpolate", j + 1, g.ny)) return false;
    while (above < np && !(sp.y[std::size_t(above)] - y > radius)) ++above;
    while (inside < np && sp.y[std::size_t(inside)] - y < -radius) ++inside;
    // The first node scans from s and leaves s at the last point below the
    // window; the row's other nodes start there.
    const std::int32_t first_lo = s;
    if (s < above && inside > s) s = inside - 1;
    float x = g.x0;
    for (int i = 0; i < g.nx; ++i, ++m) {
      gx[m] = x;
      gy[m] = y;
      candidates(sp, x, y, r2, reach, i == 0 ? first_lo : s, above, cands);
      gz[m] = weigh(sp, x, y, cands, d2min, options.quadrants, options.nodata);
      x += g.dx;
    }
    y += g.dy;
  }
  return true;
}

}  // namespace korvel
