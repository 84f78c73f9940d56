#pragma once
// The display-mode loop: every picture with axes, zoom, pan, named views,
// hard copies and a mode menu runs inside grctrl.
//
// A display mode hands grctrl a view callback. The loop owns the window,
// the axes, the titles and the control menu; the callback draws the mode's
// data, and the mode's own menu entries are a table of captions and
// handlers. The loop calls the callback with a code:
//
//   kViewExtents (0)  at the start of each outer round (entry, Original):
//                     put the data extents into w (x min, x max, y min,
//                     y max, absolute co-ordinates) and declare the mode's
//                     entries (set_entries)
//   kViewDraw    (1)  draw the data: after the plot area is cleared and the
//                     scales are set, and to draw into a hard-copy or keep
//                     file (to_file() is then true). Long drawing asks
//                     interrupted() every so often and stops when it says so
//   kViewValue   (2)  after the pick entry Value: w[0], w[1] hold the picked
//                     world point (relative to the origin); report the value
//   kViewOverlay (3)  after code 1 and the axes, and on entry to every menu
//                     wait: draw what must lie on top (legends, markers)
//   kViewClick   (4)  a click in the window that hit no menu entry, at
//                     (x, y): request(ViewRequest::replot) claims it (the
//                     loop redraws and waits again); otherwise the loop
//                     handles the click itself (zoom, axis dialogs)
//
// Entry k of the mode's table is control-menu cell 13 + k; when it is
// chosen the loop runs its handler with code -k and the cursor at (x, y).
// A callback or a handler never queues hot keys for the loop: what is to
// happen next it asks for with request() (see ViewRequest), and the loop
// carries that out once the call has returned.
//
// The mode keeps its own data: the callback and the handlers are any
// callables, typically lambdas that capture the mode's arrays and options.
//
//   sketra::PlotTitles titles{"Depth", "", "[m]", "[m]"};
//   sketra::grctrl([&](sketra::ViewContext& v) {
//     switch (v.code) {
//       case sketra::kViewExtents: {
//         v.w = {x0, x1, y0, y1};
//         const sketra::ModeEntry entries[] = {
//             {"<NNearest", [&](sketra::ViewContext& e) { nearest(e.x, e.y); }},
//             {" GGrid", [&](sketra::ViewContext& e) {
//                lines = !lines;
//                e.request(sketra::ViewRequest::replot);
//              }},
//             {" ??", [](sketra::ViewContext&) { help(); }}};
//         v.set_entries(entries);
//         break;
//       }
//       case sketra::kViewDraw:
//         for (int row = 0; row < rows; ++row) {
//           if (row % 16 == 0 && v.interrupted()) return;
//           draw_row(row);
//         }
//         break;
//     }
//   }, 0, titles);

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sketra/control/blocks.h"
#include "sketra/kernel/plot.h"

namespace sketra {

inline constexpr int kViewExtents = 0;
inline constexpr int kViewDraw = 1;
inline constexpr int kViewValue = 2;
inline constexpr int kViewOverlay = 3;
inline constexpr int kViewClick = 4;

inline constexpr int kLibraryCells = 12;  // control-menu cells of the loop itself
inline constexpr int kGapCell = 13;       // the empty cell before the mode's entries
inline constexpr int kMaxModeEntries = kControlCells - kGapCell;  // 16
static_assert(kMaxModeEntries >= 14, "a mode has room for 13 entries and its help cell");

// What a mode asks the loop to do once the call that asked has returned.
// When one call asks for several things, the last in this order wins.
enum class ViewRequest {
  none,      // nothing: after an entry the menu waits again, without a redraw
  replot,    // redraw the view; at code 4 this claims the click
  repeat,    // after an entry: redraw, then run the same entry again (a
             // dialog whose Replot shows the picture and comes back)
  original,  // back to the data extents: a new outer round (code 0, redraw)
  exit,      // leave the mode as eXit does
};

class ViewContext;

// One entry of a mode's menu: its caption cell (16 characters: state flag,
// hot key, label; see menus.h) and its handler. An entry whose hot key an
// earlier cell takes is still chosen by a click or the script line "#k".
struct ModeEntry {
  std::string_view caption;
  std::function<void(ViewContext&)> run;  // empty: the entry does nothing
};

// What the loop hands the view callback and the entry handlers.
class ViewContext {
 public:
  ViewContext(int code, std::array<double, 4>& w, float x = 0, float y = 0, Cplot* cplot = nullptr)
      : code(code), w(w), x(x), y(y), cplot(cplot) {}

  int code;                     // kView... or -k for the mode's k-th entry
  std::array<double, 4>& w;     // shared with the loop (see the codes)
  float x, y;                   // world point of a click or entry (codes 4 and -k)
  Cplot* cplot;                 // the plot-parameter block given to grctrl, if any

  // True while drawing into a hard-copy or keep file (code 1).
  bool to_file() const;

  // Declares the mode's menu (code 0): the captions become control-menu
  // cells 14, 15, ... and the menu shows 13 + their count; the table is
  // copied, so it may be a temporary. At most kMaxModeEntries entries; more
  // is a programming error (FatalError).
  void set_entries(std::span<const ModeEntry> entries);

  // Asks the loop for a redraw, a repeat, the original view or the exit
  // (see ViewRequest); the strongest request of the call counts.
  void request(ViewRequest r);
  ViewRequest requested() const { return request_; }

  // Long work (drawing a large picture, a long computation in a handler)
  // asks this every so often: true when the person has pressed Escape,
  // clicked, or chosen an entry of the control menu (by hot key or click)
  // since the work began. The work should then stop and return; a chosen
  // entry (or a zoom by the wheel or the right button) is carried out next,
  // before the menu waits. Once true it stays true for this call. It looks
  // at pending input without waiting, so a call costs a few system calls:
  // ask every few rows, not per primitive. Always false while drawing into
  // a file or without a window.
  bool interrupted();

