#pragma once
// 2DM mesh files, as SMS and the hydraulic models that read its format write
// them: one card per line, nodes and elements numbered from 1.
//
//   MESH2D
//   ND 1 2601400.00 1199600.00 421.50       node number, x, y, z
//   E3T 1 1 2 3 1                           triangle: number, 3 nodes, material
//   E4Q 2 2 4 5 3 1                         quadrilateral: number, 4 nodes, material
//
// `ir2dm` reads the nodes and, when asked, the elements, which it turns into
// triangles: an E4Q is split along its shorter diagonal. Other cards (MESH2D,
// MESHNAME, E6T, NS, ...) are passed over. The loader takes only the nodes;
// the mapping of surfaces onto grids takes nodes and triangles:
//
//   Ir2dmRequest req;
//   req.max_nodes = kMaxPoints;
//   req.max_triangles = 39200000;
//   req.take_origin = true;
//   Mesh2dm m = ir2dm(reader, xorig, yorig, req);
//   // m.x, m.y, m.z: the nodes in file order, relative to the origin
//   // m.triangles[k]: point numbers a, b, c (1-based, first_number = node 1 of m.x)
//   if (!m.error.empty()) grmesg(m.error);   // "ir2dm: error at line 17"

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "app/formats/format_io.h"
#include "app/formats/geometry.h"
#include "sketra/base/units.h"

namespace korvel {

// Node numbers of a file to point numbers. Memory grows with the nodes, not
// with the largest node number: dense numbers use a table, sparse ones a
// sorted list.
class NodeMap {
 public:
  // Records that file node `number` (>= 1) became point `point`. A number
  // given twice keeps the later point.
  void add(std::int64_t number, std::int32_t point);
  // Prepares the lookups; call after the last `add`.
  void build();
  // Point of file node `number`; 0 when the file gave no such node.
  std::int32_t find(std::int64_t number) const;
  std::size_t size() const { return pairs_.size(); }

 private:
  std::vector<std::pair<std::int64_t, std::int32_t>> pairs_;  // sorted after build when sparse
  std::vector<std::int32_t> dense_;                           // index = node number, when dense
  bool built_ = false;
};

struct Ir2dmRequest {
  std::int32_t max_nodes = 0;      // node capacity; 0 skips nodes (and then elements)
  std::int64_t max_triangles = 0;  // triangle capacity; 0 skips elements
  bool take_origin = false;        // the origin becomes the first node's x and y
  std::int32_t first_number = 1;   // point number given to the first node read
};

struct Mesh2dm {
  std::vector<float> x;                // nodes in file order, relative to the origin
  std::vector<float> y;
  std::vector<float> z;                // absolute
  std::vector<Triangle> triangles;     // point numbers counted from first_number
  NodeMap map;                         // file node number -> point number
  std::int64_t ignored_nodes = 0;      // nodes beyond max_nodes
  std::int64_t ignored_triangles = 0;  // triangles beyond max_triangles
  std::int64_t error_line = 0;         // line that ended a pass early; 0 when none
  std::string error;                   // "ir2dm: error at line " and the line, or empty
};

// Reads the 2DM file from `r` (rewound for each pass). xorig, yorig
// in/out: with `take_origin` they become the first node's x and y, else the
// nodes are stored relative to them.
//
// Node pass: a line beginning with a blank is shifted left by one character;
// "ND" lines hold node number, x, y, z. A node line that does not read (or
// has a node number below 1, or a value that is not finite) ends the pass
// with the error text; the nodes before it stay.
// Element pass (after the nodes): "E3T" gives one triangle of the mapped
// nodes; "E4Q" n1..n4 gives (n4, n1, n2) and (n2, n3, n4) when the diagonal
// n2-n4 is the shorter, else (n1, n2, n3) and (n3, n4, n1). An element line
// that does not read or names a node the file did not give ends the pass
// with the error text. Cost: one pass over the file per part read.
Mesh2dm ir2dm(sketra::LineReader& r, double& xorig, double& yorig, const Ir2dmRequest& req);

// Writes a triangulated surface as a 2DM file: "MESH2D", one "E3T" card per
// triangle (its number and three node numbers in fields of 8, material 1 in
// a field of 4), then one "ND" card per node (number in a field of 8; x and
// y with `origin` added in double precision as E16.9, the value as E14.7):
//
//   MESH2D
//   E3T        1       1       2       3   1
//   ND        1 0.260000000E+07 0.120000000E+07 0.4200000E+03
//
// Progress: "writing data". Cost: one pass, no allocation per card.
FileResult write_2dm(TextOut& out, std::span<const float> x, std::span<const float> y, std::span<const float> value,
                     std::span<const Triangle> triangles, Origin origin, Progress& progress);

}  // namespace korvel
