// The New entry: nodes, lines, closed polygons and edges digitised with
// the cursor, hole points and synthetic cross-sections written to the
// output unit, a concave hull around the points, and an axis read from a
// file.
//
// Everything that adds points or edges counts them first and refuses with
// a message when they would pass the capacities.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/polygons.h"
#include "sketra/modes/editor/bucket_grid.h"
#include "sketra/modes/editor/editor_internal.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra {

namespace {

constexpr std::int32_t kNewCode = 101;  // a new point: colour 1, a node
constexpr std::int32_t kHullCode = 102;
constexpr int kHullMark = -502, kHullInsertMark = 10201, kSectionMark = -505, kHoleMark = 1405;

bool room(const EditData& d, std::int64_t points, std::int64_t edges) {
  if (d.room_for_points(points) && d.room_for_edges(edges)) return true;
  grmesg("no room for more points or edges");
  return false;
}

// Appends the vertices as new points joined by edges (closed: back to the
// first as well).
void add_line(EditData& d, const Polygon& p, bool closed) {
  const std::int64_t n = p.count();
  if (n < (closed ? 3 : 2) || !room(d, n, n)) return;
  const std::int32_t first = d.np() + 1;
  for (std::int64_t k = 0; k < n; ++k) {
    const std::int32_t i = d.add_point(p.x[std::size_t(k)], p.y[std::size_t(k)], gredst.znew, kNewCode);
    if (k > 0) d.seg.push_back(korvel::Edge{i - 1, i});
  }
  if (closed) d.seg.push_back(korvel::Edge{d.np(), first});
}

bool digitise(EditData& d, bool closed) {
  Polygon p;
  if (igplyp(p, kPolygonCapacity, -1) == 0) return false;
  const std::size_t before = d.seg.size();
  add_line(d, p, closed);
  return d.seg.size() != before;
}

bool node(EditData& d, float x, float y) {
  if (!room(d, 1, 0)) return false;
  d.add_point(x, y, gredst.znew, kNewCode);
  detail::mark_point(x, y, kNewCode);
  return true;
}

// ---------------------------------------------------------------- Edge

// A vertex of a new edge chain: an existing point, or a new one at (x, y).
struct ChainVertex {
  std::int32_t point = 0;  // 0: new
  float x = 0, y = 0;
};

// Stores the chain: new points get z linearly interpolated by distance
// between the existing points around them.
bool store_chain(EditData& d, const std::vector<ChainVertex>& v) {
  if (v.size() < 2) return false;
  if (v.front().point == 0 || v.back().point == 0) {
    grmesg("first and last edge must connect to existing nodes");
    return false;
  }
  std::int64_t fresh = 0;
  for (const ChainVertex& c : v) fresh += c.point == 0;
  if (!room(d, fresh, std::int64_t(v.size()) - 1)) return false;
  std::vector<double> along(v.size(), 0);
  for (std::size_t k = 1; k < v.size(); ++k)
    along[k] = along[k - 1] + std::hypot(double(v[k].x) - v[k - 1].x, double(v[k].y) - v[k - 1].y);
  std::vector<std::int32_t> number(v.size());
  std::size_t left = 0;
  for (std::size_t k = 0; k < v.size(); ++k) {
    if (v[k].point != 0) {
      number[k] = v[k].point, left = k;
      continue;
    }
    std::size_t right = k;
    while (v[right].point == 0) ++right;
    const double span = along[right] - along[left];
    const double t = span > 0 ? (along[k] - along[left]) / span : 0;
    const float z0 = d.pz(v[left].point), z1 = d.pz(v[right].point);
    number[k] = d.add_point(v[k].x, v[k].y, float(z0 + t * (z1 - z0)), kNewCode);
  }
  for (std::size_t k = 1; k < v.size(); ++k) d.seg.push_back(korvel::Edge{number[k - 1], number[k]});
  return true;
}

bool edge_menu(EditData& d) {
  std::vector<ChainVertex> v;
  for (;;) {
    const bool some = !v.empty();
    const std::vector<std::string> captions = {"<CConnect", "<NNew", some ? " UUndo" : "-UUndo", "  Cancel", " DDone"};
    int sel = kMenuColumn;
    float x = 0, y = 0;
    grcurs(captions, sel, x, y);
    switch (sel) {
      case 1: {
        grcomn.xcrsgr = x, grcomn.ycrsgr = y;
        const std::int32_t i = igrnear(d, 0);
        if (i > 0) v.push_back({i, d.px(i), d.py(i)});
        break;
      }
      case 2:
        v.push_back({0, x, y});
        detail::mark_point(x, y, kNewCode);
        break;
      case 3:
      case kMenuRightButton:
        if (some) v.pop_back();
        break;
      case 4: v.clear(); break;
      case 5: return store_chain(d, v);
      default:
        if (sel == kMenuNothing && detail::nobody_answers()) return false;
        break;
    }
    if (v.size() >= 2) {
      grmov2(v[v.size() - 2].x, v[v.size() - 2].y);
      grdrw2(v.back().x, v.back().y);
      grdump();
    }
  }
}

// ---------------------------------------------------------------- Hole, Section

void hole(float x, float y) {
  if (gredst.next_hole < 1) {
    int first = 1;
    if (!grinpi("Number of first hole", first)) return;
    gredst.next_hole = std::clamp(first, 1, 999999);
  }
  unit_write(grcomn.joutgr, fmt_i(gredst.next_hole++, 4) + fmt_f(double(x) + grcomn.xorgr, 12, 2) +
                                fmt_f(double(y) + grcomn.yorgr, 12, 2) + " /");
  detail::mark_point(x, y, kHoleMark);
}

void write_section(double x, double y, float z, double station, double width, double depth) {
  const int out = grcomn.joutgr;
  unit_write(out, "locate" + fmt_f(x + grcomn.xorgr, 12, 2) + fmt_f(y + grcomn.yorgr, 12, 2) + " /");
  char name[32];
  std::snprintf(name, sizeof name, "%06lld", static_cast<long long>(std::llround(station)));
  unit_write(out, "cs '" + std::string(name) + "' " + fmt_f(station * 0.001, 8, 3) + " /");
  const double half = width / 2;
  const double pts[4][2] = {{-half - depth, z + depth}, {-half, z}, {half, z}, {half + depth, z + depth}};
  for (const auto& p : pts) unit_write(out, fmt_f(p[0], 8, 2) + fmt_f(p[1], 8, 2) + " /");
  detail::mark_point(float(x), float(y), kSectionMark);
}

bool section(const EditData& d) {
  std::string prompts[] = {"Spacing [m]", "Width [m]", "Depth", "Origin [km]"};
  std::string values[] = {fmt_f(10.0, 10, 1), fmt_f(2.0, 8, 1), fmt_f(1.0, 8, 1), fmt_f(0.0, 8, 3)};
  if (!grinfo(prompts, values) || trim(values[0]) == "cancel") return false;
  double v[4] = {};
  for (int k = 0; k < 4; ++k)
    if (!detail::form_number(prompts[k], values[k], v[k])) return false;
  const double spacing = v[0];
  if (!(spacing > 0)) {
    grmesg("Spacing must be above 0");
    return false;
  }
  double s = 1000 * v[3], dist = 0, q = 0;
  for (const korvel::Edge& e : d.seg) {
    const double ax = d.px(e.a), ay = d.py(e.a), bx = d.px(e.b), by = d.py(e.b);
    const double len = std::hypot(bx - ax, by - ay);
    while (q - dist < len) {
      const double t = (q - dist) / len;
      write_section(ax + t * (bx - ax), ay + t * (by - ay), float(d.pz(e.a) + t * (d.pz(e.b) - d.pz(e.a))), s, v[1], v[2]);
      q += spacing, s += spacing;
    }
    dist += len;
  }
  return false;  // nothing in the store changed
}

// ---------------------------------------------------------------- Axis

bool axis(EditData& d) {
  std::string name, filter;
  if (!gropn(name, filter, kEditorReadUnit)) return false;
  Polygon p;
  const int status = igplyf(kEditorReadUnit, p, -kPolygonCapacity);
  unit_close(kEditorReadUnit);
  if (status == kPolygonFull) {
    grmesg(polygon_file_problem(kEditorReadUnit, status, kPolygonCapacity));
    return false;
  }
  if (p.count() < 2) {
    grmesg("no axis in " + name);
    return false;
  }
  add_line(d, p, false);
  return true;
}

void help() {
  const std::vector<std::string> lines = {
      "NEW options",
      "Value    sets default z-value of new nodes and lines",
      "Node     for input of new nodes",
      "Line     for input of new line vertices",
      "Polygon  for new vertice of closed polygon",
      "Edge     for new edges between existing or new nodes",
      "Hole     writes cursor locations as hole points onto output (for usage in program TRIANGLE)",
      "Section  creates cross-section along edges",
      "Hull     creates concave hull around nodes",
      "Axis     reads axis from file"};
  grtext(lines);
}

}  // namespace

