#pragma once
// The state of sketra/kernel, in one place.
//
//   grcomn, grcomt  PlotState, PlotText (plot.h)   the plot state: window,
//                   transformation, switches, colours, pen, polyline
//                   buffer, the grcolr / grdash caches, views, clean areas
//   file_output     FileOutput (below)             the open file device and
//                   the hooks of the file output modes
//   fill_scratch    FillScratch (plot_internal.h)  grfil2/3's work buffers;
//                   their contents never outlive a call
//   grbmps          BitmapStore (bitmap.h)         the loaded bitmap
//                   backgrounds: pixels and table
//
// kernel_state_reset() brings all of them back to the start of the process:
// plot state at its defaults, no file device open, no opener and no message
// handler installed, the work buffers released, no bitmap loaded.
//
// The display driver (driver.h) is not state of the library: main or a test
// installs it with set_driver, and no reset touches it. The table of named
// variables in plotstate.cpp is built once and never changes.

#include <array>
#include <functional>
#include <memory>
#include <string_view>

#include "sketra/kernel/device.h"

namespace sketra {

// The file output modes 8 ... 11: an opener per mode (installed by the
// layers that write the formats), the device open now, and where the
// device's closing message goes (installed with the message line).
struct FileOutput {
  std::array<FileDeviceOpener, 4> openers;  // modes 8 ... 11
  std::unique_ptr<FileDevice> active;
  std::function<void(std::string_view)> show_message;
};
extern FileOutput file_output;

// Back to the start of the process (see above). The driver is left as it is.
void kernel_state_reset();

}  // namespace sketra
