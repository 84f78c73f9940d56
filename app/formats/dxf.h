#pragma once
// ASCII DXF drawings: the geometry of the entities as points and polylines.
//
// A DXF file is a sequence of pairs of lines, a group code and a value.
// Group 0 starts a record (an entity, a table entry, a section mark), group
// 8 names the layer, groups 10/20/30, 11/21/31, ... give coordinates. The
// file is read twice, and the caller asks the user in between:
//
//   pass 1  `read_dxf_layers` collects the layer names (every group-8 value,
//           at most 200); the caller chooses layers, the scale factor and
//           whether circles are wanted;
//   pass 2  `read_dxf_entities` turns the entities of the chosen layers into
//           vertices, each with a kind: 1 single point, 2 first vertex of a
//           line, 3 vertex joined to the one before it.
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
//   CIRCLE                 with the circle option only: 40 vertices, the last
//                          on the first
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
// is read. The loader keeps at most 3,000,000 vertices of a drawing; the
// surplus is counted, not stored.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/formats/format_io.h"

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
  bool drawing = false;           // pass 1 met an ENTITIES section or an entity: the file is a DXF
};

// Pass 1: reads the file from its start and appends the layer names to
// `out.layers` in order of first appearance, each chosen. `nlines` is the
// file's line count for the progress bar ("get layers"); the first name
// beyond 200 writes a note to the log.
void read_dxf_layers(sketra::LineReader& r, long nlines, int log, Progress& progress, DxfDrawing& out);

struct DxfOptions {
  double scale = 1.0;    // multiplies every coordinate, radius and elevation
  bool circles = false;  // CIRCLEs become 40-vertex polygons
};

// Pass 2: reads the file `name` from its start and appends the vertices of
// the entities on the layers chosen in `out.layers`, at most `capacity`.
// Reports "unkown layer: " for an entity on a layer not in the table and
// the list of unknown names at the end ("unknown codes:") to standard
// output and the log. Fails, naming the line, when a coordinate or other
// number the reader needs is not a number. Progress: "get data".
FileResult read_dxf_entities(sketra::LineReader& r, const std::string& name, long nlines, std::int64_t capacity,
                             const DxfOptions& options, int log, Progress& progress, DxfDrawing& out);

}  // namespace korvel
