// The Inquire submenu of the surface viewer: Node, Section, Channel, Slope,
// Mean, Volume, Flowtrace, help and Done.

#include "sketra/modes/surface/surface_inquire.h"

#include <algorithm>
#include <cmath>

#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/display_buffer.h"
#include "sketra/ui/menus.h"

namespace sketra {

namespace {

constexpr int kMark = 1405;              // marker of a sampled point
constexpr double kLargest = 1.0e9;       // largest distance, factor or origin a form or file may give
constexpr double kMaxAcross = 100000;    // points across one channel cross-section at most

void mark(float x, float y) {
  grmov2(x, y);
  grsymb(kMark);
}

double X(float x) { return double(x) + grcomn.xorgr; }
double Y(float y) { return double(y) + grcomn.yorgr; }

bool in_range(double v, double lo = -kLargest, double hi = kLargest) { return v >= lo && v <= hi; }

// A form field read as a number in [lo, hi]; otherwise the message names
// the field and false is returned.
bool field(const std::string& prompt, const std::string& text, double& v, double lo, double hi) {
  double r = 0;
  if (read_field(text, r) && in_range(r, lo, hi)) {
    v = r;
    return true;
  }
  grmesg(prompt + ": " + std::string(trim(text)) + " is not a number from " + fmt_g(lo, 10, 3) + " to " +
         fmt_g(hi, 10, 3));
  return false;
}

// Opens the file of an entry on `unit`; false when no file was given.
bool open_file(int unit) {
  std::string name, filter;
  return gropn(name, filter, unit);
}

// Reads the polylines of `unit` one by one and hands each to `use`, until
// the file ends, `use` returns false, or a polyline has too many vertices.
// A line that is not a vertex is reported and passed over.
void each_polyline(int unit, const std::function<bool(const Polygon&)>& use) {
  Polygon p;
  for (;;) {
    const int status = igplyf(unit, p, -kPolygonCapacity);
    if (status == kPolygonFull) {
      grmesg(polygon_file_problem(unit, status, kPolygonCapacity));
      return;
    }
    if (p.count() > 0 && !use(p)) return;
    if (status == kPolygonEndOfFile) return;
    if (status == kPolygonOtherLine) {
      grmesg(polygon_file_problem(unit, status, kPolygonCapacity));
      std::string_view skipped;
      if (!unit_read(unit, skipped)) return;
    }
  }
}

// Samples that a run may still take; false, with a message, when the
// samples of p at `spacing` would exceed them.
bool within_budget(const Polygon& p, double spacing, double per_sample, double& left, double limit) {
  const double n = line_sample_count(p, spacing) * per_sample;
  if (n <= left) {
    left -= n;
    return true;
  }
  const LineReader* file = unit_reader(kInquireReadUnit);
  grmesg("more than " + std::to_string(std::int64_t(limit)) + " points: choose a larger spacing" +
         (file ? " (stopped at " + file->where() + ")" : std::string()));
  return false;
}

// The "default" line that may open a Node or Section file: spacing,
// distance factor and distance origin. False, with a message, when its
// values are out of range (the file is then not used).
struct SectionDefaults {
  double spacing;
  float factor, origin;
};
bool read_defaults(int unit, SectionDefaults& d) {
  std::string_view line;
  if (!unit_read(unit, line)) return true;
  if (line.substr(0, 7) != "default") {
    unit_backspace(unit);
    return true;
  }
  double v[3] = {d.spacing, d.factor, d.origin};
  const FreeTarget t[] = {&v[0], &v[1], &v[2]};
  read_free(line.substr(7), t);
  if (!in_range(v[0]) || !in_range(v[1]) || !in_range(v[2])) {
    grmesg("default line of " + unit_name(unit) + " out of range: " + std::string(trim(line.substr(7))));
    return false;
  }
  d = {v[0], float(v[1]), float(v[2])};
  return true;
}

// ---------------------------------------------------------------- Node, Section

// Each entry that loops over a file or a path returns true when the person
// stopped it.
bool node_entry(ViewContext& v, SurfaceView& sv) {
  if (!open_file(kInquireReadUnit)) return false;
  bool stopped = false;
  SectionDefaults d{grtrs.cspace, grtrs.dfac, grtrs.dorig};
  if (read_defaults(kInquireReadUnit, d)) {
    grtrs.cspace = d.spacing, grtrs.dfac = d.factor, grtrs.dorig = d.origin;
    grdisp("/Nodes");
    each_polyline(kInquireReadUnit, [&](const Polygon& p) {
      for (int k = 0; k < p.count(); ++k) {
        float z = 0;
        const float x = p.x[std::size_t(k)], y = p.y[std::size_t(k)];
        if (!surface_value(sv, x, y, z)) continue;
        grdisp(fmt_f(X(x), 12, 2) + fmt_f(Y(y), 12, 2) + fmt_f(z, 10, 2));
        mark(x, y);
      }
      return !(stopped = v.interrupted());
    });
    grdump();
    grflip();
    if (stopped) display_buffer.lines.clear();  // an interrupted listing shows nothing
    else grdisp("/disp");
  }
  unit_close(kInquireReadUnit);
  return stopped;
}

// The Section form; false (nothing changed) when cancelled or a value is
// out of range.
bool section_form(SectionDefaults& d, std::string& comment) {
  std::string prompts[] = {"Spacing [m]", "Distance factor", "Distance Origin", "Comment", "co-ordinates"};
  std::string values[] = {number_field(d.spacing, 2), number_field(d.factor, 3), number_field(d.origin, 2), "",
                          toggle_value(grtrs.lcoord != 0)};
  if (!grinfo(prompts, values)) return false;
  double s = 0, f = 0, o = 0;
  if (!field(prompts[0], values[0], s, -kLargest, kLargest) || !field(prompts[1], values[1], f, -kLargest, kLargest) ||
      !field(prompts[2], values[2], o, -kLargest, kLargest))
    return false;
  d = {s, float(f), float(o)};
  comment = std::string(trim(values[3]));
  grtrs.lcoord = toggle_on(values[4]) ? 1 : 0;
  return true;
}

bool section_entry(ViewContext& v, SurfaceView& sv) {
  if (!open_file(kInquireReadUnit)) return false;
  SectionDefaults d{grtrs.cspace, grtrs.dfac, grtrs.dorig};
  std::string comment;
  if (!read_defaults(kInquireReadUnit, d) || !section_form(d, comment)) {
    unit_close(kInquireReadUnit);
    return false;
  }
  grtrs.cspace = d.spacing, grtrs.dfac = d.factor, grtrs.dorig = d.origin;
  const std::string title = "/Section " + comment;
  grdisp(title);
  double left = kMaxInquireSamples;
  bool stopped = false, refused = false;
  each_polyline(kInquireReadUnit, [&](const Polygon& p) {
    if (!within_budget(p, d.spacing, 1, left, kMaxInquireSamples)) return !(refused = true);
    const std::vector<LineSample> samples = line_samples(p, d.spacing);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      if (i % 4096 == 4095 && v.interrupted()) return !(stopped = true);
      grbeam(std::int64_t(i), std::int64_t(samples.size()), "section");
      const LineSample& s = samples[i];
      float z = 0;
      if (!surface_value(sv, s.x, s.y, z)) continue;
      if (grtrs.lcoord != 0) grdisp(fmt_f(X(s.x), 12, 2) + fmt_f(Y(s.y), 12, 2) + fmt_f(z, 10, 2));
      else grdisp(fmt_f(s.station * d.factor + d.origin, 12, 3) + fmt_f(z, 12, 3) + " /");
      mark(s.x, s.y);
    }
    grdisp(title);
    return !(stopped = v.interrupted());
  });
  unit_close(kInquireReadUnit);
  grdump();
  grflip();
  if (stopped || refused) display_buffer.lines.clear();  // nothing shown of a section stopped half-way
  else grdisp("/disp");
  return stopped;
}

// ---------------------------------------------------------------- Channel

struct ChannelForm {
  double spacing = 10, width = 100, resolution = 0.1, origin = 0, factor = 1;
  bool hull = false;
};

bool channel_form(ChannelForm& c) {
  std::string prompts[] = {"Spacing [m]", "Width of Channel", "Resolution [m]", "Origin [km]", "Factor", "Hull"};
  std::string values[] = {number_field(c.spacing, 2), number_field(grtrs.adist, 2), number_field(c.resolution, 3),
                          number_field(c.origin, 3), number_field(c.factor, 3), toggle_value(false)};
  if (!grinfo(prompts, values)) return false;
  if (!field(prompts[0], values[0], c.spacing, -kLargest, kLargest) ||
      !field(prompts[1], values[1], c.width, 0.001, 1.0e6) ||
      !field(prompts[2], values[2], c.resolution, -kLargest, kLargest) ||
      !field(prompts[3], values[3], c.origin, -1.0e6, 1.0e6) || !field(prompts[4], values[4], c.factor, -1.0e6, 1.0e6))
    return false;
  c.resolution = std::max(c.resolution, 0.001);
  if (!(std::floor(c.width / c.resolution) + 1 <= kMaxAcross)) {
    grmesg("more than " + std::to_string(std::int64_t(kMaxAcross)) + " points across: choose a larger resolution");
    return false;
  }
  grtrs.adist = float(c.width);
  c.hull = toggle_on(values[5]);
  return true;
}

// One cross-section at sample s of the axis: its points across (distance
// from the left end, value), left out outside the hull or the surface.
std::vector<std::pair<double, float>> cross_section(SurfaceView& sv, const LineSample& s, const ChannelForm& c,
                                                    const PolygonTest* hull) {
  std::vector<std::pair<double, float>> out;
  const int m = int(std::floor(c.width / c.resolution));
  const double step = m > 0 ? c.width / m : 0;
  // Across from the left bank (looking along the axis) to the right one.
  const double nx = -std::sin(s.direction), ny = std::cos(s.direction);
  for (int i = 0; i <= m; ++i) {
    const double a = c.width / 2 - i * step;
    const float px = float(s.x + a * nx), py = float(s.y + a * ny);
    float z = 0;
    if (hull && !hull->inside(px, py)) continue;
    if (!surface_value(sv, px, py, z)) continue;
    out.emplace_back(i * step, z);
  }
  return out;
}

bool channel_entry(ViewContext& v, SurfaceView& sv) {
  grmesg("channel axis");
  if (!open_file(kInquireReadUnit)) return false;
  Polygon axis;
  const int status = igplyf(kInquireReadUnit, axis, -kPolygonCapacity);
  const std::string problem = polygon_file_problem(kInquireReadUnit, status, kPolygonCapacity);
  const std::string axis_name = unit_name(kInquireReadUnit);
  unit_close(kInquireReadUnit);
  if (status == kPolygonFull || axis.count() == 0) {
    if (!problem.empty()) grmesg(problem);
    return false;
  }
  ChannelForm c;
  if (!channel_form(c)) return false;
  Polygon hull;
  if (c.hull) {
    grmesg("hull file");
    if (!open_file(kInquireHullUnit)) return false;
    const int hs = igplyf(kInquireHullUnit, hull, kPolygonCapacity);
    if (hs == kPolygonFull) grmesg(polygon_file_problem(kInquireHullUnit, hs, kPolygonCapacity));
    unit_close(kInquireHullUnit);
    if (hs == kPolygonFull || hull.count() < 3) return false;
  }
  double left = kMaxInquireSamples * 10;
  if (!within_budget(axis, c.spacing, std::floor(c.width / c.resolution) + 1, left, left)) return false;
  const std::vector<LineSample> samples = line_samples(axis, c.spacing);
  const PolygonTest in_hull(hull);
  const int out = grcomn.joutgr;
  const std::string text = fixed_width(axis_name, 32);
  int number = 0;
  bool stopped = false;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if ((stopped = v.interrupted())) break;
    grbeam(std::int64_t(i), std::int64_t(samples.size()), "channel sections");
    const LineSample& s = samples[i];
    const auto points = cross_section(sv, s, c, c.hull ? &in_hull : nullptr);
    if (points.empty()) continue;
    ++number;
    const double km = (c.origin * 1000 + s.station * c.factor) / 1000;
    std::string name = fmt_i(number, 5);
    std::replace(name.begin(), name.end(), ' ', '0');
    unit_write(out, fmt_i(number, 6));
    unit_write(out, "locate" + fmt_f(X(s.x), 12, 2) + fmt_f(Y(s.y), 12, 2) + fmt_f(180 - s.direction * 57.3, 8, 1));
    unit_write(out, "cs 'C" + name + "' " + fmt_f(km, 8, 3) + " /");
    unit_write(out, fmt_i(std::int64_t(points.size()), 5) + " " + text);
    for (const auto& [d, z] : points) unit_write(out, fmt_f(d, 8, 2) + fmt_f(z, 8, 2) + " /");
    const double nx = -std::sin(s.direction), ny = std::cos(s.direction), h = c.width / 2;
    grmov2(float(s.x + h * nx), float(s.y + h * ny));
    grdrw2(float(s.x - h * nx), float(s.y - h * ny));
  }
  unit_flush(out);
  grdump();
  grflip();
  grmesg("cross-sections written:" + fmt_i(number, 6));
  return stopped;
}

