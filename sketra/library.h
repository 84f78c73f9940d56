#pragma once
// Entry points that concern sketra as a whole. This file sits above every
// layer of the library (it sees all folders but the X11 driver), so that no
// folder has to know the folders above it.

namespace sketra {

// Brings every folder's state back to the start of the process, from the
// top layer down: the display modes (modes/surface, modes/grid, modes/common), the control
// loop, menus and dialogs, the plot state and file output, the script queue
// and the file units (every unit closed). Each folder lists its state in its
// state.h. The display driver is not touched: main or a test installs it.
void reset_library();

}  // namespace sketra
