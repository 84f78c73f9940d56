// The settings file ".grset": read into a fresh plot state, then written
// out again as its lines.
#include "fuzz_support.h"
#include "sketra/control/settings.h"
#include "sketra/library.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sketra::reset_library();
  korvel::fuzz::write_file(sketra::kSettingsFile, korvel::fuzz::bytes(data, size));
  sketra::read_settings(sketra::kSettingsFile);
  sketra::settings_lines();
  return 0;
}