// ---------------------------------------------------------------- Slope

// A Slope sequence from the click at (x, y); further clicks in the view
// continue it. Returns the submenu entry that ended it (0: none).
int slope_entry(SurfaceView& sv, const std::vector<std::string>& captions, float x, float y) {
  float start = 0;
  double D = 0;
  bool begun = false;
  for (;;) {
    float z = 0;
    if (surface_value(sv, x, y, z)) {
      if (!begun) {
        begun = true, D = 0, start = z;
      } else {
        const double d = std::hypot(double(x) - grtrs.xold, double(y) - grtrs.yold);
        D += d;
        grmov2(grtrs.xold, grtrs.yold);
        grdrw2(x, y);
        grmesg(slope_message(D, start, grtrs.fold, z, d));
      }
      mark(x, y);
      grdump();
      grflip();
      grtrs.xold = x, grtrs.yold = y, grtrs.fold = z;
    }
    int sel = kMenuColumn;
    grcurs(captions, sel, x, y);
    if (sel != kMenuNothing) return sel;
    if (!is_screen_mode(grcomn.imodgr) && !script_pending()) return 0;
  }
}

// ---------------------------------------------------------------- Mean, Volume

void mean_entry(SurfaceView& sv) {
  if (!open_file(kInquireReadUnit)) return;
  Polygon p;
  const int status = igplyf(kInquireReadUnit, p, kInquirePolygon);
  const std::string problem = polygon_file_problem(kInquireReadUnit, status, kInquirePolygon);
  unit_close(kInquireReadUnit);
  if (status == kPolygonFull || p.count() < 3) {
    grmesg(problem.empty() ? "a polygon needs 3 vertices at least" : problem);
    return;
  }
  std::vector<std::size_t> inside;
  const MeanSums m = surface_mean(sv.data, p, &inside);
  for (std::size_t k : inside) mark(sv.data.x[k], sv.data.y[k]);
  grdump();
  grflip();
  grmesg(mean_message(m));
}

