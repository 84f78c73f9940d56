// The X11 display driver.
//
// One window with an off-screen pixmap of at least the window's size and the
// window's depth, one graphics context (GXcopy, font "6x12", no graphics
// exposure events from copies).
//
// Everything is drawn into the pixmap, which therefore always holds the
// whole picture; the window is a copy of it. The copy is made by flip() and,
// structurally, before every wait for input when anything was drawn since
// the last copy: whenever the program waits, the window shows all it has
// drawn. An exposed part of the window is copied again from the pixmap.
// Rectangles kept for widgets (keep_area) are copies of parts of the pixmap
// on a stack of small pixmaps, put back by restore_areas.
//
// When a resize event shows a window larger than the pixmap, a pixmap that
// covers it replaces the old one (its picture copied over), so later clears
// and flips cover the whole window.
//
// The window manager's close button (WM_DELETE_WINDOW) and a lost
// connection end the run with WindowGone; after a lost connection no
// request is sent any more (Xlib may hold its lock), resources are just
// forgotten.
//
// Device co-ordinates travel to the server as 16-bit values; they are held
// to that range here so that far points cannot wrap around.

#include "sketra/x11/x11_driver.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "sketra/base/fatal.h"
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

// Modifier keys alone choose nothing: Shift, Control, Alt, Meta, Super,
// Hyper, Caps Lock, Shift Lock, Num Lock, Mode switch and the ISO level
// shifts.
bool is_modifier(KeySym k) { return IsModifierKey(k) || (k >= 0xFE01 && k <= 0xFE13); }

// Set when Xlib reports the connection lost; from then on no request goes out.
bool connection_lost = false;

