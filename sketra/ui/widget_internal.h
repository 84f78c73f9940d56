#pragma once
// Helpers shared by the menu and dialog widgets (not for callers).
//
// Widgets draw in pixel mode: x to the right and y upwards, in pixels from
// the lower-left corner of the plot frame (grclip). Events arrive in device
// pixels (y downwards from the window's top); `to_pixel` converts them.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sketra/kernel/driver.h"
#include "sketra/kernel/plot.h"

namespace sketra::detail {

// Enters pixel mode unless it is already active, and leaves it again on
// destruction only if it entered. leave() / enter() let a widget hand
// control to world-co-ordinate code (a hook) in between.
class PixelScope {
 public:
  PixelScope() { enter(); }
  ~PixelScope() { leave(); }
  PixelScope(const PixelScope&) = delete;
  PixelScope& operator=(const PixelScope&) = delete;
  void enter() {
    if (grcomn.pixel_save.live) return;
    grclip(0);
    entered_ = true;
  }
  void leave() {
    if (!entered_) return;
    grclip(1);
    entered_ = false;
  }

 private:
  bool entered_ = false;
};

struct PixelPoint {
  float x = 0;
  float y = 0;
};

// Pixel-mode position of a device pixel (valid in pixel mode).
inline PixelPoint to_pixel(int dev_x, int dev_y) {
  return {float(dev_x) - grcomn.xorggr, grcomn.yorggr - float(dev_y)};
}

// Window edges in pixel-mode units (valid in pixel mode).
inline float window_left() { return -grcomn.xorggr; }
inline float window_right() { return float(grcomn.wndwgr[2]) - grcomn.xorggr; }
inline float window_top() { return grcomn.yorggr; }
inline float window_bottom() { return grcomn.yorggr - float(grcomn.wndwgr[3]); }

// True when widgets can draw and wait for the person: a screen mode is open.
bool screen_ready();

// Writes `text` with its baseline starting at (x, y) in colour `colour`.
void put_text(float x, float y, std::string_view text, int colour);

// A window resized to width x height: WNDWGR(3), WNDWGR(4) take the size,
// the screen mode is applied again, the interval counts follow the new size
// and the device factors are recomputed; grcomn.resizes counts it, so that
// whoever owns the picture under a dialog lays it out again once the dialog
// is closed. Returns false when the size did not change. Must be called
// outside pixel mode.
bool apply_resize(int width, int height);

// Waits for the next key or button press; a button press also becomes the
// cursor pick (XCRSGR, YCRSGR). Expose events call `redraw`. A resize
// leaves pixel mode, applies the new size, re-enters, wipes the widgets
// drawn so far (grclean) and calls `redraw`, which places the dialog anew
// (fit_box); with `report_resize` it returns the resize event instead of
// redrawing, for a field edit whose dialog must be placed anew first.
// Other events are ignored.
InputEvent wait_input(PixelScope& scope, const std::function<void()>& redraw, bool report_resize = false);

// Lower edge of the area dialogs may cover: the top of the message strip
// (pixel-mode units), so that messages shown while a dialog is open stay
// readable.
inline float message_strip_top() { return window_bottom() + (grcomn.small_window ? 0.0f : float(kMessageStrip)); }

// The upper-left corner of a box of w x h wanted at `at`, moved into the
// window above the message strip. A box taller than that keeps its lower
// edge (where the buttons are) in the window and loses its top; a box wider
// than the window keeps its left side.
PixelPoint fit_box(PixelPoint at, float w, float h);

// True when (px, py) lies in the rectangle x ... x + w, y ... y + h.
inline bool inside_rect(float px, float py, float x, float y, float w, float h) {
  return px >= x && px <= x + w && py >= y && py <= y + h;
}

// Key code of an event with lower-case letters turned to upper case.
inline int upper_key(int code) { return code >= 'a' && code <= 'z' ? code - 32 : code; }

// Upper-left corner (pixel-mode units) of a dialog placed near the last
// cursor pick: 50 pixels up and left of it, at least 20 pixels from the
// window's left and top edges and within the window less 350 x 150 pixels.
PixelPoint near_pick();

// Upper-left corner of the dialogs that sit under the menu bar.
inline PixelPoint under_bar() { return {30, window_top() - 26}; }

// A dialog box: white, with a raised bevel, registered for wiping.
void draw_box(float x, float y, float w, float h);

// Draws the lines of the message line again (after a wipe).
void repaint_messages();

// The value area of a field row whose lower-left corner is (x, y) and whose
// prompt column is `prompt_chars` characters wide.
inline constexpr int kFieldChars = 30;  // characters a field shows
inline constexpr float kFormRow = 16;
struct FieldBox {
  float x = 0, y = 0, w = 0, h = 0;
};
inline FieldBox field_box(float x, float y, int prompt_chars) {
  return {x + 12 + 6 * float(prompt_chars), y + 1, 6 * kFieldChars + 6, 14};
}
// Draws the prompt and the value of a field row (text fields unedited).
void draw_field_row(float x, float y, std::string_view prompt, std::string_view value, int prompt_chars);
// A click (button 1 ... 3) on a toggle, choice or colour field: the toggle
// switches, the choice moves to its next option (button 3: the previous
// one), the colour picker opens. Text fields are left alone.
void change_field(std::string_view prompt, std::string& value, int button);

// Appends one line to the layout log (see menus.h) for a clickable box
// with lower-left corner (x, y), size w x h in pixel-mode units, showing
// `label`. Does nothing when SKETRA_LAYOUT_LOG is not set or the label is
// empty. Valid in pixel mode.
void log_layout(std::string_view label, float x, float y, float w, float h);

// Buttons of a dialog in one row, 76.5 pixels wide, 78.5 apart.
struct ButtonRow {
  float x = 0, y = 0;
  std::vector<std::string> captions;
  void draw() const;
  // The button hit by a click at pixel-mode (px, py), drawn pressed; 0 none.
  int hit(float px, float py) const;
  // The button whose hot key is `key` (upper case); 0 none.
  int key(int key) const;
  float width() const { return float(captions.size()) * 78.5f - 2; }
};

}  // namespace sketra::detail
