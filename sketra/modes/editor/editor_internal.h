#pragma once
// Internals of the point and line editor shared by its source files.

#include <string>
#include <string_view>

#include "sketra/modes/editor/editor_viewer.h"

namespace sketra::detail {

// Values read from the editor's forms must lie within this magnitude
// before any arithmetic is done with them.
inline constexpr double kFormLimit = 1.0e9;

// Reads form field `text` into v: false, with "bad value for PROMPT" on the
// message line, when it is not one finite number of magnitude at most
// kFormLimit.
bool form_number(std::string_view prompt, std::string_view text, double& v);

// The Transform dialog and the transformation; true when the points moved.
bool transform(EditData& d);

// Marker of the centre of rotation while it is set.
inline constexpr int kCentreMark = 1404;

// Marks world point (x, y) with `code`.
void mark_point(float x, float y, int code);

// True when a menu wait that chose nothing will never be answered: no
// window is open and the script queue is empty. Submenus then leave.
bool nobody_answers();

// Position of point i on the screen, in world units before the device
// factors (projected through grtran in a 3-D view).
void screen_position(const EditData& d, std::int32_t i, float& sx, float& sy);

// Shows `prompt` and waits for a click in the plot: true with its world
// position; false when cancelled (the Cancel cell, the right button) or
// when nobody will answer. From the script: "P x y" (P is no entry).
bool click(std::string_view prompt, float& x, float& y);

// The Move submenu and the Alter submenu (their own files); each asks for
// a repeat after a change so that the picture shows it.
void move_menu(ViewContext& v, EditData& d);
void alter_menu(ViewContext& v, EditData& d);
void new_menu(ViewContext& v, EditData& d);

// Alter Spline: the form and the splines (spline.cpp); true when the
// edges changed.
bool spline(EditData& d);
bool spline_chains(EditData& d, float dmax);

// Sets the code of every live point (code > 0) to colour * 100 + symbol.
inline std::int32_t with_symbol(std::int32_t code, int symbol) { return code - code % 100 + symbol; }

}  // namespace sketra::detail
