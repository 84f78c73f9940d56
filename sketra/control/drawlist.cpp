// Free drawing on the plot (grdraw) and the plot list it builds.
//
// The plot list holds what the person put on the plot: texts, lines,
// filled polygons, circles, symbols, north arrows and scale bars, at most
// 400 items. It is drawn at every redraw of the display-mode loop, after
// the keep files, and emptied whenever a display mode is entered.
//
// Items are stored in the order they were made. A line is a move item
// followed by draw items; a polygon a polygon_start item followed by its
// vertices. The current point is where the last item was put; Line and
// Polygon continue from it.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sketra/base/textfmt.h"
#include "sketra/control/control.h"
#include "sketra/control/control_internal.h"
#include "sketra/kernel/device.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra {

PlotList grplst;

namespace {

constexpr int kTextWidth = 64;
constexpr float kScaleBarLength = 500;  // world units (metres): the bar reads 0 ... 0.5 km

// grsymb's code for shape `shape` in colour `colour` (the shape is taken
// from the code's magnitude, the colour from its sign and hundreds).
int symbol_code(int colour, int shape) {
  shape = std::abs(shape) % 100;
  return colour >= 0 ? colour * 100 + shape : colour * 100 - shape;
}

float pixels_to_world(float pixels) { return pixels / std::max(std::fabs(grcomn.yfacgr), 1e-10f); }

void draw_north_arrow(const PlotItem& it) {
  const float h = it.value > 0 ? it.value : pixels_to_world(40);
  const float w = h / 6;
  grcolr(it.colour);
  grmov2(it.x, it.y);
  grdrw2(it.x, it.y + h);
  const float xs[] = {it.x, it.x - w, it.x + w};
  const float ys[] = {it.y + h, it.y + h - 2 * w, it.y + h - 2 * w};
  grfil2(xs, ys, it.colour);
  grmov2(it.x, it.y + h + pixels_to_world(4));
  granot("~~N", 0);
}

void draw_scale_bar(const PlotItem& it) {
  const float h = pixels_to_world(5), half = kScaleBarLength / 2;
  const float xs[] = {it.x, it.x + half, it.x + half, it.x};
  const float ys[] = {it.y, it.y, it.y + h, it.y + h};
  grfil2(xs, ys, it.colour);
  const float xo[] = {it.x, it.x + kScaleBarLength, it.x + kScaleBarLength, it.x};
  grfram(xo, ys, it.colour);
  const float label_y = it.y - pixels_to_world(12);
  const char* labels[] = {"~~0", "~~0.25", "~~0.5"};
  for (int k = 0; k < 3; ++k) {
    grmov2(it.x + float(k) * half, label_y);
    granot(labels[k], 0);
  }
  grmov2(it.x + kScaleBarLength + pixels_to_world(8), label_y);
  granot("km", 0);
}

// Draws items [from, to); a polygon is filled once its run of vertices ends.
void draw_items(std::size_t from, std::size_t to) {
  const auto& items = grplst.items;
  std::vector<float> px, py;
  int poly_colour = 0;
  auto flush_polygon = [&] {
    if (px.size() >= 3) grfil2(px, py, poly_colour);
    px.clear(), py.clear();
  };
  for (std::size_t i = from; i < to; ++i) {
    const PlotItem& it = items[i];
    const bool polygon = it.type == PlotItemType::polygon_start || it.type == PlotItemType::polygon_vertex;
    if (!polygon || it.type == PlotItemType::polygon_start) flush_polygon();
    grdash(1);
    switch (it.type) {
      case PlotItemType::polygon_start:
      case PlotItemType::polygon_vertex:
        poly_colour = it.colour;
        px.push_back(it.x), py.push_back(it.y);
        break;
      case PlotItemType::text: grcolr(it.colour); grmov2(it.x, it.y); granot(it.text, 0); break;
      case PlotItemType::move: grcolr(it.colour); grmov2(it.x, it.y); break;
      case PlotItemType::draw: grcolr(it.colour); grdrw2(it.x, it.y); break;
      case PlotItemType::circle: grcrcl(it.x, it.y, it.value, -99, it.colour); break;
      case PlotItemType::symbol:
        grmov2(it.x, it.y);
        grsymb(symbol_code(it.colour, int(it.value)));
        break;
      case PlotItemType::north_arrow: draw_north_arrow(it); break;
      case PlotItemType::scale_bar: draw_scale_bar(it); break;
    }
  }
  flush_polygon();
  grdump();
}

// The point that Line, Polygon and Circle continue from.
void set_current(float x, float y) {
  grplst.has_current = true;
  grplst.cx = x;
  grplst.cy = y;
}

void report_segment(float x0, float y0, float x1, float y1) {
  const double dx = double(x1) - x0, dy = double(y1) - y0;
  const double dist = std::hypot(dx, dy);
  grplst.sum += float(dist);
  const double angle = dist > 0 ? std::atan2(dy, dx) * 180 / std::numbers::pi : 0.0;
  grmesg("dist=" + fmt_f(dist, 8, 2) + "m sum=" + fmt_f(grplst.sum, 8, 1) + "m angle=" +
         fmt_f(angle, 6, 1) + "deg");
}

// Adds items and shows them at once on the screen.
void add_and_show(std::initializer_list<PlotItem> items) {
  const std::size_t first = grplst.items.size();
  for (const PlotItem& it : items)
    if (!plot_list_add(it)) break;
  if (grplst.items.size() > first) {
    if (first > 0 && grplst.items[first].type == PlotItemType::draw)
      grmov2(grplst.items[first - 1].x, grplst.items[first - 1].y);
    draw_items(first, grplst.items.size());
    grflip();
  }
}

PlotItem item(PlotItemType type, float x, float y, float value = 0) {
  return PlotItem{x, y, value, type, grplst.colour, {}};
}

// Line (polygon = false) or Polygon: a segment from the current point to
// the click. The first click of a run starts at the current point, or at
// the click when there is none.
void add_point(bool polygon, float x, float y, bool continuing) {
  PlotList& l = grplst;
  const PlotItemType start = polygon ? PlotItemType::polygon_start : PlotItemType::move;
  const PlotItemType next = polygon ? PlotItemType::polygon_vertex : PlotItemType::draw;
  if (!l.has_current) {
    l.sum = 0;
    add_and_show({item(start, x, y)});
  } else if (!continuing) {
    l.sum = 0;
    add_and_show({item(start, l.cx, l.cy), item(next, x, y)});
    report_segment(l.cx, l.cy, x, y);
  } else {
    add_and_show({item(next, x, y)});
    report_segment(l.cx, l.cy, x, y);
  }
  set_current(x, y);
}

void attributes() {
  PlotList& l = grplst;
  std::string prompts[] = {"Symbol number", "Color of element", "Radius/N-Arrow"};
  std::string values[] = {std::to_string(l.symbol), std::to_string(l.colour), fmt_f(l.radius, 12, 3)};
  if (!grinfo(prompts, values)) return;
  int symbol = l.symbol, colour = l.colour;
  double radius = l.radius;
  const FreeTarget ts[] = {&symbol}, tc[] = {&colour}, tr[] = {&radius};
  if (read_free(values[0], ts).complete(1)) l.symbol = std::clamp(symbol, 0, 99);
  if (read_free(values[1], tc).complete(1)) l.colour = std::clamp(colour, kLowestFixedColour, 200);
  if (read_free(values[2], tr).complete(1) && std::isfinite(radius)) l.radius = float(std::fabs(radius));
}

void save_to_keep_file() {
  if (!has_file_device_opener(kModeRecord)) {
    grmesg("Keep files are not available in this version");
    return;
  }
  if (grmode(kModeRecord) != kModeRecord) return;
  plot_list_draw();
  grmode(kModeNone);
}

const std::vector<std::string>& draw_help() {
  static const std::vector<std::string> lines = {
      "Draw options (click the entry, then the place on the plot):",
      "  Text       asks for a text and writes it at the place",
      "  Line       a line from the current point to the place",
      "  Polygon    a filled polygon, point by point",
      "  Circle     a circle around the current point through the place",
      "  Symbol     a symbol at the place",
      "  N-Arrow    a north arrow",
      "  Scale_bar  a scale bar of 0.5 km",
      "  Attributes symbol number, colour and radius / arrow size",
      "  Delete     removes the element nearest to the place",
      "  Save       writes the elements to a keep file",
      "  Done       back to the control menu"};
  return lines;
}

}  // namespace

