#pragma once
// Polygon tools of the display modes: digitising a polygon with the cursor
// (igplyp), reading one from a text file (igplyf) and the point-in-polygon
// test (igpoly).
//
// Polygon files hold one vertex per line, x and y (absolute co-ordinates)
// in the first two columns. Polygons are separated by a blank line or a
// line beginning "#", ">>" or "end"; a line beginning "/" before the first
// vertex is a caption, shown on the message line; after a vertex it ends
// the polygon. Vertices are kept relative to the plot origin (XORGR,
// YORGR), as every world co-ordinate is.
//
//   Polygon p;
//   int status = sketra::igplyf(10, p, 10000);  // 0 end of file, 1 a line that
//                                               // is not a vertex, 2 a separator
//   if (sketra::igpoly(p.x, p.y, px, py)) ...   // inside

#include <span>
#include <string>
#include <vector>

namespace sketra {

inline constexpr int kPolygonCapacity = 10000;  // vertices of xp, yp
inline constexpr int kHistoryLines = 200;       // lines of the polygon history

// Bounding box of a polygon's vertices.
struct Box {
  float xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  bool contains(float x, float y) const { return x >= xmin && x <= xmax && y >= ymin && y <= ymax; }
};

// A polygon: its vertices (plot co-ordinates) and bounding box.
struct Polygon {
  std::vector<float> x, y;
  Box box;
  int count() const { return int(x.size()); }
  void clear() {
    x.clear();
    y.clear();
    box = {};
  }
};

// Bounding box of the first n vertices (all zero when n < 1).
Box polygon_box(std::span<const float> x, std::span<const float> y);

// Point in polygon: 1 inside, 0 outside. A point outside the bounding box
// is outside; otherwise the segment from the point to R = (xmin - 19,
// ymin - 11) is tested against every edge (the last closing to the first
// vertex): an edge counts when both orientation products are below 1e-5,
// so a point touching an edge counts that edge; an odd count is inside.
// When that segment runs exactly through a vertex, a reference point a
// little aside is used instead, so that the vertex is not counted twice.
int igpoly(std::span<const float> x, std::span<const float> y, float px, float py);

// Reads one polygon from read unit `unit` into p (at most |capacity| - 1
// vertices are kept; further ones overwrite the last). Draws the polyline
// while reading and, unless capacity < 0, the closing edge. Returns 0 at the
// end of the file, 1 at a line that is not a number pair (pushed back for
// the next reader), 2 at a separator line (a "/" line after a vertex is
// pushed back).
int igplyf(int unit, Polygon& p, int capacity);

// Cursor digitising with the submenu Undo, Cancel, Read, ??, Done: each
// click in the plot adds a vertex (at most |capacity| - 1), the right button
// undoes the last one. On Done the closing edge is drawn (unless
// `out_unit` < 0) and every vertex is written to `out_unit` as absolute x
// and y (width 12, 3 decimals) and " /", and kept in the polygon history.
// Returns 0 when no vertex was taken, else 1.
int igplyp(Polygon& p, int capacity, int out_unit);

// The polygon history: the vertices of digitised polygons as text lines
// (x and y, width 11, 2 decimals), at most 200 lines.
const std::vector<std::string>& polygon_history();
void polygon_history_reset();

}  // namespace sketra