// ---------------------------------------------------------------- Hull

std::int64_t concave_hull(EditData& d, float threshold, bool plain, StopCheck* stop) {
  const std::int32_t n = d.np();
  std::int32_t live = 0, start = 0;
  for (std::int32_t i = 1; i <= n; ++i) {
    if (d.pcode(i) < 1) continue;
    ++live;
    if (start == 0 || d.py(i) > d.py(start)) start = i;
  }
  if (live < 3) {
    grmesg("a hull needs at least 3 points");
    return 0;
  }
  std::vector<char> on_hull(std::size_t(n) + 1, 0);
  std::vector<korvel::Edge> hull;
  const std::vector<std::int32_t> codes_before = stop ? d.code : std::vector<std::int32_t>{};
  std::int64_t work = 0;  // points looked at, for the stop check
  auto stopping = [&] {
    if (!stop || !(*stop)(work)) return false;
    d.code = codes_before;
    return true;
  };
  // Convex pass: gift wrapping from the highest point, turning by bearings.
  const double two_pi = 2 * std::numbers::pi;
  std::int32_t current = start, previous = 0;
  double reference = 0;
  for (std::int32_t step = 0; step < live; ++step) {
    work += n;
    if (stopping()) return 0;
    double best = 100;
    std::int32_t winner = 0;
    for (std::int32_t p = 1; p <= n; ++p) {
      if (d.pcode(p) < 1 || p == current || p == previous || (on_hull[std::size_t(p)] && p != start)) continue;
      if (d.px(p) == d.px(current) && d.py(p) == d.py(current)) continue;
      double delta = std::fmod(reference - razimut(d.px(p), d.py(p), d.px(current), d.py(current)), two_pi);
      if (delta < 0) delta += two_pi;
      if (delta < best) best = delta, winner = p;
    }
    if (winner == 0) break;
    hull.push_back(korvel::Edge{current, winner});
    on_hull[std::size_t(current)] = 1;
    reference = razimut(d.px(winner), d.py(winner), d.px(current), d.py(current));
    previous = current, current = winner;
    if (winner == start) break;
  }
  if (current != start || !room(d, 0, std::int64_t(hull.size()) + live)) return 0;
  // Concave passes: an edge takes the point that sees it at the widest angle
  // while the threshold allows; each point joins the hull once. With a
  // threshold of 0 or below only a point that sees its edge at 90 degrees
  // or more (cos <= 0) can be taken, and those lie in the disc over the
  // edge as diameter: the bucket grid hands out that disc's neighbourhood,
  // and the point of smallest cosine there (of equal ones the lowest
  // number) is the one the scan over all points finds.
  std::vector<std::int32_t> off_hull;
  for (std::int32_t p = 1; p <= n; ++p)
    if (d.pcode(p) > 0 && !on_hull[std::size_t(p)]) off_hull.push_back(p);
  const detail::BucketGrid grid(d.x, d.y, off_hull, 1.0);
  const bool disc = threshold <= 0 && !plain;
  std::vector<char> active(hull.size(), 1);
  if (hull.size() > 2) {
    for (bool inserted = true; inserted;) {
      inserted = false;
      for (std::size_t k = 0; k < hull.size(); ++k) {
        if (!active[k]) continue;
        if (stopping()) return 0;
        work += disc ? 64 : n;
        const std::int32_t a = hull[k].a, b = hull[k].b;
        double best = 1.0, cross = 0;
        std::int32_t pick = 0;
        auto consider = [&](std::int32_t p) {
          if (d.pcode(p) <= 0 || p == a || p == b || on_hull[std::size_t(p)]) return;
          const double ax = double(d.px(a)) - d.px(p), ay = double(d.py(a)) - d.py(p);
          const double bx = double(d.px(b)) - d.px(p), by = double(d.py(b)) - d.py(p);
          const double c = (ax * bx + ay * by) / (std::hypot(ax, ay) * std::hypot(bx, by));
          if (c < best || (c == best && p < pick)) best = c, pick = p, cross = std::fabs(ax * by - ay * bx);
        };
        if (disc) {
          const double cx = 0.5 * (double(d.px(a)) + d.px(b)), cy = 0.5 * (double(d.py(a)) + d.py(b));
          const double r = 0.5 * std::hypot(double(d.px(b)) - d.px(a), double(d.py(b)) - d.py(a));
          grid.visit(cx - r, cy - r, cx + r, cy + r, consider);
          if (best > 0) pick = 0;  // nobody sees it at 90 degrees: nothing to take
        } else {
          for (std::int32_t p = 1; p <= n; ++p) consider(p);
        }
        const double w = std::isnan(cross) ? 10 : std::max(cross, 10.0);
        if (pick == 0 || !(threshold >= w * best * 0.01)) {
          active[k] = 0;
          continue;
        }
        hull[k].b = pick;
        hull.push_back(korvel::Edge{pick, b});
        active.push_back(1);
        on_hull[std::size_t(pick)] = 1;
        d.pcode(pick) = kHullCode;
        detail::mark_point(d.px(pick), d.py(pick), kHullInsertMark);
        inserted = true;
      }
      grbeam(std::int64_t(hull.size()), live, "create hull>");
    }
  }
  for (const korvel::Edge& e : hull) {
    if (d.pcode(e.a) != kHullCode) d.pcode(e.a) = kHullCode, detail::mark_point(d.px(e.a), d.py(e.a), kHullMark);
    d.seg.push_back(e);
  }
  return std::int64_t(hull.size());
}

