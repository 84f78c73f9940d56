#pragma once
// Regular grids in text: korvel's own ">>grid" keyword format and the ESRI
// ASCII grid, which one reader takes both of.
//
//   >>grid                          ncols       3
//   nx       3                      nrows       2
//   ny       2                      xllcenter  2600000.00
//   xllcorner  2600012.50           yllcenter  1200000.00
//   yllcorner  1199992.50           cellsize     16.0000
//   dx      2.5000                  NODATA_value      -9999.
//   dy      5.0000                       4.000     5.000     6.000
//   item 'depth'                         1.500     2.000 -9999.000
//        1.000     2.500 -9999.000
//    10000.000     0.001    17.000
//
// A ">>grid" file lists its rows from the south (the row at y0) up; an ESRI
// grid ("cellsize") from the north down, and the reader turns it so that
// row 1 is the southern row either way. The reader takes "xllcenter" like
// "xllcorner": the value is the position of the first node. Values are read
// in free format as GIS tools write them ("4.0e+02", "1,2,3"); the file's
// NODATA value becomes korvel's empty value -9999.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/formats/format_io.h"
#include "app/formats/geometry.h"
#include "app/formats/keyword_parser.h"

namespace korvel {

// The value that marks an empty grid node in korvel.
inline constexpr float kEmptyValue = -9999.0f;

struct GridBlock {
  int nx = 0;
  int ny = 0;
  double x0 = 0;
  double y0 = 0;
  float dx = 0;
  float dy = 0;
  std::string name;       // "item"
  float nodata = -9999.0f;   // the NODATA value the file gave
  bool flipped = false;   // "cellsize" given: rows were turned north-up to south-up
  bool too_large = false; // nx*ny above the limit: nx = ny = 0, nothing read
  std::vector<float> values;  // nx*ny values, row 1 (south) first; empty nodes kEmptyValue
  std::int64_t read = 0;      // values the file gave (the rest are empty)
  std::string error;          // why the file cannot be a grid ("ncols 0 at line 1 of dem.asc")
};

// Reads a grid header (iigrid_head) and its values (iigrid_body) from
// `unit` through the keyword parser, echoing the header to `logunit`; at
// most `maxnodes` values. A header or value that cannot be read writes
// " -->error in input file" to standard output and aborts the file
// (`p.aborted`); the caller rejects it. A header without a size above 0
// sets `error` and reads no values. Reading stops at the first line that
// does not begin with a number, which is left for the caller; a value that
// is not a finite number (other than the NODATA value) is a bad value.
GridBlock iigrid(ParserState& p, int& unit, int logunit, std::int64_t maxnodes);

// The values of a grid held with a leading dimension: node (i, j), counted
// from 0, is v[i + j * ld].
struct GridValues {
  std::span<const float> v;
  int nx = 0;
  int ny = 0;
  int ld = 0;
  float at(int i, int j) const { return v[std::size_t(i) + std::size_t(j) * std::size_t(ld)]; }
};

// Writes a ">>grid" file: geometry `g` (nx, ny, dx, dy; the corner x0, y0
// relative to `origin`), the item name and the nx*ny values row by row from
// the southern row, each row one line of fields 10.3. Writes "fsave cformat "
// and the row format to standard output, as the eXport menu always has.
FileResult write_keyword_grid(TextOut& out, const GridGeometry& g, Origin origin, std::string_view name,
                              std::span<const float> values, Progress& progress);

// Writes an ESRI ASCII grid: the lower left node at (xll, yll) absolute,
// given as "xllcenter" and "yllcenter" (the node is the cell's centre),
// square cells of `cellsize`, the rows from the northern one down. A value
// too wide for the field 10.3 is written in general form, so no value is
// lost.
FileResult write_esri_grid(TextOut& out, const GridValues& g, double xll, double yll, float cellsize, float nodata,
                           Progress& progress);

}  // namespace korvel
