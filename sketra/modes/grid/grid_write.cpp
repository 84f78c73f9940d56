// The Write entry of the grid contour viewer: ESRI ASCII grid, breaklines
// and scattered xyz points.

#include <cerrno>
#include <cmath>
#include <cstring>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/alter.h"
#include "sketra/modes/grid/grid_viewer.h"
#include "sketra/modes/grid/grid_viewer_internal.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra {

namespace {

// Closes the file; on a failed write removes it and says why.
bool finish(int unit, const std::string& name) {
  const int e = unit_close_or_remove(unit);
  if (e == 0) return true;
  grmesg("write failed: " + name + " (" + std::strerror(e) + ")");
  return false;
}

// A value in the grid's fixed field (width 10, 3 decimals). A value too
// wide for it is written in general form instead of asterisks, so that no
// value is lost; it keeps a blank before it.
void append_value(std::string& line, float v) {
  const size_t at = line.size();
  append_f(line, v, 10, 3);
  if (line.find('*', at) == std::string::npos) return;
  line.resize(at);
  std::string g = fmt_g(v, 16, 9);
  g.erase(0, g.find_first_not_of(' '));
  while (!g.empty() && g.back() == ' ') g.pop_back();
  line += ' ';
  line += g;
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

bool write_esri_grid(const GridData& g, int unit, const std::string& name) {
  const double xo = grcomn.xorgr, yo = grcomn.yorgr;
  const float cell = g.nx >= 2 ? std::fabs(g.x[g.at(2, 1)] - g.x[g.at(1, 1)]) : 0.0f;
  unit_write(unit, "ncols" + fmt_i(g.nx, 8));
  unit_write(unit, "nrows" + fmt_i(g.ny, 8));
  unit_write(unit, "xllcorner" + fmt_f(double(g.x[g.at(1, 1)]) + xo, 12, 2));
  unit_write(unit, "yllcorner" + fmt_f(double(g.y[g.at(1, 1)]) + yo, 12, 2));
  unit_write(unit, "cellsize" + fmt_f(cell, 12, 4));
  unit_write(unit, "NODATA_value" + fmt_f(g.nodata, 12, 0));
  std::string line;
  for (int j = g.ny; j >= 1; --j) {
    grbeam(g.ny - j + 1, g.ny, "writing data in GRID format");
    line.clear();
    for (int i = 1; i <= g.nx; ++i) append_value(line, g.value[g.at(i, j)]);
    unit_write(unit, line);
  }
  return finish(unit, name);
}

bool write_breaklines(const GridData& g, int unit, const std::string& name) {
  const double xo = grcomn.xorgr, yo = grcomn.yorgr;
  std::string line;
  for (int i = 1; i <= g.nx; ++i) {
    grbeam(i, g.nx, "writing breaklines");
    for (int j = 1; j <= g.ny; ++j) {
      const std::size_t k = g.at(i, j);
      line.clear();
      append_f(line, double(g.x[k]) + xo, 12, 2);
      append_f(line, double(g.y[k]) + yo, 12, 2);
      append_f(line, g.value[k], 12, 2);
      append_i(line, j == 1 ? 1 : 0, 2);
      unit_write(unit, line);
    }
  }
  return finish(unit, name);
}

bool write_xyz(const GridData& g, int unit, const std::string& name, float d) {
  const double xo = grcomn.xorgr, yo = grcomn.yorgr;
  int seed = -1;
  auto neighbour_has_data = [&](int i, int j) {
    for (int b = std::max(1, j - 1); b <= std::min(g.ny, j + 1); ++b)
      for (int a = std::max(1, i - 1); a <= std::min(g.nx, i + 1); ++a)
        if ((a != i || b != j) && g.has_data(a, b)) return true;
    return false;
  };
  std::string line;
  for (int i = 1; i <= g.nx; ++i) {
    grbeam(i, g.nx, "writing xyz");
    for (int j = 1; j <= g.ny; ++j) {
      if (!g.has_data(i, j) && !neighbour_has_data(i, j)) continue;
      const std::size_t k = g.at(i, j);
      const float r1 = rgrand(seed), r2 = rgrand(seed);
      line.clear();
      append_f(line, double(g.x[k]) + double((r1 - 0.5f) * d) + xo, 12, 2);
      append_f(line, double(g.y[k]) + double((r2 - 0.5f) * d) + yo, 12, 2);
      append_f(line, g.value[k], 11, 3);
      unit_write(unit, line);
    }
  }
  return finish(unit, name);
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
    const bool ok = sel == 1   ? write_esri_grid(g, kContourWriteUnit, name)
                    : sel == 2 ? write_breaklines(g, kContourWriteUnit, name)
                               : write_xyz(g, kContourWriteUnit, name, d);
    if (ok) grmesg("values stored on " + name);
  }
}

}  // namespace detail

}  // namespace sketra
