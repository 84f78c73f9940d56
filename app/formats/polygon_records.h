#pragma once
// Polygon records: the triangles of a surface as closed polygons, each
// followed by one value (the mean of its corner values, or its slope). GIS
// tools and the polygon reader take each record as a polygon of four
// vertices with an attribute:
//
//   4
//     2600000.00  1200000.00          corner 1 (x, y absolute, fields 12.2)
//     2600010.00  1200000.00          corner 2
//     2600010.00  1200010.00          corner 3
//     2600000.00  1200000.00          corner 1 again
//      421.500                        the value (field 10.3)

#include <functional>
#include <span>

#include "app/formats/format_io.h"
#include "app/formats/geometry.h"

namespace korvel {

// Writes one record per triangle (in stored order) with the value
// value_of(t) of triangle t (counted from 0); x and y are relative to
// `origin`, which is added in double precision. Progress: "writing data".
FileResult write_polygon_records(TextOut& out, std::span<const float> x, std::span<const float> y,
                                 std::span<const Triangle> triangles, const std::function<float(std::size_t)>& value_of,
                                 Origin origin, Progress& progress);

}  // namespace korvel
