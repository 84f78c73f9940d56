// Output modes, drawing surfaces and the output state that every primitive
// shares: grmode, grcler, grflip, grdash, and the time, pause and bell
// calls.
//
// Life cycle of the output: mode 0 (nothing open) -> a screen mode (the
// window) -> optionally a file mode (8 ... 11), which returns to the screen
// mode active before it when its file is closed. The polyline buffer is
// flushed before every change of mode or surface.

#include <array>
#include <cstdlib>

#include "sketra/base/fatal.h"
#include "sketra/base/script.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot_internal.h"
#include "sketra/kernel/state.h"

namespace sketra {

FileOutput file_output;

namespace {

std::string trimmed(const std::string& s, size_t width) {
  std::string t = s.substr(0, std::min(s.size(), width));
  const size_t last = t.find_last_not_of(std::string(" \0", 2));
  t.resize(last == std::string::npos ? 0 : last + 1);
  return t;
}

// Closes whatever is open: a file mode returns to the mode before it, a
// screen mode closes the window.
void close_output() {
  PlotState& c = grcomn;
  grdump();
  if (is_file_mode(c.imodgr)) {
    std::unique_ptr<FileDevice> dev = std::move(file_output.active);
    const std::string message = dev ? dev->close() : std::string();
    c.imodgr = c.previous_mode;
    c.projection = c.saved_projection;
    c.pen.inside = false;
    grsfac();
    if (!message.empty() && file_output.show_message) file_output.show_message(message);
    grbeep();
  } else if (is_screen_mode(c.imodgr)) {
    if (driver().is_open()) driver().close();
    c.imodgr = kModeNone;
    c.pen.inside = false;
    detail::buffer_forget();
    grpause(3);
  }
}

void open_screen(int mode) {
  PlotState& c = grcomn;
  if (is_file_mode(c.imodgr)) close_output();
  if (is_screen_mode(c.imodgr)) {
    grcolr(kBlack);
    grdash(1);
    return;
  }
  grdump();
  if (driver().is_open()) driver().close();
  detail::buffer_forget();
  c.pen.inside = false;
  c.imodgr = mode;
  WindowRequest win;
  win.x = c.wndwgr[0];
  win.y = c.wndwgr[1];
  win.width = c.wndwgr[2];
  win.height = c.wndwgr[3];
  win.title = trimmed(grcomt.progname, kProgramNameWidth);
  win.icon_name = trimmed(grcomt.wnabgr, kIconNameWidth);
  if (!driver().open(win)) {
    c.imodgr = kModeNone;
    throw FatalError(kNoDisplayMessage, 1);
  }
  // A new window has a new graphics context: nothing cached holds.
  c.last_colour_mode = -1;
  c.last_dash_mode = -1;
  const std::vector<unsigned long> pixels = driver().alloc_colours(c.colour.palette);
  std::copy_n(pixels.begin(), std::min(pixels.size(), c.colour.pixels.size()), c.colour.pixels.begin());
  grpause(3);
}

int open_file(int mode) {
  PlotState& c = grcomn;
  if (is_file_mode(c.imodgr)) close_output();
  const FileDeviceOpener& opener = file_output.openers[size_t(mode - kModeRecord)];
  if (!opener) return 0;
  grdump();
  std::unique_ptr<FileDevice> dev = opener();
  if (!dev) return 0;
  c.previous_mode = c.imodgr;
  c.saved_projection = c.projection;
  c.imodgr = mode;
  c.pen.inside = true;
  if (const int p = dev->projection_while_open(); p >= 0) c.projection = p == 1;
  file_output.active = std::move(dev);
  return mode;
}

}  // namespace

namespace detail {

FileDevice* file_device() { return is_file_mode(grcomn.imodgr) ? file_output.active.get() : nullptr; }

void drop_file_device() { file_output.active.reset(); }

}  // namespace detail

void set_file_device_opener(int mode, FileDeviceOpener opener) {
  if (is_file_mode(mode)) file_output.openers[size_t(mode - kModeRecord)] = std::move(opener);
}

bool has_file_device_opener(int mode) {
  return is_file_mode(mode) && bool(file_output.openers[size_t(mode - kModeRecord)]);
}

FileDevice* active_file_device() { return detail::file_device(); }

void set_message_handler(std::function<void(std::string_view)> handler) {
  file_output.show_message = std::move(handler);
}

int grmode(int mode) {
  if (mode == kModeNone) {
    close_output();
    return 0;
  }
  if (is_screen_mode(mode)) {
    open_screen(mode);
    return mode;
  }
  if (is_file_mode(mode)) return open_file(mode);
  // A caller's mistake, never the user's: reported, and the output stays
  // where it was, so no drawing or data is lost over it.
  unit_write(kStdoutUnit, "Mode not currently supported");
  if (file_output.show_message) file_output.show_message("Mode not currently supported");
  return 0;
}

void grdash(int style) {
  PlotState& c = grcomn;
  style %= 100;
  if (style == 0 || (style == c.last_dash && c.imodgr == c.last_dash_mode)) return;
  c.last_dash = style;
  c.last_dash_mode = c.imodgr;
  if (is_file_mode(c.imodgr)) {
    if (FileDevice* dev = detail::file_device()) dev->dash(style);
    return;
  }
  grdump();
  if (detail::window_live()) driver().set_dash(style);
}

void grcler(int k) {
  PlotState& c = grcomn;
  if (!is_screen_mode(c.imodgr)) return;
  grdump();
  if (k == 0 || k == 1) {
    if (driver().is_open()) {
      if (k == 1) driver().use_pixmap();
      driver().clear();
    }
  } else {
    const float x1 = float(c.xmncgr + 0.001), x2 = float(c.xmxcgr - 0.001);
    const float y1 = float(c.ymncgr + 0.001), y2 = float(c.ymxcgr - 0.001);
    const float xs[4] = {x1, x2, x2, x1};
    const float ys[4] = {y1, y1, y2, y2};
    grfil2(xs, ys, kWhite);
  }
  grcolr(kBlack);
  c.clean_areas.clear();
  if (driver().is_open()) driver().drop_areas();
}

void grflip() {
  if (grcomn.imodgr == kModeNone) return;
  grdump();
  if (driver().is_open()) driver().flip();
}

std::string grtime() { return driver().time_stamp(); }

// The pauses let a person see a highlight or a window change; a run that
// answers from a script, or has nobody at the screen, does not wait.
void grpause(int n) {
  if (n <= 0 || scriptq.batch || script_pending()) return;
  driver().sleep(n);
}

void grbeep() {
  if (driver().is_open()) driver().bell();
}

}  // namespace sketra
