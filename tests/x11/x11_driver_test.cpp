// The X11 driver against a real X server: what is drawn into the pixmap and
// flipped appears in the window in the right colours, key presses and
// clicks sent with xdotool arrive as the library's codes, and closing the
// window ends the run.
//
// The window is captured as raw RGB bytes by ImageMagick's import, run
// from an argument vector.

#include "sketra/x11/x11_driver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "sketra/base/fatal.h"
#include "sketra/kernel/driver.h"
#include "sketra/kernel/plot.h"
#include "support/fresh.h"
#include "support/run_program.h"

// Last: Xlib's macros (None, Bool) would clash with the headers above.
#include <X11/Xlib.h>

namespace {

using korvel::testing::run_program;

struct RGB {
  int r = 0, g = 0, b = 0;
  friend bool operator==(const RGB&, const RGB&) = default;
};

std::ostream& operator<<(std::ostream& os, const RGB& c) {
  return os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// A captured picture of the 400 x 300 window, three bytes a pixel.
struct Image {
  int width = 0, height = 0;
  std::vector<unsigned char> data;
  RGB at(int x, int y) const {
    const size_t i = (size_t(y) * size_t(width) + size_t(x)) * 3;
    if (x < 0 || x >= width || i + 2 >= data.size()) return {-1, -1, -1};  // a failed capture: no colour
    return {data[i], data[i + 1], data[i + 2]};
  }
};

RGB palette_rgb(int colour) {
  const std::uint32_t v = sketra::grcomn.colour.palette[size_t(sketra::palette_index(colour))];
  return {int(v >> 16), int((v >> 8) & 0xFF), int(v & 0xFF)};
}

const RGB kWhite{255, 255, 255};
const RGB kBlack{0, 0, 0};

class X11Test : public korvel::testing::FreshState {
 protected:
  void SetUp() override {
    FreshState::SetUp();
    auto d = sketra::x11::make_driver();
    x_ = d.get();
    previous_ = sketra::set_driver(std::move(d));
    sketra::grcomt.progname = sketra::fixed_width("sketra-x11-test", 20);
    sketra::grcomn.wndwgr = {0, 0, 400, 300};
    sketra::grmode(2);
    // World co-ordinates are window pixels (y downwards).
    auto& c = sketra::grcomn;
    c.xmingr = c.ymingr = 0;
    c.xmaxgr = c.ymaxgr = 1000;
    c.xmncgr = c.ymncgr = 0;
    c.xmxcgr = c.ymxcgr = 1000;
    c.xfacgr = c.yfacgr = 1;
    c.xorggr = c.yorggr = 0;
  }
  void TearDown() override {
    sketra::grmode(0);
    FreshState::TearDown();
    sketra::set_driver(std::move(previous_));
  }

  Image capture() {
    x_->sync();
    const auto rgb = run_program({"import", "-window", window(), "-depth", "8", "rgb:-"});
    EXPECT_EQ(rgb.status, 0);
    EXPECT_EQ(rgb.out.size(), 400u * 300 * 3) << "not the whole window";
    return {400, 300, std::vector<unsigned char>(rgb.out.begin(), rgb.out.end())};
  }
  void xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    ASSERT_EQ(run_program(args).status, 0);
  }
  std::string window() const { return std::to_string(x_->window_id()); }
  static void fill_rect(float x1, float y1, float x2, float y2, int colour) {
    const float x[] = {x1, x2, x2, x1};
    const float y[] = {y1, y1, y2, y2};
    sketra::grfil2(x, y, colour);
  }

  sketra::x11::X11Driver* x_ = nullptr;

 private:
  std::unique_ptr<sketra::Driver> previous_;
};

TEST_F(X11Test, PolygonsLinesAndTextAppearInTheirColours) {
  sketra::grcler(1);
  fill_rect(20, 20, 120, 80, 1);
  // A disc of 3000 vertices: more than the 2005 points of a fixed buffer.
  std::vector<float> x, y;
  for (int i = 0; i < 3000; ++i) {
    const double a = 2 * M_PI * i / 3000;
    x.push_back(float(250 + 60 * std::cos(a)));
    y.push_back(float(150 + 60 * std::sin(a)));
  }
  sketra::grfil2(x, y, 5);
  sketra::grcolr(0);
  sketra::grmov2(20, 200);
  sketra::grdrw2(380, 200);
  sketra::grcolr(0);
  sketra::grmov2(150, 280);
  sketra::granot("MMMMM", 0);
  sketra::grdump();
  EXPECT_EQ(capture().at(70, 50), kWhite);  // the pixmap is shown only by the flip
  sketra::grflip();

  const Image img = capture();
  EXPECT_EQ(img.at(70, 50), (RGB{102, 178, 255}));
  EXPECT_EQ(img.at(250, 150), palette_rgb(5));
  EXPECT_EQ(img.at(250 + 39, 150 + 39), palette_rgb(5));   // r = 55 on the diagonal
  EXPECT_EQ(img.at(250 + 46, 150 + 46), kWhite);           // r = 65
  EXPECT_EQ(img.at(200, 200), kBlack);
  EXPECT_EQ(img.at(200, 199), kWhite);
  // Five characters of the 6-pixel font: ink between x 150 and 180 only.
  int ink = 0, beyond = 0;
  for (int yy = 266; yy <= 284; ++yy)
    for (int xx = 140; xx < 200; ++xx)
      if (img.at(xx, yy) == kBlack) (xx >= 150 && xx < 180 ? ink : beyond)++;
  EXPECT_GT(ink, 40);
  EXPECT_EQ(beyond, 0);
}

// Rectangles and polygons of no area take short cuts past the server's
// polygon fill; the pixels must stay the polygon's: the columns and rows
// between the corners, right and lower edge excluded.
TEST_F(X11Test, RectangularAndFlatPolygonsCoverThePolygonsPixels) {
  sketra::grcler(1);
  const auto poly = [](std::vector<float> x, std::vector<float> y, int colour) { sketra::grfil2(x, y, colour); };
  poly({20, 60, 60, 90, 90, 20}, {20, 20, 20, 20, 50, 50}, 5);  // a repeated corner, one inside an edge
  for (int k = 0; k < 10; ++k) fill_rect(float(100 + k), 20, float(101 + k), 30, k % 2 ? 5 : 1);  // one-pixel cells
  poly({150, 150, 150}, {20, 60, 40}, 0);                              // no area
  poly({200, 240, 240, 220, 220, 200}, {20, 20, 30, 30, 50, 50}, 0);  // axis-parallel but an L
  sketra::grflip();

  const Image img = capture();
  for (auto [x, y] : {std::pair{20, 20}, {89, 49}}) EXPECT_EQ(img.at(x, y), palette_rgb(5)) << x << " " << y;
  for (int k = 0; k < 10; ++k) EXPECT_EQ(img.at(100 + k, 29), palette_rgb(k % 2 ? 5 : 1)) << k;
  for (auto [x, y] : {std::pair{90, 30}, {19, 30}, {50, 50}, {50, 19}, {110, 25}, {105, 30}, {150, 30}, {230, 40}})
    EXPECT_EQ(img.at(x, y), kWhite) << x << " " << y;
  for (auto [x, y] : {std::pair{230, 25}, {210, 45}}) EXPECT_EQ(img.at(x, y), kBlack) << x << " " << y;
}

// Keypad digits do not depend on Num Lock (without it the keypad 5 is
// KP_Begin and the keypad 1 KP_End); Shift, Control, Alt, Caps Lock and
// Num Lock pressed alone are no input. Polling with nothing pending
// returns at once (a pending press: e2e test_hardcopy's Escape).
TEST_F(X11Test, KeysAndClicksArriveAsLibraryCodes) {
  sketra::InputEvent ev;
  sketra::grxcvn(ev);
  EXPECT_EQ(ev.type, sketra::kEventNone);
  xdotool({"mousemove", "--window", window(), "50", "60"});
  xdotool({"key", "KP_5", "Return", "KP_Enter", "Left", "Up", "Right", "Down", "a", "KP_Begin", "KP_End", "KP_Left",
           "Shift_L", "Control_L", "Alt_L", "Caps_Lock", "Caps_Lock", "Num_Lock", "Num_Lock", "b"});
  xdotool({"click", "1"});
  xdotool({"click", "3"});
  std::vector<int> keys, buttons;
  while (keys.size() < 12 || buttons.size() < 2) {
    sketra::grxevn(ev);
    if (ev.type == sketra::kKeyPress) keys.push_back(ev.code);
    if (ev.type == sketra::kButtonPress) {
      buttons.push_back(ev.code);
      EXPECT_EQ(ev.x, 50);
      EXPECT_EQ(ev.y, 60);
    }
  }
  EXPECT_EQ(keys, (std::vector<int>{53, 11, 11, 15, 16, 17, 18, 'a', '5', '1', '4', 'b'}));
  EXPECT_EQ(buttons, (std::vector<int>{1, 3}));
}

// The window manager's close button (a WM_DELETE_WINDOW message) ends the
// run through WindowGone with status 0.
TEST_F(X11Test, ClosingTheWindowEndsTheRun) {
  Display* other = XOpenDisplay(nullptr);
  ASSERT_NE(other, nullptr);
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = x_->window_id();
  e.xclient.message_type = XInternAtom(other, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = long(XInternAtom(other, "WM_DELETE_WINDOW", False));
  XSendEvent(other, x_->window_id(), False, NoEventMask, &e);
  XCloseDisplay(other);
  sketra::InputEvent ev;
  try {
    for (int k = 0; k < 100; ++k) sketra::grxevn(ev);
    FAIL() << "no end";
  } catch (const sketra::WindowGone& gone) {
    EXPECT_EQ(gone.status(), 0);
  }
}

}  // namespace
