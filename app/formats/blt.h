#pragma once
// BLT lines: one point per line as x, y, z and an integer k in free format;
// k above 21 joins the point to the one before it.
//
//   2600100.0 1200200.0 401.5 0      a point
//   2600110.0 1200200.0 402.0 22     joined to the point before

#include <cstdint>
#include <string>

#include "app/formats/format_io.h"

namespace korvel {

// Reads the whole file: every line becomes a point with `code`, the first
// fixes the origin unless it is fixed; a point with k > 21 gets an edge from
// the point before it (none for the file's first point: a line never joins
// what an earlier file gave). Blank lines are skipped. Fails, naming the
// line, when a line does not read as x, y, z, k or a value is not finite.
// Progress: "reading points".
FileResult read_blt(sketra::LineReader& r, const std::string& name, std::int32_t code, PointSink& sink);

}  // namespace korvel
