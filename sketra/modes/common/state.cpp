#include "sketra/modes/common/state.h"

#include "sketra/modes/common/alter.h"
#include "sketra/modes/common/classes.h"
#include "sketra/modes/common/polygons.h"

namespace sketra {

void common_state_reset() {
  classes_reset();
  alter_reset();
  polygon_history_reset();
}

}  // namespace sketra