void volume_entry(SurfaceView& sv) {
  Polygon p;
  if (igplyp(p, kInquirePolygon, grcomn.joutgr) == 0 || p.count() < 3) return;
  grmesg("Define plain level");
  float level = grtrs.rvalue;
  if (!grinpf("Level [m]> ", level)) return;
  if (!in_range(level, -1.0e7, 1.0e7)) {
    grmesg("Level [m]: " + fmt_g(level, 12, 5) + " is out of range");
    return;
  }
  grtrs.rvalue = level;
  grtext(volume_lines(surface_volume(sv.data, p, level, grtrs.zndt)));
}

// ---------------------------------------------------------------- Flowtrace

// The node nearest on the screen to (px, py); lowest number on ties.
std::size_t nearest_node(const SurfaceData& s, float px, float py) {
  const double fx = grcomn.xfacgr, fy = grcomn.yfacgr;
  double best = INFINITY;
  std::size_t k0 = s.nodes();
  for (std::size_t k = 0; k < s.nodes(); ++k) {
    const double dx = (double(s.x[k]) - px) * fx, dy = (double(s.y[k]) - py) * fy, d = dx * dx + dy * dy;
    if (d < best) best = d, k0 = k;
  }
  return k0;
}

bool flow_entry(ViewContext& v, SurfaceView& sv, float px, float py) {
  const SurfaceData& s = sv.data;
  const std::size_t start = nearest_node(s, px, py);
  if (start >= s.nodes() || !(s.value[start] > grtrs.zndt)) return false;
  bool stopped = false;
  const std::vector<FlowStep> path = flow_path(s, start, grtrs.zndt, [&] { return stopped = v.interrupted(); });
  const int out = grcomn.joutgr;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const std::size_t k = path[i].node;
    if (i == 0) grmov2(s.x[k], s.y[k]);
    else grdrw2(s.x[k], s.y[k]);
    unit_write(out, flow_line(s, path[i], i == 0));
  }
  for (const FlowStep& f : path) mark(s.x[f.node], s.y[f.node]);
  unit_flush(out);
  grdump();
  grflip();
  return stopped;
}