 private:
  ViewRequest request_ = ViewRequest::none;
  bool stopped_ = false;
};

using ViewCallback = std::function<void(ViewContext&)>;

// Title, subtitle and axis labels of a plot (80, 80, 40 and 40 characters).
struct PlotTitles {
  std::string title, subtitle, xlabel, ylabel;

  // From a titles text: characters 1-80 title, 81-160 subtitle, 161-200
  // x-axis label, 201-240 y-axis label (missing characters are blanks).
  static PlotTitles from_text(std::string_view text);
  std::string to_text() const;  // 240 characters
};

// Runs the display mode until eXit. `options`, when positive, sets option
// switch k for bit k - 1 (k = 1 ... 6 and 8 ... 13; bit 6 is ignored).
// Titles edited by the user are copied back. With IN15GR = 1 the view is
// drawn once (codes 0, 1, 3) and grctrl returns without a menu. When no
// output is open the window is opened first (grinit with output unit 6
// leaves it closed); eXit closes it again in that case unless IN08GR is 1.
// eXit writes the settings file unless the small window is in use.
void grctrl(const ViewCallback& view, int options, PlotTitles& titles, Cplot* cplot = nullptr);

// The state of the loop that lives between its calls and its actions.
struct ScreenShotOptions {
  bool frame = false;  // "with frame": the window manager's frame too
  bool crop = true;    // "crop": leave out the menu column at the right
  bool date = true;    // "with date": date stamp and FIRMGR below the frame
};
struct YawState {
  bool fixed_set = false;  // the fixed point of the rotations
  float xf = 0, yf = 0, zf = 0;
  float delta = 10;        // degrees
};
struct ControlState {
  bool entered = false;            // grctrl has run in this process
  int nx = 0, ny = 0;              // interval counts and scales at the last redraw
  float xscl = 0, yscl = 0;
  int resizes = 0;                 // grcomn.resizes at the last redraw
  std::array<double, 4> extents{}; // data extents of the last outer round (absolute)
  std::array<double, 4> w{};       // W of the running mode
  int view_calls = 0;              // calls of the view callback (tests)
  ScreenShotOptions shot;
  std::vector<std::string> pending_shot;  // argument vector run after the next redraw
  std::string pending_shot_file;
  YawState yaw;
};
extern ControlState ctrl;
// Back to the start of a run (tests).
void control_reset();

// ---------------------------------------------------------------- axes

// Pass 0 sets the scales: while INDSGR is 1 the window becomes round
// multiples of a step (grscal) that cover the absolute extents x min ...
// y max; with IN02GR = 1 both axes get the same step. Every pass
// recomputes the device factors and sets the clip window to the window.
// Pass 1 draws, on the screen only: titles, date line, grid, frame, ticks
// and labels (absolute co-ordinates).
void graxes(double xmin, double xmax, double ymin, double ymax, int pass);

// Axis label of `value` for ticks `step` apart: digits n (with the sign),
// decimals d (the fewest that make step * 10^d an integer within 1 %),
// width n + d + 1 (n without decimals), centred in 12 characters unless
// `pad` is false; exponent form when it does not fit. Returns the width.
int grprnt(double value, double step, std::string& text, bool pad = true);

// ---------------------------------------------------------------- tools

// The three-dimensional view menu. Returns true after an action (a turn,
// Grow, Delta, ...): the screen has been cleared, and the loop replots and
// opens this menu again by itself. False after eXit.
bool gryaw();

// Rotates the viewing matrix about the fixed point by `degrees` in the
// plane of screen axes a and b (0 x, 1 y, 2 depth); the fixed point keeps
// its screen position.
void rotate_view(int a, int b, float degrees);

// The free-drawing tool of the Draw entry (its items form the plot list).
void grdraw(std::array<double, 4>& w);

// ---------------------------------------------------------------- plot list

inline constexpr int kPlotListCapacity = 400;

enum class PlotItemType { text, move, draw, polygon_start, polygon_vertex, circle, symbol,
                          north_arrow, scale_bar };

struct PlotItem {
  float x = 0, y = 0;   // world, relative to the origin
  float value = 0;      // circle radius, symbol number, arrow height
  PlotItemType type = PlotItemType::move;
  int colour = 0;
  std::string text;     // 64 characters at most
};

struct PlotList {
  std::vector<PlotItem> items;  // at most kPlotListCapacity
  int symbol = 2;               // attributes for new items
  int colour = 0;
  float radius = 0;             // circle radius / north-arrow height; 0: automatic
  bool has_current = false;     // the current point: where lines continue
  float cx = 0, cy = 0;
  float sum = 0;                // running length of the line being drawn
};
extern PlotList grplst;

// Adds an item; false (and "No more puts allowed") when the list is full.
bool plot_list_add(const PlotItem& item);
// Draws the plot list with the primitives.
void plot_list_draw();
// Removes the item nearest on the screen to world (x, y); false when empty.
bool plot_list_delete_nearest(float x, float y);

// ---------------------------------------------------------------- screen shots

// "gr" + the first free number 0000 ... 9999 + "." + suffix; empty when
// all are taken.
std::string screen_shot_name(std::string_view suffix);
// The capture command for window `title` into `file` with the options.
std::vector<std::string> screen_shot_command(std::string_view title, const std::string& file,
                                             const ScreenShotOptions& opt, int width, int height);

// Runs external programs (an argument vector, no shell); returns the exit
// status, or -1 when the program could not be started. Tests replace it.
using CommandRunner = std::function<int(const std::vector<std::string>&)>;
void set_command_runner(CommandRunner runner);
int run_command(const std::vector<std::string>& argv);

}  // namespace sketra
