// The point and line editor: entry, view callback, drawing, and the menu
// entries Nearest, Label, Transform, Info and help.

#include "sketra/modes/editor/editor_viewer.h"

#include <algorithm>
#include <cmath>

#include "sketra/base/textfmt.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/classes.h"
#include "sketra/modes/editor/editor_internal.h"
#include "sketra/ui/dialogs.h"

namespace sketra {

EditorState gredst;

void editor_reset() { gredst = EditorState{}; }

namespace {

constexpr int kPollPoints = 1 << 16;  // points drawn between looks at the menu

// The z label of a point: 10 characters, 3 decimals below 100, else 2; a
// trailing zero and then a second one are blanked.
std::string z_label(float z) {
  std::string s = fmt_f(z, 10, z < 100 ? 3 : 2);
  for (int k = 0; k < 2 && !s.empty() && s.back() == '0'; ++k) s.back() = ' ';
  return s;
}

bool draw_points(const EditData& d, const std::function<bool()>& stop) {
  for (std::int32_t i = 1; i <= d.np(); ++i) {
    if (stop && i % kPollPoints == 0 && stop()) return false;
    const std::int32_t c = d.pcode(i);
    if (c <= 0 || c % 100 != 1) continue;
    grmov3(d.px(i), d.py(i), d.pz(i));
    grsymb(c);
  }
  return true;
}

bool draw_edges(const EditData& d, const std::function<bool()>& stop) {
  std::int32_t last = 0;
  int colour = grcomn.current_colour;
  for (std::int32_t k = 0; k < d.nseg(); ++k) {
    if (stop && (k + 1) % kPollPoints == 0 && stop()) return false;
    const korvel::Edge& e = d.seg[std::size_t(k)];
    const int c = d.pcode(e.a) / 100;
    if (c != colour) {
      grcolr(c);
      colour = c;
      last = 0;
    }
    if (e.a != last) grmov3(d.px(e.a), d.py(e.a), d.pz(e.a));
    grdrw3(d.px(e.b), d.py(e.b), d.pz(e.b));
    last = e.b;
  }
  grdump();
  return true;
}

void draw_labels(const EditData& d) {
  for (std::int32_t i = 1; i <= d.np(); ++i) {
    const std::int32_t c = d.pcode(i);
    if (c <= 0 || c % 100 < 1) continue;
    grmov3(d.px(i), d.py(i), d.pz(i));
    const int s = c % 100;
    if (s == 2) grsymb(-704);
    else if (s == 3) grsymb(-705);
    else if (s > 3) grsymb(-703);
    if (gredst.ilabel == 2) granot(z_label(d.pz(i)), 0);
  }
  grdump();
}

void initialise(ViewContext& v, EditData& d) {
  float x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY, zmin = 9.0e10f;
  for (std::int32_t i = 1; i <= d.np(); ++i) {
    if (d.pcode(i) <= 0) continue;
    x0 = std::min(x0, d.px(i)), x1 = std::max(x1, d.px(i));
    y0 = std::min(y0, d.py(i)), y1 = std::max(y1, d.py(i));
    if (d.pz(i) > -9998.0f) zmin = std::min(zmin, d.pz(i));
  }
  if (x0 > x1) x0 = x1 = y0 = y1 = 0;  // nothing live: a window at the origin
  if (x0 == x1) x0 -= 1, x1 += 1;
  if (y0 == y1) y0 -= 1, y1 += 1;
  const double xo = grcomn.xorgr, yo = grcomn.yorgr;
  v.w = {x0 + xo, x1 + xo, y0 + yo, y1 + yo};
  grclass.value_min = zmin;
  v.set_entries(editor_entries(d));
}

void nearest(const EditData& d) {
  const std::int32_t i = igrnear(d, 0);
  if (i == 0) return;
  const float x = d.px(i), y = d.py(i), z = d.pz(i);
  double slope = 0;
  if (gredst.ii0 > 0) {
    const double dist = std::max(0.0001, std::hypot(double(x) - gredst.xs, double(y) - gredst.ys));
    slope = (double(gredst.zs) - z) / dist * 100;
  }
  grmesg("(X,Y):" + fmt_f(double(x) + grcomn.xorgr, 12, 2) + fmt_f(double(y) + grcomn.yorgr, 12, 2) + " z=" +
         fmt_f(z, 8, 2) + " IPT" + fmt_i(i, 8) + " Slp" + fmt_f(slope, 7, 2) + "%");
  gredst.xs = x, gredst.ys = y, gredst.zs = z, gredst.ii0 = i;
}

void info(const EditData& d) {
  long long nodes = 0, vertices = 0;
  for (const std::int32_t c : d.code) {
    if (c <= 0) continue;
    if (c % 100 == 1) ++nodes;
    else if (c % 100 > 1) ++vertices;
  }
  const std::vector<std::string> lines = {"Nodes   =" + fmt_i(nodes, 10), "Vertices=" + fmt_i(vertices, 10),
                                          "Edges   =" + fmt_i(d.nseg(), 10)};
  grtext(lines);
}

void help() {
  const std::vector<std::string> lines = {"EDIT options",
                                          "Nearest    queries for nearest node",
                                          "Label      shows symbols and values of vertices",
                                          "Cut        removes nodes, vertices and edges",
                                          "Filter     cleans nodes and breaklines",
                                          "Alter      changes z-values and positions",
                                          "New        adds nodes, lines and edges",
                                          "Transform  move and rotate xy-axis",
                                          "Move       move and rotate manualy",
                                          "Write      stores nodes and lines on file",
                                          "Info       counts nodes, vertices and edges"};
  grtext(lines);
}

}  // namespace

std::vector<ModeEntry> editor_entries(EditData& d) {
  EditData* data = &d;
  std::vector<ModeEntry> entries = {
      {"<NNearest", [data](ViewContext&) { nearest(*data); }},
      {" LLabel", [](ViewContext& v) {
         gredst.ilabel = (gredst.ilabel + 1) % 3;
         v.request(ViewRequest::replot);
       }},
      {" CCut", [data](ViewContext& v) { cut_menu(v, *data); }},
      {" FFilter", [data](ViewContext& v) { filter_menu(v, *data); }},
      {" AAlter", [data](ViewContext& v) { detail::alter_menu(v, *data); }},
      {" 6New", [data](ViewContext& v) { detail::new_menu(v, *data); }},
      {"-SSymbol", {}},
      {" TTransform", [data](ViewContext& v) {
         if (detail::transform(*data)) v.request(ViewRequest::replot);
       }},
      {" MMove", [data](ViewContext& v) { detail::move_menu(v, *data); }},
      {" WWrite", [data](ViewContext&) { write_edit(*data); }},
      {" IInfo", [data](ViewContext&) { info(*data); }},
      {" ??", [](ViewContext&) { help(); }},
      {"", {}},
  };
  // Cut may be left for another entry (Escape during its redraw, then a
  // click): a cut still pending is committed before any other entry runs.
  for (std::size_t k = 0; k < entries.size(); ++k) {
    if (k == 2 || !entries[k].run) continue;
    entries[k].run = [data, run = std::move(entries[k].run)](ViewContext& v) {
      commit_cut(*data);
      run(v);
    };
  }
  return entries;
}

bool draw_edit(const EditData& d, const std::function<bool()>& stop) {
  const int colour = grcomn.current_colour;
  bool done = draw_points(d, stop) && draw_edges(d, stop);
  grcolr(colour);
  if (done && gredst.ilabel > 0) draw_labels(d);
  grdump();
  return done;
}

void gredi1(ViewContext& v, EditData& d) {
  switch (v.code) {
    case kViewExtents: initialise(v, d); return;
    case kViewDraw:
      grclne(d.code, d.seg);
      draw_edit(d, [&v] { return v.interrupted(); });
      return;
    case kViewOverlay:
      if (gredst.xcent > -99998.0f && gredst.ycent > -99998.0f) detail::mark_point(gredst.xcent, gredst.ycent, detail::kCentreMark);
      return;
    default: return;
  }
}

void gredit(EditData& d, PlotTitles& titles, Cplot* cplot) {
  if (!d.valid()) {
    grmesg("point columns and edges do not agree");
    return;
  }
  grctrl([&d](ViewContext& v) { gredi1(v, d); }, 0, titles, cplot);
  commit_cut(d);
}

}  // namespace sketra
