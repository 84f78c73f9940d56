#pragma once
// Mapping: a triangulated surface (TIN) assembled from the files the user
// loaded, shown in the surface viewer, and its values put onto the nodes of
// a regular grid.
//
// A TIN is a range of the point store (x, y relative to the store origin,
// z the value) and a table of triangles over it. Its points are those of
// the node file or 2DM mesh loaded last, wherever the loader put them (an
// Added file starts after the points before it): the loader records that
// range as a `MeshPoints`. The triangles come from the element file that
// belongs to the node file, or from the 2DM mesh itself (quadrilaterals
// split along the shorter diagonal), and are numbered within the range.
//
// This folder knows the store only through what its caller hands over
// (spans of the columns, the record of the last mesh file), so its pieces
// work on any arrays:
//
//   MapInput in{cin.x, cin.y, cin.z, std::string(cpch.last_file.trimmed()), last_mesh_points};
//   std::optional<Tin> tin = assemble_tin(in, cunit.data);   // asks, reads, checks
//   if (tin) view_tin(*tin, {cin1.xorig, cin1.yorig});
//   std::vector<float> values(nx * ny);
//   tin_values(*tin, grid, values, progress);               // later triangle wins

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/formats/geometry.h"

namespace korvel {

inline constexpr std::int64_t kMaxTriangles = 39200000;  // twice the point capacity

// Where the points of the node file or 2DM mesh loaded last lie in the
// point store.
struct MeshPoints {
  std::string file;        // the file as it was loaded (cpch's last file)
  std::int32_t first = 0;  // point number of its first node; 0: none loaded
  std::int32_t count = 0;  // its nodes
  std::int64_t base = 1;   // number the file gives its first node (node files: 1 or 0)
};

// What the last file was, by its suffix: a TRIANGLE node file (".node"),
// a 2DM mesh (".2dm"), or neither.
enum class TinSource { none, node, mesh2dm };
TinSource tin_source(std::string_view last_file);

// The element file of a node file: "river.node" -> "river.ele".
std::string element_name(std::string_view node_file);

// The ten help lines shown when the chosen file is no element file.
std::vector<std::string> element_help_text();

// A surface: its points (a range of the store's columns; z may be changed
// by the viewer) and its triangles, numbered 1 ... points in that range.
struct Tin {
  std::span<const float> x, y;
  std::span<float> z;
  std::vector<Triangle> triangles;
};

// What assemble_tin works on: the whole point columns, the last file
// loaded and where its points went.
struct MapInput {
  std::span<const float> x, y;
  std::span<float> z;
  std::string last_file;
  MeshPoints mesh;
  double xorig = 0, yorig = 0;  // the store origin (2DM nodes are read relative to it)
};

// Builds the surface of the last loaded file: the element file asked for
// with the file dialog on `unit` (the ".ele" beside a node file, the 2DM
// file itself for a mesh), read and checked. Messages and help texts go to
// the message line and text pages; nullopt when nothing is to be mapped
// (no node file or mesh loaded last, its points no longer in the store,
// the dialog cancelled, a bad or short file).
std::optional<Tin> assemble_tin(const MapInput& in, int unit);

// Shows the surface in the surface viewer, filled and contoured, with the
// plot origin at `origin`; returns when the person leaves it. The titles
// are the caller's (item name, value label, axis units).
void view_tin(Tin& tin, std::array<double, 2> origin, const std::string& title, const std::string& value_label,
              const std::string& xlabel, const std::string& ylabel);

// A regular grid to fill: node m = i + (j-1)*nx (1-based) lies at
// (gx[m-1], gy[m-1]); geometry as in the store.
struct GridTarget {
  std::span<const float> gx, gy;
  GridGeometry geometry;
  float nodata = -9999.0f;
  // True when the grid can be filled: at least two nodes, spacings above 0,
  // node columns of nx*ny entries.
  bool usable() const;
};

// Called with (triangles done, total); false stops the work.
using MapProgress = std::function<bool(std::int64_t, std::int64_t)>;

// The TIN's values at the grid nodes, into `values` (nx*ny entries, all
// set to NODATA first). For each triangle in stored order, every node of
// its bounding box widened by one node on each side: inside (igrtri) the
// node takes the interpolated value, so of two triangles holding a node
// the later one wins. A node outside that still holds NODATA (within 0.1)
// is tried at the four positions a fifth of the x spacing to the left,
// right, below and above, in that order, and takes the value extrapolated
// at the first one inside: nodes up to a fifth of a cell outside the TIN
// get values, nodes farther out keep NODATA. Single precision throughout.
// Returns false (values incomplete) when `progress` stopped it or the grid
// is not usable.
bool tin_values(const Tin& tin, const GridTarget& grid, std::span<float> values, const MapProgress& progress = {});

}  // namespace korvel
