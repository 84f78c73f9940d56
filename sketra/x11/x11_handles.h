#pragma once
// Owners of the Xlib resources of the driver: the display connection, the
// pixmap and the graphics context. Each frees its resource exactly once.

#include <X11/Xlib.h>

#include <memory>
#include <utility>

namespace sketra::x11 {

struct DisplayCloser {
  void operator()(Display* d) const {
    if (d) XCloseDisplay(d);
  }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

// An X resource freed through `Free` on the display it was created on.
template <class Id, int (*Free)(Display*, Id)>
class XResource {
 public:
  XResource() = default;
  XResource(Display* d, Id id) : display_(d), id_(id) {}
  ~XResource() { reset(); }
  XResource(XResource&& o) noexcept : display_(o.display_), id_(std::exchange(o.id_, Id{})) {}
  XResource& operator=(XResource&& o) noexcept {
    if (this != &o) {
      reset();
      display_ = o.display_;
      id_ = std::exchange(o.id_, Id{});
    }
    return *this;
  }
  XResource(const XResource&) = delete;
  XResource& operator=(const XResource&) = delete;

  Id get() const { return id_; }
  explicit operator bool() const { return id_ != Id{}; }
  void reset() {
    if (display_ && id_ != Id{}) Free(display_, id_);
    id_ = Id{};
  }
  // Forgets the resource without a request (the connection is gone).
  void release() { id_ = Id{}; }

 private:
  Display* display_ = nullptr;
  Id id_{};
};

using PixmapHandle = XResource<Pixmap, XFreePixmap>;
using GcHandle = XResource<GC, XFreeGC>;
using WindowHandle = XResource<Window, XDestroyWindow>;

}  // namespace sketra::x11
