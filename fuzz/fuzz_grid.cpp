// Grids: the ">>grid" keyword format and the ESRI ASCII grid, which one
// reader takes both of.
#include "app/formats/grid_files.h"
#include "fuzz_support.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr int kIn = 7;
  fuzz::write_file("g.asc", fuzz::bytes(data, size));
  if (!sketra::unit_open(kIn, "g.asc", sketra::FileStatus::old_file)) std::abort();
  ParserState parser;
  int unit = kIn;
  GridBlock g = iigrid(parser, unit, fuzz::kLog, 1000000);
  if (!g.too_large && g.error.empty() && !parser.aborted &&
      g.values.size() != std::size_t(g.nx) * std::size_t(g.ny))
    std::abort();
  sketra::unit_close(unit);
  sketra::unit_close(kIn);
  return 0;
}
