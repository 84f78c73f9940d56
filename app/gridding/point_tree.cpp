#include "app/gridding/point_tree.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "app/gridding/gridding.h"

namespace korvel {

namespace {

constexpr std::uint32_t kLeafSize = 16;
constexpr double kMargin = 1.0 - 1.0e-6;  // a box's bound, lowered by the rounding of the distances
constexpr int kMaxDepth = 64;             // far beyond log2 of any point count

}  // namespace

PointTree::PointTree(std::span<const float> x, std::span<const float> y) {
  for (std::size_t k = 0; k < x.size() && k < y.size(); ++k)
    if (std::isfinite(x[k]) && std::isfinite(y[k])) items_.push_back(std::int32_t(k));
  std::vector<float> xs(x.begin(), x.end()), ys(y.begin(), y.end());
  x_ = std::move(xs);
  y_ = std::move(ys);
  build();
  // From here on the co-ordinates are kept in item order.
  std::vector<float> ox(items_.size()), oy(items_.size());
  for (std::size_t i = 0; i < items_.size(); ++i) {
    ox[i] = x_[std::size_t(items_[i])];
    oy[i] = y_[std::size_t(items_[i])];
  }
  x_ = std::move(ox);
  y_ = std::move(oy);
}

// Splits runs at their medians, breadth first: the children of a node are
// made as a pair, so node k's children are low and low + 1.
void PointTree::build() {
  if (items_.empty()) return;
  nodes_.reserve(2 * (items_.size() / kLeafSize + 1));
  nodes_.push_back(Node{0, 0, 0, 0, 0, std::uint32_t(items_.size())});
  for (std::size_t k = 0; k < nodes_.size(); ++k) {
    Node n = nodes_[k];
    n.xmin = n.ymin = INFINITY;
    n.xmax = n.ymax = -INFINITY;
    n.first = items_[n.begin];
    for (std::uint32_t i = n.begin; i < n.end; ++i) {
      const std::size_t p = std::size_t(items_[i]);
      n.xmin = std::min(n.xmin, x_[p]);
      n.xmax = std::max(n.xmax, x_[p]);
      n.ymin = std::min(n.ymin, y_[p]);
      n.ymax = std::max(n.ymax, y_[p]);
      n.first = std::min(n.first, items_[i]);
    }
    if (n.end - n.begin > kLeafSize) {
      const bool along_x = n.xmax - n.xmin >= n.ymax - n.ymin;
      const std::vector<float>& c = along_x ? x_ : y_;
      const auto begin = items_.begin() + n.begin, mid = begin + (n.end - n.begin) / 2, end = items_.begin() + n.end;
      std::nth_element(begin, mid, end, [&](std::int32_t a, std::int32_t b) { return c[std::size_t(a)] < c[std::size_t(b)]; });
      n.low = std::uint32_t(nodes_.size());
      const std::uint32_t m = std::uint32_t(mid - items_.begin());
      nodes_.push_back(Node{0, 0, 0, 0, n.begin, m});
      nodes_.push_back(Node{0, 0, 0, 0, m, n.end});
    }
    nodes_[k] = n;
  }
}

double PointTree::lower_bound(const Node& n, float x, float y) const {
  const double dx = std::max({double(n.xmin) - double(x), 0.0, double(x) - double(n.xmax)});
  const double dy = std::max({double(n.ymin) - double(y), 0.0, double(y) - double(n.ymax)});
  return (dx * dx + dy * dy) * kMargin;
}

std::int64_t PointTree::nearest(float x, float y, float limit) const {
  if (nodes_.empty() || !std::isfinite(x) || !std::isfinite(y)) return -1;
  float best = limit;
  std::int64_t best_k = -1;
  // Depth-first, the nearer child first; each entry carries its box's bound.
  std::array<std::pair<std::uint32_t, double>, 2 * kMaxDepth> stack;
  std::size_t top = 0;
  stack[top++] = {0, lower_bound(nodes_[0], x, y)};
  while (top > 0) {
    const auto [k, bound] = stack[--top];
    if (bound > double(best)) continue;
    const Node& n = nodes_[k];
    if (n.low == 0) {
      for (std::uint32_t i = n.begin; i < n.end; ++i) {
        const float d = squared_distance(x_[i], y_[i], x, y);
        if (d < best || (d == best && best_k >= 0 && items_[i] < best_k)) {
          best = d;
          best_k = items_[i];
        }
      }
      continue;
    }
    const double b0 = lower_bound(nodes_[n.low], x, y), b1 = lower_bound(nodes_[n.low + 1], x, y);
    if (b0 <= b1) {
      stack[top++] = {n.low + 1, b1};
      stack[top++] = {n.low, b0};
    } else {
      stack[top++] = {n.low, b0};
      stack[top++] = {n.low + 1, b1};
    }
  }
  return best_k;
}

std::int64_t PointTree::first_within(float x, float y, float reach) const {
  if (nodes_.empty() || !std::isfinite(x) || !std::isfinite(y)) return -1;
  std::int64_t best = -1;
  std::array<std::uint32_t, 2 * kMaxDepth> stack;
  std::size_t top = 0;
  stack[top++] = 0;
  while (top > 0) {
    const Node& n = nodes_[stack[--top]];
    if (lower_bound(n, x, y) >= double(reach) || (best >= 0 && n.first >= best)) continue;
    if (n.low == 0) {
      for (std::uint32_t i = n.begin; i < n.end; ++i)
        if ((best < 0 || items_[i] < best) && squared_distance(x_[i], y_[i], x, y) < reach) best = items_[i];
      continue;
    }
    stack[top++] = n.low + 1;
    stack[top++] = n.low;
  }
  return best;
}

}  // namespace korvel
