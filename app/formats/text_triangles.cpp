#include "app/formats/text_triangles.h"

#include <cmath>

#include "sketra/base/textfmt.h"

namespace korvel {

TrianglesRead read_text_triangles(sketra::LineReader& r, std::int32_t code, PointSink& sink) {
  TrianglesRead out;
  Gauge gauge(sink);
  const std::int64_t capacity = sink.capacity();
  std::int64_t held = sink.points();
  double v[3][3] = {};
  int have = 0;  // vertices of the triangle being read
  std::string_view line;
  while (r.next(line)) {
    if (blank_line(line)) continue;
    sketra::FreeResult res = sketra::read_reals(line, v[have]);
    const bool finite = std::isfinite(v[have][0]) && std::isfinite(v[have][1]) && std::isfinite(v[have][2]);
    if (res.error || (!res.slash && res.filled < 3) || !finite) {
      r.backspace();
      break;
    }
    if (++have < 3) continue;
    have = 0;
    if (held > capacity - 3) {
      ++out.ignored;
      gauge(std::int64_t(r.offset()), std::int64_t(r.size()), "ignoring lines");
      continue;
    }
    sink.fix_origin(v[0][0], v[0][1]);
    for (auto& p : v)
      if (sink.add_point(p[0], p[1], float(p[2]), code)) ++held;
    const auto p = std::int32_t(held - 2);
    for (auto [a, b] : {std::pair{p, p + 1}, {p + 1, p + 2}, {p + 2, p}})
      if (!sink.add_edge(a, b)) ++out.refused_edges;
    gauge(held, capacity, "reading triangles");
  }
  out.incomplete = have > 0;
  return out;
}

}  // namespace korvel
