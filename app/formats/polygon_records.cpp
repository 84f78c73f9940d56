#include "app/formats/polygon_records.h"

#include "sketra/base/textfmt.h"

namespace korvel {

FileResult write_polygon_records(TextOut& out, std::span<const float> x, std::span<const float> y,
                                 std::span<const Triangle> triangles, const std::function<float(std::size_t)>& value_of,
                                 Origin origin, Progress& progress) {
  Gauge gauge(progress);
  const auto ne = std::int64_t(triangles.size());
  for (std::int64_t k = 0; k < ne && out.ok(); ++k) {
    const Triangle& t = triangles[std::size_t(k)];
    out.line("4");
    for (std::int32_t node : {t.a, t.b, t.c, t.a}) {
      const auto i = std::size_t(node - 1);
      sketra::append_f(out.text, double(x[i]) + origin.x, 12, 2);
      sketra::append_f(out.text, double(y[i]) + origin.y, 12, 2);
      out.end();
    }
    sketra::append_f(out.text, double(value_of(std::size_t(k))), 10, 3);
    out.end();
    gauge(k + 1, ne, "writing data");
  }
  return out.finish();
}

}  // namespace korvel
