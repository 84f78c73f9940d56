#include "app/grid.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "app/gridding/gridding.h"
#include "app/map.h"
#include "app/store.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/driver.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/grid/grid_viewer.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace korvel {

GridSettings grid_settings;

void grid_reset() { grid_settings = GridSettings{}; }

namespace {

// Largest magnitude accepted for a co-ordinate, a spacing or NODATA in the
// forms: far beyond any survey, small enough for single precision sums.
constexpr double kLargest = 1.0e12;

// The progress bar of the dialogs, and Escape or a click (on no entry or on
// the menu bar) as the request to stop. The window is polled only when the
// percentage changes, so a pass may report every point.
class MenuProgress : public GridProgress {
 public:
  bool step(std::string_view what, std::int64_t done, std::int64_t total) override {
    const int p = total > 0 ? int(std::min<std::int64_t>(100, done * 100 / total)) : 100;
    if (p == last_ && what == what_) return true;
    last_ = p;
    what_ = what;
    sketra::grbeam(done, total, what);
    return !stop_requested();
  }
  void message(std::string_view text) override { sketra::grmesg(text); }

 private:
  static bool stop_requested() {
    if (!sketra::is_screen_mode(sketra::grcomn.imodgr) || !sketra::driver().is_open()) return false;
    std::vector<std::string> captions;
    for (int k = 0; k < 7; ++k) captions.emplace_back(cpch.menu[std::size_t(k)].view());
    int sel = sketra::kMenuPoll;
    float x = 0, y = 0;
    sketra::grcurs(captions, sel, x, y);
    return sel != sketra::kMenuNothing;
  }

