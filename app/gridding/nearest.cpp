// Nearest-point gridding.
//
// For each node the method takes, in this order: the point after the one
// the previous node took, when it is close (squared distance below 0.1);
// the point ny further on, when it is close; the close point with the
// lowest number; the nearest point, the lowest number among equally near
// ones, if nearer than 1e10 m. The last two answer what a scan over every
// point with a running minimum from 1e20 (replaced only by a strictly
// nearer point, stopping at the first close one) would.
//
// A bucket grid answers them where the points are (the close search reads
// the buckets within 0.3163 m; the nearest search visits rings of buckets
// around the node's bucket and stops once every bucket not yet visited lies
// farther away than the best point found). A node far from every point,
// where the rings would run long over empty buckets, asks a 2-d tree
// instead, built the first time it is needed.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include "app/gridding/gridding.h"
#include "app/gridding/point_buckets.h"
#include "app/gridding/point_tree.h"

namespace korvel {

namespace {

constexpr float kClose = 0.1f;          // squared distance of a close point
constexpr double kCloseReach = 0.3163;  // a little beyond sqrt(0.1)
constexpr float kFar = 1.0e20f;         // the running minimum's start
constexpr int kRings = 3;               // rings of buckets before the tree is asked

class NearestSearch {
 public:
  explicit NearestSearch(const ScatteredPoints& p) : p_(p), buckets_(p.x, p.y, {}, 0.0, 2.0) {}

  // The lowest-numbered point (0-based) closer than sqrt(0.1) to (x, y); -1
  // when there is none.
  std::int64_t first_close(float x, float y) const {
    if (buckets_.empty()) return -1;
    const int bx0 = buckets_.column(double(x) - kCloseReach), bx1 = buckets_.column(double(x) + kCloseReach);
    const int by0 = buckets_.row(double(y) - kCloseReach), by1 = buckets_.row(double(y) + kCloseReach);
    std::int64_t best = -1;
    for (int by = by0; by <= by1; ++by)
      for (int bx = bx0; bx <= bx1; ++bx)
        for (std::int32_t k : buckets_.items(bx, by)) {
          if (best >= 0 && k >= best) break;  // the bucket lists ascend
          if (d2(k, x, y) < kClose) {
            best = k;
            break;
          }
        }
    return best;
  }

  // The nearest point (0-based) below kFar, the lowest number among equally
  // near ones; -1 when there is none.
  std::int64_t nearest(float x, float y) {
    if (buckets_.empty() || !std::isfinite(x) || !std::isfinite(y)) return -1;
    const int cx = buckets_.column(x), cy = buckets_.row(y);
    const int rmax = std::max({cx, buckets_.nbx() - 1 - cx, cy, buckets_.nby() - 1 - cy});
    float best = kFar;
    std::int64_t best_k = -1;
    for (int r = 0; r <= rmax; ++r) {
      if (r > kRings) return tree().nearest(x, y, kFar);
      const int by0 = std::max(cy - r, 0), by1 = std::min(cy + r, buckets_.nby() - 1);
      for (int by = by0; by <= by1; ++by) {
        const bool edge_row = by == cy - r || by == cy + r;
        for (int bx = cx - r; bx <= cx + r; bx += edge_row ? 1 : 2 * r) {
          if (bx >= 0 && bx < buckets_.nbx()) visit(bx, by, x, y, best, best_k);
          if (r == 0) break;
        }
      }
      // Every bucket beyond ring r lies at least r cells away from the node.
      const double reach = double(r) * buckets_.cell();
      if (best_k >= 0 && reach * reach * (1 - 1e-6) > double(best)) break;
    }
    return best_k;
  }

  float d2(std::int64_t k, float x, float y) const {
    return squared_distance(p_.x[std::size_t(k)], p_.y[std::size_t(k)], x, y);
  }

 private:
  void visit(int bx, int by, float x, float y, float& best, std::int64_t& best_k) const {
    for (std::int32_t k : buckets_.items(bx, by)) {
      const float d = d2(k, x, y);
      if (d < best || (d == best && best_k >= 0 && k < best_k)) {
        best = d;
        best_k = k;
      }
    }
  }

  const PointTree& tree() {
    if (!tree_) tree_ = std::make_unique<PointTree>(p_.x, p_.y);
    return *tree_;
  }

  const ScatteredPoints& p_;
  PointBuckets buckets_;
  std::unique_ptr<PointTree> tree_;
};

}  // namespace

bool gridnear(int nx, int ny, std::span<const float> gx, std::span<const float> gy, const ScatteredPoints& p,
              std::span<float> gz, float nodata, GridProgress& progress) {
  const std::int64_t np = std::int64_t(p.size());
  NearestSearch search(p);
  // k: the number (1-based) of the point the previous node took, 0 at first.
  std::int64_t k = 0;
  auto close = [&](std::int64_t number, float x, float y) {
    return number >= 1 && number <= np && search.d2(number - 1, x, y) < kClose;
  };
  for (int i = 0; i < nx; ++i) {
    if (!progress.step("nearest points", i + 1, nx)) return false;
    for (int j = 0; j < ny; ++j) {
      const std::size_t m = std::size_t(i) + std::size_t(j) * std::size_t(nx);
      const float x = gx[m], y = gy[m];
      if (close(k + 1, x, y)) {
        k = k + 1;
      } else if (k += ny; close(k, x, y)) {
      } else {
        std::int64_t taken = search.first_close(x, y);
        if (taken < 0) taken = search.nearest(x, y);
        if (taken < 0) {
          gz[m] = nodata;
          continue;
        }
        k = taken + 1;
      }
      gz[m] = p.z[std::size_t(k - 1)];
    }
  }
  return true;
}

}  // namespace korvel
