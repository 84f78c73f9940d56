#pragma once
// ASCII DXF drawings: the geometry of the entities as points and polylines.
//
// A DXF file is a sequence of pairs of lines, a group code and a value.
// Group 0 starts a record (an entity, a table entry, a section mark), group
// 8 names the layer, groups 10/20/30, 11/21/31, ... give coordinates. The
// reader reads the file twice:
//
//   pass 1  collects the layer names (every group-8 value, at most 200) and
//           asks which layers to take and the scale factor ("Scaling factor",
//           "Plot Circle");
//   pass 2  turns the entities of the chosen layers into vertices, each with
//           a kind: 1 single point, 2 first vertex of a line, 3 vertex joined
//           to the one before it.
//
//   entity                 vertices
//   POINT, INSERT, MTEXT   the insertion point, kind 1
//   LINE                   start (2) and end (3); a LINE starting within
//                          0.001 (squared distance) of the end of the LINE
//                          just before continues its chain with its end only
//   POLYLINE/VERTEX/SEQEND one line through the vertices; closed ones (flag
//                          70 bit 1) end with their first vertex again; a 2-D
//                          polyline's vertices take its elevation as z
//   LWPOLYLINE             the same, z = its elevation (group 38)
//   HATCH                  each boundary path as a closed line at the hatch's
//                          elevation (polyline paths, and line, arc, ellipse
//                          and spline edges)
//   CIRCLE                 with "Plot Circle" only: 40 vertices, the last on the first
//   ARC                    round(sweep * 3) vertices, at least 2, counterclockwise
//   3DFACE                 its corners and the first again (a fourth corner
//                          that differs from the third is kept)
//
// The contents of block definitions (BLOCK ... ENDBLK) and paper-space
// entities (group 67 = 1) are not part of the drawing's geometry and are
// passed over; an INSERT gives its insertion point. Other group-0 names are
// counted and listed at the end ("unknown codes:").
//
// The scale factor multiplies every coordinate, radius and elevation as it
// is read. At most 3,000,000 vertices are read; the surplus is refused and
// reported.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/formats/readers.h"

namespace korvel {

inline constexpr std::int64_t kMaxDxfVertices = 3000000;
inline constexpr int kMaxDxfLayers = 200;
inline constexpr int kMaxDxfCodes = 200;

// Vertex kinds, left in the code column of the store.
inline constexpr std::int8_t kDxfPoint = 1;
inline constexpr std::int8_t kDxfFirst = 2;
inline constexpr std::int8_t kDxfJoined = 3;

struct DxfLayer {
  std::string name;  // at most 32 characters
  bool chosen = true;
};

struct DxfDrawing {
  std::vector<double> x;          // absolute, scaled
  std::vector<double> y;
  std::vector<float> z;
  std::vector<std::int8_t> kind;  // kDxfPoint, kDxfFirst, kDxfJoined
  std::vector<DxfLayer> layers;   // in order of first appearance
  std::vector<std::pair<std::string, std::int64_t>> unknown;  // unknown group-0 names and counts
  std::int64_t refused = 0;       // vertices beyond the capacity
  std::int64_t invalid = 0;       // vertices whose scaled co-ordinates overflow
  std::int64_t skipped = 0;       // entities inside block definitions and in paper space
  bool truncated = false;         // the file ended inside an entity
};

// Reads the DXF drawing open on `unit` (rewound for each pass) with its two
// dialogs; `nlines` is the file's line count for the progress bars and
// `capacity` the most vertices to keep. Uses and updates the scale factor
// and circle option of the reader settings. Fails when a coordinate or
// other number the reader needs is not a number.
ReadResult readdxf(int unit, long nlines, std::int64_t capacity, int log, DxfDrawing& out);

}  // namespace korvel
