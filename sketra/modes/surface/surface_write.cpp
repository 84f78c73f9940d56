// The Write entry of the surface viewer: the surface as XYZ points, polygon
// records with the mean value or the slope of each triangle, a TRIANGLE
// area file, one Node/Ele file and a 2DM mesh. Every file is written
// beside its name and takes its place only when complete.

#include <algorithm>
#include <cmath>

#include "app/formats/mesh2dm.h"
#include "app/formats/polygon_records.h"
#include "app/formats/triangle_files.h"
#include "app/formats/xyz.h"
#include "sketra/base/replace_file.h"
#include "sketra/base/script.h"
#include "sketra/base/units.h"
#include "sketra/kernel/driver.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/surface/surface_files.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra::detail {

void SurfaceBar::percent(int p, std::string_view what) {
  grbeam(p, 100, text_.empty() ? "%1" + std::string(what) : text_);
}

bool nobody_answers(int sel) {
  return sel == kMenuNothing && !script_pending() && !(is_screen_mode(grcomn.imodgr) && driver().is_open());
}

float slopegr(const float x[3], const float y[3], const float z[3]) {
  const double ax = double(x[1]) - x[0], ay = double(y[1]) - y[0], az = double(z[1]) - z[0];
  const double bx = double(x[2]) - x[0], by = double(y[2]) - y[0], bz = double(z[2]) - z[0];
  const double nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
  const double n = std::sqrt(nx * nx + ny * ny + nz * nz);
  const double c = n < 1e-10 ? 0.0 : std::fabs(nz) / n;
  return float(std::tan(std::acos(std::min(c, 1.0))));
}

korvel::FileResult write_beside(const std::string& name,
                                const std::function<korvel::FileResult(korvel::TextOut&)>& write) {
  FileReplacement file;
  if (!file.create(name) || !unit_open(kSurfaceWriteUnit, file.temporary(), FileStatus::unknown))
    return korvel::FileResult::failure("Cannot write file: " + name + " (" +
                                           (file.reason().empty() ? "cannot open" : file.reason()) + ")",
                                       name);
  korvel::TextOut out(kSurfaceWriteUnit, name);
  korvel::FileResult r = write(out);
  if (r.ok && !file.commit()) r = korvel::FileResult::failure("write failed: " + name + " (" + file.reason() + ")", name);
  return r;
}

namespace {

// Writes Write entry `sel` (1 ... 6) of the surface to `out`.
korvel::FileResult write_entry(int sel, const SurfaceData& s, korvel::TextOut& out) {
  SurfaceBar bar;
  const korvel::Origin origin{grcomn.xorgr, grcomn.yorgr};
  const std::size_t n = s.nodes();
  const auto x = s.x.first(n), y = s.y.first(n);
  const auto value = std::span<const float>(s.value.data(), n);
  auto corners = [&s](std::size_t t, float cx[3], float cy[3], float cz[3]) {
    const Triangle& tr = s.triangles[t];
    const std::int32_t node[3] = {tr.a, tr.b, tr.c};
    for (int k = 0; k < 3; ++k)
      cx[k] = s.x[std::size_t(node[k] - 1)], cy[k] = s.y[std::size_t(node[k] - 1)], cz[k] = s.corner_value(t, k);
  };
  switch (sel) {
    case 1: return korvel::write_points_above(out, x, y, value, std::max(grtrs.zndt, grtrs.fmin), origin, bar);
    case 2:
      return korvel::write_polygon_records(out, x, y, s.triangles, [&](std::size_t t) {
        float cx[3], cy[3], cz[3];
        corners(t, cx, cy, cz);
        return (cz[0] + cz[1] + cz[2]) / 3.0f;
      }, origin, bar);
    case 3:
      return korvel::write_polygon_records(out, x, y, s.triangles, [&](std::size_t t) {
        float cx[3], cy[3], cz[3];
        corners(t, cx, cy, cz);
        return slopegr(cx, cy, cz);
      }, origin, bar);
    case 4: return korvel::write_area_file(out, value, s.triangles, bar);
    case 5: return korvel::write_node_ele_file(out, x, y, value, s.triangles, origin, bar);
    default: return korvel::write_2dm(out, x, y, value, s.triangles, origin, bar);
  }
}

void help() {
  const std::vector<std::string> lines = {"WRITE formats/options:",
                                          "  XYZ     ASCII table with 3D co-ordinates.",
                                          "  Attrib  ASCII tables with nodes and attribute.",
                                          "  Slope   ASCII tables with nodes and slope.",
                                          "  Area    area file for program Triangle.",
                                          "  Node/ele output for triangle.",
                                          "  2dm     .2dm file (format of SMS).",
                                          "  Minimum omit values that are smaller."};
  grtext(lines);
}

}  // namespace

void write_menu(const SurfaceData& s) {
  static const std::vector<std::string> captions = {" XXYZ",       " AAttrib", " SSlope",    " AArea", " NNode/Ele",
                                                    " 22dm",       " MMinimum", " ??",       " DDone"};
  static constexpr std::string_view kStored[] = {"values stored on ",      "values stored on ",
                                                 "values stored on ",      "area values stored on ",
                                                 "node/ele stored on ",    ".2dm format stored on "};
  grtrs.fmin = -9999.0f;
  for (;;) {
    int sel = kMenuColumn;
    float x = 0, y = 0;
    grcurs(captions, sel, x, y);
    if (sel == 9 || nobody_answers(sel)) return;
    if (sel == 8) help();
    if (sel == 7) grinpf("minimum of z-value is", grtrs.fmin);
    if (sel < 1 || sel > 6) continue;
    std::string name;
    if (!grfil_ask(name)) continue;  // no name: back to the submenu
    const korvel::FileResult r = write_beside(name, [&](korvel::TextOut& out) { return write_entry(sel, s, out); });
    grmesg(r.ok ? std::string(kStored[sel - 1]) + name : r.message);
  }
}

}  // namespace sketra::detail