  int last_ = -1;
  std::string_view what_;
};

std::string label(const char* text) { return sketra::fmt_a(text, 32); }
std::string field(const std::string& text) { return sketra::fmt_a(text, 24); }

// A value in fixed point, width 10; one too wide for that (an origin beyond
// 99999999.9) in fixed point as wide as it needs, rather than as asterisks
// that the form could not read back.
std::string fixed(double v, int decimals) {
  const std::string s = sketra::fmt_f(v, 10, decimals);
  return s.find('*') == std::string::npos ? s : sketra::number_field(v, decimals);
}

bool read_number(const std::string& text, double& v) {
  return sketra::read_field(text, v) && std::isfinite(v) && std::fabs(v) < kLargest;
}

// The form of the grid geometry until its values are usable; false when it
// is cancelled. `g` and `nodata` are the proposal in and the answer out.
bool ask_geometry(GridGeometry& g, float& nodata) {
  std::string prompts[] = {label("X-Origin"),          label("Y-Origin"),          label("X-Grid size"),
                           label("Y-Grid size"),       label("Number of x_grids"), label("Number of y_grids"),
                           label("NODATA value")};
  std::string values[] = {field(fixed(double(g.x0) + cin1.xorig, 1)),
                          field(fixed(double(g.y0) + cin1.yorig, 1)),
                          field(fixed(g.dx, 3)),
                          field(fixed(g.dy, 3)),
                          field(sketra::list_i(g.nx)),
                          field(sketra::list_i(g.ny)),
                          field(fixed(nodata, 1))};
  for (;;) {
    if (!sketra::grinfo(prompts, values)) return false;
    double x0 = 0, y0 = 0, dx = 0, dy = 0, nd = 0;
    int nx = 0, ny = 0;
    const bool read = read_number(values[0], x0) && read_number(values[1], y0) && read_number(values[2], dx) &&
                      read_number(values[3], dy) && sketra::read_field(values[4], nx) &&
                      sketra::read_field(values[5], ny) && read_number(values[6], nd);
    if (!read || !(dx > 0) || !(dy > 0) || nx < 1 || ny < 1 || float(dx) <= 0 || float(dy) <= 0) {
      sketra::grmesg("grid sizes must be above 0 and numbers of grids 1 or more");
      continue;
    }
    if (std::int64_t(nx) * std::int64_t(ny) > kMaxPoints) {
      sketra::grmesg(sketra::fmt_a(" maximum number of grid points is" + sketra::fmt_i(kMaxPoints, 8), 65));
      continue;
    }
    g = GridGeometry{float(x0 - cin1.xorig), float(y0 - cin1.yorig), float(dx), float(dy), nx, ny, 0};
    nodata = float(nd);
    return true;
  }
}

// The form of the inverse-distance weighting; false when it is cancelled.
// The radius and the mode are kept for the next time.
bool ask_inverse(InverseOptions& o) {
  std::string prompts[] = {label("Search Radius[m]"), label("Quadrant Search")};
  char radius[32];
  std::snprintf(radius, sizeof radius, "%.7g", double(grid_settings.csr));
  std::string values[] = {field(radius), sketra::toggle_value(true)};
  for (;;) {
    if (!sketra::grinfo(prompts, values)) return false;
    double r = 0;
    if (!read_number(values[0], r) || !(float(r) > 0)) {
      sketra::grmesg("the search radius must be above 0");
      continue;
    }
    grid_settings.csr = float(r);
    grid_settings.isr = sketra::trim_right(values[1]) == "_" ? 1 : 2;
    o.radius = grid_settings.csr;
    o.quadrants = grid_settings.isr == 2;
    return true;
  }
}

// A grid being made: its geometry, NODATA value and columns.
struct NewGrid {
  GridGeometry g;
  float nodata = 0;
  std::vector<float> gx, gy, gz;
};

// Runs method `choice` on the points into the grid's columns: `shown` when
// it finished, `cancelled` or `interrupted` otherwise.
GridResult interpolate(int choice, NewGrid& out) {
  const std::size_t n = std::size_t(out.g.nx) * std::size_t(out.g.ny);
  out.gx.resize(n);
  out.gy.resize(n);
  out.gz.resize(n);
  const ScatteredPoints points{cin.x, cin.y, cin.z};
  MenuProgress progress;
  bool done = false;
  if (choice == 3) {
    InverseOptions o;
    if (!ask_inverse(o)) return GridResult::cancelled;
    o.nodata = out.nodata;
    done = gridinv(out.g, points, o, out.gx, out.gy, out.gz, progress);
  } else if (choice == 4) {
    // The surface of the last node file or mesh, viewed, then its values.
    grid_nodes(out.g, out.gx, out.gy);
    const auto step = [&progress](std::int64_t triangles, std::int64_t all) {
      return progress.step("interpolating", triangles, all);
    };
    const bool mapped = map(out.g, out.gx, out.gy, out.nodata, out.gz, step);
    return mapped ? GridResult::shown : GridResult::cancelled;
  } else {
    grid_nodes(out.g, out.gx, out.gy);
    if (choice == 1) {
      done = gridnear(out.g.nx, out.g.ny, out.gx, out.gy, points, out.gz, out.nodata, progress);
    } else {
      const int unit = cunit.log;
      done = gridlow(out.g, points, out.gz,
                     [unit](float x, float y, float z) { sketra::unit_write(unit, sketra::ListLine().r(x).r(y).r(z).str()); },
                     progress);
    }
  }
  if (!done) {
    sketra::grmesg("gridding interrupted: nothing changed");
    return GridResult::interrupted;
  }
  return GridResult::shown;
}

// Shows set g in the contour viewer, then asks for its name.
GridResult show_and_name(int g) {
  const GridGeometry& geo = cin1.set(g);
  cpch.value_label.set("[-]");
  cpch.x_label.set("[m]");
  cpch.y_label.set("[m]");
  sketra::PlotTitles titles{cpch.label1.str(), cpch.value_label.str(), cpch.x_label.str(), cpch.y_label.str()};
  std::vector<float> levels;
  int word = sketra::kContourFill + sketra::kContourClasses;
  sketra::grcont(cin.gx, cin.gy, cin.value[std::size_t(g - 1)], geo.nx, geo.nx, geo.ny, titles, levels, 0, word,
                 cplot.nodata);
  std::string name(cpch.item.view());
  sketra::grinpa("Name of set", name);
  name = std::string(sketra::trim(name.substr(0, std::min<std::size_t>(name.size(), 32))));
  if (name.empty()) return GridResult::shown;
  cplot.nsets = g;
  cpch.set_name[std::size_t(g - 1)].set(name);
  sketra::grmesg("DATA STORED AS NUMBER " + sketra::fmt_i(g, 4));
  return GridResult::stored;
}

}  // namespace

