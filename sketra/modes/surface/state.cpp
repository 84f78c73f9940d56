#include "sketra/modes/surface/state.h"

#include "sketra/modes/surface/surface_viewer.h"

namespace sketra {

void surface_state_reset() { surface_reset(); }

}  // namespace sketra
