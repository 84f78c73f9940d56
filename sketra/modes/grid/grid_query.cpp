// Queries of the grid contour viewer: Inquire (Input, Node, Section,
// Spacing), the sum curve of the values, and the statistics of a set of
// realisations.

#include <algorithm>
#include <cmath>

#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/grid/grid_viewer.h"
#include "sketra/modes/grid/grid_viewer_internal.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra {

namespace {

constexpr int kSectionClasses = 30;
constexpr int kMaxSumClasses = 100;

// Smallest value with data and largest value of the grid (9e20 and the
// largest value when there is none).
void value_range(const GridData& g, float& lo, float& hi) {
  lo = 9.0e20f;
  hi = -9.0e20f;
  for (int j = 1; j <= g.ny; ++j)
    for (int i = 1; i <= g.nx; ++i) {
      const float v = g.value[g.at(i, j)];
      hi = std::max(hi, v);
      if (v > g.nodata + 0.1f) lo = std::min(lo, v);
    }
}

// Reads the points of a file into grcnt.xp; false when no file was opened.
// A line that is not a point ends the points and is reported, and so are
// points beyond the capacity, which are left out; the points before are
// used.
bool read_points() {
  std::string name;
  if (!detail::open_input(name)) return false;
  const int status = igplyf(detail::kContourReadUnit, grcnt.xp, -kPolygonCapacity);
  const std::string problem = polygon_file_problem(detail::kContourReadUnit, status, kPolygonCapacity);
  if (!problem.empty()) grmesg(problem);
  unit_close(detail::kContourReadUnit);
  return true;
}

void input_point(const GridData& g) {
  std::string prompts[] = {"X co-ordinate", "Y co-ordinate"};
  std::string values[] = {"0", "0"};
  if (!grinfo(prompts, values)) return;
  double ax = 0, ay = 0;
  if (!read_field(values[0], ax) || !read_field(values[1], ay)) {
    grmesg("not a co-ordinate");
    return;
  }
  const float px = float(ax - grcomn.xorgr), py = float(ay - grcomn.yorgr);
  detail::mark(px, py);
  const GridHit h = grloct_at(g, px, py);
  grmesg("(X,Y):" + fmt_f(ax, 12, 2) + fmt_f(ay, 12, 2) + " F:" + fmt_f(h.value, 12, 3));
}

void node_points(const GridData& g) {
  if (!read_points()) return;
  const GridLocator where(g);
  const Polygon& p = grcnt.xp;
  for (int k = 0; k < p.count(); ++k) {
    const float px = p.x[size_t(k)], py = p.y[size_t(k)];
    const GridHit h = where.locate(px, py);
    unit_write(grcomn.joutgr, fmt_f(double(px) + grcomn.xorgr, 12, 2) + fmt_f(double(py) + grcomn.yorgr, 12, 2) +
                                  fmt_f(h.value, 9, 3));
    detail::mark(px, py);
  }
  grflip();
}

// Samples of a section at most: a spacing too fine for its length (or
// vertices far apart) is refused before any sample is written.
constexpr double kMaxSectionSamples = 1.0e7;

// The number of samples of the section through p at `spacing`.
double section_samples(const Polygon& p, float spacing) {
  double n = 1;
  for (int k = 0; k + 1 < p.count(); ++k) {
    const double dx = double(p.x[size_t(k + 1)]) - p.x[size_t(k)], dy = double(p.y[size_t(k + 1)]) - p.y[size_t(k)];
    n += std::floor(std::sqrt(dx * dx + dy * dy) / double(spacing));
  }
  return n;
}

void section(const GridData& g) {
  if (!read_points()) return;
  const GridLocator where(g);
  const Polygon& p = grcnt.xp;
  if (grcnt.spacing > 0 && !(section_samples(p, grcnt.spacing) <= kMaxSectionSamples)) {
    grmesg("the section would take more than 10000000 samples: choose a larger spacing");
    return;
  }
  std::vector<float> samples;
  auto sample = [&](float px, float py, float station) {
    detail::mark(px, py);
    const GridHit h = where.locate(px, py);
    samples.push_back(h.value);
    unit_write(grcomn.joutgr, fmt_f(station, 12, 2) + fmt_f(h.value, 12, 3));
  };
  grcnt.dist = 0;
  for (int k = 0; k + 1 < p.count(); ++k) {
    const float x0 = p.x[size_t(k)], y0 = p.y[size_t(k)];
    const float dx = p.x[size_t(k + 1)] - x0, dy = p.y[size_t(k + 1)] - y0;
    const float len = std::sqrt(dx * dx + dy * dy);
    const int n = grcnt.spacing > 0 ? int(std::min(len / grcnt.spacing, 1.0e7f)) : 0;
    for (int s = 0; s < n; ++s) {
      const float t = float(s) / float(n);
      sample(x0 + t * dx, y0 + t * dy, t * len + grcnt.dist);
    }
    grcnt.dist += len;
  }
  // The section ends at its last vertex.
  if (p.count() > 0) sample(p.x.back(), p.y.back(), p.count() > 1 ? grcnt.dist : 0.0f);
  grflip();
  grpause(10);
  grtext(section_table(g, samples));
}

void ask_spacing() {
  float s = grcnt.spacing;
  if (!grinpf("Spacing [m]> ", s)) return;
  if (s > 0) grcnt.spacing = s;
  else grmesg("the spacing must be above 0");
}

}  // namespace

