#pragma once
// The state of sketra/modes/common, in one place.
//
//   grclass          ClassState (classes.h)   value-class scale, shading
//                                             light, legend grab, label runs
//   gralt            AlterState (alter.h)     the Alter dialog's operation and
//                                             its operation file
//   polygon history  lines (polygons.h)       vertices of digitised polygons,
//                                             read through polygon_history()
//
// common_state_reset() brings all of them back to the start of the process
// (the Alter file unit closed, the history empty). The class count and the
// contour switches live in the plot state (kernel/state.h).

namespace sketra {

// Back to the start of the process (see above).
void common_state_reset();

}  // namespace sketra
