// The Filter entry: merging points at one location (Nodes), thinning
// breaklines (Weed), removing free points near breaklines (Buffer),
// ordering edges into chains (Join), closed polygons and points inside
// them (Holes) and splitting long edges (SplitEdge).
//
// Each operation gives the result of a plain scan over all points or
// edges, found faster: Nodes and Buffer ask a bucket grid for the
// candidates and apply the scan's exact test to them in the scan's order;
// Weed thins with an explicit stack; Join finds "the first later edge at a
// point" from a lazy min-heap of edge positions per point.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <queue>

#include "sketra/base/index_sort.h"
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

constexpr int kDropMark = 1402;  // a point a filter removed or a vertex it dropped
constexpr int kNewMark = 1405;   // a point a filter added

std::vector<std::int32_t> live_points(const EditData& d, bool free_only) {
  std::vector<std::int32_t> p;
  for (std::int32_t i = 1; i <= d.np(); ++i)
    if (d.pcode(i) > 0 && (!free_only || d.pcode(i) % 100 == 1)) p.push_back(i);
  return p;
}

// Edges at each point (index 1 ... np).
std::vector<std::int32_t> edge_counts(const EditData& d) {
  std::vector<std::int32_t> n(std::size_t(d.np()) + 1, 0);
  for (const korvel::Edge& e : d.seg) ++n[std::size_t(e.a)], ++n[std::size_t(e.b)];
  return n;
}

}  // namespace

// ---------------------------------------------------------------- Nodes

std::int64_t filter_nodes(EditData& d, float tol, NodeValue rule, StopCheck* stop) {
  const std::vector<std::int32_t> codes_before = stop ? d.code : std::vector<std::int32_t>{};
  const std::vector<float> z_before = stop ? d.z : std::vector<float>{};
  std::vector<std::int32_t> ord;
  grqsrt(ord, std::span<const float>(d.x));
  std::vector<std::int32_t> rank(std::size_t(d.np()) + 1, 0);
  for (std::size_t r = 0; r < ord.size(); ++r) rank[std::size_t(ord[r]) + 1] = std::int32_t(r);
  const std::vector<std::int32_t> live = live_points(d, false);
  const double t = tol, t2 = t * t;
  const detail::BucketGrid grid(d.x, d.y, live, std::max(t, 1e-6));
  std::int64_t merged = 0, step = 0;
  for (const std::int32_t o : ord) {
    if (stop && (*stop)(++step)) {
      d.code = codes_before, d.z = z_before;
      return 0;
    }
    const std::int32_t p = o + 1;
    if (d.pcode(p) <= 0) continue;
    const double px = d.px(p), py = d.py(p);
    float& z = d.pz(p);
    grid.visit(px - t, py - t, px + t, py + t, [&](std::int32_t q) {
      if (rank[std::size_t(q)] <= rank[std::size_t(p)] || d.pcode(q) <= 0) return;
      const double dx = double(d.px(q)) - px, dy = double(d.py(q)) - py;
      if (!(dx <= t) || dx * dx + dy * dy > t2) return;  // the sorted scan's window, then the distance
      if (rule == NodeValue::minimum) z = std::min(z, d.pz(q));
      if (rule == NodeValue::maximum) z = std::max(z, d.pz(q));
      d.pcode(q) = -p;
      ++merged;
    });
  }
  grclne(d.code, d.seg);
  return merged;
}

// ---------------------------------------------------------------- Weed