std::array<MenuCell, 5> grid_menu_cells() {
  return {MenuCell(" NNearest"), MenuCell(" LLowest"), MenuCell(" IInvers"), MenuCell(" TTin"), MenuCell(" ??")};
}

std::vector<std::string> grid_help_text() {
  const char* lines[] = {"Grid options are:",
                         "  Nearest  nearest neighbour method",
                         "  Lowest   takes lowest neighbour in cell",
                         "  Invers   inverse distance weighted method",
                         "           and quadrant search",
                         "  Tin      Triangular Irregular Network",
                         "",
                         "Hint: TINs and corresponding element files can be",
                         "      created with the program TRIANGLE (see the online",
                         "      manual for more details)."};
  std::vector<std::string> out;
  for (const char* l : lines) out.push_back(sketra::fmt_a(l, 64));
  return out;
}

std::optional<GridGeometry> default_grid_geometry(std::span<const float> x, std::span<const float> y) {
  float xmin = std::numeric_limits<float>::infinity(), xmax = -xmin, ymin = xmin, ymax = -xmin;
  for (std::size_t k = 0; k < x.size() && k < y.size(); ++k) {
    if (!std::isfinite(x[k]) || !std::isfinite(y[k])) continue;
    xmin = std::min(xmin, x[k]);
    xmax = std::max(xmax, x[k]);
    ymin = std::min(ymin, y[k]);
    ymax = std::max(ymax, y[k]);
  }
  if (!(xmin <= xmax)) return std::nullopt;
  auto spacing = [](float extent) {
    const float d = 0.1111f * extent;
    return d >= 10.0f ? 10.0f : d;
  };
  GridGeometry g;
  g.x0 = std::trunc(xmin);
  g.y0 = std::trunc(ymin);
  g.dx = spacing(xmax - xmin);
  g.dy = spacing(ymax - ymin);
  if (!(g.dx > 0)) g.dx = g.dy > 0 ? g.dy : 1.0f;
  if (!(g.dy > 0)) g.dy = g.dx;
  g.nx = int(std::lround((xmax - xmin) / g.dx)) + 1;
  g.ny = int(std::lround((ymax - ymin) / g.dy)) + 1;
  return g;
}

GridResult grid_action(int choice) {
  if (choice == 5) {
    const auto text = grid_help_text();
    sketra::grtext(text);
    return GridResult::help;
  }
  if (choice < 1 || choice > 4) return GridResult::none;
  const std::optional<GridGeometry> proposal = default_grid_geometry(cin.x, cin.y);
  if (cin1.np <= 0 || !proposal) {
    sketra::grmesg("no points to grid");
    return GridResult::refused;
  }
  const int g = cplot.nsets + 1;
  if (g > kMaxSets) {
    sketra::grmesg("no room for another set");
    return GridResult::refused;
  }
  NewGrid grid{*proposal, cplot.nodata, {}, {}, {}};
  if (!ask_geometry(grid.g, grid.nodata)) return GridResult::cancelled;
  if (const GridResult r = interpolate(choice, grid); r != GridResult::shown) return r;
  cin1.set(g) = grid.g;
  cin.value[std::size_t(g - 1)] = std::move(grid.gz);
  cin.gx = std::move(grid.gx);
  cin.gy = std::move(grid.gy);
  cplot.nodata = grid.nodata;
  return show_and_name(g);
}

GridResult grid() {
  const auto cells = grid_menu_cells();
  return grid_action(menu_choice(cells, cplot.menu));
}

}  // namespace korvel
