// The loader on a file and its include files: part 0 of the input ("%%%%"
// lines between parts) is loaded, the others lie beside it as "b", "c" and
// "d" for "include" lines. The first line chooses the reader as it does for
// a person: ">>unstruct" the keyword format, ">>grid" a grid, anything else
// is scanned for points and lines. The load dialog is applied as preset.
#include "app/loader.h"
#include "app/mainmenu.h"
#include "app/store.h"
#include "fuzz_support.h"
#include "sketra/base/script.h"
#include "sketra/base/units.h"
#include "sketra/ui/dialogs.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  app_reset();
  fuzz::write_parts(fuzz::split_parts(fuzz::bytes(data, size), 4), {"a", "b", "c", "d"});
  fuzz::remove_files({"outp"});
  if (!sketra::unit_open(cunit.log, "outp", sketra::FileStatus::unknown)) std::abort();
  sketra::set_log_unit(cunit.log);
  sketra::grscpt("D");
  cpch.file_name.set("a");
  const LoadOutcome r = load(kLoad);
  // A rejected load leaves the store empty, as it was.
  if (r == LoadOutcome::rejected && (cin1.np != 0 || cin1.nseg != 0)) std::abort();
  if (parser.level < 0 || parser.aborted) std::abort();
  return 0;
}
