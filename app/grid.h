#pragma once
// The Grid entry of the main menu: a regular grid of values from the
// scattered points, shown in the grid contour viewer and kept as a set.
//
// The Grid menu offers Nearest, Lowest, Invers (the methods of
// app/gridding/gridding.h), Tin (values from the triangulated surface of
// the node file or 2DM mesh loaded last, app/map.h) and help. A method first proposes a geometry
// from the points' extent in a form (origin, spacings, node counts, NODATA)
// and asks again while the values are unusable; Invers then asks for its
// radius and quadrant search. The values are computed into new columns
// with a progress bar; Escape or a click stops the work. Only a finished
// grid is stored: into the value column of set nsets + 1, with its
// geometry, the node columns and the NODATA value. The contour viewer shows
// it; on leaving, "Name of set" keeps it as set nsets + 1 under the name
// given (a blank name leaves the count as it was). The scattered points
// stay in the store after every method.
//
// A store without points, a seventh set or a grid of more than 19600000
// nodes is refused with a message before any work is done.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/formats/geometry.h"
#include "app/mainmenu.h"

namespace korvel {

// Settings of the inverse-distance form, kept for the program run.
struct GridSettings {
  float csr = 10.0f;  // search radius, metres
  int isr = 2;        // 1 plain inverse distance, 2 quadrant search
};
extern GridSettings grid_settings;  // the one instance
void grid_reset();

// The five cells of the Grid menu: " NNearest", " LLowest", " IInvers",
// " TTin", " ??".
std::array<MenuCell, 5> grid_menu_cells();

// The help text: ten lines of 64 characters.
std::vector<std::string> grid_help_text();

// The proposed geometry from the extent of the points with finite
// co-ordinates (none: nothing): the origin is the smallest x and y cut
// toward zero to whole metres, the spacing a ninth of the extent (0.1111
// times it), 10 m at most; the node counts cover the extent from its
// minimum. An axis without extent takes the other axis's spacing, or 1 m.
std::optional<GridGeometry> default_grid_geometry(std::span<const float> x, std::span<const float> y);

// What a Grid menu entry did.
enum class GridResult { none, help, refused, cancelled, interrupted, shown, stored };

// Runs Grid menu entry `choice` (1 Nearest, 2 Lowest, 3 Invers, 4 Tin,
// 5 help; anything else does nothing). Tin shows the surface before the
// grid; a surface that cannot be built cancels the gridding.
GridResult grid_action(int choice);

// The Grid menu as a pull-down under the main menu's Grid entry, and the
// entry chosen.
GridResult grid();

}  // namespace korvel