bool plot_list_add(const PlotItem& it) {
  if (grplst.items.size() >= std::size_t(kPlotListCapacity)) {
    grmesg("No more puts allowed");
    return false;
  }
  PlotItem copy = it;
  if (copy.text.size() > std::size_t(kTextWidth)) copy.text.resize(std::size_t(kTextWidth));
  grplst.items.push_back(std::move(copy));
  return true;
}

void plot_list_draw() {
  if (grplst.items.empty()) return;
  draw_items(0, grplst.items.size());
  grcolr(kBlack);
}

bool plot_list_delete_nearest(float x, float y) {
  auto& items = grplst.items;
  if (items.empty()) return false;
  const double fx = grcomn.xfacgr, fy = grcomn.yfacgr;
  std::size_t best = 0;
  double best_d = INFINITY;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const double d = std::pow((items[i].x - x) * fx, 2) + std::pow((items[i].y - y) * fy, 2);
    if (d < best_d) best_d = d, best = i;
  }
  items.erase(items.begin() + long(best));
  return true;
}

void grdraw(std::array<double, 4>& /*w*/) {
  const std::vector<std::string> cells = detail::cells16(
      {"<TText", "<LLine", "<PPolygon", "<CCircle", "<SSymbol", "< N-Arrow", "< Scale_bar",
       " AAttributes", "<DDelete", "  Save", " ??", ">DDone"});
  PlotList& l = grplst;
  int last = 0;
  float x = float(grcomn.xmingr + grcomn.xmaxgr) / 2, y = float(grcomn.ymingr + grcomn.ymaxgr) / 2;
  for (;;) {
    const int sel = detail::submenu(cells, x, y);
    switch (sel) {
      case 1: {
        std::string text;
        grinpa(" Annotation>", text);
        if (trim_right(text).empty()) break;
        PlotItem t = item(PlotItemType::text, x, y);
        t.text = std::string(trim_right(text));
        add_and_show({t});
        set_current(x, y);
        break;
      }
      case 2: add_point(false, x, y, last == 2); break;
      case 3: add_point(true, x, y, last == 3); break;
      case 4:
        if (l.has_current && (x != l.cx || y != l.cy))
          add_and_show({item(PlotItemType::circle, l.cx, l.cy, float(std::hypot(x - l.cx, y - l.cy)))});
        else
          add_and_show({item(PlotItemType::circle, x, y, l.radius > 0 ? l.radius : pixels_to_world(20))});
        break;
      case 5: add_and_show({item(PlotItemType::symbol, x, y, float(l.symbol))}); set_current(x, y); break;
      case 6: add_and_show({item(PlotItemType::north_arrow, x, y, l.radius)}); break;
      case 7: add_and_show({item(PlotItemType::scale_bar, x, y)}); break;
      case 8: attributes(); break;
      case 9:
        if (plot_list_delete_nearest(x, y)) detail::redraw();
        break;
      case 10: save_to_keep_file(); break;
      case 11: grtext(draw_help()); break;
      case 12: return;
      default: break;
    }
    if (sel > 0) last = sel;
  }
}

}  // namespace sketra
