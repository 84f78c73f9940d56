#pragma once
// A uniform bucket grid over points, for the editor's neighbourhood
// queries (Filter Nodes and Buffer).
//
// The points' bounding box is cut into square buckets of a given side,
// made larger when more than about four buckets per point would be
// needed, so memory stays linear. Each point lies in exactly one bucket
// (positions are clamped into the box); a query visits the points of every
// bucket that meets a rectangle, grown by one bucket on each side so that
// rounding at bucket borders can never leave a point out. A query returns
// a superset: callers test the exact condition themselves, which is how
// the answers stay those of a full scan. Building costs O(n); a query
// O(buckets met + points in them).

#include <cstdint>
#include <span>
#include <vector>

namespace sketra::detail {

class BucketGrid {
 public:
  // Indexes the points listed (1-based numbers into x, y) with buckets of
  // side at least `cell`.
  BucketGrid(std::span<const float> x, std::span<const float> y, std::span<const std::int32_t> points, double cell);

  // Calls f(p) for every indexed point p in the buckets that meet
  // [x0, x1] x [y0, y1] (and one bucket around).
  template <class F>
  void visit(double x0, double y0, double x1, double y1, F&& f) const {
    const int i0 = column(x0) - 1 < 0 ? 0 : column(x0) - 1, i1 = column(x1) + 1 >= nx_ ? nx_ - 1 : column(x1) + 1;
    const int j0 = row(y0) - 1 < 0 ? 0 : row(y0) - 1, j1 = row(y1) + 1 >= ny_ ? ny_ - 1 : row(y1) + 1;
    for (int j = j0; j <= j1; ++j) {
      const std::size_t b = std::size_t(j) * std::size_t(nx_);
      for (std::uint32_t k = start_[b + std::size_t(i0)]; k < start_[b + std::size_t(i1) + 1]; ++k) f(items_[k]);
    }
  }

 private:
  int column(double x) const;
  int row(double y) const;

  double x0_ = 0, y0_ = 0, cell_ = 1;
  int nx_ = 1, ny_ = 1;
  std::vector<std::uint32_t> start_;  // bucket b holds items_[start_[b]] ... items_[start_[b + 1] - 1]
  std::vector<std::int32_t> items_;
};

}  // namespace sketra::detail