namespace {

bool hull(ViewContext& v, EditData& d) {
  std::string prompts[] = {"concave [-]"};
  std::string values[] = {"|" + std::to_string(gredst.hull_level) + "|smooth|medium|coarse"};
  if (grinfo(prompts, values)) {
    int level = 1;
    choice_options(values[0], level);
    gredst.hull_level = std::clamp(level, 1, 3);
  }
  StopCheck stop{[&v] { return v.interrupted(); }};
  const bool made = concave_hull(d, -float(gredst.hull_level - 1) * 0.5f, false, &stop) > 0;
  if (stop.stopped) grmesg("interrupted: nothing changed");
  return made;
}

}  // namespace

namespace detail {

void new_menu(ViewContext& v, EditData& d) {
  gredst.next_hole = 0;
  for (;;) {
    const std::vector<std::string> captions = {" VValue ", "<NNode  ",  " LLine  ", " PPolygon", " EEdge  ", "<HHole  ",
                                               " SSection", " HHull  ", " AAxis  ", " ??",       " DDone  "};
    int sel = kMenuColumn;
    float x = 0, y = 0;
    grcurs(captions, sel, x, y);
    bool changed = false;
    switch (sel) {
      case 1: {
        float z = gredst.znew;
        if (grinpf("z-value of new nodes", z) && std::isfinite(z) && std::fabs(z) <= kFormLimit) gredst.znew = z;
        break;
      }
      case 2: node(d, x, y); break;
      case 3: changed = digitise(d, false); break;
      case 4: changed = digitise(d, true); break;
      case 5: changed = edge_menu(d); break;
      case 6: hole(x, y); break;
      case 7: section(d); break;
      case 8: changed = hull(v, d); break;
      case 9: changed = axis(d); break;
      case 10: help(); break;
      case 11: v.request(ViewRequest::replot); return;
      default:
        if (sel == kMenuNothing && nobody_answers()) return;
        break;
    }
    if (changed) {
      v.request(ViewRequest::repeat);
      return;
    }
  }
}

}  // namespace detail

}  // namespace sketra
