#pragma once
// The grid contour viewer: the display mode of grctrl for structured grids.
//
// A grid is a rectangular array of nodes, each with x, y (relative to the
// plot origin) and a value; node (i, j), i = 1..nx, j = 1..ny, is element
// (i - 1) + (j - 1) * ld of each array, so the grid need not be regular
// (x and y are stored per node). A node whose value is not above
// no-data + 0.1 is empty. Cell (i, j) has the corners (i, j), (i + 1, j),
// (i + 1, j + 1), (i, j + 1).
//
// The viewer draws the cells filled by value classes (classes.h), contour
// lines and dashed mid-levels, the outer boundary and the grid lines, with
// the legend on top; its menu offers Nearest, Examine, Grid, Alter,
// Inquire, Sum, Write, Shading (disabled) and help. On the screen it merges
// each run of neighbouring cells that fill in one colour into one polygon
// and leaves out cells too small to cover a pixel centre; hard copies get
// every cell as it is.
//
//   std::vector<float> levels;
//   int word = 2 + 4;                       // fill, and build the classes once
//   sketra::PlotTitles titles{"Ground", "Level [m]", "[m]", "[m]"};
//   sketra::grcont(gx, gy, values, nx, nx, ny, titles, levels, 0, word, -9999.0f);

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "sketra/control/control.h"
#include "sketra/modes/common/polygons.h"

namespace sketra {

// The nodes of a grid (see above). x and y stay as they are; values may be
// changed by Alter.
struct GridData {
  std::span<const float> x, y;
  std::span<float> value;
  int ld = 0, nx = 0, ny = 0;
  float nodata = -9999.0f;

  std::size_t at(int i, int j) const { return std::size_t(i - 1) + std::size_t(j - 1) * std::size_t(ld); }
  bool has_data(int i, int j) const { return value[at(i, j)] > nodata + 0.1f; }
  // True when every node (i, j) of nx x ny lies inside the three arrays.
  bool valid() const;
};

// Option word bits of grcont.
inline constexpr int kContourFill = 2;     // fill cells with class colours
inline constexpr int kContourClasses = 4;  // build the classes from the data once

// State of the viewer kept for the program run.
struct ContourState {
  int nfaces = 4;       // corners per cell
  int iopt2 = 0;        // fill mode
  int iopt9 = 0;        // grid lines
  int imcol = 0;        // contour-line colour (the legend sets it to 0)
  float spacing = 1.0f; // sample distance of Inquire Section
  float dist = -2.0f;   // running station of a section
  Polygon xp;           // points of Inquire Node / Section and hull polygons
  bool short_cuts = true; // the screen's short cuts and the joined runs of files (off: every cell on its own)
};
extern ContourState grcnt;
void contour_reset();

// The mode's menu over grid g: Nearest, Examine, Grid, Alter, Inquire,
// Sum, Write, Shading (disabled) and help. The handlers keep a reference
// to g, which must outlive the table.
std::vector<ModeEntry> contour_entries(const GridData& g);

// Enters the viewer: IKEYGR is raised to at least 1 and grctrl runs with
// grcon1 until eXit. `levels` are the class levels (in/out); bit 2 of
// `option_word` (value 4) builds them from the data on the first entry and
// is then cleared.
void grcont(std::span<const float> x, std::span<const float> y, std::span<float> value, int ld,
            int nx, int ny, PlotTitles& titles, std::vector<float>& levels, int options,
            int& option_word, float nodata);

// The view callback (codes 0 to 4 of control.h; code 0 declares
// contour_entries). Code -99, which the loop never sends, runs the
// statistics of realisations and then asks for the original view.
void grcon1(ViewContext& v, const GridData& g, std::vector<float>& levels, int& option_word);

// Code 1 on its own: fill, contour lines, boundary and grid lines. `stop`,
// when given, is asked every 16 rows (ViewContext::interrupted); when it
// says so the drawing ends there. Returns false when it was stopped.
bool draw_grid(const GridData& g, std::span<const float> levels, const std::function<bool()>& stop = {});

// ---------------------------------------------------------------- locating

// A cell found by grloct: 1-based indices (0, 0 when none) and the value
// interpolated there (0 when none).
struct GridHit {
  int i = 0, j = 0;
  float value = 0;
  bool found() const { return i > 0; }
};

// Cell location at the cursor pick (XCRSGR, YCRSGR, world units): the first
// cell, i outer and j inner, whose bounding box holds the point and whose
// four edges have it on their inner side (the orientation of the grid is
// that of the first cell's diagonals); then the triangle of the cell's
// centre fan holding it, and the linear interpolation in that triangle. A
// cell none of whose triangles holds the point is reported by greror and
// counts as not found. A cell with an empty corner (not above no-data +
// 0.1) is found but gives the no-data value: empty nodes are never blended
// into values.
GridHit grloct(std::span<const float> x, std::span<const float> y, std::span<const float> z,
               int nx, int ny, int ld);
// The same at (px, py).
GridHit grloct_at(const GridData& g, float px, float py);

// The same answers as grloct, from a bucket index over the cells' bounding
// boxes: for many lookups in one grid.
class GridLocator {
 public:
  explicit GridLocator(const GridData& g);
  GridHit locate(float px, float py) const;

 private:
  GridData g_;
  float x0_ = 0, y0_ = 0, fx_ = 0, fy_ = 0;
  int bx_ = 0, by_ = 0;
  std::vector<std::uint32_t> start_;  // bucket b holds cells start_[b] ... start_[b+1]-1 of cells_
  std::vector<std::uint32_t> cells_;  // cell numbers in scan order
};

// Writes " ***ERROR***", the text, "  (", a, ",", b, ")" (a and b in
// general format, width 15, 7 digits) to the library's output unit.
void greror(std::string_view text, float a, float b);

// ---------------------------------------------------------------- output

// The Write entry writes the grid as an ESRI ASCII grid, as breaklines or
// as xyz points through the writers of app/formats (grid_files.h, xyzi.h,
// xyz.h).

// True when the Grid format is possible: equal cell size in x and y, and
// rows along x (an ESRI grid cannot be turned).
bool equal_cells(const GridData& g);

// ---------------------------------------------------------------- queries

// Sum curve counts: class k (1-based) of `counts` holds the nodes with
// minimum + (k-1) spacing <= value < minimum + k spacing, cumulated.
struct SumCurve {
  float minimum = 0, maximum = 0, spacing = 1;
  std::vector<double> counts;  // cumulative
  double total = 0;
  double cell_area = 0;
};
// Counts the nodes inside `hull` (all nodes when it is empty) into the
// curve's classes (without cumulating).
void sum_count(const GridData& g, SumCurve& s, const Polygon* hull, bool mark);
// The two tables of the sum curve.
std::vector<std::string> sum_table_fraction(const SumCurve& s);
std::vector<std::string> sum_table_area(const SumCurve& s);

// The 30-class table of a section's samples between the grid's minimum and
// maximum.
std::vector<std::string> section_table(const GridData& g, std::span<const float> samples);

}  // namespace sketra
