// Polygon digitising, polygon files and the point-in-polygon test.

#include "sketra/modes/common/polygons.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra {

namespace {

constexpr int kLineWidth = 64;     // characters of a polygon file line
constexpr int kPolygonUnit = 96;   // spare device unit for polygon files read by igplyp
constexpr int kFirstVertexMark = 1402;

std::vector<std::string> history;

double orient(double ax, double ay, double bx, double by, double px, double py) {
  return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

// Vertices a polygon of `capacity` keeps at most.
int vertex_limit(int capacity) { return std::max(std::abs(capacity) - 1, 1); }

// Appends a vertex; false (nothing changed) once the polygon holds
// capacity - 1 vertices.
bool add_vertex(Polygon& p, int capacity, float x, float y) {
  if (p.count() >= vertex_limit(capacity)) return false;
  p.x.push_back(x);
  p.y.push_back(y);
  return true;
}

bool is_separator(std::string_view t) {
  if (t.empty()) return true;
  if (t[0] == '#' || t.starts_with(">>")) return true;
  return t.size() >= 3 && (t[0] == 'e' || t[0] == 'E') && (t[1] == 'n' || t[1] == 'N') &&
         (t[2] == 'd' || t[2] == 'D');
}

void draw_polygon(const Polygon& p, bool close) {
  if (p.x.empty()) return;
  grmov2(p.x[0], p.y[0]);
  grsymb(kFirstVertexMark);
  grmov2(p.x[0], p.y[0]);
  for (size_t k = 1; k < p.x.size(); ++k) grdrw2(p.x[k], p.y[k]);
  if (close) grdrw2(p.x[0], p.y[0]);
  grdump();
}

}  // namespace

Box polygon_box(std::span<const float> x, std::span<const float> y) {
  const size_t n = std::min(x.size(), y.size());
  if (n == 0) return {};
  Box b{x[0], x[0], y[0], y[0]};
  for (size_t k = 1; k < n; ++k) {
    b.xmin = std::min(b.xmin, x[k]);
    b.xmax = std::max(b.xmax, x[k]);
    b.ymin = std::min(b.ymin, y[k]);
    b.ymax = std::max(b.ymax, y[k]);
  }
  return b;
}

namespace {

// Crossings of the segment point - R with the polygon's edges; an edge
// counts when both orientation products are below 1e-5.
int crossings(std::span<const float> x, std::span<const float> y, size_t n, double px, double py,
              double rx, double ry) {
  int count = 0;
  for (size_t k = 0; k < n; ++k) {
    const double ax = x[k], ay = y[k];
    const double bx = x[(k + 1) % n], by = y[(k + 1) % n];
    const double r_side = orient(ax, ay, bx, by, rx, ry) * orient(ax, ay, bx, by, px, py);
    const double e_side = orient(px, py, rx, ry, bx, by) * orient(px, py, rx, ry, ax, ay);
    if (r_side < 1e-5 && e_side < 1e-5) ++count;
  }
  return count;
}

// True when the segment point - R runs through a vertex other than the
// point itself: both edges at that vertex would count, and the parity
// would be wrong.
bool passes_a_vertex(std::span<const float> x, std::span<const float> y, size_t n, double px, double py,
                     double rx, double ry) {
  const double dx = rx - px, dy = ry - py, len2 = dx * dx + dy * dy;
  for (size_t k = 0; k < n; ++k) {
    const double vx = x[k] - px, vy = y[k] - py;
    const double along = vx * dx + vy * dy;
    if (along <= 1e-12 * len2 || along >= len2) continue;
    const double off = vx * dy - vy * dx;
    if (off * off <= 1e-18 * len2 * (vx * vx + vy * vy)) return true;
  }
  return false;
}

}  // namespace

int igpoly(std::span<const float> x, std::span<const float> y, float px, float py) {
  const size_t n = std::min(x.size(), y.size());
  if (n == 0) return 0;
  const Box b = polygon_box(x, y);
  if (!b.contains(px, py)) return 0;
  // The reference point lies below and left of the polygon. Should the
  // test segment run exactly through a vertex (points on a lattice with
  // the polygon's vertices on it do that), another reference point is
  // taken, so that the vertex's two edges do not both count.
  static constexpr double kOffsets[][2] = {{19, 11}, {23, 7}, {13, 29}, {31, 17}, {37, 5}, {7, 41}};
  double rx = 0, ry = 0;
  for (const auto& o : kOffsets) {
    rx = double(b.xmin) - o[0];
    ry = double(b.ymin) - o[1];
    if (!passes_a_vertex(x, y, n, px, py, rx, ry)) break;
  }
  return crossings(x, y, n, px, py, rx, ry) % 2;
}

namespace {

// One line of a polygon file and what it is: a "/" line is a caption
// before the first vertex (shown) and a separator after it. A vertex is
// converted to plot co-ordinates (origin xo, yo).
enum class LineKind { vertex, caption, separator, slash, other };
LineKind classify(std::string_view raw, bool first, double xo, double yo, float& x, float& y) {
  const std::string_view line = raw.substr(0, std::min(raw.size(), size_t(kLineWidth)));
  const size_t start = line.find_first_not_of(" \t\r");
  const std::string_view t = start == std::string_view::npos ? std::string_view() : line.substr(start);
  if (!t.empty() && t[0] == '/') {
    if (!first) return LineKind::slash;
    std::string_view caption = trim_right(t.substr(1));
    caption.remove_prefix(std::min(caption.size(), caption.find_first_not_of(' ')));
    grmesg(caption);
    return LineKind::caption;
  }
  if (is_separator(trim_right(t))) return LineKind::separator;
  double vx = 0, vy = 0;
  const FreeTarget targets[] = {&vx, &vy};
  const FreeResult r = read_free(line, targets);
  if (r.error || r.filled != 2 || !std::isfinite(vx) || !std::isfinite(vy)) return LineKind::other;
  x = float(vx - xo);
  y = float(vy - yo);
  return LineKind::vertex;
}

}  // namespace

int igplyf(int unit, Polygon& p, int capacity) {
  p.clear();
  const double xo = grvalu8("XORGR"), yo = grvalu8("YORGR");
  bool full = false;
  int status = kPolygonEndOfFile;
  std::string_view raw;
  while (unit_read(unit, raw)) {
    float x = 0, y = 0;
    const LineKind kind = classify(raw, p.x.empty(), xo, yo, x, y);
    if (kind == LineKind::caption) continue;
    if (kind == LineKind::separator) {
      status = kPolygonSeparator;
      break;
    }
    if (kind == LineKind::slash || kind == LineKind::other) {
      unit_backspace(unit);  // left for the next reader
      status = kind == LineKind::slash ? kPolygonSeparator : kPolygonOtherLine;
      break;
    }
    if (full || !add_vertex(p, capacity, x, y)) {
      full = true;  // read past the rest of this polygon
      continue;
    }
    if (p.count() == 1) grmov2(x, y);
    else grdrw2(x, y);
  }
  if (!p.x.empty() && capacity >= 0) grdrw2(p.x[0], p.y[0]);
  grdump();
  p.box = polygon_box(p.x, p.y);
  return full ? kPolygonFull : status;
}

std::string polygon_file_problem(int unit, int status, int capacity) {
  const LineReader* r = unit_reader(unit);
  if (!r) return {};
  const std::string& file = unit_name(unit);
  if (status == kPolygonFull)
    return "more than " + std::to_string(vertex_limit(capacity)) + " vertices in " + file + " up to line " +
           std::to_string(r->record());
  if (status != kPolygonOtherLine) return {};
  std::string_view line;
  if (!unit_read(unit, line)) return {};
  const std::string text(trim(line.substr(0, std::min(line.size(), size_t(kLineWidth)))));
  const std::string message = "line " + std::to_string(r->record()) + " of " + file + " is not a vertex: " + text;
  unit_backspace(unit);
  return message;
}

int igplyp(Polygon& p, int capacity, int out_unit) {
  const int cap = std::abs(capacity);
  p.clear();
  grmesg("waiting for cursor input");
  for (;;) {
    const bool some = !p.x.empty();
    const std::vector<std::string> captions = {some ? " UUndo" : "-UUndo", some ? " CCancel" : "-CCancel",
                                               some ? "-RRead" : " RRead", " ??", " DDone"};
    int sel = kMenuColumn;
    float x = 0, y = 0;
    grcurs(captions, sel, x, y);
    if (sel == kMenuNothing) {
      if (!add_vertex(p, cap, x, y)) grmesg("at most " + std::to_string(vertex_limit(cap)) + " vertices");
    } else if ((sel == 1 || sel == kMenuRightButton) && some) {
      p.x.pop_back();
      p.y.pop_back();
    } else if (sel == 2) {
      p.clear();
    } else if (sel == 3) {
      std::string name, filter;
      if (gropn(name, filter, kPolygonUnit)) {
        const int status = igplyf(kPolygonUnit, p, -cap);
        const std::string problem = polygon_file_problem(kPolygonUnit, status, cap);
        if (!problem.empty()) grmesg(problem);
        if (status == kPolygonFull) p.clear();
        unit_close(kPolygonUnit);
      }
    } else if (sel == 4) {
      const std::vector<std::string> help = {"Undo    undo last cursor input <right>", "Cancel  ignore all input",
                                             "Read    read polygon data from file (with x- and",
                                             "y-coordinates in 1st and 2nd column)",
                                             "Done    close polygon and exit"};
      grtext(help);
    } else if (sel == 5) {
      break;
    }
    draw_polygon(p, false);
  }
  if (p.x.empty()) return 0;
  if (out_unit >= 0) draw_polygon(p, true);
  const double xo = grvalu8("XORGR"), yo = grvalu8("YORGR");
  for (size_t k = 0; k < p.x.size(); ++k) {
    const double ax = double(p.x[k]) + xo, ay = double(p.y[k]) + yo;
    if (out_unit >= 0) unit_write(out_unit, fmt_f(ax, 12, 3) + fmt_f(ay, 12, 3) + " /");
    std::string h = fmt_f(ax, 11, 2) + fmt_f(ay, 11, 2);
    if (history.size() < size_t(kHistoryLines)) history.push_back(std::move(h));
    else history.back() = std::move(h);
  }
  p.box = polygon_box(p.x, p.y);
  return 1;
}

const std::vector<std::string>& polygon_history() { return history; }
void polygon_history_reset() { history.clear(); }

}  // namespace sketra