void help() {
  const std::vector<std::string> lines = {
      "INQUIRE options",
      "  Node      values at the points of a file (x, y in the first",
      "            two columns), listed in a text page",
      "  Section   values along the lines of a file, one point every",
      "            spacing (0: at the vertices), listed in a text page",
      "  Channel   cross-sections along a channel axis read from a",
      "            file (x, y in the first two columns), on the output",
      "  Slope     distance and slope between cursor locations",
      "  Mean      mean of the node values inside a polygon of a file",
      "  Volume    area and volume of a polygon below a given level",
      "  Flowtrace flow path (talweg) from a cursor position, written",
      "            as x, y, z on the output",
      "  Done      back to the viewer"};
  grtext(lines);
}

// False, with the reason on the message line, for a surface Inquire
// cannot measure.
bool measurable(const SurfaceData& s) {
  if (s.triangles.empty() || s.nodes() == 0) {
    grmesg("the surface has no elements");
    return false;
  }
  const auto [x0, x1] = std::minmax_element(s.x.begin(), s.x.begin() + std::ptrdiff_t(s.nodes()));
  const auto [y0, y1] = std::minmax_element(s.y.begin(), s.y.begin() + std::ptrdiff_t(s.nodes()));
  if (!(*x1 > *x0) || !(*y1 > *y0)) {
    grmesg("the surface has no width: all nodes lie on one line");
    return false;
  }
  return true;
}

}  // namespace

void inquire_menu(ViewContext& v, SurfaceView& sv) {
  if (!measurable(sv.data)) return;
  const std::vector<std::string> captions = {" NNode",   " SSection",   " CChannel", "<SSlope", " MMean",
                                             " VVolume", "<FFlowtrace", " ??",       " DDone"};
  int next = 0;
  float x = 0, y = 0;
  for (;;) {
    int sel = next;
    bool stopped = false;
    next = 0;
    if (sel == 0) {
      sel = kMenuColumn;
      grcurs(captions, sel, x, y);
    }
    switch (sel) {
      case 1: stopped = node_entry(v, sv); break;
      case 2: stopped = section_entry(v, sv); break;
      case 3: stopped = channel_entry(v, sv); break;
      case 4: next = slope_entry(sv, captions, x, y); break;
      case 5: mean_entry(sv); break;
      case 6: volume_entry(sv); break;
      case 7: stopped = flow_entry(v, sv, x, y); break;
      case 8: help(); break;
      case 9: return;
      default:
        if (!is_screen_mode(grcomn.imodgr) && !script_pending()) return;  // nobody to answer
    }
    if (stopped) {
      grmesg("interrupted");
      return;  // back to the viewer, which carries out what the person chose
    }
  }
}

}  // namespace sketra
