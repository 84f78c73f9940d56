// The X11 display driver.
//
// One window with an off-screen pixmap of at least the window's size and the
// window's depth, one graphics context (GXcopy, font "6x12", no graphics
// exposure events from copies), drawing into the window or the pixmap.
// When a resize event shows a window larger than the pixmap, a pixmap that
// covers it replaces the old one (its picture copied over), so later clears
// and flips cover the whole window.
//
// Device co-ordinates travel to the server as 16-bit values; they are held
// to that range here so that far points cannot wrap around.

#include "sketra/x11/x11_driver.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "sketra/x11/x11_handles.h"

namespace sketra::x11 {

namespace {

short to_short(int v) { return short(std::clamp(v, -32768, 32767)); }

// Window and pixmap sizes the protocol can carry.
int to_size(int v) { return std::clamp(v, 1, 32767); }

// Keypad keys without NumLock (KP_Home ... KP_Delete) count as the digit or
// point printed on them, so that the keypad gives the same codes whatever
// the NumLock state.
KeySym keypad_digit(XKeyEvent& key, KeySym keysym) {
  constexpr KeySym kKpHome = 0xFF95, kKpDelete = 0xFF9F, kKpMultiply = 0xFFAA, kKp9 = 0xFFB9;
  if (keysym < kKpHome || keysym > kKpDelete) return keysym;
  const KeySym numeric = XLookupKeysym(&key, 1);
  return numeric >= kKpMultiply && numeric <= kKp9 ? numeric : keysym;
}

// X protocol errors (a pixmap the server cannot allocate, say) are reported
// on standard error and the program goes on; Xlib's own handler would end it.
int report_x_error(Display* d, XErrorEvent* e) {
  static int reported = 0;
  if (reported < 20) {
    char text[256] = {};
    XGetErrorText(d, e->error_code, text, sizeof text);
    std::fprintf(stderr, "X error: %s (request %d)\n", text, int(e->request_code));
    ++reported;
  }
  return 0;
}

XPoint to_xpoint(DevicePoint p) { return XPoint{to_short(p.x), to_short(p.y)}; }

// At most 20 characters, trailing blanks removed.
std::string x_name(const std::string& name) {
  std::string s = name.substr(0, std::min<size_t>(name.size(), 20));
  const size_t last = s.find_last_not_of(' ');
  s.resize(last == std::string::npos ? 0 : last + 1);
  return s;
}

}  // namespace

struct X11Driver::Impl {
  DisplayHandle display;  // declared first: released last
  WindowHandle window;
  PixmapHandle pixmap;
  GcHandle gc;
  XFontStruct* font = nullptr;
  int depth = 0;
  int width = 0, height = 0;
  int pixmap_width = 0, pixmap_height = 0;
  bool to_pixmap = false;
  unsigned long foreground = 0, background = 0, saved_pixel = 0;
  unsigned long first_request = 0;
  std::vector<XPoint> points;

  Display* d() const { return display.get(); }
  Drawable drawable() const { return to_pixmap ? pixmap.get() : window.get(); }

  // A pixmap covering the window; the old picture is kept.
  void cover_window() {
    if (width <= pixmap_width && height <= pixmap_height) return;
    const int w = std::max(width, pixmap_width), h = std::max(height, pixmap_height);
    PixmapHandle bigger(d(), XCreatePixmap(d(), window.get(), unsigned(w), unsigned(h), unsigned(depth)));
    XSetForeground(d(), gc.get(), background);
    XFillRectangle(d(), bigger.get(), gc.get(), 0, 0, unsigned(w), unsigned(h));
    XSetForeground(d(), gc.get(), saved_pixel);
    XCopyArea(d(), pixmap.get(), bigger.get(), gc.get(), 0, 0, unsigned(pixmap_width),
              unsigned(pixmap_height), 0, 0);
    pixmap = std::move(bigger);
    pixmap_width = w;
    pixmap_height = h;
  }

  void read_key(XKeyEvent& key, InputEvent& ev, bool translate) {
    char buf[2];
    KeySym keysym = 0;
    XLookupString(&key, buf, 2, &keysym, nullptr);
    keysym = keypad_digit(key, keysym);
    ev.type = KeyPress;
    ev.x = key.x;
    ev.y = key.y;
    ev.code = translate ? translate_keysym(keysym) : int(keysym);
  }

