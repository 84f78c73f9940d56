// The display-mode loop grctrl: entry, outer rounds, the redraw sequence,
// the menu wait with its duties towards the mode, and the library's own
// entries of the control menu (Hardcopy and Keep live in hardcopy.cpp, Draw
// in drawlist.cpp, Yaw in yaw.cpp).
//
// One run of grctrl:
//   entry -> outer round (view code 0: extents) -> redraw -> menu wait ->
//   action -> redraw or wait -> ... -> eXit
// Original starts a new outer round. The loop keeps the data extents of
// the last outer round; the axes derive the window from them while INDSGR
// is 1 (zooming and pans set it to 0, Original back to 1).
//
// What a mode asks for (ViewRequest) and what the person chose while the
// view was drawn (ViewContext::interrupted) become the loop's next step
// directly: a request turns into the redraw, new round or exit that
// follows the action, and an answer that is to come before the person is
// asked again (an entry chosen during drawing, the entry to repeat after a
// replot, the Yaw menu that reopens itself) is kept as the pending answer,
// which the next menu wait returns instead of waiting.

#include "sketra/control/control.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <type_traits>
#include <utility>

#include "sketra/base/fatal.h"
#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/control/control_internal.h"
#include "sketra/control/keeplist.h"
#include "sketra/control/settings.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra {

ControlState ctrl;

