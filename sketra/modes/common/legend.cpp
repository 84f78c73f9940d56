// The class legend (key) with its title and settings dialogs.
//
// The key is drawn in pixel mode (units are pixels from the lower-left
// corner of the plot frame, y upwards) at the position kept in the display
// settings, held inside the plot area. From the top down it holds a band of
// 24 units with the title and the subtitle, then one framed box per class
// in its class colour, with a tick between neighbouring boxes and the level
// written at it: in a row (horizontal key) or a column with the lowest
// class at the bottom (vertical key). A PIN button at its upper right lets
// the user move it: a click on the pin picks the key up and the next click
// puts it down there.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "sketra/base/textfmt.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/classes.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra {

namespace {

constexpr float kBand = 24;       // title band
constexpr float kBandGap = 4;     // between the band and the boxes
constexpr float kMargin = 4;
constexpr float kLabelRow = 14;   // labels under a horizontal key
constexpr float kLabelWidth = 70; // labels beside a vertical key
constexpr float kPinW = 18, kPinH = 12;

float plot_width() { return float(grcomn.nxingr) * 50 * grcomn.xsclgr; }
float plot_height() { return float(grcomn.nyingr) * 50 * grcomn.ysclgr; }
float key_size() {
  const float s = grcomn.display.key_size;
  return s >= 0.2f ? std::min(s, kMaxKeySize) : 0.2f;
}

size_t title_length() {
  return std::max(trim_right(grcomt.titlgr).size(), trim_right(grcomt.subtitle).size());
}

// Box size of one class: narrower (lower) boxes when the key would not fit
// into the plot otherwise, as after the window was made smaller.
void box_size(float& bw, float& bh) {
  const float s = key_size();
  const float boxes = float(class_count() + 1);
  if (grcomn.ikeygr == kKeyVertical) {
    bw = 20 * s;
    bh = std::min(14 * s, std::max(4.0f, (plot_height() - kBand - kBandGap - 2 * kMargin) / boxes));
  } else {
    bw = std::min(48 * s, std::max(8.0f, (plot_width() - 2 * kMargin - kPinW) / boxes));
    bh = 14 * s;
  }
}

}  // namespace

KeyBox key_box() {
  const int boxes = class_count() + 1;
  float bw = 0, bh = 0;
  box_size(bw, bh);
  const float text_w = std::min(6.5f * float(title_length()), plot_width() - 2 * kMargin - kPinW);
  KeyBox k;
  if (grcomn.ikeygr == kKeyVertical) {
    k.w = std::max(bw + kLabelWidth, text_w) + 2 * kMargin + kPinW;
    k.h = float(boxes) * bh + kBand + kBandGap + 2 * kMargin;
  } else {
    k.w = std::max(float(boxes) * bw, text_w) + 2 * kMargin + kPinW;
    k.h = bh + kLabelRow + kBand + kBandGap + 2 * kMargin;
  }
  DisplaySettings& d = grcomn.display;
  d.key_x = std::clamp(d.key_x, 0.0f, std::max(0.0f, plot_width() - k.w));
  d.key_y = std::clamp(d.key_y, 0.0f, std::max(0.0f, plot_height() - k.h));
  k.x = d.key_x;
  k.y = d.key_y;
  return k;
}

