#include "sketra/devices/state.h"

#include "sketra/devices/devices.h"
#include "sketra/devices/devices_internal.h"

namespace sketra {

void devices_state_reset() {
  display_list = DisplayList{};
  shape_settings = ShapeSettings{};
  detail::shape_io = detail::ShapeIo{};
}

}  // namespace sketra
