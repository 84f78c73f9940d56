// Field editing (grgstr) and the colour picker's window.
//
// A field row is a prompt followed by a value area 30 characters wide. How
// the value is shown and changed depends on its kind (field_kind): text is
// typed, a toggle shows a square (filled when on), a choice its current
// option, a colour field a swatch and its number.

#include <algorithm>

#include "sketra/base/textfmt.h"
#include "sketra/ui/dialog_window.h"
#include "sketra/ui/menus.h"
#include "sketra/ui/widget_internal.h"

namespace sketra {

namespace {

using detail::FieldBox;
using detail::PixelScope;
using detail::kFieldChars;

int colour_number(std::string_view value) {
  int c = 0;
  return parse_int(trim(value), c) ? c : 0;
}

void draw_value(const FieldBox& b, FieldKind kind, std::string_view value) {
  grect(b.x, b.y, b.w, b.h, kWhite, 0);
  switch (kind) {
    case FieldKind::toggle: {
      const float xs[] = {b.x + 2, b.x + 12, b.x + 12, b.x + 2}, ys[] = {b.y + 2, b.y + 2, b.y + 12, b.y + 12};
      if (value[0] == '+') grfil2(xs, ys, kBlack);
      grfram(xs, ys, kBlack);
      detail::put_text(b.x + 18, b.y + 3, value.substr(2), kBlack);
      break;
    }
    case FieldKind::choice: {
      int current = 0;
      const std::vector<std::string> options = choice_options(value, current);
      grect(b.x, b.y, b.w, b.h, -2, kBevelRaised);
      detail::put_text(b.x + 3, b.y + 3, current > 0 ? options[size_t(current - 1)] : "?", kBlack);
      detail::put_text(b.x + b.w - 15, b.y + 3, "<>", kBlack);
      break;
    }
    case FieldKind::colour: {
      const int c = colour_number(value);
      const float xs[] = {b.x + 1, b.x + 25, b.x + 25, b.x + 1}, ys[] = {b.y + 1, b.y + 1, b.y + 13, b.y + 13};
      grfil2(xs, ys, c);
      grfram(xs, ys, kBlack);
      detail::put_text(b.x + 31, b.y + 3, fmt_i(c, 3), kBlack);
      break;
    }
    case FieldKind::text:
      grect(b.x, b.y, b.w, b.h, kWhite, kBevelSunken);
      detail::put_text(b.x + 3, b.y + 3, trim(value).substr(0, kFieldChars), kBlack);
      break;
  }
}

// A click on a toggle, choice or colour field: the toggle switches, the
// choice moves on (button 3: back), the colour picker opens.
void change_value(FieldKind kind, std::string& value, int button) {
  if (kind == FieldKind::toggle) {
    value[0] = value[0] == '+' ? '_' : '+';
  } else if (kind == FieldKind::choice) {
    int current = 0;
    const int n = std::min(9, int(choice_options(value, current).size()));
    if (n == 0) return;
    const int next = button == 3 ? (current <= 1 ? n : current - 1) : (current >= n ? 1 : current + 1);
    set_choice(value, next);
  } else if (kind == FieldKind::colour) {
    int c = colour_number(value);
    if (grcmap(-10000, 0, c, 0)) value = fmt_i(c, 3);
  }
}

// Editing of a text field; see grgstr.
InputEvent edit_text(PixelScope& scope, float x, float y, std::string_view prompt, std::string& value,
                     int prompt_chars) {
  const FieldBox b = detail::field_box(x, y, prompt_chars);
  std::string buf(trim(value));
  if (buf.size() > size_t(kFieldBuffer)) buf.resize(size_t(kFieldBuffer));
  size_t cur = buf.size(), off = 0;
  auto draw = [&] {
    if (cur < off) off = cur;
    if (cur >= off + kFieldChars) off = cur - kFieldChars + 1;
    detail::put_text(x + 4, y + 4, trim_right(prompt), kBlack);
    grect(b.x, b.y, b.w, b.h, kWhite, kBevelSunken);
    detail::put_text(b.x + 3, b.y + 3, std::string_view(buf).substr(off, kFieldChars), kBlack);
    const float cx = b.x + 3 + 6 * float(cur - off);
    grcolr(kBlack);
    grmov2(cx, b.y + 2);
    grdrw2(cx, b.y + 12);
    grflip();
  };
  draw();
  for (;;) {
    const InputEvent ev = detail::wait_input(scope, draw, true);
    if (ev.type == kConfigureNotify) {
      value = std::string(trim(buf));
      return ev;
    }
    if (ev.type == kButtonPress) {
      const detail::PixelPoint p = detail::to_pixel(ev.x, ev.y);
      if (ev.code != 1 || !detail::inside_rect(p.x, p.y, b.x, b.y, b.w, b.h)) {
        value = std::string(trim(buf));
        return ev;
      }
      cur = std::min(buf.size(), off + size_t(std::max(0.0f, (p.x - b.x - 3) / 6 + 0.5f)));
    } else if (ev.code == kKeyReturn || ev.code == kKeyEscape) {
      value = std::string(trim(buf));
      return ev;
    } else if (ev.code >= 32 && ev.code <= 126) {
      if (buf.size() >= size_t(kFieldBuffer)) continue;
      buf.insert(cur++, 1, char(ev.code));
    } else if (ev.code == kKeyDelete || ev.code == kKeyBackSpace) {
      if (cur == 0) continue;
      buf.erase(--cur, 1);
    } else if (ev.code == kKeyLeft) {
      if (cur > 0) --cur;
    } else if (ev.code == kKeyRight) {
      if (cur < buf.size()) ++cur;
    } else {
      continue;
    }
    draw();
  }
}

}  // namespace

namespace detail {

void draw_field_row(float x, float y, std::string_view prompt, std::string_view value, int prompt_chars) {
  put_text(x + 4, y + 4, trim_right(prompt), kBlack);
  draw_value(field_box(x, y, prompt_chars), field_kind(prompt, value), value);
}

void change_field(std::string_view prompt, std::string& value, int button) {
  change_value(field_kind(prompt, value), value, button);
}

}  // namespace detail

InputEvent grgstr(float x, float y, std::string_view prompt, std::string& value, int prompt_chars) {
  PixelScope scope;
  if (x == kNearPick) {
    const detail::PixelPoint p = detail::near_pick();
    x = p.x;
    y = p.y - detail::kFormRow;
  }
  const int pc = prompt_chars > 0 ? prompt_chars : int(trim_right(prompt).size());
  const FieldKind kind = field_kind(prompt, value);
  if (kind == FieldKind::text) return edit_text(scope, x, y, prompt, value, pc);
  const FieldBox b = detail::field_box(x, y, pc);
  auto draw = [&] {
    detail::draw_field_row(x, y, prompt, value, pc);
    grflip();
  };
  draw();
  for (;;) {
    const InputEvent ev = detail::wait_input(scope, draw, true);
    if (ev.type == kConfigureNotify) return ev;
    if (ev.type == kKeyPress) {
      if (ev.code == kKeyReturn || ev.code == kKeyEscape) return ev;
      continue;
    }
    const detail::PixelPoint p = detail::to_pixel(ev.x, ev.y);
    if (!detail::inside_rect(p.x, p.y, b.x, b.y, b.w, b.h)) return ev;
    change_value(kind, value, ev.code);
    draw();
  }
}

namespace {

// The colour picker's page: 20 x 10 swatches of 15 pixels showing the
// palette colours 1 ... 200, the chosen one framed, its numbers below and
// the buttons Cancel and Done.
class ColourPage {
 public:
  // At (x, y), or under the menu bar when x is below -1000.
  ColourPage(float x, float y, int colour)
      : at_{x, y}, under_bar_(x < -1000), chosen_(std::clamp(colour, 1, kPaletteSize - 1)) {
    buttons.captions = {" CCancel", " DDone"};
    place();
  }
  // Inside the window as it is now, so that a resize never leaves the page
  // (and its buttons) out of reach.
  void place() {
    const detail::PixelPoint p = detail::fit_box(under_bar_ ? detail::under_bar() : at_, kWidth, kHeight);
    x_ = p.x, y_ = p.y, gx_ = x_ + 8, gtop_ = y_ - 8, info_y_ = gtop_ - 10 * kSwatch - 16;
    buttons.x = x_ + 8;
    buttons.y = info_y_ - 26;
  }
  void draw();
  // The colour under a click, 0 for none.
  int colour_at(const detail::PixelPoint& p) const {
    if (p.x < gx_ || p.y > gtop_) return 0;
    const int col = int((p.x - gx_) / kSwatch), row = int((gtop_ - p.y) / kSwatch);
    return col < 20 && row < 10 ? col + 1 + 20 * row : 0;
  }
  int chosen() const { return chosen_; }
  void choose(int c) { chosen_ = c; }
  detail::ButtonRow buttons;