namespace {

// A menu answer: the cell chosen (or a zoom key) and the cursor position.
struct Answer {
  int sel = 0;
  float x = 0, y = 0;
};

// The grctrl that is running: its view, the blocks it was given, the
// handlers of the mode's entries (entry k at k - 1) and the answer that
// the next menu wait returns without asking (sel 0: none).
struct Running {
  const ViewCallback* view = nullptr;
  Cplot* cplot = nullptr;
  std::vector<std::function<void(ViewContext&)>> handlers;
  Answer pending;
};
Running running;

// What the loop does after an action.
enum class Next { wait, redraw, new_round, exit };

// The step that carries out a mode's request after the action `sel` (the
// cell that was chosen; a repeat chooses it again after the redraw).
Next follow(ViewRequest r, int sel, float x, float y) {
  switch (r) {
    case ViewRequest::none: return Next::wait;
    case ViewRequest::replot: return Next::redraw;
    case ViewRequest::repeat:
      if (running.pending.sel == 0) running.pending = {sel, x, y};
      return Next::redraw;
    case ViewRequest::original: return Next::new_round;
    case ViewRequest::exit: return Next::exit;
  }
  return Next::wait;
}

constexpr std::string_view kLibraryCaptions[kLibraryCells] = {
    " DDraw",   " HHardcopy", " KKeep", " OOriginal", " QQuery", " RReplot",
    " TTrace",  "<VValue",    " VViews", " YYaw",     " ??",     " XeXit"};

void remember_window_shape() {
  const PlotState& c = grcomn;
  ctrl.nx = c.nxingr, ctrl.ny = c.nyingr, ctrl.xscl = c.xsclgr, ctrl.yscl = c.ysclgr;
}

bool window_shape_changed() {
  const PlotState& c = grcomn;
  return ctrl.nx != c.nxingr || ctrl.ny != c.nyingr || ctrl.xscl != c.xsclgr || ctrl.yscl != c.ysclgr;
}

// New interval counts or scales need a window of a new size.
void reopen_window() {
  PlotState& c = grcomn;
  compute_window_size();
  grsfac();
  const int mode = c.imodgr;
  if (is_screen_mode(mode)) {
    grmode(kModeNone);
    grmode(mode);
  }
}

// The first number of a form field, or `fallback` when there is none.
template <class T>
T field_value(const std::string& text, T fallback) {
  if constexpr (std::is_integral_v<T>) {
    int v = fallback;
    read_field(text, v);
    return v;
  } else {
    double v = fallback;
    read_field(text, v);
    return T(v);
  }
}

void copy_titles_back(PlotTitles& titles) {
  titles.title = grcomt.titlgr;
  titles.subtitle = grcomt.subtitle;
  titles.xlabel = grcomt.xlabel;
  titles.ylabel = grcomt.ylabel;
}

// ---------------------------------------------------------------- entry and exit

void enter(int options, const PlotTitles& titles) {
  PlotState& c = grcomn;
  grmesg("");
  ControlMenu& m = c.control;
  for (auto& cell : m.cells) cell = fixed_width("", 16);
  for (int k = 0; k < kLibraryCells; ++k) m.cells[size_t(k)] = fixed_width(kLibraryCaptions[k], 16);
  m.shown = m.library = kLibraryCells;
  const PlotTitles t = PlotTitles::from_text(titles.to_text());
  if (!trim_right(t.title.substr(0, 10)).empty()) grcomt.titlgr = t.title;
  if (!trim_right(t.subtitle.substr(0, 10)).empty()) grcomt.subtitle = t.subtitle;
  grcomt.xlabel = t.xlabel;
  grcomt.ylabel = t.ylabel;
  if (c.display.language > 1) {
    for (std::string* label : {&grcomt.subtitle, &grcomt.xlabel, &grcomt.ylabel}) {
      const int width = int(label->size());
      grtrans(c.display.language, *label);
      *label = fixed_width(*label, width);
    }
  }
  grplst = PlotList{};
  if (options > 0) {
    for (int k = 1; k <= 13; ++k) {
      if (k == 7) continue;
      const int bit = (options >> (k - 1)) & 1;
      if (k == 2) grvalu("IN02GR", float(bit));  // a change asks for new scales
      else c.in[size_t(k - 1)] = bit;
    }
  }
  if (!ctrl.entered) {
    ctrl.entered = true;
    c.indsgr = c.in[0];
    remember_window_shape();
  }
  if (c.imodgr == kModeNone) grmode(2);
}

void leave(PlotTitles& titles) {
  PlotState& c = grcomn;
  if (c.in[7] == 0 && c.joutgr == kStdoutUnit) {
    for (int i = 0; i < 3 && c.imodgr != kModeNone; ++i) grmode(kModeNone);
  }
  copy_titles_back(titles);
  if (!c.small_window && !grwset()) grmesg(std::string("Error opening: ") + kSettingsFile);
}

// ---------------------------------------------------------------- dialogs of the frame

Next title_dialog() {
  std::string prompts[] = {"Title", "Subtitle"};
  std::string values[] = {std::string(trim_right(grcomt.titlgr)), std::string(trim_right(grcomt.subtitle))};
  if (!grinfo(prompts, values)) return Next::wait;
  grcomt.titlgr = fixed_width(values[0], kTitleWidth);
  grcomt.subtitle = fixed_width(values[1], kTitleWidth);
  return Next::redraw;
}

// axis 0: x, 1: y. Bounds are shown and read as absolute values.
Next axis_dialog(int axis) {
  PlotState& c = grcomn;
  double& lo = axis == 0 ? c.xmingr : c.ymingr;
  double& hi = axis == 0 ? c.xmaxgr : c.ymaxgr;
  const double origin = axis == 0 ? c.xorgr : c.yorgr;
  std::string& label = axis == 0 ? grcomt.xlabel : grcomt.ylabel;
  std::string prompts[] = {axis == 0 ? "XMIN" : "YMIN", axis == 0 ? "XMAX" : "YMAX",
                           axis == 0 ? "X-Label" : "Y-Label"};
  std::string values[] = {number_field(lo + origin, 3), number_field(hi + origin, 3), std::string(trim_right(label))};
  if (!grinfo(prompts, values)) return Next::wait;
  const double new_lo = field_value(values[0], lo + origin);
  const double new_hi = std::max(field_value(values[1], hi + origin), new_lo + 0.001);
  if (!std::isfinite(new_lo) || !std::isfinite(new_hi)) return Next::wait;
  lo = new_lo - origin;
  hi = new_hi - origin;
  label = fixed_width(values[2], kAxisLabelWidth);
  c.indsgr = 0;
  return Next::redraw;
}

Next firm_dialog() {
  std::string text(trim_right(grcomt.firmgr));
  grinpa("author", text);
  grcomt.firmgr = fixed_width(text, kFirmWidth);
  return Next::redraw;
}

// A click that hit no menu entry, by where it lies around the frame.
Next click(float x, float y) {
  const PlotState& c = grcomn;
  if (x > c.xmaxgr) return Next::redraw;
  if (y > c.ymaxgr) return title_dialog();
  if (y >= c.ymingr) {
    if (x < c.xmingr) return axis_dialog(1);
    grzoom(x, y, 1);
    return Next::redraw;
  }
  if (x > c.xmingr + 0.7 * (c.xmaxgr - c.xmingr)) return firm_dialog();
  return axis_dialog(0);
}

// ---------------------------------------------------------------- library entries

Next query() {
  PlotState& c = grcomn;
  std::string prompts[] = {"Draw Axes", "Draw Grid",   "Dependent Scales", "Domain Boundary",
                           "X-Units",   "Y-Units",     "Zoom Factor",      "Symbol Factor",
                           "Scale Factor", "Language"};
  std::string values[] = {toggle_value(c.in[2] == 1), toggle_value(c.in[3] == 1), toggle_value(c.in[1] == 1),
                          toggle_value(c.in[11] == 1),
                          std::to_string(c.nxingr), std::to_string(c.nyingr), number_field(c.zoom, 3),
                          number_field(c.symfgr, 3), number_field(c.scaling, 3),
                          std::string("|") + (c.display.language == 2 ? '2' : '1') + "|english|german"};
  if (!grinfo(prompts, values)) return Next::wait;
  const std::array<int, 4> before = {c.in[2], c.in[3], c.in[1], c.in[11]};
  const float symf_before = c.symfgr;
  c.in[2] = toggle_on(values[0]);
  c.in[3] = toggle_on(values[1]);
  grvalu("IN02GR", float(toggle_on(values[2])));
  c.in[11] = toggle_on(values[3]);
  c.nxingr = std::clamp(field_value(values[4], c.nxingr), 6, kMaxIntervals);
  c.nyingr = std::clamp(field_value(values[5], c.nyingr), 6, kMaxIntervals);
  float zoom = field_value(values[6], c.zoom);
  if (zoom > 1) zoom = 1 / zoom;
  c.zoom = zoom >= 0.1f ? zoom : 0.1f;
  const float symf = field_value(values[7], c.symfgr);
  c.symfgr = symf >= 0.1f ? std::min(symf, kMaxSymbolFactor) : 0.1f;
  float scaling = field_value(values[8], c.scaling);
  scaling = scaling >= 0.1f ? std::min(scaling, kMaxScaling) : 0.1f;
  c.xsclgr *= scaling / c.scaling;
  c.ysclgr *= scaling / c.scaling;
  c.scaling = scaling;
  c.display.language = values[9].size() > 1 && values[9][1] == '2' ? 2 : 1;
  const std::array<int, 4> after = {c.in[2], c.in[3], c.in[1], c.in[11]};
  const bool redraw = before != after || symf_before != c.symfgr || window_shape_changed();
  return redraw ? Next::redraw : Next::wait;
}

Next value(float x, float y) {
  const PlotState& c = grcomn;
  ctrl.w[0] = x;
  ctrl.w[1] = y;
  const ViewRequest r = detail::call_view(kViewValue, x, y);
  grmov2(x, y);
  grsymb(2);
  grflip();
  grmesg(fmt_f(double(x) + c.xorgr, 12, 3) + fmt_f(double(y) + c.yorgr, 12, 3) + " /xy");
  return follow(r == ViewRequest::repeat ? ViewRequest::replot : r, 0, x, y);
}

const std::vector<std::string>& help_lines() {
  static const std::vector<std::string> lines = {
      "sketra v3.0",
      "",
      "Basic Options (for all plotting)",
      " Draw       -put lines (by moves and draws), text, and",
      "             symbols, arrows and scale bars on the plot",
      " Hardcopy   -for hardcopies in different file formats",
      " Keep       -a meta-filing capability to:",
      "             save, recall and play drawings",
      " Original   -use the original scales, (useful after Zoom)",
      " Query      -change global settings and variables",
      " Replot     -replot (useful after Query, or Keep)",
      " Trace      -replots text values of current session",
      " Value      -look-up and print the value at the",
      "             position clicked next",
      " View       -saves/recalls active view (co-ordinates)",
      " Yaw        -do perspective plots",
      " eXit       -leave sketra window",
      "",
      "Additional Notes",
      " Click on the colour bar of a legend to change its colours;",
      " click where the colour key should go to place it there.",
      " Click above the plot to edit the title and subtitle, left",
      " of or below it to edit the axes.",
      " Zoom with the mouse wheel, or with the left (in) and the",
      " right (out) mouse button; the arrow keys move the view."};
  return lines;
}

// ---------------------------------------------------------------- views

void view_save() {
  PlotState& c = grcomn;
  std::string name;
  grinpa("Name", name);
  name = std::string(trim_right(name));
  if (name.empty()) return;
  NamedView v{fixed_width(name, 16), c.nxingr, c.nyingr, c.xmingr + c.xorgr, c.xmaxgr + c.xorgr,
              c.ymingr + c.yorgr, c.ymaxgr + c.yorgr};
  auto same = std::find_if(c.views.begin(), c.views.end(),
                           [&](const NamedView& o) { return o.name == v.name; });
  if (same != c.views.end()) *same = v;
  else if (c.views.size() < std::size_t(kMaxViews)) c.views.push_back(v);
  else c.views.back() = v;
}

bool view_play() {
  PlotState& c = grcomn;
  std::vector<std::string> captions;
  for (const NamedView& v : c.views) {
    const std::string name(trim_right(v.name));
    const char key = name.empty() ? ' ' : char(std::toupper(static_cast<unsigned char>(name[0])));
    captions.push_back(key + name);
  }
  const int k = grchoice(captions);
  if (k < 1 || k > int(c.views.size())) return false;
  const NamedView& v = c.views[size_t(k - 1)];
  c.nxingr = v.nxingr;
  c.nyingr = v.nyingr;
  grsset(v.xmin - c.xorgr, v.xmax - c.xorgr, v.ymin - c.yorgr, v.ymax - c.yorgr);
  c.indsgr = 0;
  return true;
}

void view_delete() {
  PlotState& c = grcomn;
  grmesg("Delete views");
  std::vector<std::string> prompts, values;
  for (const NamedView& v : c.views) {
    prompts.emplace_back(trim_right(v.name));
    values.push_back(toggle_value(false));
  }
  if (prompts.empty()) return;
  if (!grinfo(prompts, values)) return;
  std::vector<NamedView> kept;
  for (std::size_t i = 0; i < c.views.size(); ++i)
    if (!toggle_on(values[i])) kept.push_back(c.views[i]);
  c.views = std::move(kept);
}

Next views_menu() {
  static const std::vector<std::string> help = {"View options:", "  Save    saves current view",
                                                "  Play    recalls previously stored view",
                                                "  Delete  deletes previously stored view"};
  for (;;) {
    const bool none = grcomn.views.empty();
    const std::vector<std::string> cells = detail::cells16(
        {" SSave", none ? "-PPlay" : " PPlay", none ? "-DDelete" : " DDelete", " ??", " XeXit"});
    float x = 0, y = 0;
    switch (detail::submenu(cells, x, y)) {
      case 1: view_save(); break;
      case 2: if (view_play()) return Next::redraw; break;
      case 3: view_delete(); break;
      case 4: grtext(help); break;
      case 5: return Next::wait;
      default: break;
    }
  }
}

// ---------------------------------------------------------------- the loop

Next dispatch(int sel, float x, float y, bool clicked, bool from_script) {
  if (sel == kMenuPanned) return Next::wait;  // the pan has redrawn already
  if (sel < 0) {
    grzoom(x, y, sel);
    return Next::redraw;
  }
  if (sel == 0) return clicked && !from_script ? click(x, y) : Next::wait;
  if (sel > kGapCell) return follow(detail::run_entry(sel - kGapCell, x, y), sel, x, y);
  switch (sel) {
    case 1: grdraw(ctrl.w); return Next::wait;
    case 2: detail::hardcopy_menu(); return Next::wait;
    case 3: return detail::keep_menu() ? Next::redraw : Next::wait;
    case 4:
      grcomn.indsgr = 1;
      grcomn.projection = false;
      return Next::new_round;
    case 5: return query();
    case 6: return Next::redraw;
    case 7: grtext(dialogs.messages); return Next::wait;
    case 8: return value(x, y);
    case 9: return views_menu();
    case 10: return gryaw() ? follow(ViewRequest::repeat, sel, x, y) : Next::wait;  // replot, Yaw again
    case 11: grtext(help_lines()); return Next::wait;
    case 12: return Next::exit;
    default: return Next::wait;
  }
}

// The menu wait of the control menu: grcurs with the duties towards the
// mode (overlay on entry, clicks offered to the mode first, pans and
// window changes redrawn). `clicked` tells a click that hit no entry from
// a key that matched none. A pending answer is returned at once (after the
// overlay); one that arises during the wait (the person chose an entry
// while a redraw of the wait ran, or a click's request ends the mode's
// round) replaces grcurs' answer.
int menu_wait(float& x, float& y, bool& clicked, bool& from_script) {
  PlotState& c = grcomn;
  clicked = false;
  from_script = false;
  auto take_pending = [&] {
    const Answer a = std::exchange(running.pending, Answer{});
    x = a.x, y = a.y;
    clicked = false;
    if (a.sel > 0) menus.highlighted = a.sel;
    return a.sel;
  };
  if (running.pending.sel != 0) {
    detail::call_view(kViewOverlay);
    return take_pending();
  }
  MenuHooks hooks;
  hooks.on_entry = [] { detail::call_view(kViewOverlay); };
  hooks.on_miss = [&](float wx, float wy) {
    clicked = true;
    const ViewRequest r = detail::call_view(kViewClick, wx, wy);
    if (r == ViewRequest::none) return false;
    clicked = false;
    if (r == ViewRequest::original) running.pending = {4, wx, wy};       // Original
    else if (r == ViewRequest::exit) running.pending = {kLibraryCells, wx, wy};  // eXit
    else detail::redraw(true);
    return running.pending.sel == 0;  // claimed: wait again
  };
  hooks.on_pan = [] { detail::redraw(true); };
  hooks.on_window_change = [] {
    remember_window_shape();
    detail::redraw();
  };
  from_script = script_pending();
  int sel = kMenuColumn;
  const int shown = std::clamp(c.control.shown, 1, kControlCells);
  grcurs(std::span<const std::string>(c.control.cells.data(), size_t(shown)), sel, x, y, &hooks);
  if (running.pending.sel != 0) return take_pending();
  return sel;
}

}  // namespace

