#pragma once
// The state of sketra/modes/surface, in one place.
//
//   grtrs  SurfaceState (surface_viewer.h)  the surface viewer between its
//                                           calls: fill, per-triangle values,
//                                           triangle edges, the minimum and
//                                           no-data limit, contour colour,
//                                           Map's Nearest/Keep (lnear)
//
// surface_state_reset() brings it back to the start of the process. The
// triangle index and the painter's order live only while the viewer runs.

namespace sketra {

// Back to the start of the process (see above).
void surface_state_reset();

}  // namespace sketra