std::vector<std::string> section_table(const GridData& g, std::span<const float> samples) {
  float lo = 0, hi = 0;
  value_range(g, lo, hi);
  const double width = (double(hi) + 0.0001 - lo) / kSectionClasses;
  std::vector<double> count(kSectionClasses, 0.0);
  double total = 0;
  // Samples outside the grid's range (next to empty nodes, or outside the
  // grid) belong to no class and are left out.
  for (float v : samples) {
    if (!(v >= lo && v <= hi) || !(width > 0)) continue;
    const int k = std::clamp(int((double(v) - lo) / width), 0, kSectionClasses - 1);
    count[size_t(k)] += 1;
    total += 1;
  }
  std::vector<std::string> lines = {"SUM CURVE", "VALUE[ ]  SUM[-]"};
  double sum = 0;
  for (int k = 0; k < kSectionClasses; ++k) {
    sum += count[size_t(k)];
    lines.push_back(fmt_f(lo + (k + 1) * width, 9, 3) + fmt_f(total > 0 ? sum / total : 0.0, 8, 3));
  }
  return lines;
}

// ---------------------------------------------------------------- sum curve

void sum_count(const GridData& g, SumCurve& s, const Polygon* hull, bool mark) {
  const int classes = int(s.counts.size());
  for (int i = 1; i <= g.nx; ++i)
    for (int j = 1; j <= g.ny; ++j) {
      const std::size_t k = g.at(i, j);
      const float v = g.value[k];
      if (!(v >= s.minimum && v <= s.maximum)) continue;
      if (hull && (!hull->box.contains(g.x[k], g.y[k]) || igpoly(hull->x, hull->y, g.x[k], g.y[k]) <= 0)) continue;
      // The class number is bounded before it becomes an integer: a fine
      // spacing puts values far above the last class.
      const double q = (double(v) - s.minimum) / s.spacing;
      const int c = q < classes - 1 ? std::max(int(q), 0) : classes - 1;
      s.counts[size_t(c)] += 1;
      s.total += 1;
      if (mark) {
        grmov2(g.x[k], g.y[k]);
        grsymb(detail::kPointMark - 4);
      }
    }
  grdump();
}

std::vector<std::string> sum_table_fraction(const SumCurve& s) {
  std::vector<std::string> lines = {"SUM CURVE", "LEVEL[M]   AREA[-]"};
  for (size_t k = 0; k < s.counts.size(); ++k)
    lines.push_back(fmt_f(double(k + 1) * s.spacing + s.minimum, 8, 2) +
                    fmt_f(s.total > 0 ? s.counts[k] / s.total : 0.0, 8, 3));
  return lines;
}

