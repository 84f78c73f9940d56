// 2DM meshes: nodes and elements.
#include "app/formats/mesh2dm.h"
#include "fuzz_support.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sketra::LineReader r;
  fuzz::open_input(r, "m.2dm", fuzz::bytes(data, size));
  double xorig = 0, yorig = 0;
  Ir2dmRequest req;
  req.max_nodes = 100000;
  req.max_triangles = 100000;
  req.take_origin = true;
  const Mesh2dm m = ir2dm(r, xorig, yorig, req);
  const auto n = std::int32_t(m.x.size());
  for (const Triangle& t : m.triangles)
    if (t.a < 1 || t.b < 1 || t.c < 1 || t.a > n || t.b > n || t.c > n) std::abort();
  return 0;
}