// Xlib calls this when the connection breaks and ends the process when it
// returns; throwing instead lets the program write its settings and close
// its log on the way out.
int lost_connection(Display*) {
  connection_lost = true;
  throw WindowGone("korvel: the connection to the X display was lost", 1);
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

// A display that is there but busy can refuse a connection for a moment
// (its queue of waiting connections full); a few tries over two seconds
// ride that out. With no display named there is nothing to wait for.
Display* open_display() {
  Display* d = XOpenDisplay(nullptr);
  const char* name = std::getenv("DISPLAY");
  for (int tries = 0; !d && name && *name && tries < 20; ++tries) {
    usleep(100000);
    d = XOpenDisplay(nullptr);
  }
  return d;
}

XPoint to_xpoint(DevicePoint p) { return XPoint{to_short(p.x), to_short(p.y)}; }

// Polygons with integer corners cover the pixels whose centres lie inside;
// no centre ever lies on an edge that runs along a pixel boundary. Two
// kinds are therefore told apart before they go to the server:
//   - a polygon whose corners all share one column or one row covers no
//     pixel and is not sent;
//   - an axis-parallel rectangle (once repeated corners and corners inside
//     a straight edge are dropped) covers the same pixels as the rectangle
//     request, which Xlib packs with its neighbours of the same colour into
//     one request: a grid of cells costs the server a fraction of the work.
enum class PolygonShape { empty, rectangle, general };

bool same_line_onwards(XPoint a, XPoint b, XPoint c) {
  if (a.y == b.y && b.y == c.y) return (b.x > a.x) == (c.x > b.x);
  if (a.x == b.x && b.x == c.x) return (b.y > a.y) == (c.y > b.y);
  return false;
}

PolygonShape classify(std::span<const XPoint> p, XRectangle& rect) {
  const auto [x0, x1] = std::minmax_element(p.begin(), p.end(), [](XPoint a, XPoint b) { return a.x < b.x; });
  const auto [y0, y1] = std::minmax_element(p.begin(), p.end(), [](XPoint a, XPoint b) { return a.y < b.y; });
  if (x0->x == x1->x || y0->y == y1->y) return PolygonShape::empty;
  // The corners, each edge to the next one axis-parallel and turning.
  XPoint c[6];
  std::size_t n = 0;
  for (const XPoint q : p) {
    if (n > 0 && q.x == c[n - 1].x && q.y == c[n - 1].y) continue;
    if (n > 0 && q.x != c[n - 1].x && q.y != c[n - 1].y) return PolygonShape::general;
    if (n >= 2 && same_line_onwards(c[n - 2], c[n - 1], q)) {
      c[n - 1] = q;
      continue;
    }
    if (n == 6) return PolygonShape::general;
    c[n++] = q;
  }
  while (n > 1 && c[n - 1].x == c[0].x && c[n - 1].y == c[0].y) --n;
  if (n > 1 && c[n - 1].x != c[0].x && c[n - 1].y != c[0].y) return PolygonShape::general;
  std::size_t first = 0;
  if (n >= 3 && same_line_onwards(c[n - 2], c[n - 1], c[0])) --n;
  if (n >= 3 && same_line_onwards(c[n - 1], c[0], c[1])) first = 1;
  if (n - first != 4) return PolygonShape::general;
  for (std::size_t k = 0; k < 4; ++k) {
    const XPoint a = c[first + k], b = c[first + (k + 1) % 4], d = c[first + (k + 2) % 4];
    if ((a.y == b.y) == (b.y == d.y)) return PolygonShape::general;  // no turn at b
  }
  rect = {x0->x, y0->y, (unsigned short)(x1->x - x0->x), (unsigned short)(y1->y - y0->y)};
  return PolygonShape::rectangle;
}

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
  Atom wm_delete = None;
  int depth = 0;
  int width = 0, height = 0;
  int pixmap_width = 0, pixmap_height = 0;
  bool dirty = false;  // drawn into the pixmap since the window's last copy
  unsigned long foreground = 0, background = 0, saved_pixel = 0;
  unsigned long first_request = 0;
  std::vector<XPoint> points;
  struct Kept {
    PixmapHandle copy;
    int x, y, w, h;
  };
  std::vector<Kept> kept;

  Display* d() const { return display.get(); }
  bool live() const { return display && !connection_lost; }
  Drawable drawable() {
    dirty = true;
    return pixmap.get();
  }

  // The window becomes a copy of the picture.
  void present() {
    XCopyArea(d(), pixmap.get(), window.get(), gc.get(), 0, 0, unsigned(width), unsigned(height), 0, 0);
    dirty = false;
    XFlush(d());
  }

  void fill_background(Drawable to, int w, int h) {
    XSetForeground(d(), gc.get(), background);
    XFillRectangle(d(), to, gc.get(), 0, 0, unsigned(w), unsigned(h));
    XSetForeground(d(), gc.get(), saved_pixel);
  }

  // A pixmap covering the window; the old picture is kept.
  void cover_window() {
    if (width <= pixmap_width && height <= pixmap_height) return;
    const int w = std::max(width, pixmap_width), h = std::max(height, pixmap_height);
    PixmapHandle bigger(d(), XCreatePixmap(d(), window.get(), unsigned(w), unsigned(h), unsigned(depth)));
    fill_background(bigger.get(), w, h);
    XCopyArea(d(), pixmap.get(), bigger.get(), gc.get(), 0, 0, unsigned(pixmap_width),
              unsigned(pixmap_height), 0, 0);
    pixmap = std::move(bigger);
    pixmap_width = w;
    pixmap_height = h;
  }

  // The picture as a binary PPM file, written beside `path` and renamed
  // onto it (SKETRA_PICTURE_FILE: for tests that compare it with a screen
  // grab of the window).
  void dump_picture(const char* path) {
    XImage* img = XGetImage(d(), pixmap.get(), 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (!img) return;
    // A pixmap's image carries no colour masks: they are the window's visual's.
    const Visual* visual = DefaultVisual(d(), DefaultScreen(d()));
    auto channel = [](unsigned long p, unsigned long mask) {
      if (mask == 0) return 0;
      int shift = 0;
      while (!((mask >> shift) & 1)) ++shift;
      const unsigned long max = mask >> shift;
      return int(((p & mask) >> shift) * 255 / max);
    };
    std::string data = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const unsigned long p = XGetPixel(img, x, y);
        data += char(channel(p, visual->red_mask));
        data += char(channel(p, visual->green_mask));
        data += char(channel(p, visual->blue_mask));
      }
    XDestroyImage(img);
    const std::string tmp = std::string(path) + ".part";
    {
      std::ofstream out(tmp, std::ios::binary);
      out << data;
      if (!out) return;
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
  }

  void read_key(XKeyEvent& key, InputEvent& ev, bool translate) {
    const KeySym keysym = key_of(key);
    ev.type = KeyPress;
    ev.x = key.x;
    ev.y = key.y;
    ev.code = translate ? translate_keysym(keysym) : int(keysym);
  }

  static KeySym key_of(XKeyEvent& key) {
    char buf[2];
    KeySym keysym = 0;
    XLookupString(&key, buf, 2, &keysym, nullptr);
    return keypad_digit(key, keysym);
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
  connection_lost = false;
  m.display.reset(open_display());
  if (!m.display) return false;
  XSetErrorHandler(report_x_error);
  XSetIOErrorHandler(lost_connection);
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

  XSizeHints hints{};
  hints.flags = USPosition | USSize;
  hints.x = win.x;
  hints.y = win.y;
  hints.width = m.width;
  hints.height = m.height;
  XSetNormalHints(d, w, &hints);
  const std::string title = x_name(win.title), icon = x_name(win.icon_name);
  XSetStandardProperties(d, w, title.c_str(), icon.c_str(), None, nullptr, 0, &hints);
  m.wm_delete = XInternAtom(d, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(d, w, &m.wm_delete, 1);
  // The process behind the window, so that a window manager (or a test
  // driving one of several korvel windows) can tell whose window it is.
  const long process = long(getpid());
  XChangeProperty(d, w, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&process), 1);
  XFlush(d);

  m.gc = GcHandle(d, XCreateGC(d, w, 0, nullptr));
  XSetBackground(d, m.gc.get(), m.background);
  XSetForeground(d, m.gc.get(), m.foreground);
  XSetFunction(d, m.gc.get(), GXcopy);
  XSetGraphicsExposures(d, m.gc.get(), False);
  m.font = XLoadQueryFont(d, "6x12");
  if (!m.font) m.font = XLoadQueryFont(d, "fixed");
  if (m.font) XSetFont(d, m.gc.get(), m.font->fid);
  m.fill_background(m.pixmap.get(), m.width, m.height);
  m.dirty = false;
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
  if (connection_lost) {
    // Nothing may be sent: forget every resource.
    for (auto& k : m.kept) k.copy.release();
    m.gc.release();
    m.pixmap.release();
    m.window.release();
    (void)m.display.release();
  }
  m.kept.clear();
  if (m.font && m.display) XFreeFont(m.d(), m.font);
  m.font = nullptr;
  m.gc.reset();
  m.pixmap.reset();
  m.window.reset();
  m.display.reset();
  m.dirty = false;
}

bool X11Driver::is_open() const { return impl_->live(); }
int X11Driver::width() const { return impl_->width; }
int X11Driver::height() const { return impl_->height; }

void X11Driver::clear() {
  Impl& m = *impl_;
  if (!m.live()) return;
  m.fill_background(m.drawable(), m.width, m.height);
}

// Drawing always goes to the pixmap; there is nothing to redirect.
void X11Driver::use_pixmap() {}

void X11Driver::flip() {
  Impl& m = *impl_;
  if (m.live()) m.present();
}

void X11Driver::set_pixel(unsigned long pixel) {
  Impl& m = *impl_;
  if (!m.live()) return;
  m.saved_pixel = pixel;
  XSetForeground(m.d(), m.gc.get(), pixel);
}

void X11Driver::set_dash(int style) {
  Impl& m = *impl_;
  if (!m.live()) return;
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
  if (!m.live()) return;
  XDrawLine(m.d(), m.drawable(), m.gc.get(), to_short(a.x), to_short(a.y), to_short(b.x), to_short(b.y));
}

void X11Driver::polyline(std::span<const DevicePoint> points) {
  Impl& m = *impl_;
  if (!m.live() || points.empty()) return;
  m.points.clear();
  for (const DevicePoint& p : points) m.points.push_back(to_xpoint(p));
  XDrawLines(m.d(), m.drawable(), m.gc.get(), m.points.data(), int(m.points.size()), CoordModeOrigin);
}

// Any number of vertices goes out as one request; a polygon too long even
// for the server's largest request (millions of points) is not drawn.
void X11Driver::fill_polygon(std::span<const DevicePoint> points) {
  Impl& m = *impl_;
  if (!m.live() || points.size() < 3) return;
  const long max_words = std::max(XExtendedMaxRequestSize(m.d()), XMaxRequestSize(m.d()));
  if (long(points.size()) > max_words - 8) return;
  m.points.clear();
  for (const DevicePoint& p : points) m.points.push_back(to_xpoint(p));
  XRectangle rect;
  switch (classify(m.points, rect)) {
    case PolygonShape::empty: return;
    case PolygonShape::rectangle:
      XFillRectangle(m.d(), m.drawable(), m.gc.get(), rect.x, rect.y, rect.width, rect.height);
      return;
    case PolygonShape::general: break;
  }
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
  if (!m.live() || text.empty()) return;
  XDrawString(m.d(), m.drawable(), m.gc.get(), to_short(at.x), to_short(at.y), text.data(),
              int(std::min<size_t>(text.size(), 32767)));
}

void X11Driver::keep_area(int x, int y, int w, int h) {
  Impl& m = *impl_;
  if (!m.live()) return;
  const int x0 = std::clamp(x, 0, m.pixmap_width), y0 = std::clamp(y, 0, m.pixmap_height);
  const int x1 = std::clamp(x + w, 0, m.pixmap_width), y1 = std::clamp(y + h, 0, m.pixmap_height);
  if (x1 <= x0 || y1 <= y0) return;
  PixmapHandle copy(m.d(), XCreatePixmap(m.d(), m.window.get(), unsigned(x1 - x0), unsigned(y1 - y0), unsigned(m.depth)));
  XCopyArea(m.d(), m.pixmap.get(), copy.get(), m.gc.get(), x0, y0, unsigned(x1 - x0), unsigned(y1 - y0), 0, 0);
  m.kept.push_back({std::move(copy), x0, y0, x1 - x0, y1 - y0});
}

void X11Driver::restore_areas() {
  Impl& m = *impl_;
  if (!m.live()) return;
  for (auto k = m.kept.rbegin(); k != m.kept.rend(); ++k)
    XCopyArea(m.d(), k->copy.get(), m.drawable(), m.gc.get(), 0, 0, unsigned(k->w), unsigned(k->h), k->x, k->y);
  m.kept.clear();
}

void X11Driver::drop_areas() { impl_->kept.clear(); }

namespace {

// The pixel of an 8-bit colour channel under `mask` when the mask holds
// eight bits; -1 otherwise.
long channel_pixel(unsigned value, unsigned long mask) {
  if (mask == 0) return -1;
  const int shift = std::countr_zero(mask);
  if ((mask >> shift) != 0xFF) return -1;
  return long(value & 0xFF) << shift;
}

}  // namespace

std::vector<unsigned long> X11Driver::alloc_colours(std::span<const std::uint32_t> rgb) {
  Impl& m = *impl_;
  std::vector<unsigned long> pixels;
  if (!m.live()) return pixels;
  // A true-colour visual of eight bits a channel gives every colour
  // exactly, and its pixel is the channels in their places: no need to ask
  // the server (a round trip each) for the palette's 201 colours.
  const Visual* visual = DefaultVisual(m.d(), DefaultScreen(m.d()));
  if (visual->c_class == TrueColor) {
    for (std::uint32_t c : rgb) {
      const long r = channel_pixel(c >> 16, visual->red_mask), g = channel_pixel(c >> 8, visual->green_mask),
                 b = channel_pixel(c, visual->blue_mask);
      if (r < 0 || g < 0 || b < 0) break;
      pixels.push_back(static_cast<unsigned long>(r | g | b));
    }
    if (pixels.size() == rgb.size()) return pixels;
    pixels.clear();
  }
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
  if (!m.live()) throw std::logic_error("X11 driver: waiting for input without a window");
  if (m.dirty) m.present();
  if (const char* path = std::getenv("SKETRA_PICTURE_FILE"); path && *path) m.dump_picture(path);
  XEvent e;
  for (;;) {
    XNextEvent(m.d(), &e);
    if (e.type == KeyPress && is_modifier(Impl::key_of(e.xkey))) continue;
    if (e.type == ClientMessage && e.xclient.format == 32 && Atom(e.xclient.data.l[0]) == m.wm_delete)
      throw WindowGone("", 0);
    break;
  }
  ev.type = e.type;
  switch (e.type) {
    case KeyPress: m.read_key(e.xkey, ev, true); break;
    case ButtonPress: m.read_button(e.xbutton, ev); break;
    case Expose:
      // The window's lost part comes back from the picture at once.
      XCopyArea(m.d(), m.pixmap.get(), m.window.get(), m.gc.get(), e.xexpose.x, e.xexpose.y,
                unsigned(e.xexpose.width), unsigned(e.xexpose.height), e.xexpose.x, e.xexpose.y);
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
  if (!m.live()) return;
  XEvent e;
  while (XCheckTypedEvent(m.d(), ButtonPress, &e)) m.read_button(e.xbutton, ev);
  while (XCheckTypedEvent(m.d(), KeyPress, &e))
    if (!is_modifier(Impl::key_of(e.xkey))) m.read_key(e.xkey, ev, false);
}

void X11Driver::bell() {
  if (impl_->live()) XBell(impl_->d(), 0);
}

unsigned long X11Driver::window_id() const { return impl_->window.get(); }

unsigned long X11Driver::request_count() const {
  return impl_->live() ? NextRequest(impl_->d()) - impl_->first_request : 0;
}

int X11Driver::pixmap_width() const { return impl_->pixmap_width; }
int X11Driver::pixmap_height() const { return impl_->pixmap_height; }

void X11Driver::sync() {
  if (impl_->live()) XSync(impl_->d(), False);
}

}  // namespace sketra::x11
