// The section viewer: entry, view callback, drawing and the menu entries.
// The text pages (Write, Slope, Stat) and Origine are in section_pages.cpp,
// the legend in section_legend.cpp.

#include "sketra/modes/section/section_viewer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra {

SectionState grsect;

void section_reset() { grsect = SectionState{}; }

bool missing_value(float y) { return !(y > -9998.0f) || std::fabs(y - 9999.0f) <= 0.1f; }

std::size_t SectionLines::first(int k) const {
  std::size_t f = 0;
  for (int j = 1; j < k; ++j) f += std::size_t(count[std::size_t(j - 1)]);
  return f;
}

bool SectionLines::valid() const {
  std::size_t total = 0;
  for (int k = 0; k < lines(); ++k) {
    if (count[std::size_t(k)] < 0) return false;
    total += std::size_t(count[std::size_t(k)]);
  }
  return total <= x.size() && total <= y.size() && total <= attr.size();
}

int SectionLines::line_of(std::size_t i) const {
  std::size_t end = 0;
  for (int k = 1; k <= lines(); ++k) {
    end += std::size_t(count[std::size_t(k - 1)]);
    if (i < end) return k;
  }
  return 0;
}

namespace {

std::size_t total_points(const SectionLines& l) { return l.first(l.lines() + 1); }

bool smoothed(const SectionLines& l, int k) {
  const std::size_t s = std::size_t(k - 1);
  return grsect.smooth && l.style[s] != -99 && l.symbol[s] <= 999;
}

}  // namespace

float shown_y(const SectionLines& l, int k, std::size_t i) {
  const std::size_t f = l.first(k), n = std::size_t(l.count[std::size_t(k - 1)]);
  if (!smoothed(l, k) || i <= f || i + 1 >= f + n) return l.y[i];
  const float a = l.y[i - 1], b = l.y[i], c = l.y[i + 1];
  // Smoothing never blends a missing value into its neighbours.
  if (missing_value(a) || missing_value(b) || missing_value(c)) return b;
  return (2 * b + a + c) / 4;
}

