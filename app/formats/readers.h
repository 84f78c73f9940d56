#pragma once
// Readers of the formats that other programs write (internal to app/): the
// loader hands them TRIANGLE node and hole files, text triangle lists, 2DM
// meshes, ESRI shapefiles and DXF drawings.
//
// Every reader appends to the point store after the points already there,
// with the conventions of the store (coordinates relative to the origin,
// 1-based point numbers in edges) and the loader's reader settings (`reader`:
// the origin flag `lorig`, the colour `icol`). None of them writes past a
// capacity: points stop at maxp, edges at the edge table, and surplus data
// is refused with a note in the log.
//
// A reader that finds the file truncated, holding garbage or contradicting
// its own counts returns a failure with a message that names the file and
// the line; the loader then shows the message, rejects the load and puts the
// store back as it was. Reports that the system writes to standard output
// ("filename:", "unkown layer: ", "unknown codes:", ...) go there and to the
// log.

#include <cstdint>
#include <string>
#include <string_view>

namespace korvel {

// What became of a reader: ok, or the reason the file is rejected.
struct ReadResult {
  bool ok = true;
  std::string message;  // why the file was rejected, for the message line

  static ReadResult success() { return {}; }
  static ReadResult failure(std::string why) { return {false, std::move(why)}; }
};

// TRIANGLE node file (suffix "node" or "hole") on `unit`, named `name`.
// Nodes become points with code `icol`; for a node file (`with_poly`) the
// edges of the .poly file beside it follow, numbered after the points that
// were in the store before. No finishing step.
ReadResult node_file(int unit, const std::string& name, bool with_poly, int log);

// Text triangles (suffix "3ds", keyword "triangles"): three lines of x, y, z
// per triangle, read from `unit` until a line does not parse (stepped back)
// or the file ends. Each triangle becomes three points and three edges.
void text_triangles(int unit, int log);

// 2DM nodes (suffix "2dm", keyword "mesh2d"): every "ND" line of the file on
// `unit` becomes a point after the store's points; the origin comes from the
// first node when it is not fixed yet.
ReadResult mesh2d_nodes(int unit, const std::string& name, int log);

// ESRI shapefile `name` (the unit is not used): every vertex becomes a point,
// every part of a line, polygon or multipatch shape a chain of edges.
ReadResult shapefile(const std::string& name, int log);

// DXF drawing on `unit`, named `name`: the layer and option dialogs, then
// the entities of the chosen layers as points with the vertex kinds 1, 2, 3
// as codes and an edge to every vertex of kind 3.
ReadResult dxf_file(int unit, const std::string& name, int log);

// ---- Shared by the readers ------------------------------------------------

// Writes a report line to standard output and echoes it to the log.
void report(std::string_view text, int log);

// Fixes the store origin at (x, y) unless it is fixed already.
void fix_origin(double x, double y);

// Appends a point given in absolute coordinates (relative to the origin in
// the store); false, with nothing stored, when the store is full.
bool add_point_abs(double x, double y, float z, std::int32_t code);

// Appends edges and counts those the full edge table refuses; `flush`
// writes the count of refused edges to the log.
class EdgeSink {
 public:
  explicit EdgeSink(int log) : log_(log) {}
  void add(std::int32_t a, std::int32_t b);
  void flush();
  std::int64_t refused() const { return refused_; }

 private:
  int log_;
  std::int64_t refused_ = 0;
};

// True when the line holds nothing but blanks, tabs and carriage returns.
bool blank_line(std::string_view line);

}  // namespace korvel
