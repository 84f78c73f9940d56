// Menus and buttons: grcurs, grbutn, grano3 and the registered areas that
// widgets leave on the screen (grclean).
//
// A menu exists only during its call. What stays drawn is registered as a
// rectangle and wiped later: by the next bar, by a shorter column, or by a
// dialog. The state kept between calls (MenuState) is the highlighted
// entry, the layout of the last menu (a new layout forgets the highlight),
// the geometry of the last bar (pull-downs hang under its entries) and the
// armed pick entry.

#include "sketra/ui/menus.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/ui/widget_internal.h"

namespace sketra {

MenuState menus;

void menus_reset() { menus = MenuState{}; }

namespace detail {

bool screen_ready() { return is_screen_mode(grcomn.imodgr) && driver().is_open(); }

void put_text(float x, float y, std::string_view text, int colour) {
  grcolr(colour);
  grmov2(x, y);
  granot(text, 0);
}

bool apply_resize(int width, int height) {
  PlotState& c = grcomn;
  if (width <= 0 || height <= 0 || (width == c.wndwgr[2] && height == c.wndwgr[3])) return false;
  c.wndwgr[2] = width;
  c.wndwgr[3] = height;
  if (is_screen_mode(c.imodgr)) grmode(c.imodgr);
  c.nxingr = std::max(1, int(float(width) / (50 * c.xsclgr) - 4));
  c.nyingr = std::max(1, int(float(height - kMessageStrip) / (50 * c.ysclgr) - 1.5f));
  grsfac();
  ++c.resizes;
  return true;
}

InputEvent wait_input(PixelScope& scope, const std::function<void()>& redraw, bool report_resize) {
  for (;;) {
    InputEvent ev;
    grxevn(ev);
    if (ev.type == kButtonPress) {
      const PixelPoint p = to_pixel(ev.x, ev.y);
      grcomn.xcrsgr = p.x;
      grcomn.ycrsgr = p.y;
    }
    if (ev.type == kKeyPress || ev.type == kButtonPress) return ev;
    if (ev.type == kExpose && ev.code == 0) {
      if (redraw) redraw();
    } else if (ev.type == kConfigureNotify) {
      scope.leave();
      const bool changed = apply_resize(ev.x, ev.y);
      scope.enter();
      if (!changed) continue;
      // The dialog moves with the window's edges: what it covered comes
      // back first (the picture itself is laid out again by its owner once
      // the dialog is closed).
      grclean(1);
      if (report_resize) return ev;
      if (redraw) redraw();
    }
  }
}

PixelPoint fit_box(PixelPoint at, float w, float h) {
  const float left = window_left() + 2, right = window_right() - 2;
  const float top = window_top() - 2, floor = message_strip_top() + 2;
  PixelPoint p;
  p.x = std::max(left, std::min(at.x, right - w));
  p.y = std::min(at.y, top);
  if (p.y - h < floor) p.y = floor + h;
  return p;
}

PixelPoint near_pick() {
  const PlotState& c = grcomn;
  const float width = float(c.wndwgr[2]), height = float(c.wndwgr[3]);
  const float dx = std::clamp(c.xcrsgr + c.xorggr - 50, 20.0f, std::max(20.0f, width - 350));
  const float dy = std::clamp(c.yorggr - c.ycrsgr - 50, 20.0f, std::max(20.0f, height - 150));
  return {dx - c.xorggr, c.yorggr - dy};
}

void draw_box(float x, float y, float w, float h) {
  grclean(0, x - 1, x + w + 1, y - 1, y + h + 1);
  grect(x, y, w, h, kWhite, kBevelRaised);
}

void log_layout(std::string_view label, float x, float y, float w, float h) {
  const char* path = std::getenv("SKETRA_LAYOUT_LOG");
  if (path == nullptr || *path == '\0' || label.empty()) return;
  std::ofstream out(path, std::ios::app);
  out << std::lround(x + grcomn.xorggr) << ' ' << std::lround(grcomn.yorggr - y - h) << ' ' << std::lround(w) << ' '
      << std::lround(h) << ' ' << label << '\n';
}

void ButtonRow::draw() const {
  for (size_t k = 0; k < captions.size(); ++k) {
    const float bx = x + 78.5f * float(k);
    grbutn(0, bx, y, kButtonMaxWidth, kButtonHeight, captions[k]);
    log_layout(button_label(captions[k]), bx, y, kButtonMaxWidth, kButtonHeight);
  }
}

int ButtonRow::hit(float px, float py) const {
  for (size_t k = 0; k < captions.size(); ++k)
    if (grbutn(1, x + 78.5f * float(k), y, kButtonMaxWidth, kButtonHeight, captions[k], px, py) == 1)
      return int(k) + 1;
  return 0;
}

int ButtonRow::key(int code) const {
  if (code <= ' ') return 0;
  for (size_t k = 0; k < captions.size(); ++k)
    if (captions[k].size() > 1 && upper_key(static_cast<unsigned char>(captions[k][1])) == code) return int(k) + 1;
  return 0;
}

}  // namespace detail

namespace {

using detail::PixelScope;

char at(std::string_view s, size_t i) { return i < s.size() ? s[i] : ' '; }
bool is_gap(std::string_view c) { return at(c, 1) == ' ' && at(c, 2) == ' '; }
bool is_pin(std::string_view c) { return c.starts_with("PIN"); }
bool is_disabled(std::string_view c) { return at(c, 0) == '-'; }
bool is_pick(std::string_view c) { return at(c, 0) == '<'; }

// The 28 corners of a stadium w x h with lower-left corner (x, y): two
// half-circles of radius h/2 joined by straight edges. The first half of
// the corners runs along the bottom (left end, bottom edge, right end), so
// a bevel frame shades the bottom and the top differently.
struct Stadium {
  std::array<float, 28> x{}, y{};
};
Stadium stadium(float x, float y, float w, float h) {
  static constexpr std::array<float, 7> kSin = {0.174f, 0.342f, 0.574f, 0.82f, 0.94f, 0.984f, 1.0f};
  const float r = h / 2, cy = y + r, lx = x + r, rx = x + w - r;
  Stadium s;
  for (size_t k = 0; k < 7; ++k) {
    const float sn = kSin[k], c = k == 6 ? 0.0f : kSin[5 - k];  // sine and cosine of the angle
    s.x[k] = lx - r * c, s.y[k] = cy - r * sn;            // left end, lower quarter
    s.x[7 + k] = rx + r * sn, s.y[7 + k] = cy - r * c;    // right end, lower quarter
    s.x[14 + k] = rx + r * c, s.y[14 + k] = cy + r * sn;  // right end, upper quarter
    s.x[21 + k] = lx - r * sn, s.y[21 + k] = cy + r * c;  // left end, upper quarter
  }
  return s;
}

// A small pressed pushpin: a round head in colour 13 and a dark needle.
void draw_pin(float x, float y, float w, float h) {
  const float cx = x + w / 2, cy = y + h / 2 + 1;
  grcrcl(cx, cy, 3.5f, 13, 0);
  grcolr(kBlack);
  grmov2(cx - 1, cy - 2);
  grdrw2(cx - 5, cy - 7);
}

void draw_button(float x, float y, float w, float h, std::string_view caption, bool pressed, bool widget = true) {
  if (widget) grclean(0, x - 1, x + w + 1, y - 1, y + h + 1);
  if (is_gap(caption) && !is_pin(caption)) {
    grect(x, y, w, h, kWhite, 0);
    return;
  }
  const bool disabled = is_disabled(caption);
  const int frame = disabled ? kWhite : pressed ? kBevelSunken : kBevelRaised;
  const int ink = disabled ? kWhite : pressed ? -7 : kBlack;
  const Stadium s = stadium(x, y, w, h);
  grfil2(s.x, s.y, is_pin(caption) ? -3 : button_fill(caption));
  grfram(s.x, s.y, frame);
  if (is_pin(caption)) {
    if (pressed) draw_pin(x, y, w, h);
    return;
  }
  const std::string label = button_label(caption);
  detail::put_text(x + w / 2 - 3 * float(label.size()) + 2, y + h / 2 - 3.5f, label, ink);
}

// The entry whose hot key is `key` (upper case) and that is not disabled.
int match_key(std::span<const std::string> captions, int key) {
  if (key <= ' ') return 0;
  for (size_t k = 0; k < captions.size(); ++k) {
    const std::string_view c = captions[k];
    if (is_disabled(c) || is_gap(c) || is_pin(c)) continue;
    if (detail::upper_key(static_cast<unsigned char>(at(c, 1))) == key) return int(k) + 1;
  }
  return 0;
}

// The entry a script line chooses. Its first character is a hot key; "#k"
// chooses entry k by its place in the menu, so that a script can reach an
// entry whose hot key an earlier entry already takes ("<VValue" before
// " VViews"). Disabled entries and gaps cannot be chosen either way.
int script_choice(std::span<const std::string> captions, std::string_view e) {
  if (e.size() > 1 && e[0] == '#' && e[1] >= '0' && e[1] <= '9') {
    int k = 0;
    std::from_chars(e.data() + 1, e.data() + e.size(), k);
    if (k < 1 || size_t(k) > captions.size()) return 0;
    const std::string_view c = captions[size_t(k - 1)];
    return is_disabled(c) || is_gap(c) ? 0 : k;
  }
  return match_key(captions, detail::upper_key(static_cast<unsigned char>(e[0])));
}

struct Layout {
  int columns = 1, rows = 1;
  float w = kButtonMaxWidth;
  std::vector<float> xs, ys;
};

// Button positions of menu layout `sel` (bar, column or pull-down) for n
// entries, in pixel-mode units.
Layout layout_for(int sel, int n) {
  const float width = float(grcomn.wndwgr[2]);
  Layout l;
  l.xs.resize(size_t(n));
  l.ys.resize(size_t(n));
  if (sel < 0) {
    l.columns = n, l.rows = 1;
    l.w = std::min(kButtonMaxWidth, (width - float(n)) / float(n + 1));
    const float step = n > 1 ? l.w + 2 : 0;
    for (int k = 0; k < n; ++k) l.xs[size_t(k)] = -10 + float(k) * step, l.ys[size_t(k)] = detail::window_top() - 20;
    menus.bar_width = l.w, menus.bar_x = -10, menus.bar_step = step, menus.bar_y = detail::window_top() - 20;
    return l;
  }
  l.columns = 1, l.rows = n;
  const float step = n > 1 ? kRowStep : 0;
  float x = 0, y0 = 0;
  if (sel == 0) {
    l.w = std::min(kButtonMaxWidth, (width - 1) / 2);
    x = detail::window_right() - 4 - l.w;
    y0 = detail::window_top() - 20;
    // As many rows as fit above the message strip; the rest of the entries
    // go into further columns to the left, so none is out of reach.
    const float height = y0 - detail::message_strip_top() - 2;
    l.rows = std::clamp(int(height / kRowStep) + 1, 1, std::max(n, 1));
    l.columns = (n + l.rows - 1) / l.rows;
  } else {
    l.w = menus.bar_width;
    x = menus.bar_x + float(sel - 1) * menus.bar_step;
    y0 = menus.bar_y - kRowStep;
  }
  for (int k = 0; k < n; ++k) {
    const int column = k / l.rows, row = k % l.rows;
    l.xs[size_t(k)] = x - float(column) * (l.w + 2);
    l.ys[size_t(k)] = y0 - float(row) * step;
  }
  return l;
}

// The two numbers after the first word of a script entry, if any.
void script_position(std::string_view e, float& x, float& y) {
  const size_t blank = e.find(' ');
  if (blank == std::string_view::npos) return;
  const std::string_view rest = e.substr(blank);
  if (trim_right(rest).empty()) return;
  double a = x, b = y;
  const FreeTarget t[] = {&a, &b};
  const FreeResult r = read_free(rest, t);
  if (r.filled >= 1) x = float(a);
  if (r.filled >= 2) y = float(b);
}

// Moves the window by a third of its extent for arrow key `code`.
void pan(int code) {
  PlotState& c = grcomn;
  const double dx = (c.xmaxgr - c.xmingr) / 3, dy = (c.ymaxgr - c.ymingr) / 3;
  if (code == kKeyLeft) c.xmingr -= dx, c.xmaxgr -= dx;
  if (code == kKeyRight) c.xmingr += dx, c.xmaxgr += dx;
  if (code == kKeyUp) c.ymingr += dy, c.ymaxgr += dy;
  if (code == kKeyDown) c.ymingr -= dy, c.ymaxgr -= dy;
  c.indsgr = 0;
  c.xmncgr = c.xmingr, c.xmxcgr = c.xmaxgr, c.ymncgr = c.ymingr, c.ymxcgr = c.ymaxgr;
  grsfac();
}

}  // namespace

void grlayout(std::string_view label, float x, float y, float w, float h) { detail::log_layout(label, x, y, w, h); }

int button_fill(std::string_view caption) {
  const std::string_view c = trim_right(caption);
  const std::string_view p26 = c.substr(std::min<size_t>(1, c.size()), 5);
  if (c == " SShow" || c == " VViews" || c == " SSave" || c == " SStore") return 21;
  if (c == " CClose" || c == " FFile" || c == " AApply" || c == " OOpen" || c == " RRecall" || p26 == "DDone")
    return 31;
  if (c == " CCancel" || c == " EEscape" || p26 == "XeXit" || (at(caption, 3) == '-' && at(caption, 4) == '-'))
    return 39;
  if (c == " CCompute" || c == " CContinue" || c == " PPlay") return 40;
  if (at(caption, 2) == '?') return 60;
  return -3;
}

std::string button_label(std::string_view caption) {
  std::string_view l = caption.size() > 2 ? trim_right(caption.substr(2)) : std::string_view();
  if (l.size() > 10) return std::string(l.substr(0, 9)) + "_";
  return std::string(l);
}

int grbutn(int mode, float x, float y, float w, float h, std::string_view caption, float cx, float cy) {
  if (is_file_mode(grcomn.imodgr)) return 0;
  PixelScope scope;
  if (mode == 0 || mode == 2) {
    draw_button(x, y, w, h, caption, mode == 2);
    return 0;
  }
  if (mode == 3 || mode == 4) {
    draw_button(x, y, w, h, caption, mode == 4, false);
    return 0;
  }
  if (!detail::inside_rect(cx, cy, x, y, w, h)) return 0;
  draw_button(x, y, w, h, caption, true);
  grflip();
  grpause(3);
  if (is_pick(caption)) grpause(20);
  grcolr(kBlack);
  return 1;
}

void grano3(float x, float y, std::string_view text) {
  if (text.empty()) return;
  const int key = detail::upper_key(static_cast<unsigned char>(text[0]));
  const std::string_view label = text.substr(1);
  grmov2(x, y);
  granot(label, 0);
  if (key <= '/') return;
  for (size_t i = 0; i + 1 < label.size(); ++i) {
    const int ch = static_cast<unsigned char>(label[i]);
    if (ch <= '/' || detail::upper_key(ch) != key) continue;
    const float x0 = x + 6 * float(i);
    grmov2(x0, y - 1);
    grdrw2(x0 + 4, y - 1);
    grdump();
    return;
  }
}

void grclean(int k, float x1, float x2, float y1, float y2) {
  std::vector<CleanArea>& areas = grcomn.clean_areas;
  if (k == 0) {
    // A button drawn again (pressed, highlighted) keeps its one entry.
    for (const CleanArea& a : areas)
      if (a.x1 == x1 && a.x2 == x2 && a.y1 == y1 && a.y2 == y2) return;
    if (areas.size() < size_t(kMaxCleanAreas)) {
      areas.push_back({x1, x2, y1, y2});
      // What the widget is about to cover, kept to be put back when it goes
      // (in pixel mode: device x = x + origin, device y = origin - y).
      grdump();
      const int dx = int(std::floor(x1 + grcomn.xorggr)) - 1, dy = int(std::floor(grcomn.yorggr - y2)) - 1;
      driver().keep_area(dx, dy, int(std::ceil(x2 - x1)) + 3, int(std::ceil(y2 - y1)) + 3);
    }
    return;
  }
  if (k != -1 && !areas.empty()) {
    PixelScope scope;
    for (auto it = areas.rbegin(); it != areas.rend(); ++it) grect(it->x1, it->y1, it->x2 - it->x1, it->y2 - it->y1, kWhite, 0);
    grdump();
    driver().restore_areas();  // the picture under the widgets, where the driver kept it
    areas.clear();
    detail::repaint_messages();
    grflip();
  }
  driver().drop_areas();
  areas.clear();
}

namespace {

// One call of grcurs: the menu's layout, its drawing and what each event
// does to it. handle_* return true when the call has its answer in `sel`.
class MenuCall {
 public:
  MenuCall(std::span<const std::string> captions, int layout, const MenuHooks* hooks)
      : captions_(captions), n_(int(captions.size())), layout_(layout), poll_(layout == kMenuPoll), hooks_(hooks) {}