namespace {

void text_at(float x, float y, const std::string& text) {
  grmov2(x, y);
  granot(text, 0);
}

void draw_boxes(const KeyBox& k, std::span<const float> levels) {
  const int n = int(levels.size());
  float bw = 0, bh = 0;
  box_size(bw, bh);
  const float step = n >= 2 ? levels[1] - levels[0] : 0.0f;
  const bool vertical = grcomn.ikeygr == kKeyVertical;
  const float x0 = k.x + kMargin;
  const float y0 = vertical ? k.y + kMargin : k.y + kMargin + kLabelRow;
  {
    ClassPalette palette;
    for (int c = 1; c <= n + 1; ++c) {
      const float bx = vertical ? x0 : x0 + float(c - 1) * bw;
      const float by = vertical ? y0 + float(c - 1) * bh : y0;
      const int colour = class_fill_colour(c);
      const bool filled = colour >= 1 && grclass.scale != ScaleType::none;
      grect(bx, by, bw, bh, filled ? colour : kWhite, kBlack);
    }
  }
  grcolr(kBlack);
  for (int c = 1; c <= n; ++c) {
    const std::string label = level_text(levels[size_t(c - 1)], step);
    if (vertical) {
      const float ty = y0 + float(c) * bh;
      grmov2(x0 + bw, ty);
      grdrw2(x0 + bw + 3, ty);
      text_at(x0 + bw + 6, ty - 3, label);
    } else {
      const float tx = x0 + float(c) * bw;
      grmov2(tx, y0);
      grdrw2(tx, y0 - 3);
      text_at(tx, y0 - 12, "~~" + label);
    }
  }
}

void draw_key(std::span<const float> levels) {
  grclip(0);
  const KeyBox k = key_box();
  grect(k.x, k.y, k.w, k.h, kWhite, kBlack);
  grcolr(kBlack);
  const float top = k.y + k.h;
  text_at(k.x + kMargin, top - 12, std::string(trim_right(grcomt.titlgr)));
  text_at(k.x + kMargin, top - 24, std::string(trim_right(grcomt.subtitle)));
  draw_boxes(k, levels);
  grbutn(grclass.key_pinned ? 4 : 3, k.x + k.w - kPinW - 2, top - kPinH - 2, kPinW, kPinH, "PIN");
  grlayout("key", k.x, k.y, k.w - kPinW - 4, k.h - kBand);  // a click there opens the settings
  grcolr(kBlack);
  grclip(1);
}

bool inside(const KeyBox& k, float x, float y) {
  return x >= k.x && x <= k.x + k.w && y >= k.y && y <= k.y + k.h;
}

bool on_pin(const KeyBox& k, float x, float y) {
  const float px = k.x + k.w - kPinW - 2, py = k.y + k.h - kPinH - 2;
  return x >= px && x <= px + kPinW && y >= py && y <= py + kPinH;
}

void title_dialog() {
  std::string prompts[] = {"Title", "Subtitle"};
  std::string values[] = {std::string(trim_right(grcomt.titlgr)),
                          std::string(trim_right(grcomt.subtitle))};
  if (!grinfo(prompts, values)) return;
  grcomt.titlgr = fixed_width(values[0], kTitleWidth);
  grcomt.subtitle = fixed_width(values[1], kTitleWidth);
}

int choice_of(const std::string& v) {
  int current = 0;
  choice_options(v, current);
  return current;
}

// The twelve fields of the settings dialog with the current settings.
std::array<std::string, 12> settings_values(std::span<const float> levels) {
  const float origin = levels.empty() ? 0.0f : levels[0];
  const float increment = levels.size() >= 2 ? levels[1] - levels[0] : 1.0f;
  const ColourState& col = grcomn.colour;
  return {std::to_string(class_count()),
          number_field(origin, 3),
          number_field(increment, 3),
          toggle_value(contour_lines_on()),
          toggle_value(contour_labels_on()),
          toggle_value(!grclass.transparent_below),
          std::to_string(20 * std::clamp(col.bank, 0, 9) + std::clamp(grclass.uniform_column, 1, 9)),
          "|" + std::to_string(int(grclass.scale)) + "|grey|rainbow|uniform|none",
          "|" + std::to_string(grcomn.ikeygr == kKeyVertical ? 2 : 1) + "|horizontal|vertical",
          number_field(key_size(), 1),
          std::to_string(grcomn.hatch_style),
          std::to_string(int(grcomn.hatch_spacing))};
}

// The numbers of the dialog's fields.
struct SettingsNumbers {
  int n = 0, colour = 0, pattern = 0, distance = 0;
  double origin = 0, increment = 0, size = 0;
};

// Reads the number fields; the prompt of the first that does not read.
const char* read_settings(const std::array<std::string, 12>& v, SettingsNumbers& r) {
  if (!read_field(v[0], r.n) || r.n < 1) return "Contour number";
  if (!read_field(v[1], r.origin)) return "Origin";
  if (!read_field(v[2], r.increment)) return "Increment";
  if (!read_field(v[6], r.colour)) return "Color of scale";
  if (!read_field(v[9], r.size)) return "Size of key";
  if (!read_field(v[10], r.pattern)) return "Fill Pattern";
  if (!read_field(v[11], r.distance)) return "Fill Distance";
  return nullptr;
}

void apply_settings(const std::array<std::string, 12>& v, const SettingsNumbers& r,
                    std::vector<float>& levels) {
  set_contour_lines(toggle_on(v[3]));
  set_contour_labels(toggle_on(v[4]));
  grclass.transparent_below = toggle_on(v[5]) ? 0 : 1;
  if (r.colour >= 1 && r.colour <= 200) {
    if (std::abs(grcomn.colour.mode) == 2) grcomn.colour.bank = (r.colour - 1) / 20;
    grclass.uniform_column = std::clamp((r.colour - 1) % 20 + 1, 1, 9);
  }
  if (const int s = choice_of(v[7]); s >= 1 && s <= 4) grclass.scale = ScaleType(s);
  if (const int t = choice_of(v[8]); t >= 1 && t <= 2) grcomn.ikeygr = t;
  grcomn.display.key_size = r.size >= 0.2 ? float(std::min(r.size, double(kMaxKeySize))) : 0.2f;
  grcomn.hatch_style = std::max(r.pattern, 0);
  grcomn.hatch_spacing = float(std::max(r.distance, 1));
  const int n = std::min(r.n, kMaxClasses);
  levels.resize(size_t(n));
  levels[0] = float(r.origin);
  for (int k = 1; k < n; ++k) levels[size_t(k)] = levels[size_t(k - 1)] + float(r.increment);
  set_class_count(n);
}

}  // namespace

