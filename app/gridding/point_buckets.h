#pragma once
// A uniform bucket grid over points, for the searches of the gridding.
//
// The plane over the points' bounding box is cut into square buckets of side
// `cell`, nbx columns by nby rows; bucket (bx, by) holds the items whose
// x lies in [x0 + bx·cell, x0 + (bx+1)·cell) and y likewise. The items of a
// bucket are listed in ascending item number, which the searches rely on:
// the nearest search takes the lowest number among equals, and the
// inverse-distance weighting meets its points in their sorted order.
//
// Layout: one array `items_` of all item numbers, bucket by bucket (row by
// row, x fastest), and `start_`, where bucket b's items are
// items_[start_[b] .. start_[b+1]). Built by a counting sort in two passes
// over the items: O(n + buckets) time, 4·(n + buckets) bytes.
//
// Items whose co-ordinates are not finite, or that the caller leaves out,
// are in no bucket. A position outside the box maps to the nearest border
// bucket, so a range query may return buckets that reach beyond it; the
// caller tests every item it gets.

#include <cstdint>
#include <span>
#include <vector>

namespace korvel {

class PointBuckets {
 public:
  // Buckets over items 0 .. x.size()-1 at (x[k], y[k]); items with
  // keep[k] == 0 are left out (an empty `keep` keeps all). The side is at
  // least `min_cell` and large enough that there are at most about
  // 2 buckets per item (and never more than 2^26 buckets).
  PointBuckets(std::span<const float> x, std::span<const float> y, std::span<const std::uint8_t> keep,
               double min_cell, double items_per_bucket);

  bool empty() const { return nbx_ == 0; }
  int nbx() const { return nbx_; }
  int nby() const { return nby_; }
  double cell() const { return cell_; }

  // Bucket column and row of a co-ordinate, clamped to the grid.
  int column(double x) const { return clamp_index((x - x0_) * inv_, nbx_); }
  int row(double y) const { return clamp_index((y - y0_) * inv_, nby_); }

  // The items of bucket (bx, by), in ascending order.
  std::span<const std::int32_t> items(int bx, int by) const {
    const std::size_t b = std::size_t(by) * std::size_t(nbx_) + std::size_t(bx);
    return {items_.data() + start_[b], items_.data() + start_[b + 1]};
  }

 private:
  static int clamp_index(double v, int n) {
    if (!(v > 0)) return 0;
    return v >= double(n - 1) ? n - 1 : int(v);
  }

  double x0_ = 0, y0_ = 0, cell_ = 1, inv_ = 1;
  int nbx_ = 0, nby_ = 0;
  std::vector<std::uint32_t> start_;
  std::vector<std::int32_t> items_;
};

}  // namespace korvel