// ---------------------------------------------------------------- shared internals

namespace detail {

ViewRequest call_view(int code, float x, float y) {
  if (!running.view || !*running.view) return ViewRequest::none;
  if (code == kViewClick) {
    grcomn.xcrsgr = x;
    grcomn.ycrsgr = y;
  }
  ViewContext v{code, ctrl.w, x, y, running.cplot};
  ++ctrl.view_calls;
  (*running.view)(v);
  return v.requested();
}

ViewRequest run_entry(int k, float x, float y) {
  if (k < 1 || k > int(running.handlers.size()) || !running.handlers[size_t(k - 1)]) return ViewRequest::none;
  grcomn.xcrsgr = x;
  grcomn.ycrsgr = y;
  // A copy: the handler may run a display mode of its own, which replaces
  // the table while it runs.
  const std::function<void(ViewContext&)> handler = running.handlers[size_t(k - 1)];
  ViewContext v{-k, ctrl.w, x, y, running.cplot};
  ++ctrl.view_calls;
  handler(v);
  return v.requested();
}

void redraw(bool keep_answer) {
  PlotState& c = grcomn;
  // A size the window system gave the window (a resize while a dialog was
  // open) is taken as it is; only a shape chosen here (Query, Views) needs
  // a new window.
  if (ctrl.resizes != c.resizes) {
    ctrl.resizes = c.resizes;
    remember_window_shape();
  }
  if (window_shape_changed()) {
    reopen_window();
    remember_window_shape();
  }
  grcler(1);
  grmesg("");
  const auto& e = ctrl.extents;
  graxes(e[0], e[1], e[2], e[3], 0);
  grklst(3);
  call_view(kViewDraw);
  grklst(4);
  plot_list_draw();
  graxes(e[0], e[1], e[2], e[3], 1);
  call_view(kViewOverlay);
  if (c.imodgr != kModeNone) grflip();
  take_pending_shot();
  if (!keep_answer) running.pending = Answer{};
}

std::vector<std::string> cells16(std::initializer_list<std::string_view> captions) {
  std::vector<std::string> out;
  for (std::string_view c : captions) out.push_back(fixed_width(c, 16));
  return out;
}

int submenu(std::span<const std::string> cells, float& x, float& y) {
  MenuHooks hooks;
  hooks.on_window_change = [] { redraw(true); };
  for (;;) {
    int sel = kMenuColumn;
    grcurs(cells, sel, x, y, &hooks);
    if (sel != kMenuPanned) return sel;
    redraw();
  }
}

}  // namespace detail