namespace {

// The vertex of chain v between a and b that lies farthest from the chord
// a-b and more than htol from it (z scaled by zscale); the middle when a
// and b lie less than 0.1 apart; -1 when none.
std::int64_t grweed(const EditData& d, std::span<const std::int32_t> v, std::int64_t a, std::int64_t b,
                    double htol, double zscale) {
  const auto P = [&](std::int64_t k, double& x, double& y, double& z) {
    const std::int32_t p = v[std::size_t(k)];
    x = d.px(p), y = d.py(p), z = double(d.pz(p)) * zscale;
  };
  double ax, ay, az, bx, by, bz;
  P(a, ax, ay, az), P(b, bx, by, bz);
  const double cx = bx - ax, cy = by - ay, cz = bz - az, len = std::sqrt(cx * cx + cy * cy + cz * cz);
  if (len < 0.1) return (a + b) / 2;
  double best = htol;
  std::int64_t found = -1;
  for (std::int64_t k = a + 1; k < b; ++k) {
    double px, py, pz;
    P(k, px, py, pz);
    const double wx = px - ax, wy = py - ay, wz = pz - az;
    const double ux = cy * wz - cz * wy, uy = cz * wx - cx * wz, uz = cx * wy - cy * wx;
    const double dist = std::sqrt(ux * ux + uy * uy + uz * uz) / len;
    if (dist > best) best = dist, found = k;
  }
  return found;
}

// Thins one chain (vertices v): the kept vertices in order.
std::vector<std::int32_t> thin(const EditData& d, std::span<const std::int32_t> v, double htol, double zscale) {
  std::vector<char> kept(v.size(), 0);
  kept.front() = kept.back() = 1;
  std::vector<std::pair<std::int64_t, std::int64_t>> stack{{0, std::int64_t(v.size()) - 1}};
  while (!stack.empty()) {
    const auto [a, b] = stack.back();
    stack.pop_back();
    if (b - a < 2) continue;
    const std::int64_t r = grweed(d, v, a, b, htol, zscale);
    if (r < 0) continue;
    kept[std::size_t(r)] = 1;
    stack.emplace_back(a, r);
    stack.emplace_back(r, b);
  }
  std::vector<std::int32_t> out;
  for (std::size_t k = 0; k < v.size(); ++k)
    if (kept[k]) out.push_back(v[k]);
    else detail::mark_point(d.px(v[k]), d.py(v[k]), kDropMark);
  return out;
}

}  // namespace

WeedResult filter_weed(EditData& d, float htol, float vtol, StopCheck* stop) {
  grclne(d.code, d.seg);
  WeedResult r{d.nseg(), 0};
  const double zscale = double(htol) / std::max(double(vtol), 0.001);
  const std::vector<std::int32_t> deg = edge_counts(d);
  std::vector<korvel::Edge> out;
  out.reserve(d.seg.size());
  std::vector<std::int32_t> chain;
  std::size_t s = 0;
  while (s < d.seg.size()) {
    if (stop && (*stop)(std::int64_t(s))) return {r.before, r.before};  // nothing rewritten yet
    std::size_t e = s;
    while (e + 1 < d.seg.size() && d.seg[e + 1].a == d.seg[e].b && deg[std::size_t(d.seg[e].b)] < 3) ++e;
    chain.assign(1, d.seg[s].a);
    for (std::size_t k = s; k <= e; ++k) chain.push_back(d.seg[k].b);
    const std::vector<std::int32_t> kept = thin(d, chain, htol, zscale);
    for (std::size_t k = 0; k + 1 < kept.size(); ++k) out.push_back(korvel::Edge{kept[k], kept[k + 1]});
    grbeam(std::int64_t(e), std::int64_t(d.seg.size()), "weeding");
    s = e + 1;
  }
  d.seg.swap(out);
  grclne(d.code, d.seg);
  r.after = d.nseg();
  return r;
}

// ---------------------------------------------------------------- Buffer

std::int64_t filter_buffer(EditData& d, float size, StopCheck* stop) {
  grclne(d.code, d.seg);
  const std::vector<std::int32_t> free = live_points(d, true);
  const double s = size;
  const detail::BucketGrid grid(d.x, d.y, free, std::max(s, 1e-6));
  const std::vector<std::int32_t> codes_before = stop ? d.code : std::vector<std::int32_t>{};
  std::int64_t removed = 0;
  for (std::size_t k = 0; k < d.seg.size(); ++k) {
    if (stop && (*stop)(std::int64_t(k))) {
      d.code = codes_before;
      return 0;
    }
    const korvel::Edge e = d.seg[k];
    const float x1 = d.px(e.a), y1 = d.py(e.a), x2 = d.px(e.b), y2 = d.py(e.b);
    grid.visit(std::min(x1, x2) - s, std::min(y1, y2) - s, std::max(x1, x2) + s, std::max(y1, y2) + s,
               [&](std::int32_t p) {
                 if (d.pcode(p) <= 0 || d.pcode(p) % 100 != 1) return;
                 if (!(std::fabs(rgdist(x1, y1, x2, y2, d.px(p), d.py(p), 1)) < size)) return;
                 d.pcode(p) = 0;
                 detail::mark_point(d.px(p), d.py(p), kDropMark);
                 ++removed;
               });
    grbeam(std::int64_t(k), std::int64_t(d.seg.size()), "buffering");
  }
  return removed;
}

