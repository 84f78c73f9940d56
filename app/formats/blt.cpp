#include "app/formats/blt.h"

#include <cmath>

#include "sketra/base/textfmt.h"

namespace korvel {

FileResult read_blt(sketra::LineReader& r, const std::string& name, std::int32_t code, PointSink& sink) {
  reserve_for_records(r, sink);
  Gauge gauge(sink);
  const std::int64_t capacity = sink.capacity();
  std::int64_t held = sink.points();
  const std::int64_t before = held;  // a line never joins a point of an earlier file
  std::string_view line;
  while (r.next(line)) {
    if (blank_line(line)) continue;
    double x = 0, y = 0;
    float z = 0;
    int k = 0;
    sketra::FreeTarget t[] = {&x, &y, &z, &k};
    if (!sketra::read_free(line, t).complete(4)) return failure_at(r, "bad BLT line");
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
      return failure_at(r, "value that is not a finite number");
    sink.fix_origin(x, y);
    if (!sink.add_point(x, y, z, code)) continue;
    ++held;
    if (k > 21 && held > before + 1) sink.add_edge(std::int32_t(held - 1), std::int32_t(held));
    gauge(held, capacity, "reading points");
  }
  return FileResult::success();
}

}  // namespace korvel
