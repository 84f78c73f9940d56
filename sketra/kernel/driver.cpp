#include "sketra/kernel/driver.h"

#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "sketra/base/script.h"

namespace sketra {

namespace {

// Accepts every call and shows nothing: the library runs without a window
// until a real driver is installed. It has no input to give.
class NullDriver final : public Driver {
 public:
  bool open(const WindowRequest& win) override {
    open_ = true;
    width_ = win.width;
    height_ = win.height;
    return true;
  }
  void close() override { open_ = false; }
  bool is_open() const override { return open_; }
  int width() const override { return width_; }
  int height() const override { return height_; }
  void clear() override {}
  void use_pixmap() override {}
  void flip() override {}
  void set_pixel(unsigned long) override {}
  void set_dash(int) override {}
  void line(DevicePoint, DevicePoint) override {}
  void polyline(std::span<const DevicePoint>) override {}
  void fill_polygon(std::span<const DevicePoint>) override {}
  void text(DevicePoint, std::string_view) override {}
  std::vector<unsigned long> alloc_colours(std::span<const std::uint32_t> rgb) override {
    return std::vector<unsigned long>(rgb.begin(), rgb.end());
  }
  void wait_event(InputEvent&) override {
    throw std::logic_error("no display driver installed: there is no input to wait for");
  }
  void poll_events(InputEvent&) override {}
  void bell() override {}
  void sleep(int) override {}

 private:
  bool open_ = false;
  int width_ = 0;
  int height_ = 0;
};

std::unique_ptr<Driver>& active() {
  static std::unique_ptr<Driver> d = std::make_unique<NullDriver>();
  return d;
}

}  // namespace

void Driver::fill_rectangles(std::span<const DeviceRect> rects) {
  for (const DeviceRect& r : rects) {
    if (r.w <= 0 || r.h <= 0) continue;
    const DevicePoint corners[4] = {{r.x, r.y}, {r.x + r.w, r.y}, {r.x + r.w, r.y + r.h}, {r.x, r.y + r.h}};
    fill_polygon(corners);
  }
}

std::string Driver::time_stamp() { return format_time_stamp(std::time(nullptr)); }

void Driver::sleep(int n) {
  for (int i = 0; i < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

Driver& driver() { return *active(); }

std::unique_ptr<Driver> set_driver(std::unique_ptr<Driver> d) {
  if (!d) d = std::make_unique<NullDriver>();
  std::swap(d, active());
  return d;
}

std::string format_time_stamp(std::time_t t) {
  // ctime layout: "Wed Jun 30 21:49:08 1993\n" (weekday, month, day, time, year).
  char buf[32] = {};
  if (!ctime_r(&t, buf) || std::strlen(buf) < 24) return std::string(20, ' ');
  std::string c(buf, 24);
  std::string day = c.substr(8, 2);
  if (day[0] == ' ') day[0] = '0';
  return day + " " + c.substr(4, 3) + " " + c.substr(20, 4) + " " + c.substr(11, 8);
}

int translate_keysym(unsigned long keysym) {
  // X keysym values (X11/keysymdef.h).
  constexpr unsigned long kReturn = 0xFF0D, kKpEnter = 0xFF8D, kEscape = 0xFF1B,
                          kDelete = 0xFFFF, kBackSpace = 0xFF08, kLeft = 0xFF51,
                          kUp = 0xFF52, kRight = 0xFF53, kDown = 0xFF54,
                          kKpMultiply = 0xFFAA, kKp9 = 0xFFB9;
  switch (keysym) {
    case kReturn:
    case kKpEnter: return kKeyReturn;
    case kEscape: return kKeyEscape;
    case kDelete: return kKeyDelete;
    case kBackSpace: return kKeyBackSpace;
    case kLeft: return kKeyLeft;
    case kUp: return kKeyUp;
    case kRight: return kKeyRight;
    case kDown: return kKeyDown;
    default: break;
  }
  if (keysym >= kKpMultiply && keysym <= kKp9) return int(keysym - 0xFF80);
  return int(keysym & 0x7FFFFFFF);
}

void grxevn(InputEvent& ev) {
  script_check_batch();
  driver().wait_event(ev);
}
void grxcvn(InputEvent& ev) { driver().poll_events(ev); }

}  // namespace sketra
