// ASCII DXF drawings: the layer pass, then the entities with circles, on
// every layer but the first.
#include "app/formats/dxf.h"
#include "fuzz_support.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sketra::LineReader r;
  fuzz::open_input(r, "d.dxf", fuzz::bytes(data, size));
  NoProgress quiet;
  DxfDrawing d;
  read_dxf_layers(r, 1000, fuzz::kLog, quiet, d);
  if (d.layers.size() > 1) d.layers.front().chosen = false;
  DxfOptions o;
  o.circles = true;
  o.scale = 0.001;
  read_dxf_entities(r, "d.dxf", 1000, 100000, o, fuzz::kLog, quiet, d);
  if (d.x.size() != d.y.size() || d.x.size() != d.z.size() || d.x.size() != d.kind.size() || d.x.size() > 100000)
    std::abort();
  return 0;
}
