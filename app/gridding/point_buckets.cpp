#include "app/gridding/point_buckets.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvel {

namespace {

constexpr double kMaxBuckets = double(1 << 26);

bool finite(float x, float y) { return std::isfinite(x) && std::isfinite(y); }

}  // namespace

PointBuckets::PointBuckets(std::span<const float> x, std::span<const float> y, std::span<const std::uint8_t> keep,
                           double min_cell, double items_per_bucket) {
  const std::size_t n = x.size();
  auto kept = [&](std::size_t k) { return (keep.empty() || keep[k] != 0) && finite(x[k], y[k]); };
  double xmin = std::numeric_limits<double>::infinity(), xmax = -xmin, ymin = xmin, ymax = -xmin;
  std::size_t count = 0;
  for (std::size_t k = 0; k < n; ++k) {
    if (!kept(k)) continue;
    ++count;
    xmin = std::min(xmin, double(x[k]));
    xmax = std::max(xmax, double(x[k]));
    ymin = std::min(ymin, double(y[k]));
    ymax = std::max(ymax, double(y[k]));
  }
  if (count == 0) return;

  // The side: the items' density gives about items_per_bucket per bucket;
  // points along a line use their spacing along it.
  const double w = xmax - xmin, h = ymax - ymin;
  double cell = std::sqrt(w * h * items_per_bucket / double(count));
  if (!(cell > 0)) cell = std::max(w, h) * items_per_bucket / double(count);
  cell = std::max({cell, min_cell, 1e-30});
  const double limit = std::min(kMaxBuckets, std::max(4096.0, 2.0 * double(count)));
  for (;;) {
    const double bx = std::floor(w / cell) + 1, by = std::floor(h / cell) + 1;
    if (bx * by <= limit) break;
    cell *= 1.5;
  }
  x0_ = xmin;
  y0_ = ymin;
  cell_ = cell;
  inv_ = 1.0 / cell;
  nbx_ = int(std::floor(w * inv_)) + 1;
  nby_ = int(std::floor(h * inv_)) + 1;

  // Counting sort of the items by bucket; items stay in ascending order
  // within each bucket.
  const std::size_t nb = std::size_t(nbx_) * std::size_t(nby_);
  std::vector<std::uint32_t> bucket(n, std::uint32_t(nb));
  start_.assign(nb + 1, 0);
  for (std::size_t k = 0; k < n; ++k) {
    if (!kept(k)) continue;
    bucket[k] = std::uint32_t(std::size_t(row(y[k])) * std::size_t(nbx_) + std::size_t(column(x[k])));
    ++start_[bucket[k] + 1];
  }
  for (std::size_t b = 0; b < nb; ++b) start_[b + 1] += start_[b];
  items_.resize(count);
  std::vector<std::uint32_t> fill(start_.begin(), start_.end() - 1);
  for (std::size_t k = 0; k < n; ++k)
    if (bucket[k] < nb) items_[fill[bucket[k]]++] = std::int32_t(k);
}

}  // namespace korvel
