#pragma once
// Kernel internals shared by the kernel's source files (not for callers).

#include <vector>

#include "sketra/kernel/device.h"
#include "sketra/kernel/plot.h"

namespace sketra::detail {

// True when the screen path may call the driver.
inline bool window_live() { return is_screen_mode(grcomn.imodgr) && driver().is_open(); }

// Appends a device point to the polyline buffer: a point equal to the last
// one is dropped; a full buffer is flushed first.
void buffer_append(DevicePoint p);
// Flushes the buffer and starts a new polyline at p.
void buffer_restart(DevicePoint p);
// Empties the buffer without drawing.
void buffer_forget();

// The open file device (nullptr outside the file modes).
FileDevice* file_device();

// A world point in double precision (clipping arithmetic).
struct WorldPoint {
  double x = 0, y = 0;
};

// grfil2's and grfil3's work buffers, kept so that a fill allocates
// nothing; their contents never outlive a call (see state.h).
struct FillScratch {
  std::vector<WorldPoint> a, b;   // the polygon and its clipped copy
  std::vector<DevicePoint> pts;   // the clipped polygon on the device
  std::vector<float> xs, ys;      // grfil3's polygon projected onto the plane
};
extern FillScratch fill_scratch;

}  // namespace sketra::detail
