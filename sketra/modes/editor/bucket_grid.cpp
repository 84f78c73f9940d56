#include "sketra/modes/editor/bucket_grid.h"

#include <algorithm>
#include <cmath>

namespace sketra::detail {

namespace {

// Index of t in 0 ... n - 1; NaN and values outside go to the nearer end.
int clamp_index(double t, int n) {
  if (!(t > 0)) return 0;
  if (t >= double(n - 1)) return n - 1;
  return int(t);
}

}  // namespace

BucketGrid::BucketGrid(std::span<const float> x, std::span<const float> y, std::span<const std::int32_t> points,
                       double cell) {
  double xmin = INFINITY, xmax = -INFINITY, ymin = INFINITY, ymax = -INFINITY;
  for (const std::int32_t p : points) {
    const double px = x[std::size_t(p - 1)], py = y[std::size_t(p - 1)];
    if (!std::isfinite(px) || !std::isfinite(py)) continue;
    xmin = std::min(xmin, px), xmax = std::max(xmax, px), ymin = std::min(ymin, py), ymax = std::max(ymax, py);
  }
  if (xmin > xmax) xmin = xmax = ymin = ymax = 0;
  x0_ = xmin, y0_ = ymin;
  const double w = xmax - xmin, h = ymax - ymin;
  const double most = 4.0 * double(points.size()) + 16;  // buckets at most
  cell_ = std::isfinite(cell) && cell > 0 ? cell : 1;
  if ((w / cell_ + 1) * (h / cell_ + 1) > most) cell_ = std::max({std::sqrt(w * h / most), w / most, h / most, cell_});
  nx_ = int(std::min(most, w / cell_ + 1));
  ny_ = int(std::min(most, h / cell_ + 1));
  nx_ = std::max(nx_, 1), ny_ = std::max(ny_, 1);
  const std::size_t buckets = std::size_t(nx_) * std::size_t(ny_);
  start_.assign(buckets + 1, 0);
  std::vector<std::uint32_t> of(points.size());
  for (std::size_t k = 0; k < points.size(); ++k) {
    const std::size_t p = std::size_t(points[k] - 1);
    of[k] = std::uint32_t(std::size_t(row(y[p])) * std::size_t(nx_) + std::size_t(column(x[p])));
    ++start_[of[k] + 1];
  }
  for (std::size_t b = 0; b < buckets; ++b) start_[b + 1] += start_[b];
  items_.resize(points.size());
  std::vector<std::uint32_t> fill(start_.begin(), start_.end() - 1);
  for (std::size_t k = 0; k < points.size(); ++k) items_[fill[of[k]]++] = points[k];
}

int BucketGrid::column(double x) const { return clamp_index((x - x0_) / cell_, nx_); }
int BucketGrid::row(double y) const { return clamp_index((y - y0_) / cell_, ny_); }

}  // namespace sketra::detail
