#pragma once
// Map: the triangulated surface of the node file (with its element file) or
// 2DM mesh loaded last, shown in the surface viewer and, for the Grid
// menu's Tin, its values put onto the grid of a new set.

namespace korvel {

// g = -1 (the main menu): assemble the surface and view it. g >= 1 (Grid ->
// Tin, the set's geometry and node columns already set up): assemble, view,
// then fill exactly the nx*ny values of set g with the surface's values
// (progress bar "interpolating"; Escape stops it and nothing is stored).
// Whenever the surface or the grid cannot be used, or the work is stopped,
// g becomes 0: the gridding is cancelled and set g keeps what it held.
void map(int& g);

}  // namespace korvel
