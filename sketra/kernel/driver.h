#pragma once
// The display driver: the few calls through which the graphics kernel reaches
// a window.
//
// The kernel (plot.h) draws in world co-ordinates; in the screen output modes
// it turns everything into integer device pixels (x to the right, y
// downwards, origin at the window's upper-left corner) and hands it to the
// active driver. Exactly one driver is active per process. Three exist:
//   - the X11 driver (sketra/x11/x11_driver.h), used by the program;
//   - the recording driver (recording_driver.h), used by tests: it records
//     every call and replays scripted input events;
//   - a null driver that accepts everything and shows nothing; it is active
//     until another one is installed, so the library works without a window.
//
// Drawing goes to the current surface: the window, or after use_pixmap() an
// off-screen pixmap of the window's size that flip() copies to the window.

#include <cstdint>
#include <ctime>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sketra {

struct DevicePoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const DevicePoint&, const DevicePoint&) = default;
};

// An axis-parallel rectangle of pixels: columns x ... x + w - 1, rows
// y ... y + h - 1.
struct DeviceRect {
  int x = 0, y = 0, w = 0, h = 0;
  friend bool operator==(const DeviceRect&, const DeviceRect&) = default;
};

// Event types delivered by wait_event and poll_events (the X protocol's
// numbers, which callers compare against).
inline constexpr int kEventNone = 0;
inline constexpr int kKeyPress = 2;
inline constexpr int kButtonPress = 4;
inline constexpr int kExpose = 12;
inline constexpr int kConfigureNotify = 22;

// Key codes of the library (what wait_event delivers for special keys).
inline constexpr int kKeyReturn = 11;
inline constexpr int kKeyEscape = 12;
inline constexpr int kKeyDelete = 13;
inline constexpr int kKeyBackSpace = 14;
inline constexpr int kKeyLeft = 15;
inline constexpr int kKeyUp = 16;
inline constexpr int kKeyRight = 17;
inline constexpr int kKeyDown = 18;
// Keys that keep their X keysym as their code.
inline constexpr int kKeyPageUp = 0xFF55;
inline constexpr int kKeyPageDown = 0xFF56;

// One input event.
//   kKeyPress:        x, y pointer position in the window; code the key code
//   kButtonPress:     x, y pointer position; code the button (1 left, 2 middle,
//                     3 right, 4 and 5 the wheel)
//   kExpose:          x = y = 0; code the number of Expose events still to come
//   kConfigureNotify: x, y the new window width and height; code 1
// Other types leave x, y and code as they were.
struct InputEvent {
  int type = kEventNone;
  int x = 0;
  int y = 0;
  int code = 0;
};

// Where and how the window opens.
struct WindowRequest {
  int x = 100;
  int y = 0;
  int width = 1120;
  int height = 786;
  std::string title;      // window title (the program name), at most 20 characters
  std::string icon_name;  // icon name, at most 20 characters
};

class Driver {
 public:
  virtual ~Driver() = default;

  // Opens the window (and its pixmap). Returns false when no display can be
  // reached; the caller decides what that means. Drawing goes to the window.
  virtual bool open(const WindowRequest& win) = 0;
  // Closes the window and the display connection.
  virtual void close() = 0;
  virtual bool is_open() const = 0;
  // Current window size in pixels (updated when a resize event is read).
  virtual int width() const = 0;
  virtual int height() const = 0;

  // Fills the current surface with the background and restores the
  // foreground last set with set_pixel.
  virtual void clear() = 0;
  // Redirects drawing to the off-screen pixmap.
  virtual void use_pixmap() = 0;
  // When drawing goes to the pixmap: copies it to the window and redirects
  // drawing back to the window. Otherwise just sends pending output.
  virtual void flip() = 0;
  // Foreground colour (an allocated pixel value).
  virtual void set_pixel(unsigned long pixel) = 0;
  // Line style: 1 solid, 2 dashed, 3 dotted, 4 dash-dot, 5 dash-dot-dot;
  // other values change nothing.
  virtual void set_dash(int style) = 0;

  virtual void line(DevicePoint a, DevicePoint b) = 0;
  // One connected line through all points.
  virtual void polyline(std::span<const DevicePoint> points) = 0;
  // A filled polygon of any number of vertices (even-odd rule).
  virtual void fill_polygon(std::span<const DevicePoint> points) = 0;
  // Many filled rectangles in the current foreground, as one request where
  // the window system allows (the cells of a bitmap). The default fills
  // each as a polygon.
  virtual void fill_rectangles(std::span<const DeviceRect> rects);
  // A string in the 6x12 font, baseline starting at `at`.
  virtual void text(DevicePoint at, std::string_view text) = 0;

  // Allocates the colours 0xRRGGBB and returns one pixel value per colour.
  virtual std::vector<unsigned long> alloc_colours(std::span<const std::uint32_t> rgb) = 0;

  // Waits for the next event; see InputEvent for what is filled in.
  virtual void wait_event(InputEvent& ev) = 0;
  // Looks at pending events without waiting: first every pending button
  // press, then every pending key press (code = raw keysym); the last one
  // found wins. Without any, `ev` is left as the caller set it. Events of
  // other types stay queued.
  virtual void poll_events(InputEvent& ev) = 0;

  virtual void bell() = 0;
  // 20-character date-time stamp of now, e.g. "05 Dec 2026 05:22:00".
  virtual std::string time_stamp();
  // Waits n times 30 ms.
  virtual void sleep(int n);
};

// The active driver (the null driver until another is installed).
Driver& driver();
// Installs a driver and returns the previous one. A null argument
// re-installs the null driver.
std::unique_ptr<Driver> set_driver(std::unique_ptr<Driver> d);

// The stamp of `t` in local time: day of month (2 digits), blank, month
// abbreviation, blank, year, blank, hh:mm:ss -- 20 characters.
std::string format_time_stamp(std::time_t t);

// Library key code of an X keysym: Return and KP_Enter 11, Escape 12,
// Delete 13, BackSpace 14, Left 15, Up 16, Right 17, Down 18; the keypad
// keys KP_Multiply ... KP_9 the matching characters "*" ... "9"; any other
// keysym its own value (for printable Latin-1 keys the character code).
int translate_keysym(unsigned long keysym);

// Event calls of the active driver, for the menu and dialog code.
void grxevn(InputEvent& ev);
void grxcvn(InputEvent& ev);

}  // namespace sketra