// ---------------------------------------------------------------- Join

void filter_join(EditData& d, StopCheck* stop) {
  grclne(d.code, d.seg);
  std::vector<korvel::Edge>& seg = d.seg;
  const std::size_t n = seg.size();
  if (n < 2) return;
  // Per point a min-heap of (position, edge) entries; an entry is stale
  // once its edge has moved, and is dropped when it comes to the top.
  using Entry = std::pair<std::int64_t, std::int64_t>;
  using Heap = std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>>;
  std::vector<std::int32_t> slot(std::size_t(d.np()) + 1, -1);
  std::vector<Heap> heaps;
  std::vector<std::int64_t> at(n), pos(n);  // edge at a position, position of an edge
  auto push = [&](std::int32_t p, std::int64_t position, std::int64_t edge) {
    if (slot[std::size_t(p)] < 0) slot[std::size_t(p)] = std::int32_t(heaps.size()), heaps.emplace_back();
    heaps[std::size_t(slot[std::size_t(p)])].emplace(position, edge);
  };
  std::vector<korvel::Edge> edge(seg);  // by edge number; ends turned as the edges are
  for (std::size_t k = 0; k < n; ++k) {
    at[k] = pos[k] = std::int64_t(k);
    push(edge[k].a, std::int64_t(k), std::int64_t(k));
    push(edge[k].b, std::int64_t(k), std::int64_t(k));
  }
  for (std::size_t i = 0; i + 1 < n; ++i) {
    if (stop && (*stop)(std::int64_t(i))) return;  // the table is written only at the end
    const std::int32_t p = edge[std::size_t(at[i])].b;
    Heap& h = heaps[std::size_t(slot[std::size_t(p)])];
    while (!h.empty() && (h.top().first <= std::int64_t(i) || pos[std::size_t(h.top().second)] != h.top().first)) h.pop();
    if (h.empty()) continue;
    const std::int64_t j = h.top().first, id = h.top().second;
    korvel::Edge& e = edge[std::size_t(id)];
    if (e.a != p) std::swap(e.a, e.b);
    if (j != std::int64_t(i) + 1) {
      const std::int64_t displaced = at[i + 1];
      at[i + 1] = id, pos[std::size_t(id)] = std::int64_t(i) + 1;
      at[std::size_t(j)] = displaced, pos[std::size_t(displaced)] = j;
      push(edge[std::size_t(displaced)].a, j, displaced);
      push(edge[std::size_t(displaced)].b, j, displaced);
    }
    grbeam(std::int64_t(i), std::int64_t(n), "joining edges");
  }
  for (std::size_t k = 0; k < n; ++k) seg[k] = edge[std::size_t(at[k])];
}

// ---------------------------------------------------------------- Holes

std::int64_t filter_holes(const EditData& d, int unit) {
  const std::vector<korvel::Edge>& seg = d.seg;
  std::vector<Polygon> rings;
  std::size_t s = 0;
  while (s < seg.size()) {
    std::size_t e = s;
    while (e + 1 < seg.size() && seg[e + 1].a == seg[e].b) ++e;
    if (seg[e].b == seg[s].a && e > s) {
      Polygon p;
      for (std::size_t k = s; k <= e; ++k) p.x.push_back(d.px(seg[k].a)), p.y.push_back(d.py(seg[k].a));
      p.box = polygon_box(p.x, p.y);
      rings.push_back(std::move(p));
    }
    s = e + 1;
  }
  const double xo = grcomn.xorgr, yo = grcomn.yorgr;
  unit_write(unit, "VERTICES");
  for (std::size_t r = 0; r < rings.size(); ++r) {
    for (std::size_t k = 0; k < rings[r].x.size(); ++k)
      unit_write(unit, fmt_f(rings[r].x[k] + xo, 12, 2) + fmt_f(rings[r].y[k] + yo, 12, 2) + " /");
    grbeam(std::int64_t(r), std::int64_t(rings.size()), "writing closed polygons");
  }
  unit_write(unit, "END");
  unit_write(unit, "");
  unit_write(unit, "HOLES");
  std::int64_t found = 0;
  for (std::size_t r = 0; r < rings.size(); ++r) {
    const Polygon& p = rings[r];
    const float w = p.box.xmax - p.box.xmin, h = p.box.ymax - p.box.ymin;
    bool done = false;
    for (int i = 11; i <= 30 && !done; ++i)
      for (int j = 11; j <= 30 && !done; ++j) {
        const float hx = p.box.xmin + float(i % 20) * 0.05f * w, hy = p.box.ymin + float(j % 20) * 0.05f * h;
        if (igpoly(p.x, p.y, hx, hy) != 1) continue;
        ++found;
        unit_write(unit, fmt_i(found, 4) + fmt_f(hx + xo, 12, 2) + fmt_f(hy + yo, 12, 2) + " /");
        detail::mark_point(hx, hy, kNewMark);
        done = true;
      }
    grbeam(std::int64_t(r), std::int64_t(rings.size()), "writing holes");
  }
  return found;
}

