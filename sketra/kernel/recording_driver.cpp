#include "sketra/kernel/recording_driver.h"

#include <algorithm>

namespace sketra {

void RecordingDriver::push_key(unsigned long keysym, int x, int y) {
  input_.push_back({InputEvent{kKeyPress, x, y, translate_keysym(keysym)}, keysym});
}

void RecordingDriver::push_button(int button, int x, int y) {
  input_.push_back({InputEvent{kButtonPress, x, y, button}, 0});
}

void RecordingDriver::push_expose(int count) {
  input_.push_back({InputEvent{kExpose, 0, 0, count}, 0});
}

void RecordingDriver::push_resize(int width, int height) {
  input_.push_back({InputEvent{kConfigureNotify, width, height, 1}, 0});
}

void RecordingDriver::push_event(const InputEvent& ev) { input_.push_back({ev, 0}); }

std::vector<const DriverCall*> RecordingDriver::of(DriverCall::Kind kind) const {
  std::vector<const DriverCall*> out;
  for (const auto& c : calls_)
    if (c.kind == kind) out.push_back(&c);
  return out;
}

int RecordingDriver::count(DriverCall::Kind kind) const {
  return int(std::count_if(calls_.begin(), calls_.end(),
                           [kind](const DriverCall& c) { return c.kind == kind; }));
}

DriverCall& RecordingDriver::record(DriverCall::Kind kind) {
  DriverCall& c = calls_.emplace_back();
  c.kind = kind;
  c.pixel = pixel_;
  c.to_pixmap = to_pixmap_;
  return c;
}

bool RecordingDriver::open(const WindowRequest& win) {
  request_ = win;
  open_ = true;
  to_pixmap_ = false;
  pixel_ = 0xFFFFFF;
  width_ = win.width;
  height_ = win.height;
  record(DriverCall::Open).text = win.title;
  return true;
}

void RecordingDriver::close() {
  record(DriverCall::Close);
  open_ = false;
  to_pixmap_ = false;
}

void RecordingDriver::clear() { record(DriverCall::Clear); }

void RecordingDriver::use_pixmap() {
  to_pixmap_ = true;
  record(DriverCall::UsePixmap);
}

void RecordingDriver::flip() {
  record(DriverCall::Flip);
  to_pixmap_ = false;
}

void RecordingDriver::set_pixel(unsigned long pixel) {
  pixel_ = pixel;
  record(DriverCall::SetPixel);
}

void RecordingDriver::set_dash(int style) { record(DriverCall::Dash).value = style; }

void RecordingDriver::line(DevicePoint a, DevicePoint b) { record(DriverCall::Line).points = {a, b}; }

void RecordingDriver::polyline(std::span<const DevicePoint> points) {
  record(DriverCall::Polyline).points.assign(points.begin(), points.end());
}

void RecordingDriver::fill_polygon(std::span<const DevicePoint> points) {
  record(DriverCall::Polygon).points.assign(points.begin(), points.end());
}

void RecordingDriver::fill_rectangles(std::span<const DeviceRect> rects) {
  record(DriverCall::Rectangles).rects.assign(rects.begin(), rects.end());
}

void RecordingDriver::text(DevicePoint at, std::string_view text) {
  DriverCall& c = record(DriverCall::Text);
  c.points = {at};
  c.text = std::string(text);
}

std::vector<unsigned long> RecordingDriver::alloc_colours(std::span<const std::uint32_t> rgb) {
  record(DriverCall::AllocColours).value = int(rgb.size());
  return std::vector<unsigned long>(rgb.begin(), rgb.end());
}

void RecordingDriver::wait_event(InputEvent& ev) {
  record(DriverCall::WaitEvent);
  if (input_.empty() && on_idle_) on_idle_();
  if (input_.empty()) throw NoScriptedInput();
  const InputEvent next = input_.front().ev;
  input_.pop_front();
  ev.type = next.type;
  if (next.type == kKeyPress || next.type == kButtonPress || next.type == kExpose ||
      next.type == kConfigureNotify) {
    ev.x = next.x;
    ev.y = next.y;
    ev.code = next.code;
  }
  if (next.type == kConfigureNotify) {
    width_ = next.x;
    height_ = next.y;
  }
}

void RecordingDriver::poll_events(InputEvent& ev) {
  record(DriverCall::PollEvents);
  auto take_all = [&](int type) {
    for (auto it = input_.begin(); it != input_.end();) {
      if (it->ev.type != type) {
        ++it;
        continue;
      }
      ev.type = type;
      ev.x = it->ev.x;
      ev.y = it->ev.y;
      ev.code = type == kKeyPress ? int(it->keysym) : it->ev.code;
      it = input_.erase(it);
    }
  };
  take_all(kButtonPress);
  take_all(kKeyPress);
}

void RecordingDriver::bell() { record(DriverCall::Bell); }

std::string RecordingDriver::time_stamp() {
  return format_time_stamp(has_fixed_time_ ? fixed_time_ : std::time(nullptr));
}

void RecordingDriver::sleep(int n) { record(DriverCall::Sleep).value = n; }

}  // namespace sketra
