// The Cut entry: removing points inside or outside a polygon, the nearest
// node, vertex, edge or arc, and all nodes, edges or segments.
//
// A cut deletes points (code 0) and takes its edges out of the edge table
// at once, keeping both in a record (gredst.cut) so that Undo can put
// back the codes and the edges at their old places. The record stays until
// the next cut option is chosen, Done is chosen or the editor is left:
// then the cut is committed, its edges are written to the output unit and
// there is nothing more to undo. Before a cut the edge table is cleaned,
// so after it the edges that touch a point it deleted are exactly its own.

#include <algorithm>
#include <cmath>
#include <limits>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/polygons.h"
#include "sketra/modes/editor/editor_internal.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra {

namespace {

enum CutEntry {
  kInside = 1, kOutside, kNode, kVertex, kEdge, kArc, kAllNodes, kAllEdges, kAllSegments, kUndo, kReplot, kDone
};

std::vector<std::string> cut_captions(const EditData& d) {
  const bool edges = d.nseg() > 0;
  auto f = [](bool on, const char* cell) { return std::string(on ? " " : "-") + (cell + 1); };
  return {" IInside",
          " OOutside",
          "<NNode  ",
          "<VVertex",
          edges ? "<EEdge  " : "-EEdge  ",
          edges ? "<AArc   " : "-AArc   ",
          "  all_nodes",
          f(edges, "  all_edges"),
          f(edges, "  all_segments"),
          f(!gredst.cut.empty(), " UUndo  "),
          " RReplot",
          " DDone  "};
}

// Changes the code of point p, remembering the old one.
void set_code(EditData& d, std::int32_t p, std::int32_t c) {
  gredst.cut.points.emplace_back(p, d.pcode(p));
  d.pcode(p) = c;
}

// Takes every edge for which `take(k)` (0-based index) holds out of the
// table into the cut record, keeping the order of the others.
template <class Take>
std::size_t take_edges(EditData& d, Take take) {
  std::size_t kept = 0, taken = 0;
  for (std::size_t k = 0; k < d.seg.size(); ++k) {
    if (take(k)) {
      gredst.cut.edges.emplace_back(std::int32_t(k), d.seg[k]);
      ++taken;
    } else {
      d.seg[kept++] = d.seg[k];
    }
  }
  d.seg.resize(kept);
  return taken;
}

// The edges to points deleted by this cut.
void take_edges_of_deleted(EditData& d) {
  take_edges(d, [&d](std::size_t k) { return d.pcode(d.seg[k].a) == 0 || d.pcode(d.seg[k].b) == 0; });
}

void cut_polygon(EditData& d, bool inside) {
  Polygon p;
  if (igplyp(p, kPolygonCapacity, grcomn.joutgr) == 0 || p.count() < 3) return;
  cut_by_polygon(d, p, inside);
}

void cut_point(EditData& d, bool vertex) {
  const std::int32_t i = igrnear(d, vertex ? 0 : 1);
  if (i == 0) return;
  if (vertex && d.pcode(i) % 100 < 2) {
    grmesg("invalid node");
    grbeep();
    return;
  }
  set_code(d, i, 0);
  take_edges_of_deleted(d);
}

// The edge nearest on the screen to the cursor pick (0-based), -1 when none.
std::int64_t nearest_edge(const EditData& d) {
  const PlotState& g = grcomn;
  const float cx = g.xcrsgr * g.xfacgr, cy = g.ycrsgr * g.yfacgr;
  double best = std::numeric_limits<double>::infinity();
  std::int64_t found = -1;
  for (std::size_t k = 0; k < d.seg.size(); ++k) {
    float ax = 0, ay = 0, bx = 0, by = 0;
    detail::screen_position(d, d.seg[k].a, ax, ay);
    detail::screen_position(d, d.seg[k].b, bx, by);
    const double dist =
        std::fabs(rgdist(ax * g.xfacgr, ay * g.yfacgr, bx * g.xfacgr, by * g.yfacgr, cx, cy, 1));
    if (dist < best) best = dist, found = std::int64_t(k);
  }
  return found;
}

// Edges at each point.
std::vector<std::int32_t> degrees(const EditData& d) {
  std::vector<std::int32_t> n(std::size_t(d.np()) + 1, 0);
  for (const korvel::Edge& e : d.seg) ++n[std::size_t(e.a)], ++n[std::size_t(e.b)];
  return n;
}

// The run of edges around edge k in table order that forms one arc: each
// edge starts where the one before it ends, at a point of two edges.
std::pair<std::size_t, std::size_t> arc_around(const EditData& d, std::size_t k) {
  const std::vector<std::int32_t> deg = degrees(d);
  auto joined = [&](std::size_t j) {  // edge j continues edge j - 1
    const std::int32_t p = d.seg[j].a;
    return d.seg[j - 1].b == p && deg[std::size_t(p)] < 3;
  };
  std::size_t first = k, last = k;
  while (first > 0 && joined(first)) --first;
  while (last + 1 < d.seg.size() && joined(last + 1)) ++last;
  return {first, last};
}

void cut_edge(EditData& d, bool arc) {
  const std::int64_t k = nearest_edge(d);
  if (k < 0) return;
  std::size_t first = std::size_t(k), last = first;
  if (arc) std::tie(first, last) = arc_around(d, first);
  if (arc) {
    // The arc's points that belong to no other edge go with it.
    std::vector<std::int32_t> outside = degrees(d);
    for (std::size_t j = first; j <= last; ++j) --outside[std::size_t(d.seg[j].a)], --outside[std::size_t(d.seg[j].b)];
    for (std::size_t j = first; j <= last; ++j)
      for (const std::int32_t p : {d.seg[j].a, d.seg[j].b})
        if (outside[std::size_t(p)] == 0 && d.pcode(p) > 0) set_code(d, p, 0);
  }
  take_edges(d, [first, last](std::size_t j) { return j >= first && j <= last; });
}

bool confirmed(std::string_view question) {
  const char c = grinp1(question);
  return c == 'Y' || c == 'y';
}

void cut_all_nodes(EditData& d) {
  if (!confirmed("remove all nodes?")) return;
  for (std::int32_t i = 1; i <= d.np(); ++i)
    if (d.pcode(i) > 0 && d.pcode(i) % 100 == 1) set_code(d, i, 0);
}

// All edges; their points are deleted too unless `keep_points`, which
// makes them free nodes.
void cut_all_edges(EditData& d, bool keep_points) {
  if (!keep_points && !confirmed("remove all edges/segments?")) return;
  const std::vector<std::int32_t> deg = degrees(d);
  for (std::int32_t i = 1; i <= d.np(); ++i)
    if (deg[std::size_t(i)] > 0 && d.pcode(i) > 0) set_code(d, i, keep_points ? detail::with_symbol(d.pcode(i), 1) : 0);
  take_edges(d, [](std::size_t) { return true; });
}

void undo_cut(EditData& d) {
  CutRecord& r = gredst.cut;
  for (auto it = r.points.rbegin(); it != r.points.rend(); ++it) d.pcode(it->first) = it->second;
  std::vector<korvel::Edge> merged;
  merged.reserve(d.seg.size() + r.edges.size());
  std::size_t next = 0;
  for (const auto& [at, e] : r.edges) {
    while (std::int64_t(merged.size()) < at && next < d.seg.size()) merged.push_back(d.seg[next++]);
    merged.push_back(e);
  }
  while (next < d.seg.size()) merged.push_back(d.seg[next++]);
  d.seg.swap(merged);
  r = CutRecord{};
}

// Runs cut option `sel`; true when something was cut.
bool run_cut(EditData& d, int sel) {
  commit_cut(d);
  grclne(d.code, d.seg);
  switch (sel) {
    case kInside: cut_polygon(d, true); break;
    case kOutside: cut_polygon(d, false); break;
    case kNode: cut_point(d, false); break;
    case kVertex: cut_point(d, true); break;
    case kEdge: cut_edge(d, false); break;
    case kArc: cut_edge(d, true); break;
    case kAllNodes: cut_all_nodes(d); break;
    case kAllEdges: cut_all_edges(d, false); break;
    case kAllSegments: cut_all_edges(d, true); break;
    default: break;
  }
  return !gredst.cut.empty();
}

}  // namespace

