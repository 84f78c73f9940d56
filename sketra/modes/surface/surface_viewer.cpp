// The triangulated-surface viewer: entry, view callback and the menu
// entries Nearest, Examine, Grid, Alter, Map, Inquire, Write, Shading,
// area_plot and help.

#include "sketra/modes/surface/surface_viewer.h"

#include <algorithm>
#include <cmath>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/alter.h"
#include "sketra/modes/common/classes.h"
#include "sketra/modes/surface/surface_files.h"
#include "sketra/modes/surface/surface_inquire.h"
#include "sketra/modes/surface/surface_internal.h"
#include "sketra/ui/dialogs.h"

namespace sketra {

SurfaceState grtrs;

void surface_reset() { grtrs = SurfaceState{}; }

const TriangleIndex& SurfaceView::index() {
  if (!indexed_) {
    index_ = TriangleIndex(data);
    indexed_ = true;
  }
  return index_;
}

namespace {

constexpr int kPointMark = 1405;  // marker of a point the viewer reports on

void mark(float x, float y) {
  grmov2(x, y);
  grsymb(kPointMark);
  grdump();
}

void initialise(ViewContext& v, SurfaceView& sv, std::vector<float>& levels, int word) {
  const SurfaceData& s = sv.data;
  float x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY, fmin = 9.0e10f;
  for (std::size_t i = 0; i < s.nodes(); ++i) {
    x0 = std::min(x0, s.x[i]), x1 = std::max(x1, s.x[i]);
    y0 = std::min(y0, s.y[i]), y1 = std::max(y1, s.y[i]);
  }
  const std::size_t nv = s.per_triangle ? s.triangles.size() : s.nodes();
  for (std::size_t i = 0; i < nv; ++i)
    if (s.value[i] > grtrs.zndt) fmin = std::min(fmin, s.value[i]);
  if (!(x0 <= x1)) x0 = x1 = 0;
  if (!(y0 <= y1)) y0 = y1 = 0;
  const double xo = grcomn.xorgr, yo = grcomn.yorgr;
  v.w = {x0 + xo, x1 + xo, y0 + yo, y1 + yo};
  grtrs.fmin = fmin;
  grclass.value_min = fmin;
  grtrs.iopt5 = word / 16;
  const int r = word % 16;
  grtrs.iopt2 = (r % 4) / 2;
  if ((r % 8) / 4 == 1 || levels.empty()) {
    const int n = int(std::min<std::size_t>(nv, std::size_t(INT32_MAX)));
    grcfil(s.value.first(std::size_t(n)), n, 1, n, class_count(), levels, grtrs.zndt);
  }
  v.set_entries(surface_entries(sv));
}

void nearest(SurfaceView& sv, float px, float py) {
  const TriangleIndex::Hit h = sv.index().find(px, py);
  if (!h.found()) return;
  const SurfaceData& s = sv.data;
  const Triangle& t = s.triangles[std::size_t(h.triangle)];
  const std::int32_t node = h.corner == 1 ? t.a : h.corner == 2 ? t.b : t.c;
  const std::size_t k = std::size_t(node - 1);
  const float value = s.per_triangle ? s.value[std::size_t(h.triangle)] : s.value[k];
  mark(s.x[k], s.y[k]);
  grflip();
  grmesg("(X,Y):" + fmt_f(double(s.x[k]) + grcomn.xorgr, 11, 2) + fmt_f(double(s.y[k]) + grcomn.yorgr, 11, 2) +
         " (I):" + fmt_i(node, 8) + " F:" + fmt_f(value, 10, 3));
}

void examine(SurfaceView& sv, float px, float py) {
  const TriangleIndex::Hit h = sv.index().find(px, py);
  if (!h.found()) return;
  const SurfaceData& s = sv.data;
  const double X = double(px) + grcomn.xorgr, Y = double(py) + grcomn.yorgr;
  grmesg("(X,Y):" + fmt_f(X, 12, 2) + fmt_f(Y, 12, 2) + "  F:" + fmt_f(h.value, 12, 2));
  mark(px, py);
  unit_write(grcomn.joutgr, ListLine().d(X).d(Y).r(h.value).text(" /").str());
  // The contour line at the value found, through every triangle it crosses.
  const float level[] = {h.value};
  grcolr(grtrs.imcol);
  for (std::size_t t = 0; t < s.triangles.size(); ++t) {
    const Triangle& tr = s.triangles[t];
    const float cx[3] = {s.x[std::size_t(tr.a - 1)], s.x[std::size_t(tr.b - 1)], s.x[std::size_t(tr.c - 1)]};
    const float cy[3] = {s.y[std::size_t(tr.a - 1)], s.y[std::size_t(tr.b - 1)], s.y[std::size_t(tr.c - 1)]};
    const float cv[3] = {s.corner_value(t, 0), s.corner_value(t, 1), s.corner_value(t, 2)};
    const auto [lo, hi] = std::minmax({cv[0], cv[1], cv[2]});
    if (lo < h.value && h.value < hi) grmon2(cx, cy, cv, level);
  }
  grdump();
  grflip();
}

// Edges on are drawn at once; off needs the picture drawn again.
void toggle_grid(ViewContext& v, const SurfaceData& s) {
  grtrs.iopt9 = 1 - grtrs.iopt9;
  if (grtrs.iopt9 == 1) {
    detail::draw_edges(s);
    grflip();
  } else {
    v.request(ViewRequest::replot);
  }
}

void alter(ViewContext& v, const SurfaceData& s) {
  const std::size_t n = s.nodes();
  if (gralter(s.x.first(n), s.y.first(n), s.value.first(n), {}, grtrs.zndt) == kAlterReplot)
    v.request(ViewRequest::repeat);
}

// Each node gets a third of the signed area of every triangle it belongs
// to (positive for counter-clockwise corners).
void area_plot(ViewContext& v, const SurfaceData& s) {
  std::fill(s.value.begin(), s.value.begin() + std::ptrdiff_t(s.nodes()), 0.0f);
  for (const Triangle& t : s.triangles) {
    const std::size_t a = std::size_t(t.a - 1), b = std::size_t(t.b - 1), c = std::size_t(t.c - 1);
    const float area = 0.5f * ((s.y[b] - s.y[c]) * s.x[a] - (s.y[a] - s.y[c]) * s.x[b] + (s.y[a] - s.y[b]) * s.x[c]);
    s.value[a] += area / 3.0f;
    s.value[b] += area / 3.0f;
    s.value[c] += area / 3.0f;
  }
  grcomt.subtitle = fixed_width("Cell-Area [m2]", kTitleWidth);
  v.request(ViewRequest::original);
}

void help() {
  const std::vector<std::string> lines = {"Options:",
                                          "Nearest  queries for nearest node.",
                                          "Examine  gives value at current cursor location.",
                                          "Grid     displays edges of mesh.",
                                          "Alter    for editing z-values of nodes.",
                                          "Map      for mapping points on current mesh.",
                                          "Inquire  to query z-values for given points.",
                                          "Write    stores data in different file formats.",
                                          "Shading  displays shaded view of current data.",
                                          "area_plot  displays area of elements."};
  grtext(lines);
}

}  // namespace

std::vector<ModeEntry> surface_entries(SurfaceView& sv) {
  SurfaceView* s = &sv;
  // The entries that read or change values by node are off when the values
  // are per triangle.
  const bool by_node = !sv.data.per_triangle;
  std::vector<ModeEntry> e = {
      {"<NNearest", [s](ViewContext& v) { nearest(*s, v.x, v.y); }},
      {"<EExamine", [s](ViewContext& v) { examine(*s, v.x, v.y); }},
      {" GGrid", [s](ViewContext& v) { toggle_grid(v, s->data); }},
      {" AAlter", [s](ViewContext& v) { alter(v, s->data); }},
      {" MMap", [s](ViewContext& v) { detail::map_menu(*s, v); }},
      {" IInquire", [s](ViewContext& v) { inquire_menu(v, *s); }},
      {" WWrite", [s](ViewContext&) { detail::write_menu(s->data); }},
      {" SShading", [](ViewContext& v) {
         if (grshade()) v.request(ViewRequest::replot);
       }},
      {"  area_plot", [s](ViewContext& v) { area_plot(v, s->data); }},
      {" ??", [](ViewContext&) { help(); }},
  };
  if (!by_node) {
    static constexpr std::string_view kOff[] = {"-GGrid", "-AAlter", "-MMap", "-IInquire", "-WWrite", "- area_plot"};
    const int off[] = {2, 3, 4, 5, 6, 8};
    for (int k = 0; k < 6; ++k) e[std::size_t(off[k])] = {kOff[k], {}};
  }
  return e;
}

void grtri1(ViewContext& v, SurfaceView& sv, std::vector<float>& levels, int word) {
  const int n = class_count();
  if (levels.size() < std::size_t(n) && !levels.empty()) levels.resize(std::size_t(n), levels.back());
  switch (v.code) {
    case kViewExtents: initialise(v, sv, levels, word); return;
    case kViewDraw:
      draw_surface(sv, std::span<const float>(levels.data(), std::min(levels.size(), std::size_t(n))),
                   [&v] { return v.interrupted(); });
      return;
    case kViewOverlay: grkey2(levels, 1, grtrs.imcol); return;
    case kViewClick:
      if (grkey2(levels, -1, grtrs.imcol) == KeyClick::claimed) v.request(ViewRequest::replot);
      return;
    default: return;
  }
}

bool grtrig(const SurfaceData& s, PlotTitles& titles, std::vector<float>& levels, int options, int word,
            std::array<double, 2> origin) {
  if (word < 1 || word > 31) return false;
  SurfaceView sv(s);
  sv.data.per_triangle = word / 16 == 1;
  if (!sv.data.valid()) {
    grmesg("surface has bad triangles");
    return false;
  }
  // The plot origin is the surface's while the view runs.
  struct OriginGuard {
    double x = grvalu8("XORGR"), y = grvalu8("YORGR");
    ~OriginGuard() {
      grvalu8("XORGR", x);
      grvalu8("YORGR", y);
    }
  } guard;
  grvalu8("XORGR", origin[0]);
  grvalu8("YORGR", origin[1]);
  grcomn.ikeygr = std::max(grcomn.ikeygr, 1);
  // The index is built before the first picture, so that Nearest and
  // Examine answer at once (about 0.1 s for 2,000,000 triangles).
  sv.index();
  grctrl([&](ViewContext& v) { grtri1(v, sv, levels, word); }, options, titles);
  return true;
}

}  // namespace sketra
