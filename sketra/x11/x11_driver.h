#pragma once
// The X11 display driver: one top-level window with an off-screen pixmap,
// one graphics context, the "6x12" font.
//
// This header has no Xlib types, so code outside sketra/x11/ can create the
// driver without seeing Xlib:
//
//   sketra::set_driver(sketra::x11::make_driver());
//   sketra::grmode(2);   // opens the window, or throws FatalError when there
//                        // is no display (" Cannot open display...aborting")
//
// State: the driver object holds its connection, window, pixmap and input;
// it lives as long as it is installed and no library reset touches it.
// Besides it, the process keeps only the count of X protocol errors
// reported on standard error (at most 20 are reported).

#include <memory>

#include "sketra/kernel/driver.h"

namespace sketra::x11 {

class X11Driver final : public Driver {
 public:
  X11Driver();
  ~X11Driver() override;
  X11Driver(const X11Driver&) = delete;
  X11Driver& operator=(const X11Driver&) = delete;

  bool open(const WindowRequest& win) override;
  void close() override;
  bool is_open() const override;
  int width() const override;
  int height() const override;
  void clear() override;
  void use_pixmap() override;
  void flip() override;
  void set_pixel(unsigned long pixel) override;
  void set_dash(int style) override;
  void line(DevicePoint a, DevicePoint b) override;
  void polyline(std::span<const DevicePoint> points) override;
  void fill_polygon(std::span<const DevicePoint> points) override;
  void fill_rectangles(std::span<const DeviceRect> rects) override;
  void text(DevicePoint at, std::string_view text) override;
  std::vector<unsigned long> alloc_colours(std::span<const std::uint32_t> rgb) override;
  void wait_event(InputEvent& ev) override;
  void poll_events(InputEvent& ev) override;
  void bell() override;

  // For tests and benchmarks: the window id (as for "import -window"), the
  // number of X requests issued since the window was opened, the size of the
  // pixmap, and a round trip that waits until the server has drawn
  // everything sent so far.
  unsigned long window_id() const;
  unsigned long request_count() const;
  int pixmap_width() const;
  int pixmap_height() const;
  void sync();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

std::unique_ptr<X11Driver> make_driver();

}  // namespace sketra::x11
