// The window layer of the dialogs: message line, prompts, forms, text
// pages, choices, the start-up plate and the progress bar. The file browser
// lives in browser.cpp, field editing and the colour picker in fields.cpp.

#include "sketra/ui/dialog_window.h"

#include <algorithm>

#include "sketra/base/textfmt.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/menus.h"
#include "sketra/ui/state.h"
#include "sketra/ui/widget_internal.h"

namespace sketra {

MessagePaint message_paint;

namespace {

using detail::PixelPoint;
using detail::PixelScope;

constexpr float kTextRow = 14;
constexpr int kBeamColour = -7;

// The newest messages that fit into the message strip at the bottom of the
// window (all of them in the small window, which has no strip), the oldest
// on top. The strip lies below the plot frame's labels: a message never
// covers them.
void paint_messages(bool wipe) {
  const std::vector<std::string>& all = dialogs.shown;
  const size_t fit = grcomn.small_window ? all.size() : size_t(kMessageStrip / int(kTextRow));
  const std::span<const std::string> shown(all.data() + all.size() - std::min(fit, all.size()), std::min(fit, all.size()));
  const float x0 = detail::window_left(), y0 = detail::window_bottom();
  size_t width = 0;
  for (const auto& l : shown) width = std::max(width, l.size());
  if (wipe) {
    const size_t lines = std::max(message_paint.lines, shown.size());
    const size_t chars = std::max(message_paint.width, width);
    if (lines > 0) grect(x0, y0, 6 * float(chars) + 10, kTextRow * float(lines) + 4, kWhite, 0);
  }
  const size_t n = shown.size();
  for (size_t i = 0; i < n; ++i) detail::put_text(x0 + 5, y0 + 5 + kTextRow * float(n - 1 - i), shown[i], kBlack);
  message_paint = {n, width};
}

size_t longest(std::span<const std::string> lines) {
  size_t n = 0;
  for (const auto& l : lines) n = std::max(n, trim_right(l).size());
  return n;
}

bool is_heading(std::string_view prompt) { return !prompt.empty() && prompt[0] == '#'; }

}  // namespace

namespace detail {

void repaint_messages() {
  if (!screen_ready() || dialogs.shown.empty()) return;
  PixelScope scope;
  paint_messages(false);
}

}  // namespace detail

DialogUi* default_dialog_ui() {
  static WindowDialogs window;
  return &window;
}

void WindowDialogs::message(std::string_view) {
  if (!detail::screen_ready()) return;
  PixelScope scope;
  paint_messages(true);
}

bool WindowDialogs::prompt(std::string_view prompt, std::string& text) {
  if (!detail::screen_ready()) return false;
  PixelScope scope;
  const int pc = std::max(1, int(trim_right(prompt).size()));
  InputEvent end;
  do {
    // Near the last pick; placed anew when the window is resized.
    const detail::FieldBox b = detail::field_box(0, 0, pc);
    const float w = b.x + b.w + 6, h = detail::kFormRow + 8;
    const PixelPoint p = detail::fit_box(detail::near_pick(), w, h);
    detail::draw_box(p.x, p.y - h, w, h);
    end = grgstr(p.x, p.y - 4 - detail::kFormRow, prompt, text, pc);
  } while (end.type == kConfigureNotify);
  grclean(1);
  // Escape ends the prompt without an answer.
  return !(end.type == kKeyPress && end.code == kKeyEscape);
}

namespace {

// A form in the window: one row per field, the buttons Apply, Invert and
// Cancel below.
class FormPage {
 public:
  FormPage(std::span<std::string> prompts, std::span<std::string> values);
  void place();
  void draw();
  // Handles one event: 0 go on, 1 Apply, 3 Cancel. A click that ends a text
  // edit elsewhere is left in `pending` (type kEventNone: none).
  int handle(const InputEvent& ev, InputEvent& pending);