// ---------------------------------------------------------------- public

bool ViewContext::to_file() const { return is_file_mode(grcomn.imodgr); }

void ViewContext::set_entries(std::span<const ModeEntry> entries) {
  if (entries.size() > std::size_t(kMaxModeEntries))
    throw FatalError("set_entries: more than " + std::to_string(kMaxModeEntries) + " mode entries");
  ControlMenu& m = grcomn.control;
  const std::size_t n = entries.size();
  for (std::size_t k = kGapCell - 1; k < m.cells.size(); ++k) m.cells[k] = fixed_width("", 16);
  running.handlers.clear();
  for (std::size_t k = 0; k < n; ++k) {
    m.cells[kGapCell + k] = fixed_width(entries[k].caption, 16);
    running.handlers.push_back(entries[k].run);
  }
  m.shown = n > 0 ? kGapCell + int(n) : kLibraryCells;
}

void ViewContext::request(ViewRequest r) { request_ = std::max(request_, r); }

bool ViewContext::interrupted() {
  if (stopped_) return true;
  if (!is_screen_mode(grcomn.imodgr) || !driver().is_open()) return false;
  const ControlMenu& m = grcomn.control;
  const int shown = std::clamp(m.shown, 1, kControlCells);
  int sel = kMenuPoll;
  float px = 0, py = 0;
  grcurs(std::span<const std::string>(m.cells.data(), size_t(shown)), sel, px, py);
  if (sel == kMenuNothing) return false;
  stopped_ = true;
  // An entry or a zoom is the loop's next step; Escape or a click on no
  // entry only ends the work.
  if (sel != kMenuInterrupt) running.pending = {sel, px, py};
  return true;
}

