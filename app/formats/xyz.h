#pragma once
// XYZ text: points as records of free-format numbers, one record per line
// (a record with fewer numbers continues on the next line unless a "/" ends
// it). The loader reads such a block after the keyword "xyz" or "xy", or
// when the first line of a block holds three numbers; korvel writes grids
// as XYZ lists that read back the same way:
//
//   item 'depth'                    (export: absolute x, y and the value,
//   / X    Y   Z                     free format)
//      2600010.0000000000        1200020.0000000000        1.50000000
//
//     2600000.00  1200000.00      7.500     (grid viewer: fields 12.2, 12.2, 11.3)

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "app/formats/format_io.h"
#include "app/formats/geometry.h"

namespace korvel {

// The clip window, absolute. Points are tested against it whether or not
// it is `on`; line sections only drop records outside it when it is on.
struct ClipWindow {
  float xmin = -9.0e20f;
  float xmax = 9.0e20f;
  float ymin = -9.0e20f;
  float ymax = 9.0e20f;
  float zmin = -9998.0f;  // drops the NODATA value -9999
  float zmax = 9.0e20f;
  bool on = false;
  bool inside(double x, double y, double z) const {
    return x >= double(xmin) && x <= double(xmax) && y >= double(ymin) && y <= double(ymax) && z >= double(zmin) &&
           z <= double(zmax);
  }
};

// How a point section is read: the 1-based columns of x, y and z (at most
// 64), or with `running_distance` z as the 2-D distance along the records
// from the first, summed and truncated to a whole number.
struct PointColumns {
  int x = 1;
  int y = 2;
  int z = 3;
  bool running_distance = false;
};

// What a point section gave beyond its points.
struct PointsRead {
  std::int64_t ignored = 0;  // records that found the sink full
  FileResult result;         // a broken record (read_record), which ends the section
};

// Reads records until a line does not begin with a number (stepped back),
// the file ends or a record is broken (see read_record). Each record inside
// the clip window becomes a point with code 0; the first fixes the origin
// unless it is fixed. Progress: "reading points", "ignoring points".
PointsRead read_points(sketra::LineReader& r, const PointColumns& c, const ClipWindow& clip, PointSink& sink);

// The nodes of a grid held by the grid viewer: node (i, j), counted from 0,
// at element i + j*ld of x, y (relative to the origin) and value. A node
// whose value is not above nodata + 0.1 is empty.
struct GridNodesView {
  std::span<const float> x, y, value;
  int nx = 0;
  int ny = 0;
  int ld = 0;
  float nodata = -9999.0f;
  std::size_t at(int i, int j) const { return std::size_t(i) + std::size_t(j) * std::size_t(ld); }
  bool has_data(int i, int j) const { return value[at(i, j)] > nodata + 0.1f; }
};

// Writes the nodes of grid `g` (values row by row from its first row) as
// an XYZ list headed by "item 'NAME'" and "/ X    Y   Z": x, y absolute and
// the value in free format. A node below `tol` is written only when the
// values of its (up to eight) neighbours add up to at least `tol`, which
// keeps a one-node rim around the data. Returns the number of nodes
// written through `written`.
FileResult write_grid_xyz(TextOut& out, const GridGeometry& g, Origin origin, std::string_view name,
                          std::span<const float> values, float tol, std::int64_t& written, Progress& progress);

// Writes the nodes of `g` that hold data, and the empty ones next to data,
// column by column (i outer, j inner) in fields 12.2, 12.2, 11.3, each moved
// by (r1 - 0.5, r2 - 0.5) * displacement with r1, r2 the next two values of
// `random` (uniform in 0 ... 1).
FileResult write_grid_points(TextOut& out, const GridNodesView& g, Origin origin, float displacement,
                             const std::function<float()>& random, Progress& progress);

// Writes the points whose value exceeds `above`, one record each: x and y
// with the origin added in double precision and the value, free format.
// Progress: "writing data".
FileResult write_points_above(TextOut& out, std::span<const float> x, std::span<const float> y,
                              std::span<const float> value, float above, Origin origin, Progress& progress);

}  // namespace korvel
