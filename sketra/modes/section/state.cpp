#include "sketra/modes/section/state.h"

#include "sketra/modes/section/section_viewer.h"

namespace sketra {

void section_state_reset() { section_reset(); }

}  // namespace sketra