  void read_button(const XButtonEvent& b, InputEvent& ev) {
    ev.type = ButtonPress;
    ev.x = b.x;
    ev.y = b.y;
    ev.code = int(b.button);
  }
};

X11Driver::X11Driver() : impl_(std::make_unique<Impl>()) {}

X11Driver::~X11Driver() { close(); }

std::unique_ptr<X11Driver> make_driver() { return std::make_unique<X11Driver>(); }

bool X11Driver::open(const WindowRequest& win) {
  close();
  Impl& m = *impl_;
  m.display.reset(XOpenDisplay(nullptr));
  if (!m.display) return false;
  XSetErrorHandler(report_x_error);
  Display* d = m.d();
  const int screen = DefaultScreen(d);
  m.foreground = m.background = m.saved_pixel = WhitePixel(d, screen);
  m.depth = DefaultDepth(d, screen);
  m.width = to_size(win.width);
  m.height = to_size(win.height);

  XSetWindowAttributes attr{};
  attr.background_pixel = WhitePixel(d, screen);
  attr.border_pixel = WhitePixel(d, screen);
  attr.event_mask = KeyPressMask | ButtonPressMask | ExposureMask | StructureNotifyMask;
  attr.colormap = DefaultColormap(d, screen);
  const Window w = XCreateWindow(d, RootWindow(d, screen), win.x, win.y, unsigned(m.width),
                                 unsigned(m.height), 2, m.depth, InputOutput, CopyFromParent,
                                 CWBackPixel | CWBorderPixel | CWEventMask | CWColormap, &attr);
  m.window = WindowHandle(d, w);
  m.pixmap = PixmapHandle(d, XCreatePixmap(d, w, unsigned(m.width), unsigned(m.height), unsigned(m.depth)));
  m.pixmap_width = m.width;
  m.pixmap_height = m.height;
  m.to_pixmap = false;

  XSizeHints hints{};
  hints.flags = USPosition | USSize;
  hints.x = win.x;
  hints.y = win.y;
  hints.width = m.width;
  hints.height = m.height;
  XSetNormalHints(d, w, &hints);
  const std::string title = x_name(win.title), icon = x_name(win.icon_name);
  XSetStandardProperties(d, w, title.c_str(), icon.c_str(), None, nullptr, 0, &hints);
  XFlush(d);

  m.gc = GcHandle(d, XCreateGC(d, w, 0, nullptr));
  XSetBackground(d, m.gc.get(), m.background);
  XSetForeground(d, m.gc.get(), m.foreground);
  XSetFunction(d, m.gc.get(), GXcopy);
  XSetGraphicsExposures(d, m.gc.get(), False);
  m.font = XLoadQueryFont(d, "6x12");
  if (!m.font) m.font = XLoadQueryFont(d, "fixed");
  if (m.font) XSetFont(d, m.gc.get(), m.font->fid);
  XMapRaised(d, w);
  // The window's first exposure: from here on, what is drawn is shown.
  XEvent first;
  XWindowEvent(d, w, ExposureMask, &first);
  m.first_request = NextRequest(d);
  return true;
}

void X11Driver::close() {
  Impl& m = *impl_;
  if (!m.display) return;
  if (m.font) XFreeFont(m.d(), m.font);
  m.font = nullptr;
  m.gc.reset();
  m.pixmap.reset();
  m.window.reset();
  m.display.reset();
  m.to_pixmap = false;
}

bool X11Driver::is_open() const { return bool(impl_->display); }
int X11Driver::width() const { return impl_->width; }
int X11Driver::height() const { return impl_->height; }

void X11Driver::clear() {
  Impl& m = *impl_;
  if (!m.display) return;
  XSetForeground(m.d(), m.gc.get(), m.background);
  XFillRectangle(m.d(), m.drawable(), m.gc.get(), 0, 0, unsigned(m.width), unsigned(m.height));
  XSetForeground(m.d(), m.gc.get(), m.saved_pixel);
}

void X11Driver::use_pixmap() {
  if (impl_->display) impl_->to_pixmap = true;
}

void X11Driver::flip() {
  Impl& m = *impl_;
  if (!m.display) return;
  if (m.to_pixmap) {
    XCopyArea(m.d(), m.pixmap.get(), m.window.get(), m.gc.get(), 0, 0, unsigned(m.width),
              unsigned(m.height), 0, 0);
    m.to_pixmap = false;
  }
  XFlush(m.d());
}

void X11Driver::set_pixel(unsigned long pixel) {
  Impl& m = *impl_;
  if (!m.display) return;
  m.saved_pixel = pixel;
  XSetForeground(m.d(), m.gc.get(), pixel);
}

void X11Driver::set_dash(int style) {
  Impl& m = *impl_;
  if (!m.display) return;
  static const char kDashed[] = {9, 3};
  static const char kDotted[] = {3, 3};
  static const char kDashDot[] = {9, 3, 3, 3};
  static const char kDashDotDot[] = {9, 3, 3, 3, 3, 3};
  const char* list = nullptr;
  int n = 0;
  switch (style) {
    case 1: break;
    case 2: list = kDashed, n = 2; break;
    case 3: list = kDotted, n = 2; break;
    case 4: list = kDashDot, n = 4; break;
    case 5: list = kDashDotDot, n = 6; break;
    default: return;
  }
  if (list) {
    XSetDashes(m.d(), m.gc.get(), 0, list, n);
    XSetLineAttributes(m.d(), m.gc.get(), 0, LineOnOffDash, CapRound, JoinRound);
  } else {
    XSetLineAttributes(m.d(), m.gc.get(), 0, LineSolid, CapRound, JoinRound);
  }
}

void X11Driver::line(DevicePoint a, DevicePoint b) {
  Impl& m = *impl_;
  if (!m.display) return;
  XDrawLine(m.d(), m.drawable(), m.gc.get(), to_short(a.x), to_short(a.y), to_short(b.x), to_short(b.y));
}

void X11Driver::polyline(std::span<const DevicePoint> points) {
  Impl& m = *impl_;
  if (!m.display || points.empty()) return;
  m.points.clear();
  for (const DevicePoint& p : points) m.points.push_back(to_xpoint(p));
  XDrawLines(m.d(), m.drawable(), m.gc.get(), m.points.data(), int(m.points.size()), CoordModeOrigin);
}

// Any number of vertices goes out as one request; a polygon too long even
// for the server's largest request (millions of points) is not drawn.
void X11Driver::fill_polygon(std::span<const DevicePoint> points) {
  Impl& m = *impl_;
  if (!m.display || points.size() < 3) return;
  const long max_words = std::max(XExtendedMaxRequestSize(m.d()), XMaxRequestSize(m.d()));
  if (long(points.size()) > max_words - 8) return;
  m.points.clear();
  for (const DevicePoint& p : points) m.points.push_back(to_xpoint(p));
  XFillPolygon(m.d(), m.drawable(), m.gc.get(), m.points.data(), int(m.points.size()), Nonconvex,
               CoordModeOrigin);
}

// In requests of at most 8000 rectangles; sizes beyond the protocol's 16
// bits are cut (a cell is never that large on a screen).
void X11Driver::fill_rectangles(std::span<const DeviceRect> rects) {
  Impl& m = *impl_;
  if (!m.display || rects.empty()) return;
  std::vector<XRectangle> out;
  out.reserve(std::min<std::size_t>(rects.size(), 8000));
  const auto flush = [&] {
    if (!out.empty()) XFillRectangles(m.d(), m.drawable(), m.gc.get(), out.data(), int(out.size()));
    out.clear();
  };
  for (const DeviceRect& r : rects) {
    if (r.w <= 0 || r.h <= 0) continue;
    out.push_back({to_short(r.x), to_short(r.y), (unsigned short)std::min(r.w, 65535),
                   (unsigned short)std::min(r.h, 65535)});
    if (out.size() == 8000) flush();
  }
  flush();
}

void X11Driver::text(DevicePoint at, std::string_view text) {
  Impl& m = *impl_;
  if (!m.display || text.empty()) return;
  XDrawString(m.d(), m.drawable(), m.gc.get(), to_short(at.x), to_short(at.y), text.data(),
              int(std::min<size_t>(text.size(), 32767)));
}

std::vector<unsigned long> X11Driver::alloc_colours(std::span<const std::uint32_t> rgb) {
  Impl& m = *impl_;
  std::vector<unsigned long> pixels;
  if (!m.display) return pixels;
  const Colormap cmap = DefaultColormap(m.d(), DefaultScreen(m.d()));
  for (size_t i = 0; i < rgb.size(); ++i) {
    XColor c{};
    c.red = static_cast<unsigned short>(((rgb[i] >> 16) & 0xFF) * 256);
    c.green = static_cast<unsigned short>(((rgb[i] >> 8) & 0xFF) * 256);
    c.blue = static_cast<unsigned short>((rgb[i] & 0xFF) * 256);
    c.flags = DoRed | DoGreen | DoBlue;
    if (!XAllocColor(m.d(), cmap, &c)) {
      std::printf("could not allocate color %d\n", int(i));
      std::fflush(stdout);
    }
    pixels.push_back(c.pixel);
  }
  return pixels;
}

void X11Driver::wait_event(InputEvent& ev) {
  Impl& m = *impl_;
  if (!m.display) throw std::logic_error("X11 driver: waiting for input without a window");
  XEvent e;
  XNextEvent(m.d(), &e);
  ev.type = e.type;
  switch (e.type) {
    case KeyPress: m.read_key(e.xkey, ev, true); break;
    case ButtonPress: m.read_button(e.xbutton, ev); break;
    case Expose:
      ev.x = ev.y = 0;
      ev.code = e.xexpose.count;
      break;
    case ConfigureNotify:
      m.width = to_size(e.xconfigure.width);
      m.height = to_size(e.xconfigure.height);
      m.cover_window();
      ev.x = m.width;
      ev.y = m.height;
      ev.code = 1;
      break;
    default: break;
  }
}

void X11Driver::poll_events(InputEvent& ev) {
  Impl& m = *impl_;
  if (!m.display) return;
  XEvent e;
  while (XCheckTypedEvent(m.d(), ButtonPress, &e)) m.read_button(e.xbutton, ev);
  while (XCheckTypedEvent(m.d(), KeyPress, &e)) m.read_key(e.xkey, ev, false);
}

void X11Driver::bell() {
  if (impl_->display) XBell(impl_->d(), 0);
}

unsigned long X11Driver::window_id() const { return impl_->window.get(); }

unsigned long X11Driver::request_count() const {
  return impl_->display ? NextRequest(impl_->d()) - impl_->first_request : 0;
}

int X11Driver::pixmap_width() const { return impl_->pixmap_width; }
int X11Driver::pixmap_height() const { return impl_->pixmap_height; }

void X11Driver::sync() {
  if (impl_->display) XSync(impl_->d(), False);
}

}  // namespace sketra::x11
