#include "sketra/modes/grid/state.h"

#include "sketra/modes/grid/grid_viewer.h"

namespace sketra {

void grid_state_reset() { contour_reset(); }

}  // namespace sketra
