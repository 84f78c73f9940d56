#pragma once
// XYZI text: lines as records x, y, z, i, one per line. The I value of a
// block's first record is the start marker: every record whose I equals it
// starts a new line, the others continue the current one (so files with
// I = 1 at the first vertex of each line and 0 elsewhere, or the reverse,
// both work). The loader reads such a block after the keyword "lines" or
// "bedlevel", or when the first line of a block holds four numbers; the
// grid viewer writes a grid's columns as breaklines in this form:
//
//     2600000.00  1200000.00        1.00 1
//     2600000.00  1200010.00        3.00 0

#include <array>
#include <cstdint>

#include "app/formats/format_io.h"
#include "app/formats/xyz.h"

namespace korvel {

// How a line section is read and stored.
struct LineOptions {
  std::array<int, 4> columns{1, 2, 3, 4};  // 1-based columns of x, y, z and I (at most 64)
  float distmax = -1;      // densify: longest edge; <= 0 off
  float dmean = -1;        // thin: shortest edge; <= 0 off
  std::int32_t code = 0;   // code of the points inserted by densifying
  ClipWindow clip;         // with clip.on, records outside end the current line
};

// The loader's line buffer: a line longer than this keeps its first vertices.
inline constexpr std::size_t kMaxLineVertices = 19600000;

// Reads records until a line does not begin with a number (stepped back)
// or the file ends (blank lines are skipped) and assembles them into lines:
// a record whose I value is the start marker begins a new line unless the
// line before holds a single point, which then joins it; a single point
// left at the end of the section is dropped. A line of n >= 2 records is
// stored when the next one starts or the section ends: the origin, when
// not fixed, becomes the record read last; then the first point, and for
// each following point the points that densifying inserts on the way, each
// with an edge from the point before it; a point closer than dmean to the
// last one stored is skipped unless it is the last. Points get code 0
// (inserted ones `code`). Progress: "reading lines", "ignoring lines".
// Fails, naming the line, at a record short of values, a value that does
// not read or is not finite, and a line that densifying would make larger
// than the sink holds (nothing of that line is stored).
FileResult read_lines(sketra::LineReader& r, const LineOptions& o, PointSink& sink);

// Writes each column of grid `g` (i outer) as one breakline from its first
// row up: x, y absolute in fields 12.2, the value in 12.2, and the I value
// 1 at the first row, 0 elsewhere.
FileResult write_grid_breaklines(TextOut& out, const GridNodesView& g, Origin origin, Progress& progress);

}  // namespace korvel