 private:
  static constexpr float kSwatch = 15;
  static constexpr float kWidth = 20 * kSwatch + 16, kHeight = 10 * kSwatch + 56;
  // Lower-left corner of the swatch of colour c.
  void swatch(int c, float& sx, float& sy) const {
    sx = gx_ + kSwatch * float((c - 1) % 20);
    sy = gtop_ - kSwatch * float((c - 1) / 20 + 1);
  }
  detail::PixelPoint at_;
  bool under_bar_;
  float x_ = 0, y_ = 0, gx_ = 0, gtop_ = 0, info_y_ = 0;
  int chosen_;
};

void ColourPage::draw() {
  place();
  detail::draw_box(x_, buttons.y - 6, kWidth, y_ - (buttons.y - 6));
  // Swatches show the palette entries themselves, whatever the colour mode.
  const int saved_mode = grcomn.colour.mode;
  grcomn.colour.mode = 1;
  float sx = 0, sy = 0;
  for (int c = 1; c < kPaletteSize; ++c) {
    swatch(c, sx, sy);
    grect(sx, sy, kSwatch, kSwatch, c, 0);
    detail::log_layout("colour " + std::to_string(c), sx, sy, kSwatch, kSwatch);
  }
  grcomn.colour.mode = saved_mode;
  swatch(chosen_, sx, sy);
  const float fx[] = {sx, sx + kSwatch, sx + kSwatch, sx}, fy[] = {sy, sy, sy + kSwatch, sy + kSwatch};
  grfram(fx, fy, kBlack);
  int rgb = int(grcomn.colour.palette[size_t(chosen_)]), r = 0, g = 0, b = 0;
  grgcol(rgb, r, g, b, 1);
  detail::put_text(gx_, info_y_,
                   "No " + fmt_i(chosen_, 3) + "  Red:" + fmt_i(r, 3) + " Green:" + fmt_i(g, 3) + " Blue:" + fmt_i(b, 3),
                   kBlack);
  buttons.draw();
  grflip();
}

}  // namespace

bool WindowDialogs::pick_colour(float x, float y, int& colour, int mode) {
  if (!detail::screen_ready()) return false;
  PixelScope scope;
  ColourPage page(x, y, colour);
  page.draw();
  int button = 0;
  while (button == 0) {
    const InputEvent ev = detail::wait_input(scope, [&] { page.draw(); });
    if (ev.type == kKeyPress) {
      button = ev.code == kKeyReturn   ? 2
               : ev.code == kKeyEscape ? 1
                                       : page.buttons.key(detail::upper_key(ev.code));
      continue;
    }
    const detail::PixelPoint p = detail::to_pixel(ev.x, ev.y);
    if (const int c = page.colour_at(p); c > 0) {
      page.choose(c);
      page.draw();
      continue;
    }
    button = page.buttons.hit(p.x, p.y);
  }
  grclean(1);
  if (button == 2) colour = page.chosen();
  return button == 2;
}

}  // namespace sketra