  // Cleaning, the script entry, the layout; true when answered already.
  bool start(int& sel, float& x, float& y);
  // Waits for (or, polling, looks at) events until one answers; `ev` is it.
  void run(int& sel, InputEvent& ev);

 private:
  void draw();
  void hook(const std::function<void()>& f);
  bool handle_resize(const InputEvent& ev);
  bool handle_key(const InputEvent& ev, int& sel);
  bool handle_button(const InputEvent& ev, int& sel);

  std::span<const std::string> captions_;
  int n_;
  int layout_;
  bool poll_;
  const MenuHooks* hooks_;
  Layout l_;
  PixelScope scope_;
};

bool MenuCall::start(int& sel, float& x, float& y) {
  if (poll_) {
    menus.highlighted = 0;
    if (int(menus.xs.size()) == n_) l_.xs = menus.xs, l_.ys = menus.ys, l_.w = menus.width;
    else l_ = layout_for(kMenuColumn, n_);
    return false;
  }
  if (layout_ < 0 || n_ < menus.last_column) grclean(1);
  if (layout_ >= 0) menus.last_column = n_;
  if (script_pending()) {
    const std::string e = script_take();
    sel = script_choice(captions_, e);
    if (sel > 0) menus.highlighted = sel;
    script_position(e, x, y);
    return true;
  }
  if (!detail::screen_ready()) {
    sel = kMenuNothing;  // no window: nothing to show and nobody to answer
    return true;
  }
  script_drop();
  if (hooks_ && hooks_->on_window_change) {
    if (menus.resizes != grcomn.resizes) hook(hooks_->on_window_change);
    menus.resizes = grcomn.resizes;
  }
  l_ = layout_for(layout_, n_);
  if (l_.columns != menus.columns || l_.rows != menus.rows) menus.highlighted = 0, menus.armed = 0;
  menus.columns = l_.columns, menus.rows = l_.rows;
  menus.xs = l_.xs, menus.ys = l_.ys, menus.width = l_.w;
  draw();
  return false;
}

void MenuCall::draw() {
  for (int k = 1; k <= n_; ++k) {
    const bool down = k == menus.highlighted || k == menus.armed;
    const std::string_view c = captions_[size_t(k - 1)];
    const float x = l_.xs[size_t(k - 1)], y = l_.ys[size_t(k - 1)];
    grbutn(down ? 2 : 0, x, y, l_.w, kButtonHeight, c);
    if (!is_gap(c) && !is_disabled(c)) detail::log_layout(button_label(c), x, y, l_.w, kButtonHeight);
  }
  grflip();
}

void MenuCall::hook(const std::function<void()>& f) {
  if (!f) return;
  scope_.leave();
  f();
  scope_.enter();
}

bool MenuCall::handle_resize(const InputEvent& ev) {
  scope_.leave();
  const bool changed = detail::apply_resize(ev.x, ev.y);
  if (changed && hooks_ && hooks_->on_window_change) {
    hooks_->on_window_change();
    menus.resizes = grcomn.resizes;
  }
  scope_.enter();
  if (changed) {
    l_ = layout_for(layout_, n_);
    menus.xs = l_.xs, menus.ys = l_.ys, menus.width = l_.w;
    draw();
  }
  return false;
}

bool MenuCall::handle_key(const InputEvent& ev, int& sel) {
  if (poll_ && ev.code == kKeyEscape) {
    sel = kMenuInterrupt;
    return true;
  }
  if (ev.code >= kKeyLeft && ev.code <= kKeyDown) {
    if (poll_) {
      sel = kMenuNothing;
      return true;
    }
    scope_.leave();
    pan(ev.code);
    if (hooks_ && hooks_->on_pan) hooks_->on_pan();
    scope_.enter();
    menus.armed = 0;
    sel = kMenuPanned;
    return true;
  }
  sel = match_key(captions_, detail::upper_key(ev.code));
  if (sel > 0 && !poll_) {
    menus.highlighted = sel;
    menus.armed = 0;
    grbutn(2, l_.xs[size_t(sel - 1)], l_.ys[size_t(sel - 1)], l_.w, kButtonHeight, captions_[size_t(sel - 1)]);
    grflip();
  }
  return true;
}

bool MenuCall::handle_button(const InputEvent& ev, int& sel) {
  if (ev.code >= 3 && ev.code <= 5) {
    sel = -ev.code;
    return true;
  }
  if (ev.code != 1 && ev.code != 2) return false;
  const detail::PixelPoint p = detail::to_pixel(ev.x, ev.y);
  int hit = 0;
  for (int k = 1; k <= n_ && hit == 0; ++k) {
    const std::string_view c = captions_[size_t(k - 1)];
    if (is_gap(c) || is_disabled(c)) continue;
    const float bx = l_.xs[size_t(k - 1)], by = l_.ys[size_t(k - 1)];
    if (poll_ ? detail::inside_rect(p.x, p.y, bx, by, l_.w, kButtonHeight)
              : grbutn(1, bx, by, l_.w, kButtonHeight, c, p.x, p.y) == 1)
      hit = k;
  }
  if (hit > 0) {
    sel = hit;
    if (poll_) return true;
    menus.highlighted = hit;
    if (!is_pick(captions_[size_t(hit - 1)])) {
      menus.armed = 0;
      return true;
    }
    menus.armed = hit;  // armed: the next click that hits nothing returns it
    draw();
    return false;
  }
  if (!poll_ && hooks_ && hooks_->on_miss) {
    scope_.leave();
    const float wx = float((ev.x - grcomn.xorggr) / grcomn.xfacgr + grcomn.xmingr);
    const float wy = float((ev.y - grcomn.yorggr) / grcomn.yfacgr + grcomn.ymingr);
    const bool claimed = hooks_->on_miss(wx, wy);
    scope_.enter();
    if (claimed) {
      draw();
      return false;
    }
  }
  sel = poll_ ? kMenuInterrupt : menus.armed;
  menus.armed = 0;
  return true;
}

void MenuCall::run(int& sel, InputEvent& ev) {
  for (;;) {
    if (poll_) {
      ev.type = kEventNone;
      grxcvn(ev);
      if (ev.type == kKeyPress) ev.code = translate_keysym(unsigned(ev.code));
      if (ev.type != kKeyPress && ev.type != kButtonPress) {
        sel = kMenuNothing;
        return;
      }
    } else {
      grxevn(ev);
    }
    bool answered = false;
    if (ev.type == kExpose && ev.code == 0) {
      hook(hooks_ ? hooks_->on_window_change : nullptr);
      draw();
    } else if (ev.type == kConfigureNotify) {
      answered = handle_resize(ev);
    } else if (ev.type == kKeyPress) {
      answered = handle_key(ev, sel);
    } else if (ev.type == kButtonPress) {
      answered = handle_button(ev, sel);
    }
    if (answered) break;
  }
  const detail::PixelPoint p = detail::to_pixel(ev.x, ev.y);
  grcomn.xcrsgr = p.x;
  grcomn.ycrsgr = p.y;
}

}  // namespace

void grcurs(std::span<const std::string> captions, int& sel, float& x, float& y, const MenuHooks* hooks) {
  grdump();
  if (hooks && hooks->on_entry) hooks->on_entry();
  const int layout = sel;
  InputEvent ev;
  {
    MenuCall call(captions, layout, hooks);
    if (call.start(sel, x, y)) return;
    call.run(sel, ev);
    if (layout == kMenuPoll && ev.type != kKeyPress && ev.type != kButtonPress) return;
  }
  // Out of pixel mode: the event's position in world co-ordinates.
  x = float((ev.x - grcomn.xorggr) / grcomn.xfacgr + grcomn.xmingr);
  y = float((ev.y - grcomn.yorggr) / grcomn.yfacgr + grcomn.ymingr);
}

}  // namespace sketra