 private:
  float row_y(size_t i) const { return top_.y - 4 - detail::kFormRow * float(i + 1); }
  bool is_text(size_t i) const {
    return !is_heading(prompts_[i]) && field_kind(prompts_[i], values_[i]) == FieldKind::text;
  }
  void edit(size_t i, int button, InputEvent& pending);
  void edit_next(bool down, InputEvent& pending);

  std::span<std::string> prompts_, values_;
  size_t n_;
  int pc_ = 8;
  PixelPoint top_;
  detail::ButtonRow buttons_;
  float box_w_ = 0;
  size_t focus_;
};

FormPage::FormPage(std::span<std::string> prompts, std::span<std::string> values)
    : prompts_(prompts), values_(values), n_(std::min(prompts.size(), values.size())), focus_(n_) {
  for (size_t i = 0; i < n_; ++i) pc_ = std::max(pc_, int(trim_right(prompts_[i]).size()));
  buttons_.captions = {" AApply", " IInvert", " CCancel"};
  const detail::FieldBox fb = detail::field_box(0, 0, pc_);
  box_w_ = std::max(fb.x + fb.w + 8, buttons_.width() + 16);
  place();
}

// Under the menu bar, inside the window as it is now.
void FormPage::place() {
  top_ = detail::fit_box(detail::under_bar(), box_w_, detail::kFormRow * float(n_) + 32);
  buttons_.x = top_.x + 8;
  buttons_.y = row_y(n_) - 22;
}

void FormPage::draw() {
  place();
  detail::draw_box(top_.x, buttons_.y - 6, box_w_, top_.y - (buttons_.y - 6));
  for (size_t i = 0; i < n_; ++i) {
    if (is_heading(prompts_[i]))
      detail::put_text(top_.x + 4, row_y(i) + 4, trim_right(prompts_[i]).substr(1), kBlack);
    else
      detail::draw_field_row(top_.x, row_y(i), prompts_[i], values_[i], pc_);
  }
  for (size_t i = 0; i < n_; ++i) {
    const detail::FieldBox b = detail::field_box(top_.x, row_y(i), pc_);
    if (!is_heading(prompts_[i])) detail::log_layout(trim_right(prompts_[i]), b.x, b.y, b.w, b.h);
  }
  buttons_.draw();
  grflip();
}

// Text is typed in place; the other kinds change by the click.
void FormPage::edit(size_t i, int button, InputEvent& pending) {
  focus_ = i;
  if (!is_text(i)) {
    detail::change_field(prompts_[i], values_[i], button);
  } else {
    const InputEvent end = grgstr(top_.x, row_y(i), prompts_[i], values_[i], pc_);
    if (end.type == kButtonPress) pending = end;
  }
  draw();
}

// The next (previous) text field after the one edited last.
void FormPage::edit_next(bool down, InputEvent& pending) {
  for (size_t step = 1; step <= n_; ++step) {
    const size_t i = focus_ == n_ ? (down ? step - 1 : n_ - step) : (down ? focus_ + step : focus_ + n_ - step) % n_;
    if (is_text(i)) return edit(i, 1, pending);
  }
}

int FormPage::handle(const InputEvent& ev, InputEvent& pending) {
  int answer = 0;
  if (ev.type == kKeyPress) {
    if (ev.code == kKeyReturn) return 1;
    if (ev.code == kKeyEscape) return 3;
    if (ev.code == kKeyDown || ev.code == kKeyUp) {
      edit_next(ev.code == kKeyDown, pending);
      return 0;
    }
    answer = buttons_.key(detail::upper_key(ev.code));
  } else {
    const PixelPoint p = detail::to_pixel(ev.x, ev.y);
    for (size_t i = 0; i < n_; ++i) {
      const detail::FieldBox b = detail::field_box(top_.x, row_y(i), pc_);
      if (is_heading(prompts_[i]) || !detail::inside_rect(p.x, p.y, b.x, b.y, b.w, b.h)) continue;
      edit(i, ev.code, pending);
      return 0;
    }
    answer = buttons_.hit(p.x, p.y);
  }
  if (answer == 2) {
    invert_toggles(prompts_.first(n_), values_.first(n_));
    draw();
    return 0;
  }
  return answer;
}

}  // namespace

bool WindowDialogs::form(std::span<std::string> prompts, std::span<std::string> values) {
  if (!detail::screen_ready()) return false;
  PixelScope scope;
  FormPage page(prompts, values);
  page.draw();
  InputEvent pending;
  int answer = 0;
  while (answer == 0) {
    const InputEvent ev = pending.type != kEventNone ? pending : detail::wait_input(scope, [&] { page.draw(); });
    pending = InputEvent{};
    answer = page.handle(ev, pending);
  }
  grclean(1);
  return answer == 1;
}

void WindowDialogs::text_page(std::span<const std::string> lines) {
  if (!detail::screen_ready()) return;
  PixelScope scope;
  const int n = int(lines.size());
  PixelPoint top;
  int rows = 1;
  size_t chars = 0;
  detail::ButtonRow buttons{0, 0, {" SSave", " DDone"}};
  float box_w = 0;
  // As many lines as the window holds now, under the menu bar.
  auto place = [&] {
    top = detail::under_bar();
    const float usable = top.y - detail::message_strip_top() - 8 - 26 - 12;
    rows = std::clamp(int(usable / kTextRow), 1, std::max(1, n));
    chars = std::min(longest(lines), size_t(std::max(20.0f, (detail::window_right() - top.x - 24) / 6)));
    box_w = std::max(6 * float(chars) + 16, buttons.width() + 150);
    top = detail::fit_box(top, box_w, 8 + kTextRow * float(rows) + 32);
    buttons.x = top.x + 8;
    buttons.y = top.y - 8 - kTextRow * float(rows) - 26;
  };
  int first = 0;
  auto draw = [&] {
    place();
    first = std::clamp(first, 0, std::max(0, n - rows));
    detail::draw_box(top.x, buttons.y - 6, box_w, top.y - (buttons.y - 6));
    for (int r = 0; r < rows && first + r < n; ++r) {
      const std::string_view l = trim_right(lines[size_t(first + r)]);
      detail::put_text(top.x + 8, top.y - 4 - kTextRow * float(r + 1) + 3, l.substr(0, chars), kBlack);
    }
    buttons.draw();
    if (n > rows)
      detail::put_text(buttons.x + buttons.width() + 10, buttons.y + 5,
                       "lines " + std::to_string(first + 1) + "-" + std::to_string(std::min(n, first + rows)) + " of " +
                           std::to_string(n),
                       kBlack);
    grflip();
  };
  draw();
  for (;;) {
    const InputEvent ev = detail::wait_input(scope, draw);
    int button = 0;
    if (ev.type == kKeyPress) {
      if (ev.code == kKeyUp || ev.code == kKeyDown) {
        first += ev.code == kKeyUp ? -1 : 1;
        draw();
        continue;
      }
      if (ev.code == kKeyPageUp || ev.code == kKeyPageDown) {
        first += ev.code == kKeyPageUp ? -rows : rows;
        draw();
        continue;
      }
      button = ev.code == kKeyEscape ? 2 : buttons.key(detail::upper_key(ev.code));
    } else if (ev.code == 4 || ev.code == 5) {
      first += ev.code == 4 ? -3 : 3;
      draw();
      continue;
    } else {
      const PixelPoint p = detail::to_pixel(ev.x, ev.y);
      button = buttons.hit(p.x, p.y);
    }
    if (button == 2) break;
    if (button == 1) {
      save_text_lines(lines);
      draw();
    }
  }
  grclean(1);
}

void WindowDialogs::plate(std::span<const std::string> lines) {
  if (!detail::screen_ready() || lines.empty()) return;
  PixelScope scope;
  const PlotState& c = grcomn;
  const float frame_w = float(c.nxingr) * 50 * c.xsclgr, frame_h = float(c.nyingr) * 50 * c.ysclgr;
  const float w = 6 * float(longest(lines)) + 40, h = 15 * float(lines.size()) + 20;
  const float x = frame_w / 2 - w / 2, y = frame_h / 2 - h / 2;
  grect(x, y, w, h, kWhite, kBevelRaised);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view l = trim_right(lines[i]);
    detail::put_text(frame_w / 2 - 3 * float(l.size()), y + h - 10 - 15 * float(i) - 8, l, kBlack);
  }
  grflip();
}

