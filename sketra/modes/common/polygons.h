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
//   int status = sketra::igplyf(10, p, 10000);  // kPolygonSeparator, ...
//   if (status == sketra::kPolygonFull) sketra::grmesg(sketra::polygon_file_problem(10, status, 10000));
//   if (sketra::igpoly(p.x, p.y, px, py)) ...   // inside

#include <span>
#include <string>
#include <vector>

namespace sketra {

inline constexpr int kPolygonCapacity = 10000;  // vertices of xp, yp
inline constexpr int kHistoryLines = 200;       // lines of the polygon history

// How igplyf ended a polygon.
inline constexpr int kPolygonEndOfFile = 0;  // the end of the file
inline constexpr int kPolygonOtherLine = 1;  // a line that is not a vertex (left for the next reader)
inline constexpr int kPolygonSeparator = 2;  // a separator line
inline constexpr int kPolygonFull = 3;       // more vertices than room (see igplyf)

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

// Reads one polygon from read unit `unit` into p. Draws the polyline while
// reading and, unless capacity < 0, the closing edge. Returns how the
// polygon ended: kPolygonEndOfFile, kPolygonOtherLine at a line that is
// not a number pair (pushed back for the next reader), kPolygonSeparator
// at a separator line (a "/" line after a vertex is pushed back). At most
// |capacity| - 1 vertices are kept: a polygon with more returns
// kPolygonFull with the vertices that were kept, and its further vertex
// lines are read past (up to where it ends, as above), so that the next
// reader starts after it. The caller decides whether a polygon that ended
// at another line or was too long can be used; polygon_file_problem tells
// the person why not.
int igplyf(int unit, Polygon& p, int capacity);

// The message for a polygon that igplyf ended with `status` on `unit`:
// for kPolygonOtherLine "line N of FILE is not a vertex: TEXT" (the line
// stays unread), for kPolygonFull "more than K vertices in FILE up to
// line N" (K = |capacity| - 1, N the last line read); empty otherwise.
std::string polygon_file_problem(int unit, int status, int capacity);

// Cursor digitising with the submenu Undo, Cancel, Read, ??, Done: each
// click in the plot adds a vertex (at most |capacity| - 1; a further click
// is refused with a message), the right button undoes the last one. A
// polygon read from a file that holds a line that is not a vertex is
// kept and the line reported; one with too many vertices is refused. On Done the closing edge is drawn (unless
// `out_unit` < 0) and every vertex is written to `out_unit` as absolute x
// and y (width 12, 3 decimals) and " /", and kept in the polygon history.
// Returns 0 when no vertex was taken, else 1.
int igplyp(Polygon& p, int capacity, int out_unit);

// The polygon history: the vertices of digitised polygons as text lines
// (x and y, width 11, 2 decimals), at most 200 lines.
const std::vector<std::string>& polygon_history();
void polygon_history_reset();

}  // namespace sketra
