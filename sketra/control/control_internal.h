#pragma once
// Internals of the display-mode loop shared by its source files (not for
// callers): calling the running mode's view, the redraw sequence, and the
// sub-menus of the control menu.

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sketra/control/control.h"

namespace sketra::detail {

// Calls the view callback of the running grctrl (nothing when none runs)
// and returns what it requested. For code 4 the cursor pick XCRSGR, YCRSGR
// becomes (x, y) in world units, as the mode expects.
ViewRequest call_view(int code, float x = 0, float y = 0);

// Runs the handler of the mode's entry k (1-based) with code -k, the
// cursor pick set to (x, y); returns what it requested (none when the
// entry has no handler).
ViewRequest run_entry(int k, float x, float y);

// The full redraw: plot area cleared (the window reopened first when the
// interval counts or scales changed), scales, background keep files,
// view, foreground keep files, plot list, axes, overlay, flip, and a
// pending screen shot. An entry the person chose while the view was drawn
// is kept for the loop's next menu wait with `keep_answer`, else dropped
// (redraws inside sub-menus, which have their own answers).
void redraw(bool keep_answer = false);

// Caption cells of 16 characters.
std::vector<std::string> cells16(std::initializer_list<std::string_view> captions);

// Shows a sub-menu as a column at the right edge and waits for one answer.
// An arrow-key pan redraws the view and asks again. Returns grcurs' answer.
int submenu(std::span<const std::string> cells, float& x, float& y);

// The Hardcopy and Keep sub-menus. keep_menu returns true when the view is
// to be redrawn (Play).
void hardcopy_menu();
bool keep_menu();

// Runs the pending screen-shot command, if any (end of a redraw).
void take_pending_shot();

}  // namespace sketra::detail
