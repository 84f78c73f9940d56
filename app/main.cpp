// korvel: processing river and terrain surveys.
//
// Starts the system, loads the files named on the command line (the first
// with Load, the others with Add) and ends. The menu loop joins here once
// the window and its menus exist.
#include <cstdio>
#include <span>

#include "app/mainmenu.h"
#include "sketra/driver.h"
#include "sketra/fatal.h"
#include "sketra/x11/x11_driver.h"

int main(int argc, char** argv) {
  sketra::set_driver(sketra::x11::make_driver());
  return sketra::run_guarded([&] {
    std::span<char* const> files(argv + 1, argc > 1 ? std::size_t(argc - 1) : 0);
    if (!korvel::startup(files)) {
      std::fputs("korvel: cannot write the log file outp in this directory\n", stderr);
      return 1;
    }
    korvel::shutdown();
    return 0;
  });
}
