#pragma once
// Seed points for a size-limited mesh: an equilateral lattice laid over the
// domain before refinement, kept clear of the input vertices and segments.
//
// Refining an empty domain point by point spends most of its time in the
// mesher's queue of bad faces. Most of a mesh under a uniform area limit can
// instead be seeded at once: lattice points give equilateral triangles of
// about the size asked for, and the mesher is left with the band along the
// segments, where the lattice does not fit. The quality and area criteria
// are checked by the mesher afterwards as for any triangulation, so seeding
// changes speed and the look of the mesh, not its guarantees.
//
// Internal to meshgen (no CGAL here).

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace meshgen {

// Answers "is any input vertex or segment closer than `gap` to this point?"
// through a hash grid of cells of size 2 `gap`.
class Clearance {
 public:
  explicit Clearance(double gap) : gap_(gap) {}
  void add_vertex(double x, double y);
  void add_segment(double x0, double y0, double x1, double y1);
  bool clear(double x, double y) const;

 private:
  struct Item {
    double x0, y0, x1, y1;  // a vertex has x1 == x0, y1 == y0
  };
  std::int64_t key(std::int64_t i, std::int64_t j) const { return i * 0x100000001LL + j; }
  std::int64_t cell(double v) const;
  double gap_;
  std::vector<Item> items_;
  std::unordered_map<std::int64_t, std::vector<std::uint32_t>> cells_;
};

// The equilateral lattice of spacing h anchored at (ox, oy): rows along x,
// every other row shifted by h/2. Calls emit(x, y) for each lattice point
// strictly inside the counter-clockwise triangle (a, b, c).
template <class Emit>
void lattice_in_triangle(double ox, double oy, double h, const double a[2], const double b[2], const double c[2],
                         Emit&& emit);

}  // namespace meshgen

#include <algorithm>
#include <cmath>

namespace meshgen {

template <class Emit>
void lattice_in_triangle(double ox, double oy, double h, const double a[2], const double b[2], const double c[2],
                         Emit&& emit) {
  const double row = h * std::sqrt(3.0) / 2;
  const double ymin = std::min({a[1], b[1], c[1]}), ymax = std::max({a[1], b[1], c[1]});
  const double xmin = std::min({a[0], b[0], c[0]}), xmax = std::max({a[0], b[0], c[0]});
  auto left = [](const double* p, const double* q, double x, double y) {
    return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0]) > 0;
  };
  for (auto j = static_cast<std::int64_t>(std::ceil((ymin - oy) / row)); oy + double(j) * row < ymax; ++j) {
    const double y = oy + double(j) * row;
    const double shift = (j & 1) ? h / 2 : 0;
    for (auto i = static_cast<std::int64_t>(std::ceil((xmin - ox - shift) / h)); ox + shift + double(i) * h < xmax; ++i) {
      const double x = ox + shift + double(i) * h;
      if (left(a, b, x, y) && left(b, c, x, y) && left(c, a, x, y)) emit(x, y);
    }
  }
}

}  // namespace meshgen