// ---------------------------------------------------------------- SplitEdge

bool filter_split(EditData& d, float dmax) {
  grclne(d.code, d.seg);
  // Count first: nothing is added unless everything fits.
  std::int64_t more = 0;
  std::vector<std::int64_t> parts(d.seg.size(), 0);
  for (std::size_t k = 0; k < d.seg.size(); ++k) {
    const korvel::Edge e = d.seg[k];
    const double len = std::hypot(double(d.px(e.b)) - d.px(e.a), double(d.py(e.b)) - d.py(e.a));
    if (len > dmax) parts[k] = std::int64_t(std::min(len / dmax, 4.0e9));
    more += parts[k];
    if (more > std::int64_t(d.max_points)) break;
  }
  if (!d.room_for_points(more) || !d.room_for_edges(more)) {
    grmesg("no room for" + fmt_i(more, 10) + " new points");
    return false;
  }
  std::vector<korvel::Edge> out;
  out.reserve(d.seg.size() + std::size_t(more));
  for (std::size_t k = 0; k < d.seg.size(); ++k) {
    const korvel::Edge e = d.seg[k];
    std::int32_t from = e.a;
    const std::int64_t n = parts[k];
    for (std::int64_t i = 1; i <= n; ++i) {
      const float t = float(double(i) / double(n + 1));
      const float x = d.px(e.a) + t * (d.px(e.b) - d.px(e.a)), y = d.py(e.a) + t * (d.py(e.b) - d.py(e.a));
      const std::int32_t p = d.add_point(x, y, d.pz(e.a) + t * (d.pz(e.b) - d.pz(e.a)), 1);
      detail::mark_point(x, y, kNewMark);
      out.push_back(korvel::Edge{from, p});
      from = p;
    }
    out.push_back(korvel::Edge{from, e.b});
  }
  d.seg.swap(out);
  grclne(d.code, d.seg);
  return true;
}

// ---------------------------------------------------------------- the menu

