// Triangles as text (".3ds": three lines "x y z" each) and BLT lines.
#include "app/formats/blt.h"
#include "app/formats/text_triangles.h"
#include "fuzz_support.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sketra::LineReader r;
  fuzz::open_input(r, "t.3ds", fuzz::bytes(data, size));
  fuzz::CountingSink triangles;
  read_text_triangles(r, 4, triangles);
  r.rewind();
  fuzz::CountingSink lines;
  read_blt(r, "t.3ds", 3, lines);
  return 0;
}