PlotTitles PlotTitles::from_text(std::string_view text) {
  auto part = [&](std::size_t from, int width) {
    return fixed_width(from < text.size() ? text.substr(from) : std::string_view(), width);
  };
  return {part(0, kTitleWidth), part(80, kTitleWidth), part(160, kAxisLabelWidth),
          part(200, kAxisLabelWidth)};
}

std::string PlotTitles::to_text() const {
  return fixed_width(title, kTitleWidth) + fixed_width(subtitle, kTitleWidth) +
         fixed_width(xlabel, kAxisLabelWidth) + fixed_width(ylabel, kAxisLabelWidth);
}

void control_reset() { ctrl = ControlState{}; }

void grctrl(const ViewCallback& view, int options, PlotTitles& titles, Cplot* cplot) {
  // A mode run from an entry of another gets its own table; the outer
  // mode's table and control menu come back when it ends.
  struct Guard {
    Running saved = std::move(running);
    ControlMenu menu = grcomn.control;
    ~Guard() {
      running = std::move(saved);
      if (running.view) grcomn.control = menu;
    }
  } guard;
  running = Running{&view, cplot, {}, {}};
  enter(options, titles);
  PlotState& c = grcomn;
  Next next = Next::new_round;
  float x = float(c.xmingr), y = float(c.ymingr);
  for (;;) {
    if (next == Next::new_round) {
      detail::call_view(kViewExtents);
      ctrl.extents = ctrl.w;
    }
    if (next == Next::new_round || next == Next::redraw) {
      detail::redraw(true);
      if (c.in[14] == 1) {
        copy_titles_back(titles);
        return;
      }
    }
    bool clicked = false, from_script = false;
    const int sel = menu_wait(x, y, clicked, from_script);
    next = dispatch(sel, x, y, clicked, from_script);
    if (next == Next::exit) {
      leave(titles);
      return;
    }
  }
}

}  // namespace sketra
