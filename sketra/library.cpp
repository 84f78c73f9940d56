#include "sketra/library.h"

#include "sketra/base/state.h"
#include "sketra/control/state.h"
#include "sketra/devices/state.h"
#include "sketra/kernel/state.h"
#include "sketra/modes/common/state.h"
#include "sketra/modes/editor/state.h"
#include "sketra/modes/grid/state.h"
#include "sketra/modes/section/state.h"
#include "sketra/modes/surface/state.h"
#include "sketra/ui/state.h"

namespace sketra {

void reset_library() {
  section_state_reset();
  surface_state_reset();
  grid_state_reset();
  editor_state_reset();
  common_state_reset();
  control_state_reset();
  devices_state_reset();
  ui_state_reset();
  kernel_state_reset();
  base_state_reset();
}

}  // namespace sketra