std::int64_t cut_by_polygon(EditData& d, const Polygon& p, bool inside) {
  std::int64_t n = 0;
  if (p.count() < 3) return 0;
  for (std::int32_t i = 1; i <= d.np(); ++i) {
    if (d.pcode(i) <= 0) continue;
    const bool in = p.box.contains(d.px(i), d.py(i)) && igpoly(p.x, p.y, d.px(i), d.py(i)) == 1;
    if (in == inside) set_code(d, i, 0), ++n;
  }
  take_edges_of_deleted(d);
  return n;
}

void commit_cut(const EditData& d) {
  CutRecord& r = gredst.cut;
  std::int32_t last = 0;
  const int out = grcomn.joutgr;
  auto record = [&](std::int32_t p, int flag) {
    if (p < 1 || p > d.np()) return;
    std::string s = fmt_f(double(d.px(p)) + grcomn.xorgr, 12, 3) + fmt_f(double(d.py(p)) + grcomn.yorgr, 12, 3) +
                    fmt_f(d.pz(p), 10, 3) + fmt_i(flag, 2) + " /";
    unit_write(out, s);
  };
  for (const auto& [at, e] : r.edges) {
    if (e.a != last) record(e.a, 1);
    record(e.b, 0);
    last = e.b;
  }
  r = CutRecord{};
}

void cut_menu(ViewContext& v, EditData& d) {
  for (;;) {
    const std::vector<std::string> captions = cut_captions(d);
    int sel = kMenuColumn;
    float x = 0, y = 0;
    grcurs(captions, sel, x, y);
    grcomn.xcrsgr = x, grcomn.ycrsgr = y;
    if (sel == -3) sel = kUndo;  // the right button
    if (sel < 0) {               // the wheel zooms
      grzoom(x, y, sel);
      v.request(ViewRequest::repeat);
      return;
    }
    switch (sel) {
      case 0:
        if (detail::nobody_answers()) return;
        break;
      case kUndo:
        if (gredst.cut.empty()) break;
        undo_cut(d);
        v.request(ViewRequest::repeat);
        return;
      case kReplot: v.request(ViewRequest::repeat); return;
      case kDone:
        commit_cut(d);
        v.request(ViewRequest::replot);
        return;
      default:
        if (run_cut(d, sel)) {
          v.request(ViewRequest::repeat);
          return;
        }
        break;
    }
  }
}

}  // namespace sketra