namespace {

// A form of number fields; false when cancelled or a value is bad (said).
bool ask(std::span<std::string> prompts, std::span<std::string> values, std::span<double> out) {
  if (!grinfo(prompts, values)) return false;
  std::string first(trim(values[0]));
  for (char& c : first) c = char(std::tolower(static_cast<unsigned char>(c)));
  if (first == "cancel") return false;
  for (std::size_t k = 0; k < out.size(); ++k)
    if (!detail::form_number(prompts[k], values[k], out[k])) return false;
  return true;
}

// The stop check of an operation run from the menu: Escape, a click or a
// control-menu entry stops it.
StopCheck menu_stop(ViewContext& v) { return StopCheck{[&v] { return v.interrupted(); }}; }

// True (and said) when the operation was stopped.
bool stopped(const StopCheck& s) {
  if (s.stopped) grmesg("interrupted: nothing changed");
  return s.stopped;
}

void nodes(ViewContext& v, EditData& d) {
  std::string prompts[] = {"Tolerance [m]", "Value"};
  std::string values[] = {fmt_f(gredst.node_tolerance, 10, 3), "|" + std::to_string(gredst.node_value) + "|first|minimum|maximum"};
  double tol = 0;
  if (!ask(prompts, values, std::span<double>(&tol, 1))) return;
  int rule = 0;
  choice_options(values[1], rule);
  if (tol < 0) {
    grmesg("bad value for Tolerance [m]");
    return;
  }
  gredst.node_tolerance = float(tol);
  gredst.node_value = std::clamp(rule, 1, 3);
  StopCheck stop = menu_stop(v);
  const std::int64_t n = filter_nodes(d, float(tol), NodeValue(gredst.node_value), &stop);
  if (!stopped(stop)) grmesg("REMOVED" + fmt_i(n, 9) + " NODE(S)");
}

void weed(ViewContext& v, EditData& d) {
  std::string prompts[] = {"xy-tolerance [m]", "z -tolerance [m]"};
  std::string values[] = {fmt_f(gredst.htol, 10, 3), fmt_f(gredst.vtol, 10, 3)};
  double tol[2] = {};
  if (!ask(prompts, values, tol)) return;
  if (tol[0] < 0) {
    grmesg("bad value for xy-tolerance [m]");
    return;
  }
  gredst.htol = float(tol[0]);
  gredst.vtol = float(std::max(tol[1], 0.001));
  StopCheck stop = menu_stop(v);
  const WeedResult r = filter_weed(d, gredst.htol, gredst.vtol, &stop);
  if (!stopped(stop) && r.before > 0) grmesg("DEFLATED TO" + fmt_i(r.after * 100 / r.before, 3) + "%");
}

void buffer(ViewContext& v, EditData& d) {
  float size = gredst.buffer;
  if (!grinpf("Size of buffer [m]", size)) return;
  if (!std::isfinite(size) || size <= 0 || size > detail::kFormLimit) {
    grmesg("bad value for Size of buffer [m]");
    return;
  }
  gredst.buffer = size;
  StopCheck stop = menu_stop(v);
  const std::int64_t n = filter_buffer(d, size, &stop);
  if (!stopped(stop)) grmesg("BUFFERED" + fmt_i(n, 6) + " NODE(S)");
}

void split(EditData& d) {
  std::string prompts[] = {"max_distance [m]"};
  std::string values[] = {fmt_f(gredst.dmax, 10, 3)};
  double v = 0;
  if (!ask(prompts, values, std::span<double>(&v, 1))) return;
  if (!(v > 0)) {
    grmesg("max_distance must be above 0");
    return;
  }
  gredst.dmax = float(v);
  filter_split(d, gredst.dmax);
}

void help() {
  const std::vector<std::string> lines = {"FILTER options",
                                          "Nodes   removes nodes at equal location",
                                          "Weed    reduces vertices on breaklines with Douglas-Peuker algorithm",
                                          "Buffer  removes nodes near breaklines",
                                          "Join    joins adjacent edges to arcs",
                                          "Holes   extracts closed polygons from data and stores midpoints on output file",
                                          "Split   split long edges to max_distance"};
  grtext(lines);
}

}  // namespace

void filter_menu(ViewContext& v, EditData& d) {
  for (;;) {
    const bool edges = d.nseg() > 0;
    const std::string f = edges ? " " : "-";
    const std::vector<std::string> captions = {f + "NNodes ", f + "WWeed  ", f + "BBuffer", f + "JJoin  ",
                                               f + "HHoles ", " SSplitEdge", " ??", " DDone  "};
    int sel = kMenuColumn;
    float x = 0, y = 0;
    grcurs(captions, sel, x, y);
    switch (sel) {
      case 1: nodes(v, d); break;
      case 2: weed(v, d); break;
      case 3: buffer(v, d); break;
      case 4: {
        StopCheck stop = menu_stop(v);
        filter_join(d, &stop);
        stopped(stop);
        break;
      }
      case 5: grmesg("FOUND" + fmt_i(filter_holes(d, grcomn.joutgr), 5) + " POLYGONS"); break;
      case 6: split(d); break;
      case 7: help(); continue;
      case 8: v.request(ViewRequest::replot); return;
      default:
        if (sel == 0 && detail::nobody_answers()) return;
        continue;
    }
    // The picture shows the change, then the submenu comes back.
    v.request(ViewRequest::repeat);
    return;
  }
}

}  // namespace sketra
