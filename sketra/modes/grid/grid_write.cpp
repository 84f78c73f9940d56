// The Write entry of the grid contour viewer: ESRI ASCII grid, breaklines
// and scattered xyz points. The formats are written by app/formats; the
// viewer hands them its nodes and the plot origin.

#include <cmath>

#include "app/formats/grid_files.h"
#include "app/formats/xyz.h"
#include "app/formats/xyzi.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/alter.h"
#include "sketra/modes/grid/grid_viewer.h"
#include "sketra/modes/grid/grid_viewer_internal.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra {

namespace {

class Bar : public korvel::Progress {
 public:
  void percent(int p, std::string_view what) override { grbeam(p, 100, what); }
};

korvel::GridNodesView nodes_of(const GridData& g) {
  return {g.x, g.y, g.value, g.nx, g.ny, g.ld, g.nodata};
}

korvel::Origin plot_origin() { return {grcomn.xorgr, grcomn.yorgr}; }

// Writes entry `sel` (1 grid, 2 breaklines, 3 xyz) of `g` to the file open
// on the write unit; false, with the reason on the message line, when the
// file did not reach the disk.
bool write_entry(int sel, const GridData& g, const std::string& name, float displacement) {
  korvel::TextOut out(detail::kContourWriteUnit, name);
  Bar bar;
  korvel::FileResult r;
  if (sel == 1) {
    const float cell = g.nx >= 2 ? std::fabs(g.x[g.at(2, 1)] - g.x[g.at(1, 1)]) : 0.0f;
    const korvel::GridValues v{g.value, g.nx, g.ny, g.ld};
    r = korvel::write_esri_grid(out, v, double(g.x[g.at(1, 1)]) + grcomn.xorgr, double(g.y[g.at(1, 1)]) + grcomn.yorgr,
                                cell, g.nodata, bar);
  } else if (sel == 2) {
    r = korvel::write_grid_breaklines(out, nodes_of(g), plot_origin(), bar);
  } else {
    int seed = -1;
    r = korvel::write_grid_points(out, nodes_of(g), plot_origin(), displacement, [&seed] { return rgrand(seed); }, bar);
  }
  if (!r.ok) grmesg(r.message);
  return r.ok;
}

}  // namespace

bool equal_cells(const GridData& g) {
  if (g.nx < 2 || g.ny < 2) return false;
  const float dx = std::fabs(g.x[g.at(2, 1)] - g.x[g.at(1, 1)]);
  const float dy = std::fabs(g.y[g.at(1, 2)] - g.y[g.at(1, 1)]);
  // An ESRI grid has no rotation: rows must run along x and columns along y.
  const bool aligned = std::fabs(g.y[g.at(2, 1)] - g.y[g.at(1, 1)]) <= 0.01f &&
                       std::fabs(g.x[g.at(1, 2)] - g.x[g.at(1, 1)]) <= 0.01f;
  return aligned && std::fabs(dx - dy) <= 0.01f;
}

namespace detail {

void write_menu(const GridData& g) {
  for (;;) {
    const std::vector<std::string> captions = {equal_cells(g) ? " GGrid" : "-GGrid", " BBreaklines", " XXYZ",
                                               " ??", " DDone"};
    int sel = kMenuColumn;
    float x = 0, y = 0;
    grcurs(captions, sel, x, y);
    if (sel == 5) return;
    if (sel == 4) {
      const std::vector<std::string> help = {"WRITE formats/options:",
                                             "  Grid        ArcInfo Grid format (must have equal cell size)",
                                             "  Breaklines  stores grids as breaklines",
                                             "  XYZ         nodes in ASCII-XYZ"};
      grtext(help);
      continue;
    }
    if (sel < 1 || sel > 3) continue;
    std::string name;
    if (!grfil(name, kContourWriteUnit)) continue;
    float d = 0;
    if (sel == 3) grinpf("random distance ", d);
    if (write_entry(sel, g, name, d)) grmesg("values stored on " + name);
  }
}

}  // namespace detail

}  // namespace sketra
