// korvel: processing river and terrain surveys.
//
// Starts the system with the X11 window, loads the files named on the
// command line (the first with Load, the others with Add) and runs the main
// menu until File eXit. Without a display it prints " Cannot open
// display...aborting" and ends with status 1.
#include <span>

#include "app/mainmenu.h"
#include "sketra/base/fatal.h"
#include "sketra/kernel/driver.h"
#include "sketra/x11/x11_driver.h"

int main(int argc, char** argv) {
  sketra::set_driver(sketra::x11::make_driver());
  return sketra::run_guarded([&] {
    std::span<char* const> files(argv + 1, argc > 1 ? std::size_t(argc - 1) : 0);
    return korvel::run(files);
  });
}
