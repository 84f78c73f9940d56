#include "sketra/modes/editor/state.h"

#include "sketra/modes/editor/editor_viewer.h"

namespace sketra {

void editor_state_reset() { editor_reset(); }

}  // namespace sketra
