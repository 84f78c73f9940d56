#pragma once
// Text triangle lists (suffix "3ds", or the keyword "triangles"): three
// non-blank lines of x, y, z per triangle.
//
//   2600000.0 1200000.0 400.0
//   2600010.0 1200000.0 401.0
//   2600000.0 1200010.0 402.0

#include <cstdint>

#include "app/formats/format_io.h"

namespace korvel {

struct TrianglesRead {
  bool incomplete = false;          // the section ended inside a triangle, which is dropped
  std::int64_t ignored = 0;         // triangles that found the sink full
  std::int64_t refused_edges = 0;   // edges the sink refused
};

// Reads triangles until a line does not read (stepped back) or the file
// ends. The first vertex of the first triangle fixes the origin unless it
// is fixed; each triangle becomes three points with `code` and the edges
// (p, p+1), (p+1, p+2), (p+2, p). A triangle that does not fit whole is
// ignored. Progress: "reading triangles", "ignoring lines".
TrianglesRead read_text_triangles(sketra::LineReader& r, std::int32_t code, PointSink& sink);

}  // namespace korvel