namespace {

// The point nearest on the screen to the cursor pick among the points from
// index `from` on; -1 when there is none. Marks it (grnear).
long long nearest_point(const SectionLines& l, std::size_t from = 0) {
  const std::size_t n = total_points(l);
  if (from >= n || n - from > std::size_t(std::numeric_limits<int>::max())) return -1;
  const int m = int(n - from);
  int i = 0, j = 0;
  grnear(l.x.subspan(from, n - from), l.y.subspan(from, n - from), m, 1, m, i, j);
  if (i == 0) return -1;
  return (long long)from + i - 1;
}

// ---------------------------------------------------------------- code 0

void extents(ViewContext& v, const SectionLines& l, int options) {
  const long long bits = std::llabs((long long)options);
  if (bits & kSectionSmoothOff) grsect.smooth = false;
  if (bits & kSectionSmoothOn) grsect.smooth = true;
  if (bits & kSectionReverse) grsect.xreverse = true;
  float x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
  const std::size_t n = total_points(l);
  for (std::size_t i = 0; i < n; ++i) {
    x0 = std::min(x0, l.x[i]), x1 = std::max(x1, l.x[i]);
    if (missing_value(l.y[i])) continue;
    y0 = std::min(y0, l.y[i]), y1 = std::max(y1, l.y[i]);
  }
  if ((bits & kSectionXExtents) && x0 <= x1) v.w[0] = x0 + grcomn.xorgr, v.w[1] = x1 + grcomn.xorgr;
  if ((bits & kSectionYExtents) && y0 <= y1) v.w[2] = y0 + grcomn.yorgr, v.w[3] = y1 + grcomn.yorgr;
}

// ---------------------------------------------------------------- code 1

void node_labels(const SectionLines& l, int k, int colour) {
  const std::size_t f = l.first(k), n = std::size_t(l.count[std::size_t(k - 1)]);
  const int symbol = l.symbol[std::size_t(k - 1)];
  const bool texts = grsect.label == 2;
  for (std::size_t i = f; i < f + n; ++i) {
    if (missing_value(l.y[i])) continue;
    const float y = shown_y(l, k, i);
    if (grsect.label >= 1) {
      grmov2(l.x[i], y);
      grsymb(colour * 100 + 12);
    }
    if (symbol > 0) {
      grmov2(l.x[i], y);
      grsymb(symbol);
    }
    if (texts && l.attr[i] > kMissingAttribute) {
      grmov2(l.x[i], y);
      granot(fmt_f(l.attr[i], 8, 3), 0);
    }
  }
  grdump();
}

void draw_line(const SectionLines& l, int k) {
  const int style = l.style[std::size_t(k - 1)];
  const int colour = style / 100;
  if (style > 0) {
    grdash(style % 100);
    grcolr(colour);
    const std::size_t f = l.first(k), n = std::size_t(l.count[std::size_t(k - 1)]);
    bool pen = false;
    for (std::size_t i = f; i < f + n; ++i) {
      if (missing_value(l.y[i])) {
        pen = false;  // the line breaks at a missing value
        continue;
      }
      if (pen) grdrw2(l.x[i], shown_y(l, k, i));
      else grmov2(l.x[i], shown_y(l, k, i));
      pen = true;
    }
    grdump();
    grdash(1);
  }
  node_labels(l, k, std::abs(colour));
}

void draw(ViewContext& v, const SectionLines& l) {
  const int colour = grcomn.current_colour;
  for (int k = 1; k <= l.lines(); ++k) {
    if (k % 4 == 0 && v.interrupted()) break;
    draw_line(l, k);
  }
  grcolr(colour);
}

// ---------------------------------------------------------------- entries

bool nobody_to_answer() { return !script_pending() && !(is_screen_mode(grcomn.imodgr) && driver().is_open()); }

void alter_help() {
  const std::vector<std::string> lines = {" Option to alter position of nodes.",
                                          " Select node with cursor and then click on",
                                          " new location for the selected node."};
  grtext(lines);
}

// Alter: the first click selects a node (of any line but the first when
// there are several), the second moves it there. Leaving asks for the
// entry again (except after Done), so the person goes on moving nodes.
void alter(ViewContext& v, const SectionLines& l) {
  for (;;) {
    if (nobody_to_answer()) {
      grsect.selected = -1;
      v.request(ViewRequest::replot);
      return;
    }
    const std::vector<std::string> captions = {grsect.moved >= 0 ? " CCancel" : "-CCancel", " DDone", " ??"};
    int sel = kMenuColumn;
    float cx = v.x, cy = v.y;
    grcurs(captions, sel, cx, cy);
    grcomn.xcrsgr = cx, grcomn.ycrsgr = cy;
    switch (sel) {
      case 1:
        if (grsect.moved >= 0) {
          l.x[std::size_t(grsect.moved)] = grsect.old_x;
          l.y[std::size_t(grsect.moved)] = grsect.old_y;
          grsect.moved = -1;
        }
        v.request(ViewRequest::repeat);
        return;
      case 2:
        grsect.selected = -1;
        v.request(ViewRequest::replot);
        return;
      case 3:
        alter_help();
        v.request(ViewRequest::repeat);
        return;
      case kMenuNothing:
        if (grsect.selected >= 0) {
          const std::size_t i = std::size_t(grsect.selected);
          grsect.moved = grsect.selected;
          grsect.old_x = l.x[i], grsect.old_y = l.y[i];
          l.x[i] = cx, l.y[i] = cy;
          grsect.selected = -1;
          v.request(ViewRequest::repeat);
          return;
        }
        grsect.selected = nearest_point(l, l.lines() > 1 ? std::size_t(l.count[0]) : 0);
        grflip();
        break;
      default: break;
    }
  }
}

void hide(ViewContext& v, const SectionLines& l) {
  const long long p = nearest_point(l);
  if (p < 0) return;
  int& style = l.style[std::size_t(l.line_of(std::size_t(p)) - 1)];
  style = -style;
  v.request(ViewRequest::replot);
}

void nearest(const SectionLines& l) {
  const long long p = nearest_point(l);
  if (p < 0) return;
  grflip();
  const int k = l.line_of(std::size_t(p));
  const std::size_t i = std::size_t(p);
  grmesg("(X,Y)" + fmt_f(double(l.x[i]) + grcomn.xorgr, 12, 3) + fmt_f(double(l.y[i]) + grcomn.yorgr, 12, 3) +
         " Line" + fmt_i(k, 3) + " Pnt" + fmt_i((long long)(i - l.first(k)) + 1, 4));
}

// The line Write, Slope and Stat work on: the line of the node nearest to
// the click when there are several, else line 1; 0 when there is none.
int chosen_line(const SectionLines& l) {
  if (l.lines() < 1) return 0;
  if (l.lines() == 1) return 1;
  grmesg("choose line");
  const long long p = nearest_point(l);
  return p < 0 ? 0 : l.line_of(std::size_t(p));
}

void show_page(ViewContext& v, const SectionLines& l, std::vector<std::string> (*page)(const SectionLines&, int)) {
  const int k = chosen_line(l);
  if (k < 1) return;
  grtext(page(l, k));
  v.request(ViewRequest::replot);
}

void origine(ViewContext& v, const SectionLines& l) {
  if (grsect.reference != 0) {
    grsect.reference = 0;  // the values stay relative
    return;
  }
  grmesg("choose origine");
  const long long p = nearest_point(l);
  if (p < 0) return;
  const int k = l.line_of(std::size_t(p));
  make_relative(l, k);
  grsect.reference = k;
  v.request(ViewRequest::original);
}

void stat(const SectionLines& l) {
  const long long p = nearest_point(l);
  if (p < 0) return;
  grtext(stat_page(l, l.line_of(std::size_t(p))));
}

void help() {
  const std::vector<std::string> lines = {" Alter   altering position of nodes",
                                          " Hide    hide lines",
                                          " Nearest writes values of nearest node",
                                          " Label   plots nodes of lines",
                                          " Write   stores selected line data on file",
                                          " Slope   stores slopes of selected line data on file",
                                          " Origine displays values relative to selected line",
                                          " Stat    some characteristic values for selected line",
                                          " Smooth  reduces wiggles",
                                          " <-->    change direction (section view)",
                                          " Escape  leave mode (section view)"};
  grtext(lines);
}

}  // namespace

