#pragma once
// Menus: rows and columns of rounded buttons labelled by caption cells,
// answered by a click or a hot key.
//
// A caption cell is a fixed-width text (32 characters in the application's
// menus, 16 in the control loop):
//   position 1    state flag: " " normal, "-" disabled (white text and frame,
//                 not selectable), "<" pick button (see grcurs)
//   position 2    hot key (letters in upper case)
//   position 3... label; at most 10 characters are shown, a longer label
//                 shows its first 9 characters and "_"
// A cell whose positions 2-3 are blank is a gap (an empty white area); a
// cell starting with "PIN" is a label-less pushpin button.
//
//   std::vector<std::string> cells = {" FFile", "-EEdit", " ??"};
//   int sel = -1;                      // a horizontal bar
//   float x = 0, y = 0;
//   sketra::grcurs(cells, sel, x, y);  // sel: 1 ... 3, or 0 for a key or
//                                      // click that chose nothing
//
// grcurs draws the menu, waits for one event and returns which entry was
// chosen together with the cursor position, so the same call is a menu and
// a cursor input. Script entries (script.h) answer it before the person:
// "V 12.5 30" chooses the entry with hot key V at x = 12.5, y = 30, and
// "#9" chooses the ninth entry whatever its hot key (for entries whose hot
// key an earlier entry already takes, such as " VViews" after "<VValue").
//
// The layout log. When the environment variable SKETRA_LAYOUT_LOG names a
// file, every menu, dialog and file-browser page appends to it, each time
// it is drawn, one line per box a click can choose (menu entries that are
// not disabled, dialog buttons, form fields, pick-list rows, browser
// entries, and the colour picker's swatches as "colour k"):
//
//   <left> <top> <width> <height> <label>
//
// in window pixels (integers, y downwards from the window's top edge) and
// the label as shown. A script that drives korvel with the pointer takes
// the last line with the label it wants and clicks the box's centre, and so
// does not depend on the layout:
//
//   55 3 77 17 File      <- the File button of the main menu bar
//
// Widgets drawn outside this module log their clickable boxes with grlayout.

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sketra {

// Layouts of grcurs (the `sel` argument on entry).
inline constexpr int kMenuBar = -1;      // any negative value: a horizontal bar
inline constexpr int kMenuColumn = 0;    // a column at the right edge of the window
inline constexpr int kMenuPoll = 100;    // look at pending input without waiting
// 1 ... 99: a pull-down column under entry k of the last bar.

// Answers of grcurs besides the entry numbers.
inline constexpr int kMenuNothing = 0;     // a key without entry, a click on no entry
inline constexpr int kMenuRightButton = -3;
inline constexpr int kMenuWheelUp = -4;
inline constexpr int kMenuWheelDown = -5;
inline constexpr int kMenuPanned = -9;     // an arrow key has panned the window
inline constexpr int kMenuInterrupt = -10; // polling: Escape, or a click on no entry

// Geometry of the menus, pixels.
inline constexpr float kButtonHeight = 17;
inline constexpr float kButtonMaxWidth = 76.5f;
inline constexpr float kRowStep = 19;

// What a caller (the display-mode loop) adds to a menu wait. Each hook is
// called outside pixel mode, so it may draw in world co-ordinates.
struct MenuHooks {
  // Once per call, before anything is drawn or read.
  std::function<void()> on_entry;
  // A click (button 1 or 2) that hit no entry, at world (x, y). Return true
  // to claim it: the menu is drawn again and waits for the next event.
  // Otherwise the click is returned (as 0, or as the armed pick entry).
  std::function<bool(float x, float y)> on_miss;
  // After an arrow key has panned the window, before -9 is returned.
  std::function<void()> on_pan;
  // After an expose or a resize, before the buttons are drawn again; also
  // on entry when the window was resized since a menu with this hook was
  // last shown (while a dialog or a menu without it was open), so that the
  // owner lays out its picture for the new size.
  std::function<void()> on_window_change;
};

// Shows menu `captions` and waits for one event (see the layouts above).
// Out: sel = the chosen entry 1 ... n, or 0, -3 (right button), -4 / -5
// (wheel), -9 (arrow-key pan); x, y = the cursor position in world
// co-ordinates (from a script entry: the two numbers after its first word,
// or unchanged). XCRSGR, YCRSGR get the cursor position in pixel-mode units.
// Disabled entries cannot be chosen by key or click. A click on a "<" entry
// arms it: the next click that hits no entry returns it with that click's
// position. While polling (sel = 100) nothing is drawn and nothing is read
// from the script queue: a pending hot key or click on an entry gives the
// entry, the right button and the wheel their codes, Escape or a click
// on no entry kMenuInterrupt, anything else (or nothing pending) 0. A
// column taller than the window wraps into further columns to its left.
// Without a window (no screen mode open) an empty script queue gives 0.
void grcurs(std::span<const std::string> captions, int& sel, float& x, float& y,
            const MenuHooks* hooks = nullptr);

// One button with lower-left corner (x, y), size w x h, in pixel-mode units.
//   mode 0  draws it;
//   mode 1  tests whether (cx, cy) lies in it; on a hit draws it pressed,
//           shows the picture, pauses 90 ms (690 ms for a pick button) and
//           returns 1;
//   mode 2  draws it pressed (a highlighted entry), no pause;
//   mode 3, 4  draw it normal or pressed as part of the picture (a legend's
//           pin): it is not wiped with the widgets.
// Every other drawn button registers its rectangle, one pixel larger on
// each side, for grclean. Nothing happens in the file output modes
// (returns 0).
int grbutn(int mode, float x, float y, float w, float h, std::string_view caption, float cx = 0,
           float cy = 0);

// Writes `text` (hot key first, then the label; no state flag) with the
// label's baseline at (x, y) and underlines the first label character,
// ignoring the last, that equals the hot key (only characters above "/",
// lower case as upper): a 5-pixel line one pixel below the baseline.
void grano3(float x, float y, std::string_view text);

// Registered areas (pixel-mode units) that buttons and dialogs cover:
//   k = 0   registers x1 ... x2, y1 ... y2 (at most 200 are kept);
//   k = -1  forgets them all;
//   other   wipes them all (white, newest first), shows the picture and
//           forgets them.
void grclean(int k, float x1 = 0, float x2 = 0, float y1 = 0, float y2 = 0);

// Fill colour of a button by its caption (white for gaps).
int button_fill(std::string_view caption);
// The label a button shows: positions 3 ... of the caption without trailing
// blanks, at most 10 characters (a longer one: 9 and "_").
std::string button_label(std::string_view caption);

// Appends a clickable box (lower-left corner x, y and size w x h in
// pixel-mode units) to the layout log under `label`.
void grlayout(std::string_view label, float x, float y, float w, float h);

// Menu state kept between calls of grcurs.
struct MenuState {
  int highlighted = 0;    // the entry drawn pressed ("down"), 0 none
  int columns = 0;        // layout of the last menu
  int rows = 0;
  int armed = 0;          // armed pick entry, 0 none
  int last_column = 0;    // entries of the last column menu
  float bar_width = kButtonMaxWidth;   // button width of the last bar
  float bar_x = -10;      // x of the first bar button, pixel-mode units
  float bar_step = 0;     // x step between bar buttons
  float bar_y = 0;        // lower edge of the bar buttons
  // Lower-left corners and width of the buttons of the last menu drawn.
  std::vector<float> xs, ys;
  float width = kButtonMaxWidth;
  int resizes = 0;  // grcomn.resizes when a menu with on_window_change last ran
};
extern MenuState menus;
void menus_reset();

}  // namespace sketra
