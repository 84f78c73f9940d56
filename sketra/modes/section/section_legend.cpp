// The legend of the section viewer.
//
// It is drawn in pixel mode (units are pixels from the lower-left corner of
// the plot frame, y upwards) with its lower-left corner at the key position
// of the display settings, held inside the plot frame. From the top: the
// title and the subtitle, then one row per named line with the line's
// symbol, a sample of its dash and colour (lines drawn as polylines only)
// and the name. A PIN button at its top right picks it up; the next click
// puts it down there. A click elsewhere in it opens a form of the titles
// and the names.

#include <algorithm>
#include <cstdlib>

#include "sketra/base/textfmt.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/section/section_viewer.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra {

namespace {

constexpr float kRow = 12;
constexpr float kPinW = 18, kPinH = 12;

float factor() { return std::max(grcomn.scaling, 0.1f); }

struct Box {
  float x = 0, y = 0, w = 0, h = 0;
  float top() const { return y + h; }
};

bool named(std::size_t k) { return k < grsect.names.size() && !trim_right(grsect.names[k]).empty(); }

Box legend_box(int lines) {
  std::size_t longest = std::max<std::size_t>({16, trim_right(grcomt.titlgr).size(), trim_right(grcomt.subtitle).size()});
  int rows = 0;
  for (int k = 0; k < lines; ++k) {
    if (!named(std::size_t(k))) continue;
    ++rows;
    longest = std::max(longest, trim_right(grsect.names[std::size_t(k)]).size() + 7);
  }
  Box b;
  b.w = 6.5f * float(longest) + 20 * factor();
  b.h = float(rows + 4) * kRow;
  const float pw = float(grcomn.nxingr) * 50 * grcomn.xsclgr, ph = float(grcomn.nyingr) * 50 * grcomn.ysclgr;
  DisplaySettings& d = grcomn.display;
  d.key_x = std::clamp(d.key_x, 0.0f, std::max(0.0f, pw - b.w));
  d.key_y = std::clamp(d.key_y, 0.0f, std::max(0.0f, ph - b.h));
  b.x = d.key_x, b.y = d.key_y;
  return b;
}

Box pin_of(const Box& b) { return {b.x + b.w - kPinW - 2, b.top() - kPinH - 2, kPinW, kPinH}; }

bool inside(const Box& b, float x, float y) { return x >= b.x && x <= b.x + b.w && y >= b.y && y <= b.top(); }

void text_at(float x, float y, std::string_view text) {
  grmov2(x, y);
  grano2(text, 0, 1);
}

void draw_rows(const SectionLines& l, const Box& b) {
  const float f = factor();
  float y = b.top() - 24 - kRow * f;
  for (int k = 1; k <= l.lines(); ++k) {
    if (!named(std::size_t(k - 1))) continue;
    const int style = l.style[std::size_t(k - 1)], symbol = l.symbol[std::size_t(k - 1)];
    const float x0 = b.x + 4;
    grmov2(x0, y + 3);
    grsymb(symbol);
    if (style > 0) {
      grdash(style % 100);
      grcolr(style / 100);
      grmov2(x0, y + 3);
      grdrw2(x0 + 30 * f, y + 3);
      grdump();
      grdash(1);
      grsymb(symbol);
    }
    grdump();
    grcolr(kBlack);
    text_at(b.x + 40 * f, y, trim_right(grsect.names[std::size_t(k - 1)]).substr(0, 32));
    y -= kRow * f;
  }
}

void draw_legend(const SectionLines& l) {
  grclip(0);
  if (grcomn.ikeygr < 1) {
    grbutn(0, 0, 0, 60, kButtonHeight, "-KKey");
    grclip(1);
    return;
  }
  const Box b = legend_box(l.lines());
  grect(b.x, b.y, b.w, b.h, kWhite, 0);
  const float fx[4] = {b.x, b.x + b.w, b.x + b.w, b.x}, fy[4] = {b.y, b.y, b.top(), b.top()};
  grfram(fx, fy, kBlack);
  const Box pin = pin_of(b);
  grbutn(grsect.key_pinned ? 2 : 0, pin.x, pin.y, pin.w, pin.h, "PIN");
  grcolr(kBlack);
  text_at(b.x + 20 * factor(), b.top() - 12, trim_right(grcomt.titlgr));
  text_at(b.x + 20 * factor(), b.top() - 24, trim_right(grcomt.subtitle));
  draw_rows(l, b);
  grcolr(kBlack);
  grclip(1);
}

// The form of the titles and the names; nothing changes when cancelled.
void edit_legend(int lines) {
  std::vector<std::string> prompts = {"Title", "Subtitle"};
  std::vector<std::string> values = {std::string(trim_right(grcomt.titlgr)), std::string(trim_right(grcomt.subtitle))};
  for (int k = 0; k < lines && std::size_t(k) < grsect.names.size(); ++k) {
    prompts.push_back("Legend");
    values.push_back(std::string(trim_right(grsect.names[std::size_t(k)])));
  }
  if (!grinfo(prompts, values)) return;
  grcomt.titlgr = fixed_width(values[0], kTitleWidth);
  grcomt.subtitle = fixed_width(values[1], kTitleWidth);
  for (std::size_t k = 2; k < values.size(); ++k) grsect.names[k - 2] = fixed_width(values[k], kSectionNameWidth);
}

}  // namespace

bool grkey1(const SectionLines& l, bool draw) {
  if (grcomn.imodgr > 7) return false;
  if (draw) {
    draw_legend(l);
    return false;
  }
  if (grcomn.ikeygr < 1) return false;
  // The loop hands the click over in world co-ordinates; the legend lives
  // in pixel units.
  const PlotState& c = grcomn;
  const float x = float((c.xcrsgr - c.xmingr) * c.xfacgr);
  const float y = float(-(c.ycrsgr - c.ymingr) * c.yfacgr);
  const Box b = legend_box(l.lines());
  if (grsect.key_pinned) {
    grcomn.display.key_x = std::max(0.0f, x);
    grcomn.display.key_y = std::max(0.0f, y);
    grsect.key_pinned = false;
    return true;
  }
  if (!inside(b, x, y)) return false;
  if (inside(pin_of(b), x, y)) grsect.key_pinned = true;
  else edit_legend(l.lines());
  return true;
}

}  // namespace sketra
