#pragma once
// korvel's own keyword format for unstructured data: a first line
// ">>unstruct", then keyword lines, each followed by its data lines. The
// keyword parser (keyword_parser.h) reads the keywords; the data sections
// are read by read_points (xyz.h, "xyz" and "xy") and read_lines (xyzi.h,
// "lines" and "bedlevel"), the others by the loader, which owns what the
// keywords set.
//
//   >>unstruct
//   item 'Rhine reach'
//   color 3
//   lines /
//    2600000.000 1200000.000    400.000 1
//    2600010.500 1200000.250    401.125 0
//   xyz /
//    2600030.000 1200010.000    403.500 /

#include <cstdint>
#include <span>
#include <string_view>

#include "app/formats/format_io.h"
#include "app/formats/geometry.h"

namespace korvel {

// The keywords, numbered from 1 as iicmd returns them.
namespace unstruct {
enum Keyword : int {
  kMove = 1,
  kRotate,
  kLocate,
  kXclip,
  kYclip,
  kZclip,
  kItem,
  kXyz,
  kXy,
  kCs,
  kLines,
  kBoundary,
  kMaxDistance,
  kMinDistance,
  kColor,
  kTable,
  kTriangles,
  kMesh2d,
  kBedlevel,
};
}  // namespace unstruct
inline constexpr std::string_view kUnstructKeywords[] = {
    "move", "rotate", "locate",       "xclip",        "yclip", "zclip", "item",      "xyz",    "xy",      "cs",
    "lines", "boundary", "max_distance", "min_distance", "color", "table", "triangles", "mesh2d", "bedlevel"};

// Writes points and edges as an unstruct file: the edges as one "lines"
// section in which chains of edges that share end points are one line (a
// point starting a line has I = 1, the others 0; edges naming points that
// do not exist are passed over), then the points whose code modulo 100 is 1
// (free points, not line vertices) as an "xyz" section. x, y are relative
// to `origin`; the file holds absolute co-ordinates in fields 12.3, 12.3,
// 11.3. Progress: "writing edges", "writing points".
FileResult write_unstruct(TextOut& out, std::span<const float> x, std::span<const float> y, std::span<const float> z,
                          std::span<const std::int32_t> code, std::span<const Edge> edges, Origin origin,
                          Progress& progress);

// Writes points and edges as the editor saves them: ">>unstruct", then
// "xyz /" and the free points (code modulo 100 is 1, and on no edge), then
// "lines /" (always) and each edge, its start point with I = 1 unless the
// previous edge ended there, then its end point with I = 0. Fields: x, y
// absolute 12.3, z 10.3, I 2, each record ending " /". Edges naming points
// that do not exist are passed over. Progress: "writing points", "writing
// edges".
FileResult write_edit_unstruct(TextOut& out, std::span<const float> x, std::span<const float> y,
                               std::span<const float> z, std::span<const std::int32_t> code,
                               std::span<const Edge> edges, Origin origin, Progress& progress);

}  // namespace korvel
