#pragma once
// The state of sketra/ui, in one place.
//
//   menus          MenuState (menus.h)      layout and highlight of the last
//                                           menu drawn by grcurs
//   dialogs        DialogState (dialogs.h)  the window layer in use, the log
//                                           unit, the message log and message
//                                           line, error counts, progress bar
//   message_paint  MessagePaint (below)     what the window layer last painted
//                                           on the message line
//   display_buffer DisplayBuffer            lines collected by grdisp
//                  (display_buffer.h)
//
// ui_state_reset() brings all of them back to the start of the process: the
// default window layer, no log unit, empty logs. The default window layer
// itself (dialog_window.h) holds nothing between calls; the file browser
// starts from the working directory each time.

#include <cstddef>

#include "sketra/ui/dialogs.h"
#include "sketra/ui/display_buffer.h"
#include "sketra/ui/menus.h"

namespace sketra {

// Extent of the message lines last painted, so that the next paint wipes no
// more than it must.
struct MessagePaint {
  std::size_t lines = 0;
  std::size_t width = 0;
};
extern MessagePaint message_paint;

// Back to the start of the process (see above).
void ui_state_reset();

}  // namespace sketra
