#include "sketra/control/state.h"

namespace sketra {

void control_state_reset() {
  control_reset();
  grplst = PlotList{};
  keeplist_reset();
  library_start = LibraryStart{};
  command_runner = nullptr;
}

}  // namespace sketra