std::vector<ModeEntry> section_entries(const SectionLines& lines, int& options) {
  const SectionLines* l = &lines;
  int* o = &options;
  return {
      {" AAlter", [l](ViewContext& v) { alter(v, *l); }},
      {"<HHide>", [l](ViewContext& v) { hide(v, *l); }},
      {"<NNearest>", [l](ViewContext&) { nearest(*l); }},
      {" LLabel", [](ViewContext& v) {
         grsect.label = (grsect.label + 1) % 3;
         v.request(ViewRequest::replot);
       }},
      {"-XXreverse", [](ViewContext&) { grsect.xreverse = !grsect.xreverse; }},
      {"<WWrite>", [l](ViewContext& v) { show_page(v, *l, write_page); }},
      {"<SSlope>", [l](ViewContext& v) { show_page(v, *l, slope_page); }},
      {"<OOrigine>", [l](ViewContext& v) { origine(v, *l); }},
      {"<SStat>", [l](ViewContext&) { stat(*l); }},
      {"  smooth", [](ViewContext& v) {
         grsect.smooth = !grsect.smooth;
         v.request(ViewRequest::replot);
       }},
      {*o < 0 ? " <<--" : " < -->", [o](ViewContext& v) {
         *o = *o == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : -*o;
         v.request(ViewRequest::exit);
       }},
      {" EEscape", [o](ViewContext& v) {
         *o = kSectionEscape;
         v.request(ViewRequest::exit);
       }},
      {" ??", [](ViewContext&) { help(); }},
  };
}

void grkli1(ViewContext& v, const SectionLines& l, int& options) {
  switch (v.code) {
    case kViewExtents:
      extents(v, l, options);
      v.set_entries(section_entries(l, options));
      return;
    case kViewDraw: draw(v, l); return;
    case kViewOverlay: grkey1(l, true); return;
    case kViewClick:
      if (grkey1(l, false)) v.request(ViewRequest::replot);
      return;
    default: return;
  }
}

namespace {

// IN02GR (equal scales), the plot origin and IKEYGR as they were before the
// mode, put back however the mode is left.
class SavedPlotSettings {
 public:
  SavedPlotSettings() : in02_(grcomn.in[1]), ikey_(grcomn.ikeygr), xo_(grcomn.xorgr), yo_(grcomn.yorgr) {}
  ~SavedPlotSettings() {
    grvalu("IN02GR", float(in02_));
    grcomn.ikeygr = ikey_;
    grvalu8("XORGR", xo_);
    grvalu8("YORGR", yo_);
  }
  SavedPlotSettings(const SavedPlotSettings&) = delete;
  SavedPlotSettings& operator=(const SavedPlotSettings&) = delete;

 private:
  int in02_, ikey_;
  double xo_, yo_;
};

}  // namespace

void grklin(const SectionLines& in, std::span<const std::string> names, PlotTitles& titles, int plot_options,
            int& options, std::array<double, 2> origin) {
  SectionLines l = in;
  if (l.lines() > kMaxSectionLines) {
    grmesg("too many lines in GRKLIN");
    l.style = l.style.first(kMaxSectionLines);
    l.symbol = l.symbol.first(kMaxSectionLines);
    l.count = l.count.first(kMaxSectionLines);
  }
  if (!l.valid()) {
    grmesg("lines do not fit their points");
    return;
  }
  grsect.names.assign(std::size_t(l.lines()), std::string(kSectionNameWidth, ' '));
  for (std::size_t k = 0; k < grsect.names.size() && k < names.size(); ++k) {
    std::string name = names[k];
    if (grcomn.display.language > 1) grtrans(grcomn.display.language, name);
    grsect.names[k] = fixed_width(name, kSectionNameWidth);
  }
  // Indices into the caller's arrays do not carry over to other lines.
  grsect.reference = 0;
  grsect.selected = grsect.moved = -1;
  SavedPlotSettings saved;
  grcomn.ikeygr = 1;
  // Stations and elevations have scales of their own, and the view starts
  // from the lines' extents whatever window an earlier mode left.
  grvalu("IN02GR", 0.0f);
  grcomn.indsgr = 1;
  grvalu8("XORGR", origin[0]);
  grvalu8("YORGR", origin[1]);
  grctrl([&](ViewContext& v) { grkli1(v, l, options); }, plot_options, titles);
}

}  // namespace sketra
