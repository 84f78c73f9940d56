#include "sketra/base/state.h"

namespace sketra {

void base_state_reset() {
  unit_close_all();
  scriptq.reset();
}

}  // namespace sketra
