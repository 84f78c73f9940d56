// The clearance grid of the seed lattice (see lattice.h).

#include "meshgen/lattice.h"

#include <cmath>

namespace meshgen {

// Cells are 2 gap wide: a point within `gap` of a segment is within 1.5 gap
// of one of its registered piece ends, so in that cell or a neighbour.
std::int64_t Clearance::cell(double v) const { return static_cast<std::int64_t>(std::floor(v / (2 * gap_))); }

void Clearance::add_vertex(double x, double y) { add_segment(x, y, x, y); }

// Registers the segment in every cell that a point within `gap` of it can
// fall in: the cells of its pieces of length `gap`, and their neighbours.
void Clearance::add_segment(double x0, double y0, double x1, double y1) {
  const auto index = static_cast<std::uint32_t>(items_.size());
  items_.push_back({x0, y0, x1, y1});
  const double length = std::hypot(x1 - x0, y1 - y0);
  const auto pieces = static_cast<std::int64_t>(std::ceil(length / gap_)) + 1;
  std::int64_t last_i = INT64_MIN, last_j = INT64_MIN;
  for (std::int64_t k = 0; k <= pieces; ++k) {
    const double t = double(k) / double(pieces);
    const std::int64_t ci = cell(x0 + t * (x1 - x0)), cj = cell(y0 + t * (y1 - y0));
    if (ci == last_i && cj == last_j) continue;
    last_i = ci;
    last_j = cj;
    for (std::int64_t di = -1; di <= 1; ++di) {
      for (std::int64_t dj = -1; dj <= 1; ++dj) {
        auto& list = cells_[key(ci + di, cj + dj)];
        if (list.empty() || list.back() != index) list.push_back(index);
      }
    }
  }
}

bool Clearance::clear(double x, double y) const {
  auto it = cells_.find(key(cell(x), cell(y)));
  if (it == cells_.end()) return true;
  const double g2 = gap_ * gap_;
  for (std::uint32_t index : it->second) {
    const Item& s = items_[index];
    const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((x - s.x0) * dx + (y - s.y0) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = s.x0 + t * dx - x, ey = s.y0 + t * dy - y;
    if (ex * ex + ey * ey < g2) return false;
  }
  return true;
}

}  // namespace meshgen