void WindowDialogs::beam(int percent, std::string_view text) {
  if (!detail::screen_ready()) return;
  PixelScope scope;
  const std::string_view t = trim_right(text);
  // The bar stays on screen after the work it shows (until the next
  // redraw), so it goes into the message strip, at its right end, clear of
  // the axis labels under the plot and of the messages at the strip's
  // left; YBEAMGR lifts it from the strip's top line. The small window has
  // no strip: there it sits under the plot's lower left corner.
  float x = 0, y = grcomn.ybeamgr - 14;
  if (!grcomn.small_window) {
    x = std::max(detail::window_left() + 2, detail::window_right() - 214 - 6 * float(t.size()));
    y += detail::message_strip_top();
  }
  grclean(0, x - 1, x + 211 + 6 * float(t.size()), y - 3, y + 12);
  grect(x, y, 200, 10, kWhite, 0);
  const int cells = int(float(percent) * 0.5f + 0.5f);
  if (cells > 0) grect(x, y, 4 * float(cells), 10, kBeamColour, 0);
  const float fx[] = {x, x + 200, x + 200, x}, fy[] = {y, y, y + 10, y + 10};
  grfram(fx, fy, kBlack);
  grect(x + 204, y - 2, 6 * float(t.size()) + 6, 14, kWhite, 0);
  detail::put_text(x + 206, y + 1, t, kBlack);
  grflip();
}

