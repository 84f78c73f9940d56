#pragma once
// The loader's side of the readers (internal to the loader): each function
// runs one reader of app/formats on the open file, fills the point store
// with what it delivers under the loader's reader settings, and reports
// counts on the message line and in the log. A failed result rejects the
// file (the loader rolls the store back).

#include <array>
#include <string>

#include "app/formats/format_io.h"
#include "app/formats/xyz.h"

namespace korvel {

// The point store as the sink of the point readers: points relative to the
// store origin, which the first point fixes unless a reader has fixed it
// (`reader.lorig`); progress on the progress bar.
class StoreSink final : public PointSink {
 public:
  void percent(int p, std::string_view what) override;
  void fix_origin(double x, double y) override;
  bool add_point(double x, double y, float z, std::int32_t code) override;
  bool add_edge(std::int32_t a, std::int32_t b) override;
  std::int32_t points() const override;
  std::int32_t capacity() const override;
  void reserve(std::size_t n) override;
};

// Fixes the store origin at the absolute point (x, y) unless a reader has
// fixed it already.
void fix_store_origin(double x, double y);

// The clip window of the plot block.
ClipWindow clip_window();

// The "found" message of point and line sections.
void found_message();

// Point section ("xyz", "xy", three numbers) from the file on `unit`.
FileResult load_points(int unit, const PointColumns& c, int log);

// Line section ("lines", "bedlevel", four numbers): 1-based columns of x, y, z, I.
FileResult load_lines(int unit, const std::array<int, 4>& col);

// Cross-section ("cs") of (distance, elevation) pairs, placed by "locate".
FileResult load_cross_section(int unit, float km, float dz);

// Value table ("table"): columns ix, iy and the scales x = ax*value + bx,
// y = ay*value + by; the points are stored as they are, without the origin.
struct TableParams {
  int ix = 1;
  int iy = 2;
  float ax = 1.0f;
  float bx = 0.0f;
  float ay = 1.0f;
  float by = 0.0f;
};
FileResult load_table(int unit, int log, const TableParams& p);

// BLT lines; a failure names the line that does not read.
FileResult load_blt(int unit, const std::string& name);

// Text triangles (suffix "3ds", keyword "triangles").
void load_text_triangles(int unit, int log);

// TRIANGLE node file (suffix "node" or "hole") and, for a node file
// (`with_poly`), the edges of the .poly file beside it, numbered after the
// points that were in the store before. No finishing step.
FileResult load_node_file(int unit, const std::string& name, bool with_poly, int log);

// 2DM nodes (suffix "2dm", keyword "mesh2d"): every node of the file; a
// node line that does not read rejects the file.
FileResult load_mesh2d(int unit, const std::string& name, int log);

// ESRI shapefile: every vertex a point, every part of a line or polygon a
// chain of edges.
FileResult load_shapefile(const std::string& name, int log);

// DXF drawing: the layer scan, the layer and option dialogs, then the
// entities of the chosen layers with their vertex kinds as codes and an
// edge to every vertex of kind 3.
FileResult load_dxf(int unit, const std::string& name, int log);

}  // namespace korvel