bool key_settings(std::vector<float>& levels) {
  const int n0 = class_count();
  if (levels.size() < size_t(n0)) levels.resize(size_t(n0), levels.empty() ? 0.0f : levels.back());
  std::array<std::string, 12> values = settings_values(levels);
  // Fields that do not read as numbers keep the dialog open for correction.
  for (int round = 0; round < 50; ++round) {
    std::array<std::string, 12> prompts = {"Contour number", "Origin",        "Increment",      "Contour lines",
                                           "Contour labels", "Plot < Origin", "Color of scale", "Scale type",
                                           "Key type",       "Size of key",   "Fill Pattern",   "Fill Distance"};
    if (!grinfo(prompts, values)) return false;
    SettingsNumbers r;
    if (const char* bad = read_settings(values, r)) {
      grmesg(std::string("not a valid number: ") + bad);
      continue;
    }
    apply_settings(values, r, levels);
    return true;
  }
  return false;
}

KeyClick grkey2(std::vector<float>& levels, int direction, int& imcol) {
  if (grcomn.ikeygr == kKeyNone || grcomn.imodgr > 7) return KeyClick::missed;
  imcol = 0;
  const int n = class_count();
  if (levels.size() < size_t(n)) levels.resize(size_t(n), levels.empty() ? 0.0f : levels.back());
  if (direction > 0) {
    draw_key(std::span<const float>(levels.data(), size_t(n)));
    return KeyClick::missed;
  }
  // The control loop hands the click over in world co-ordinates; the key
  // lives in pixel units.
  const PlotState& c = grcomn;
  const float x = float((c.xcrsgr - c.xmingr) * c.xfacgr);
  const float y = float(-(c.ycrsgr - c.ymingr) * c.yfacgr);
  const KeyBox k = key_box();
  if (grclass.key_pinned) {
    DisplaySettings& d = grcomn.display;
    d.key_x = std::max(0.0f, x - grclass.grab_x);
    d.key_y = std::max(0.0f, y - grclass.grab_y);
    grclass.key_pinned = false;
  } else if (!inside(k, x, y)) {
    return KeyClick::missed;
  } else if (on_pin(k, x, y)) {
    grclass.key_pinned = true;
    grclass.grab_x = x - k.x;
    grclass.grab_y = y - k.y;
  } else if (y >= k.y + k.h - kBand) {
    title_dialog();
  } else {
    key_settings(levels);
  }
  return KeyClick::claimed;
}

}  // namespace sketra
