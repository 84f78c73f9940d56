// XYZ points and XYZI lines: the same bytes read as a point block, as lines,
// and as lines densified and thinned.
#include "app/formats/xyz.h"
#include "app/formats/xyzi.h"
#include "fuzz_support.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sketra::LineReader r;
  fuzz::open_input(r, "f.xyz", fuzz::bytes(data, size));
  fuzz::CountingSink points;
  read_points(r, PointColumns{}, ClipWindow{}, points);

  r.rewind();
  fuzz::CountingSink lines;
  read_lines(r, LineOptions{}, lines);

  r.rewind();
  LineOptions shaped;
  shaped.distmax = 0.5f;
  shaped.dmean = 0.1f;
  shaped.clip.on = true;
  shaped.clip.xmin = -1000;
  shaped.clip.xmax = 1000;
  fuzz::CountingSink dense(20000);
  read_lines(r, shaped, dense);
  return 0;
}