std::vector<std::string> sum_table_area(const SumCurve& s) {
  std::vector<std::string> lines = {"SUM CURVE", "LEVEL[M]   AREA[A]"};
  for (size_t k = 0; k < s.counts.size(); ++k)
    lines.push_back(fmt_f(double(k + 1) * s.spacing + s.minimum, 8, 2) +
                    fmt_f(s.counts[k] * s.cell_area * 0.01, 10, 1));
  return lines;
}

namespace {

// The sum-curve dialog; false when cancelled or unreadable.
bool sum_dialog(const GridData& g, SumCurve& s, std::string& hull) {
  float lo = 0, hi = 0;
  value_range(g, lo, hi);
  const double minimum = std::trunc(double(lo)), maximum = std::trunc(double(hi) + 1);
  std::string prompts[] = {"Minimum", "Maximum", "Spacing", "Hull"};
  std::string values[] = {number_field(minimum, 1), number_field(maximum, 1),
                          number_field((maximum - minimum) / 100, 2), ""};
  if (!grinfo(prompts, values)) return false;
  double a = 0, b = 0, d = 0;
  if (!read_field(values[0], a) || !read_field(values[1], b) || !read_field(values[2], d) || !(float(d) > 0) ||
      !(b >= a) || !std::isfinite(float(a)) || !std::isfinite(float(b))) {
    grmesg("no sum curve for these limits");
    return false;
  }
  s.minimum = float(a);
  s.maximum = float(b);
  s.spacing = float(d);
  // At most 100 classes of the spacing given (level k = k * spacing +
  // minimum); values above the last class are counted in it.
  const double classes = std::floor((b - a) / d) + 1;
  s.counts.assign(size_t(std::min(classes, double(kMaxSumClasses))), 0.0);
  hull = std::string(trim_right(values[3]));
  return true;
}

}  // namespace

namespace detail {

bool open_input(std::string& name) {
  std::string filter;
  return gropn(name, filter, kContourReadUnit);
}

void inquire(const GridData& g) {
  const std::vector<std::string> captions = {" IInput", " NNode", " SSection", " AspAcing", " ??", " DDone"};
  for (;;) {
    int sel = kMenuColumn;
    float x = 0, y = 0;
    grcurs(captions, sel, x, y);
    switch (sel) {
      case 1: input_point(g); break;
      case 2: node_points(g); break;
      case 3: section(g); break;
      case 4: ask_spacing(); break;
      case 5: {
        const std::vector<std::string> help = {
            "INQUIRE options:",
            "  Input    numerical input of co-ordinates",
            "  Node     reads co-ordinates of nodes from a file",
            "           (x, y in the first two columns)",
            "  Section  reads co-ordinates of vertices from a file",
            "           (x, y in the first two columns)",
            "  Spacing  defines the distance between section nodes"};
        grtext(help);
        break;
      }
      case 6: return;
      default: break;
    }
  }
}

void sum_curve(const GridData& g) {
  SumCurve s;
  std::string hull;
  if (!sum_dialog(g, s, hull)) return;
  if (g.nx >= 2 && g.ny >= 2)
    s.cell_area = std::fabs((double(g.x[g.at(1, 1)]) - g.x[g.at(2, 2)]) * (double(g.y[g.at(1, 1)]) - g.y[g.at(2, 2)]));
  if (hull.empty()) {
    sum_count(g, s, nullptr, true);
    grflip();
    grpause(10);
  } else {
    if (!open_input(hull)) return;
    int status = kPolygonSeparator;
    while (status == kPolygonSeparator) {
      status = igplyf(kContourReadUnit, grcnt.xp, kPolygonCapacity);
      if (status == kPolygonOtherLine || status == kPolygonFull) {
        // A broken or cut hull would count the wrong nodes: no sum curve.
        grmesg(polygon_file_problem(kContourReadUnit, status, kPolygonCapacity));
        unit_close(kContourReadUnit);
        return;
      }
      if (grcnt.xp.count() < 3) continue;
      sum_count(g, s, &grcnt.xp, true);
      grflip();
      grpause(10);
    }
    unit_close(kContourReadUnit);
  }
  for (size_t k = 1; k < s.counts.size(); ++k) s.counts[k] += s.counts[k - 1];
  grtext(sum_table_fraction(s));
  grtext(sum_table_area(s));
}

}  // namespace detail

}  // namespace sketra
