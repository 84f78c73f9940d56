#include "support/fresh.h"

#include "app/mainmenu.h"

namespace korvel::testing {

void fresh_start() { app_reset(); }

}  // namespace korvel::testing
