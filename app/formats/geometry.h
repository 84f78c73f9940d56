#pragma once
// The shapes that the point store and the file formats share: edges,
// triangles and the geometry of a regular grid.
//
// Point numbers in edges and triangles are 1-based, as every file writes
// them. Grid node coordinates, like point coordinates, are single precision
// relative to a double-precision origin.

#include <cstdint>

namespace korvel {

// An edge: 1-based point numbers of its start and end.
struct Edge {
  std::int32_t a = 0;
  std::int32_t b = 0;
  bool operator==(const Edge&) const = default;
};

// A triangle: three 1-based point numbers, in the order the file gives them.
struct Triangle {
  std::int32_t a = 0;
  std::int32_t b = 0;
  std::int32_t c = 0;
  bool operator==(const Triangle&) const = default;
};

// The double-precision origin that single-precision co-ordinates are
// relative to: a point stored at x lies at x + origin.x.
struct Origin {
  double x = 0;
  double y = 0;
};

// Geometry of a regular grid. Node (i, j) lies at
//   x = x0 + (i-1)*dx*cos(a) + (j-1)*dy*sin(a)
//   y = y0 - (i-1)*dx*sin(a) + (j-1)*dy*cos(a),   a = angle * 0.017453,
// so a positive angle turns the grid clockwise. Its values run row by row
// from the row at y0: node (i, j) is value (i-1) + (j-1)*nx.
struct GridGeometry {
  float x0 = 0;
  float y0 = 0;
  float dx = 0;
  float dy = 0;
  std::int32_t nx = 0;
  std::int32_t ny = 0;
  float angle = 0;  // degrees
};

// Node positions of a grid by the formula above; i and j count from 0 here.
class GridNodes {
 public:
  explicit GridNodes(const GridGeometry& g);
  float x(int i, int j) const { return x(column_x(i), row_x(j)); }
  float y(int i, int j) const { return y(column_y(i), row_y(j)); }
  // The formula's terms of column i and row j, and the node from them.
  double column_x(int i) const { return i * g_.dx * c_; }
  double column_y(int i) const { return i * g_.dx * s_; }
  double row_x(int j) const { return j * g_.dy * s_; }
  double row_y(int j) const { return j * g_.dy * c_; }
  float x(double column, double row) const { return float(g_.x0 + column + row); }
  float y(double column, double row) const { return float(g_.y0 - column + row); }

 private:
  GridGeometry g_;
  double c_;
  double s_;
};

}  // namespace korvel
