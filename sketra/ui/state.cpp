#include "sketra/ui/state.h"

namespace sketra {

void ui_state_reset() {
  menus_reset();
  dialogs_reset();
  message_paint = MessagePaint{};
  display_buffer_reset();
}

}  // namespace sketra
