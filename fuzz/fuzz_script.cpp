// The script queue driving the whole program: the input is a script file
// (SKETRA_SCRIPT) run in batch mode (SKETRA_BATCH=1) on the recording
// driver, so every menu, prompt, form and viewer takes its answers from it
// and the run ends when the script runs out. The working folder holds a
// small survey ("s.xyz", "g.asc") for the script to load. External programs
// are not run, and a script naming a path outside the folder is skipped, so
// the program writes nowhere else.
#include <cstdlib>
#include <memory>

#include "app/mainmenu.h"
#include "fuzz_support.h"
#include "sketra/base/fatal.h"
#include "sketra/control/control.h"
#include "sketra/kernel/driver.h"
#include "sketra/kernel/recording_driver.h"

namespace fuzz = korvel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool once = [] {
    fuzz::write_file("s.xyz", "2600000 1200000 400\n2600010 1200000 401\n2600010 1200010 402\n2600000 1200012 403\n");
    fuzz::write_file("g.asc", "ncols 3\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2 3\n4 5 -9999\n");
    setenv("SKETRA_SCRIPT", "session", 1);
    setenv("SKETRA_BATCH", "1", 1);
    return true;
  }();
  (void)once;
  const std::string_view script = fuzz::bytes(data, size);
  if (script.find('/') != std::string_view::npos) return 0;
  korvel::app_reset();
  // A fresh recording driver each run, so that its record stays small.
  auto previous = sketra::set_driver(std::make_unique<sketra::RecordingDriver>());
  sketra::set_command_runner([](const std::vector<std::string>&) { return -1; });
  fuzz::remove_files({"outp", ".grset"});
  fuzz::write_file("session", script);
  try {
    korvel::run({});
  } catch (const sketra::BatchEnd&) {
    // The script ran out while the program waited: the normal end here.
  }
  sketra::set_driver(std::move(previous));
  return 0;
}