int WindowDialogs::choice(std::span<const std::string> captions) {
  if (!detail::screen_ready() || captions.empty()) return 0;
  PixelScope scope;
  constexpr float kRow = 15;
  const int n = int(captions.size());
  const float w = 6 * float(longest(captions)) + 16, h = kRow * float(n) + 8;
  PixelPoint p;
  auto draw = [&] {
    p = detail::fit_box(detail::near_pick(), w, h);
    detail::draw_box(p.x, p.y - h, w, h);
    grcolr(kBlack);
    for (int i = 0; i < n; ++i) {
      const std::string_view c = trim_right(captions[size_t(i)]);
      grano3(p.x + 8, p.y - 4 - kRow * float(i + 1) + 4, c);
      detail::log_layout(c.substr(std::min<size_t>(1, c.size())), p.x, p.y - 4 - kRow * float(i + 1), w, kRow);
    }
    grflip();
  };
  draw();
  int chosen = 0;
  for (;;) {
    const InputEvent ev = detail::wait_input(scope, draw);
    if (ev.type == kKeyPress) {
      if (ev.code == kKeyEscape) break;
      const int key = detail::upper_key(ev.code);
      for (int i = 0; i < n && chosen == 0; ++i)
        if (!captions[size_t(i)].empty() && detail::upper_key(static_cast<unsigned char>(captions[size_t(i)][0])) == key)
          chosen = i + 1;
      if (chosen > 0) break;
      continue;
    }
    const PixelPoint c = detail::to_pixel(ev.x, ev.y);
    if (detail::inside_rect(c.x, c.y, p.x, p.y - h, w, h)) {
      const int row = int((p.y - 4 - c.y) / kRow);
      if (row >= 0 && row < n) chosen = row + 1;
    }
    break;
  }
  grclean(1);
  return chosen;
}

}  // namespace sketra
