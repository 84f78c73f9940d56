#pragma once
// The state of sketra/modes/grid, in one place.
//
//   grcnt  ContourState (grid_viewer.h)  the grid viewer between its calls:
//                                        cell corners, fill and grid-line
//                                        options, contour-line colour, the
//                                        section spacing and its polygon
//
// grid_state_reset() brings it back to the start of the process. The
// viewer's menu cells are constant.

namespace sketra {

// Back to the start of the process (see above).
void grid_state_reset();

}  // namespace sketra
