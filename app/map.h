#pragma once
// Map: the triangulated surface of the node file (with its element file) or
// 2DM mesh loaded last, shown in the surface viewer and, for the Grid
// menu's Tin, its values put onto the nodes of a new grid.

#include <span>
#include <vector>

#include "app/formats/geometry.h"
#include "app/mapping/mapping.h"

namespace korvel {

// g = -1 (the main menu): assemble the surface and view it. g >= 1 (the
// set's geometry and node columns already in the store): assemble, view,
// then fill exactly the nx*ny values of set g (see below). Whenever the
// surface or the grid cannot be used, or `progress` stops the work, g
// becomes 0: the gridding is cancelled and set g keeps what it held.
void map(int& g, const MapProgress& progress = {});

// Grid -> Tin for a grid of geometry `geometry` with node columns gx, gy:
// assemble and view the surface, then its values at the nodes into
// `values` (resized to nx*ny; NODATA beyond the surface), asking
// `progress` every 100 triangles ("interpolating"). False, with a message,
// when there is nothing to store: no surface, a grid of one node or a
// spacing of 0, or the work stopped.
bool map(const GridGeometry& geometry, std::span<const float> gx, std::span<const float> gy, float nodata,
         std::vector<float>& values, const MapProgress& progress = {});

}  // namespace korvel
