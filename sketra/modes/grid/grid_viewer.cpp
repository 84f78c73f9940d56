// The grid contour viewer: entry, view callback, drawing, and the menu
// entries Nearest, Examine, Grid, Alter, Shading and help.
//
// Drawing on the screen takes two short cuts that leave the picture as it
// is. A cell that fills in one colour (all corners in one class, or a value
// range too small to split) is not filled on its own: each run of such
// cells of one colour along a row becomes one polygon through the nodes of
// the run's lower and upper edge (only its corners where a row of nodes
// is straight), whose area is exactly the union of the cells. A cell that needs splitting but whose corners all fall into one
// pixel column or row covers no pixel centre and is left out. 3-D views
// fill every cell on its own, and so do hard copies, except into a file
// that joins the fills of one colour anyway (see fill_row_joined).

#include "sketra/modes/grid/grid_viewer.h"

#include <algorithm>
#include <cmath>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/device.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/alter.h"
#include "sketra/modes/common/classes.h"
#include "sketra/modes/grid/grid_viewer_internal.h"
#include "sketra/ui/dialogs.h"

namespace sketra {

ContourState grcnt;

void contour_reset() { grcnt = ContourState{}; }

namespace detail {

void mark(float x, float y, int code) {
  grmov2(x, y);
  grsymb(code);
  grdump();
}

}  // namespace detail

namespace {

constexpr int kRunCap = 4000;     // cells merged into one polygon at most
constexpr int kPollRows = 16;     // rows drawn between looks at the menu
constexpr int kGridColour = -4;   // grid lines

// The height at which a node is drawn in a 3-D view. An empty node has no
// height of its own: it stands at the lowest value with data (0 when there
// is none), so that cells, boundary and grid lines meet at the same
// projected points and nothing is drawn ten kilometres below the surface.
// Plan views and files keep the value as it is.
float height(const GridData& g, float v) {
  if (!grcomn.projection || v > g.nodata + 0.1f) return v;
  return grclass.value_min < 9.0e20f ? grclass.value_min : 0.0f;
}

// The corners of cell (i, j) in drawing order: position, height and value.
struct Corners {
  float x[4], y[4], z[4], v[4];
};

Corners corners(const GridData& g, int i, int j) {
  const std::size_t k[4] = {g.at(i, j), g.at(i + 1, j), g.at(i + 1, j + 1), g.at(i, j + 1)};
  Corners c;
  for (int n = 0; n < 4; ++n) {
    c.x[n] = g.x[k[n]], c.y[n] = g.y[k[n]], c.v[n] = g.value[k[n]];
    c.z[n] = height(g, c.v[n]);
  }
  return c;
}

// Cells with an empty corner are left out while "DRAW NO-DATA VALUES" is off.
bool skipped(const GridData& g, const float (&v)[4]) {
  const float empty = g.nodata + 0.1f;
  return grcomn.in[6] == 0 && !(v[0] > empty && v[1] > empty && v[2] > empty && v[3] > empty);
}
bool skipped(const GridData& g, const Corners& c) { return skipped(g, c.v); }

// True when the cell's corners share one pixel column or one pixel row:
// nothing it is split into can cover a pixel centre.
bool below_a_pixel(const Corners& c) {
  DevicePoint d[4];
  for (int n = 0; n < 4; ++n) d[n] = world_to_device(c.x[n], c.y[n]);
  const bool one_column = d[0].x == d[1].x && d[1].x == d[2].x && d[2].x == d[3].x;
  const bool one_row = d[0].y == d[1].y && d[1].y == d[2].y && d[2].y == d[3].y;
  return one_column || one_row;
}

// Asks `stop` every kPollRows rows: true when the drawing is to end.
bool stop_at(int j, const std::function<bool()>& stop) { return stop && j % kPollRows == 0 && stop(); }

// The classes of the nodes of two node rows (ascending levels): a node is
// looked up once, not once for each of its cells.
struct NodeClasses {
  int row[2] = {-1, -1};
  std::vector<int> of[2];
  // Node row j's classes, taking the place of the lower row kept.
  const std::vector<int>& get(const GridData& g, int j, std::span<const float> levels) {
    for (int k = 0; k < 2; ++k)
      if (row[k] == j) return of[k];
    const int k = row[0] < row[1] ? 0 : 1;
    row[k] = j;
    of[k].resize(std::size_t(g.nx));
    value_classes(g.value.subspan(g.at(1, j), std::size_t(g.nx)), levels, of[k]);
    return of[k];
  }
};

// What each cell of row j fills: its one colour (> 0), 0 when it is cut
// at levels, -1 nothing. Index i for cell i, -1 at 0 and nx.
void row_states(const GridData& g, int j, std::span<const float> levels, bool ascending, NodeClasses& nodes,
                std::vector<int>& state) {
  state.assign(std::size_t(g.nx) + 1, -1);
  if (j < 1 || j >= g.ny) return;
  const int* lower = ascending ? nodes.get(g, j, levels).data() : nullptr;
  const int* upper = ascending ? nodes.get(g, j + 1, levels).data() : nullptr;
  // Rows of nodes j and j + 1 from their first node on.
  const float *x0 = &g.x[g.at(1, j)], *y0 = &g.y[g.at(1, j)], *v0 = &g.value[g.at(1, j)];
  const float *x1 = &g.x[g.at(1, j + 1)], *y1 = &g.y[g.at(1, j + 1)], *v1 = &g.value[g.at(1, j + 1)];
  const std::size_t nx = std::size_t(g.nx);
  // When both rows lie inside the clip window, no cell lies outside it.
  const PlotState& p = grcomn;
  const auto [xa, xb] = std::minmax_element(x0, x0 + nx);
  const auto [xc, xd] = std::minmax_element(x1, x1 + nx);
  const auto [ya, yb] = std::minmax_element(y0, y0 + nx);
  const auto [yc, yd] = std::minmax_element(y1, y1 + nx);
  const bool inside = std::min(*xa, *xc) >= p.xmncgr && std::max(*xb, *xd) <= p.xmxcgr &&
                      std::min(*ya, *yc) >= p.ymncgr && std::max(*yb, *yd) <= p.ymxcgr;
  for (std::size_t i = 0; i + 1 < nx; ++i) {
    // The corners in drawing order, as corners() gives them.
    const float v[4] = {v0[i], v0[i + 1], v1[i + 1], v1[i]};
    if (skipped(g, v)) continue;
    if (!inside) {
      const auto [xl, xh] = std::minmax({x0[i], x0[i + 1], x1[i + 1], x1[i]});
      const auto [yl, yh] = std::minmax({y0[i], y0[i + 1], y1[i + 1], y1[i]});
      if (xh < p.xmncgr || xl > p.xmxcgr || yh < p.ymncgr || yl > p.ymxcgr) continue;
    }
    int& s = state[i + 1];
    if (!ascending) {
      s = uniform_fill_colour(v, levels, PieceRule::fan, false);
      continue;
    }
    const int classes[4] = {lower[i], lower[i + 1], upper[i + 1], upper[i]};
    s = uniform_fill_colour(v, classes, levels, PieceRule::fan);
  }
}

// True when node row j is one straight line: one y, x going one way.
// The nodes inside a stretch of it lie on the stretch's end points' line.
bool straight_row(const GridData& g, int j) {
  if (g.nx < 3) return false;
  const float y = g.y[g.at(1, j)], step = g.x[g.at(2, j)] - g.x[g.at(1, j)];
  for (int i = 2; i <= g.nx; ++i)
    if (g.y[g.at(i, j)] != y || !((g.x[g.at(i, j)] - g.x[g.at(i - 1, j)]) * step > 0)) return false;
  return true;
}

// Which nodes of node row j a run's edge along it keeps in a file that
// joins fills: all but those where the cells on either side, below (row
// j - 1) and above (row j), all fill in one colour, on a straight row.
// Edges met from both sides are then equal bit for bit, and each colour's
// boundary runs through the very nodes it has when every cell is filled
// on its own.
void nodes_joined(const GridData& g, int j, const std::vector<int>& below, const std::vector<int>& above,
                  std::vector<char>& kept) {
  kept.assign(std::size_t(g.nx) + 1, 1);
  if (!straight_row(g, j)) return;
  for (std::size_t i = 2; i < std::size_t(g.nx); ++i) {
    const int c = below[i];
    kept[i] = !(c > 0 && below[i - 1] == c && above[i - 1] == c && above[i] == c);
  }
}

// A run of neighbouring cells i0 ... i1 of a row that fill in one colour,
// and the cell states and kept nodes around the row being drawn.
struct Rows {
  std::vector<int> below, here, above;       // cell states of rows j - 1, j, j + 1
  std::vector<char> lower_kept, upper_kept;  // nodes kept on node rows j and j + 1
  bool upper_straight = false;               // node row j + 1 is (screen)
  NodeClasses nodes;
  int i0 = 0, i1 = -1, colour = 0;
  std::vector<float> x, y;
};

// The run as one polygon through the kept nodes of its lower and upper
// edge (its corners always).
void flush(const GridData& g, int j, Rows& r) {
  if (r.i1 < r.i0) return;
  r.x.clear();
  r.y.clear();
  for (int i = r.i0; i <= r.i1 + 1; ++i)
    if (i == r.i0 || i == r.i1 + 1 || r.lower_kept[std::size_t(i)])
      r.x.push_back(g.x[g.at(i, j)]), r.y.push_back(g.y[g.at(i, j)]);
  for (int i = r.i1 + 1; i >= r.i0; --i)
    if (i == r.i0 || i == r.i1 + 1 || r.upper_kept[std::size_t(i)])
      r.x.push_back(g.x[g.at(i, j + 1)]), r.y.push_back(g.y[g.at(i, j + 1)]);
  grfil2(r.x, r.y, r.colour);
  r.i1 = r.i0 - 1;
}

// The screen: straight rows of nodes keep only the runs' corners (the
// pixels are the same), runs stop at kRunCap cells, and cut cells below a
// pixel are left out.
void fill_row_on_screen(const GridData& g, int j, std::span<const float> levels, bool ascending, Rows& rows) {
  row_states(g, j, levels, ascending, rows.nodes, rows.here);
  const bool lower_straight = j > 1 ? rows.upper_straight : straight_row(g, j);  // the row before's upper one
  rows.upper_straight = straight_row(g, j + 1);
  rows.lower_kept.assign(std::size_t(g.nx) + 1, !lower_straight);
  rows.upper_kept.assign(std::size_t(g.nx) + 1, !rows.upper_straight);
  rows.i1 = rows.i0 - 1;
  for (int i = 1; i < g.nx; ++i) {
    const int colour = rows.here[std::size_t(i)];
    if (colour > 0) {
      if (rows.i1 >= rows.i0 && (rows.colour != colour || rows.i1 - rows.i0 >= kRunCap)) flush(g, j, rows);
      if (rows.i1 < rows.i0) rows.i0 = i, rows.colour = colour;
      rows.i1 = i;
      continue;
    }
    flush(g, j, rows);
    if (colour != 0) continue;
    const Corners c = corners(g, i, j);
    if (!below_a_pixel(c)) grcol2(c.x, c.y, c.v, levels);
  }
  flush(g, j, rows);
}

// A file that joins the fills of one colour (nodes_joined).
void fill_row_joined(const GridData& g, int j, std::span<const float> levels, bool ascending, Rows& rows) {
  if (j == 1) {
    row_states(g, 0, levels, ascending, rows.nodes, rows.below);
    row_states(g, 1, levels, ascending, rows.nodes, rows.here);
    nodes_joined(g, 1, rows.below, rows.here, rows.lower_kept);
  } else {
    std::swap(rows.below, rows.here);
    std::swap(rows.here, rows.above);
    std::swap(rows.lower_kept, rows.upper_kept);
  }
  row_states(g, j + 1, levels, ascending, rows.nodes, rows.above);
  nodes_joined(g, j + 1, rows.here, rows.above, rows.upper_kept);
  rows.i1 = rows.i0 - 1;
  for (int i = 1; i < g.nx; ++i) {
    const int colour = rows.here[std::size_t(i)];
    if (colour > 0) {
      if (rows.i1 >= rows.i0 && rows.colour != colour) flush(g, j, rows);
      if (rows.i1 < rows.i0) rows.i0 = i, rows.colour = colour;
      rows.i1 = i;
      continue;
    }
    flush(g, j, rows);
    if (colour != 0) continue;
    const Corners c = corners(g, i, j);
    grcol2(c.x, c.y, c.v, levels);
  }
  flush(g, j, rows);
}

bool joins_fills() {
  const FileDevice* device = active_file_device();
  return device && device->joins_fills() && grcomn.hatch_style == 0;
}

bool fill_cells(const GridData& g, std::span<const float> levels, const std::function<bool()>& stop) {
  if (grclass.scale == ScaleType::none) return true;
  const bool plan = !grcomn.projection && grcnt.short_cuts;
  const bool screen = plan && is_screen_mode(grcomn.imodgr);
  const bool joined = plan && is_file_mode(grcomn.imodgr) && joins_fills();
  const bool ascending = ascending_levels(levels);
  ClassPalette palette;
  Rows rows;
  for (int j = 1; j < g.ny; ++j) {
    if (stop_at(j, stop)) return false;
    if (screen) {
      fill_row_on_screen(g, j, levels, ascending, rows);
      continue;
    }
    if (joined) {
      fill_row_joined(g, j, levels, ascending, rows);
      continue;
    }
    for (int i = 1; i < g.nx; ++i) {
      const Corners c = corners(g, i, j);
      if (!skipped(g, c)) grcol3(c.x, c.y, c.z, c.v, levels);
    }
  }
  return true;
}

// True when some level lies strictly between the smallest and the largest
// corner value.
bool crosses(const Corners& c, std::span<const float> levels, bool ascending) {
  const auto [lo, hi] = std::minmax({c.v[0], c.v[1], c.v[2], c.v[3]});
  if (!(lo < hi)) return false;
  if (!ascending) return true;
  const auto it = std::upper_bound(levels.begin(), levels.end(), lo);
  return it != levels.end() && *it < hi;
}

bool contour_pass(const GridData& g, std::span<const float> levels, const std::function<bool()>& stop) {
  const bool ascending = std::is_sorted(levels.begin(), levels.end());
  for (int j = 1; j < g.ny; ++j) {
    if (stop_at(j, stop)) return false;
    for (int i = 1; i < g.nx; ++i) {
      const Corners c = corners(g, i, j);
      if (skipped(g, c) || !crosses(c, levels, ascending)) continue;
      grmon3(c.x, c.y, c.z, c.v, levels);
    }
  }
  return true;
}

bool contour_lines(const GridData& g, std::span<const float> levels, const std::function<bool()>& stop) {
  grcolr(grcnt.imcol);
  contour_labels_begin(int(levels.size()));
  if (!contour_pass(g, levels, stop)) return false;
  if (grcnt.iopt2 != 1 || levels.size() < 2) return true;
  // Mid-levels, dashed, between the class levels.
  std::vector<float> mid;
  const float half = 0.5f * (levels[1] - levels[0]);
  for (size_t k = 0; k + 1 < levels.size(); ++k) mid.push_back(levels[k] + half);
  grdash(2);
  contour_labels_begin(0);
  const bool done = contour_pass(g, mid, stop);
  grdash(1);
  return done;
}

void polyline3(const GridData& g, int i0, int j0, int di, int dj, int n) {
  for (int k = 0; k < n; ++k) {
    const std::size_t a = g.at(i0 + k * di, j0 + k * dj);
    const float z = height(g, g.value[a]);
    if (k == 0) grmov3(g.x[a], g.y[a], z);
    else grdrw3(g.x[a], g.y[a], z);
  }
}

void boundary(const GridData& g) {
  grcolr(kBlack);
  polyline3(g, 1, 1, 1, 0, g.nx);
  polyline3(g, g.nx, 1, 0, 1, g.ny);
  polyline3(g, g.nx, g.ny, -1, 0, g.nx);
  polyline3(g, 1, g.ny, 0, -1, g.ny);
  grdump();
}

void grid_lines(const GridData& g) {
  grcolr(kGridColour);
  for (int i = 1; i <= g.nx; ++i) polyline3(g, i, 1, 0, 1, g.ny);
  for (int j = 1; j <= g.ny; ++j) polyline3(g, 1, j, 1, 0, g.nx);
  grdump();
  grcolr(kBlack);
}

}  // namespace

bool draw_grid(const GridData& g, std::span<const float> levels, const std::function<bool()>& stop) {
  if (!g.valid()) return true;
  const int colour = grcomn.current_colour;
  const bool filled = grcnt.iopt2 != 1 || fill_cells(g, levels, stop);
  grcolr(colour);
  if (!filled) return false;
  if (contour_lines_on() && !contour_lines(g, levels, stop)) return false;
  if (grcomn.in[11] != 0) boundary(g);
  if (grcnt.iopt9 == 1) grid_lines(g);
  return true;
}

// ---------------------------------------------------------------- entries

namespace {

void initialise(ViewContext& v, const GridData& g, std::vector<float>& levels, int& word) {
  float x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY, vmin = 9.0e20f;
  for (int j = 1; j <= g.ny; ++j)
    for (int i = 1; i <= g.nx; ++i) {
      const std::size_t k = g.at(i, j);
      x0 = std::min(x0, g.x[k]), x1 = std::max(x1, g.x[k]);
      y0 = std::min(y0, g.y[k]), y1 = std::max(y1, g.y[k]);
      if (g.value[k] > g.nodata + 0.1f) vmin = std::min(vmin, g.value[k]);
    }
  const double xo = grcomn.xorgr, yo = grcomn.yorgr;
  v.w = {x0 + xo, x1 + xo, y0 + yo, y1 + yo};
  grclass.value_min = vmin;
  const int r = word % 8;
  grcnt.iopt2 = (r % 4) / 2;
  if (r / 4 == 1 || levels.empty()) {
    grcfil(g.value, g.nx, g.ny, g.ld, class_count(), levels, g.nodata);
    if (r / 4 == 1) word -= 4;
  }
  v.set_entries(contour_entries(g));
}

void nearest(const GridData& g) {
  int i = 0, j = 0;
  grnear(g.x, g.y, g.nx, g.ny, g.ld, i, j);
  if (i == 0) return;
  const std::size_t k = g.at(i, j);
  grmesg("(X,Y):" + fmt_f(double(g.x[k]) + grcomn.xorgr, 11, 2) + fmt_f(double(g.y[k]) + grcomn.yorgr, 11, 2) +
         " (I,J):" + fmt_i(i, 7) + fmt_i(j, 7) + " F:" + fmt_f(g.value[k], 11, 3));
}

void examine(const GridData& g) {
  const float px = grcomn.xcrsgr, py = grcomn.ycrsgr;
  const GridHit h = grloct_at(g, px, py);
  if (!h.found()) {
    grmesg("no grid cell at the cursor");
    return;
  }
  if (!(h.value > g.nodata + 0.1f)) {
    grmesg("no data at the cursor");
    return;
  }
  detail::mark(px, py);
  unit_write(grcomn.joutgr,
             ListLine().d(double(px) + grcomn.xorgr).d(double(py) + grcomn.yorgr).r(h.value).text(" /xyz").str());
  const float level[] = {h.value};
  grcolr(grcnt.imcol);
  for (int j = 1; j < g.ny; ++j)
    for (int i = 1; i < g.nx; ++i) {
      const Corners c = corners(g, i, j);
      grmon3(c.x, c.y, c.z, c.v, level);
    }
  grdump();
  grflip();
  grmesg("Contour added at F:" + fmt_g(h.value, 12, 5));
}

// Grid lines on are drawn at once; off needs the picture drawn again.
void toggle_grid(ViewContext& v, const GridData& g) {
  grcnt.iopt9 = 1 - grcnt.iopt9;
  if (grcnt.iopt9 == 1) {
    grid_lines(g);
    grflip();
  } else {
    v.request(ViewRequest::replot);
  }
}

// The Alter dialog over all values; its Replot shows the changed picture
// and opens the dialog again.
void alter(ViewContext& v, const GridData& g) {
  const std::size_t n = std::size_t(g.nx) * std::size_t(g.ny);
  int left = kAlterDone;
  if (g.ld == g.nx) {
    left = gralter(g.x.first(n), g.y.first(n), g.value.first(n), {}, g.nodata);
  } else {
    // Rows with a longer leading dimension: alter a packed copy.
    std::vector<float> x, y, z;
    for (int j = 1; j <= g.ny; ++j)
      for (int i = 1; i <= g.nx; ++i)
        x.push_back(g.x[g.at(i, j)]), y.push_back(g.y[g.at(i, j)]), z.push_back(g.value[g.at(i, j)]);
    left = gralter(x, y, z, {}, g.nodata);
    std::size_t k = 0;
    for (int j = 1; j <= g.ny; ++j)
      for (int i = 1; i <= g.nx; ++i) g.value[g.at(i, j)] = z[k++];
  }
  if (left == kAlterReplot) v.request(ViewRequest::repeat);
}

void help() {
  const std::vector<std::string> lines = {"DISPLAY options",
                                          "Nearest  queries for nearest node",
                                          "Examine  gives value at current cursor location",
                                          "Grid     displays edges of mesh",
                                          "Alter    for editing z-values of nodes",
                                          "Inquire  to query z-values for given points",
                                          "Sum      returns sum-curve of z-values",
                                          "Write    stores grid values on file",
                                          "Shading  displays shaded view of current data."};
  grtext(lines);
}

}  // namespace

std::vector<ModeEntry> contour_entries(const GridData& g) {
  const GridData* grid = &g;
  return {
      {"<NNearest", [grid](ViewContext&) { nearest(*grid); }},
      {"<EExamine", [grid](ViewContext&) { examine(*grid); }},
      {" GGrid", [grid](ViewContext& v) { toggle_grid(v, *grid); }},
      {" AAlter", [grid](ViewContext& v) { alter(v, *grid); }},
      {" IInquire", [grid](ViewContext&) { detail::inquire(*grid); }},
      {" SSum", [grid](ViewContext&) { detail::sum_curve(*grid); }},
      {" WWrite", [grid](ViewContext&) { detail::write_menu(*grid); }},
      {"-SShading", [](ViewContext& v) {
         if (grshade()) v.request(ViewRequest::replot);
       }},
      {" ??", [](ViewContext&) { help(); }},
  };
}

void grcon1(ViewContext& v, const GridData& g, std::vector<float>& levels, int& word) {
  if (!g.valid()) return;
  const int n = class_count();
  if (levels.size() < size_t(n) && !levels.empty()) levels.resize(size_t(n), levels.back());
  switch (v.code) {
    case kViewExtents: initialise(v, g, levels, word); return;
    case kViewDraw:
      draw_grid(g, std::span<const float>(levels.data(), std::min(levels.size(), size_t(n))),
                [&v] { return v.interrupted(); });
      return;
    case kViewValue: return;
    case kViewOverlay: grkey2(levels, 1, grcnt.imcol); return;
    case kViewClick:
      if (grkey2(levels, -1, grcnt.imcol) == KeyClick::claimed) v.request(ViewRequest::replot);
      return;
    case -99:
      if (detail::statistics()) v.request(ViewRequest::original);
      return;
    default: return;
  }
}

void grcont(std::span<const float> x, std::span<const float> y, std::span<float> value, int ld, int nx,
            int ny, PlotTitles& titles, std::vector<float>& levels, int options, int& option_word,
            float nodata) {
  const GridData g{x, y, value, ld, nx, ny, nodata};
  if (!g.valid() || nx < 2 || ny < 2) {
    grmesg("grid too small to show");
    return;
  }
  grcomn.ikeygr = std::max(grcomn.ikeygr, 1);
  grctrl([&](ViewContext& v) { grcon1(v, g, levels, option_word); }, options, titles);
}

}  // namespace sketra
