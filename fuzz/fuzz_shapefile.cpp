// ESRI shapefiles: the .shp, .shx and .dbf files as parts of one input
// ("%%%%" lines between them), read through shapelib.
#include "app/formats/shapefile.h"
#include "fuzz_support.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto parts = fuzz::split_parts(fuzz::bytes(data, size), 3);
  fuzz::write_parts(parts, {"s.shp", "s.shx", "s.dbf"});
  NoProgress quiet;
  ShapeVertices v;
  getshape("s.shp", 100000, v, fuzz::kLog, quiet);
  if (v.x.size() != v.y.size() || v.x.size() != v.mark.size() || v.x.size() > 100000) std::abort();
  return 0;
}
