#pragma once
// A display driver for tests: it records every call in device pixels and
// hands out input events that the test queued beforehand.
//
//   auto rec = std::make_unique<sketra::RecordingDriver>();
//   auto* r = rec.get();
//   sketra::set_driver(std::move(rec));
//   ... draw ...
//   for (const auto* call : r->of(DriverCall::Polyline)) ...
//
// Colours are "allocated" as pixel = 0xRRGGBB, so a recorded pixel value is
// the colour itself. Every drawing call remembers the foreground and the
// surface (window or pixmap) in force when it was made. Waiting for an event
// with nothing queued throws NoScriptedInput instead of blocking.

#include <deque>
#include <functional>
#include <stdexcept>
#include <vector>

#include "sketra/kernel/driver.h"

namespace sketra {

struct DriverCall {
  enum Kind {
    Open, Close, Clear, UsePixmap, Flip, SetPixel, Dash, Line, Polyline, Polygon, Rectangles,
    Text, AllocColours, WaitEvent, PollEvents, Bell, Sleep
  };
  Kind kind = Open;
  std::vector<DevicePoint> points;  // Line (2), Polyline, Polygon, Text (1)
  std::vector<DeviceRect> rects;    // Rectangles
  std::string text;                 // Text; the title for Open
  int value = 0;                    // Dash style, Sleep count, AllocColours count
  unsigned long pixel = 0;          // foreground in force (the new one for SetPixel)
  bool to_pixmap = false;           // drawing surface at the time of the call
};

class NoScriptedInput : public std::runtime_error {
 public:
  NoScriptedInput() : std::runtime_error("recording driver: no scripted input event left") {}
};

class RecordingDriver final : public Driver {
 public:
  // Input to be delivered later, in order.
  void push_key(unsigned long keysym, int x = 0, int y = 0);
  void push_button(int button, int x, int y);
  void push_expose(int count = 0);
  // A resize: delivered as kConfigureNotify, and the driver takes the size.
  void push_resize(int width, int height);
  void push_event(const InputEvent& ev);
  std::size_t pending_input() const { return input_.size(); }
  // Called when the program waits for an event and none is queued, so a
  // test can answer what is on the screen now (like a person would); it
  // pushes the next event or leaves the queue empty (NoScriptedInput).
  void set_on_idle(std::function<void()> f) { on_idle_ = std::move(f); }

  // Fixes the time used by time_stamp (otherwise the real clock).
  void set_time(std::time_t t) { fixed_time_ = t; has_fixed_time_ = true; }

  const std::vector<DriverCall>& calls() const { return calls_; }
  std::vector<const DriverCall*> of(DriverCall::Kind kind) const;
  int count(DriverCall::Kind kind) const;
  void clear_calls() { calls_.clear(); }
  bool drawing_to_pixmap() const { return to_pixmap_; }
  unsigned long foreground() const { return pixel_; }
  const WindowRequest& last_request() const { return request_; }

  bool open(const WindowRequest& win) override;
  void close() override;
  bool is_open() const override { return open_; }
  int width() const override { return width_; }
  int height() const override { return height_; }
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
  std::string time_stamp() override;
  void sleep(int n) override;

 private:
  struct Pending {
    InputEvent ev;
    unsigned long keysym = 0;
  };
  DriverCall& record(DriverCall::Kind kind);

  std::vector<DriverCall> calls_;
  std::deque<Pending> input_;
  WindowRequest request_;
  bool open_ = false;
  bool to_pixmap_ = false;
  unsigned long pixel_ = 0xFFFFFF;
  int width_ = 0;
  int height_ = 0;
  std::time_t fixed_time_ = 0;
  bool has_fixed_time_ = false;
  std::function<void()> on_idle_;
};

}  // namespace sketra
