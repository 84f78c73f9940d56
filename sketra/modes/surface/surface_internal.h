#pragma once
// Internals of the surface viewer shared by its source files.

#include "sketra/modes/surface/surface_viewer.h"

namespace sketra::detail {

// Every triangle's edges in the grid colour (the Grid entry switched on).
void draw_edges(const SurfaceData& s);

}  // namespace sketra::detail
