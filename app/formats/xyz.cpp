#include "app/formats/xyz.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "sketra/base/textfmt.h"

namespace korvel {

namespace {

constexpr int kMaxColumns = 64;

}  // namespace

PointsRead read_points(sketra::LineReader& r, const PointColumns& c, const ClipWindow& clip, PointSink& sink) {
  const int ncol = std::clamp(std::max({c.x, c.y, c.running_distance ? 1 : c.z}), 1, kMaxColumns);
  const auto cx = std::size_t(c.x - 1), cy = std::size_t(c.y - 1), cz = std::size_t(c.z - 1);
  reserve_for_records(r, sink);
  const std::int64_t capacity = sink.capacity();
  std::int64_t held = sink.points();
  Gauge gauge(sink);
  std::array<double, kMaxColumns> v{};  // kept from record to record: a "/" leaves values as they were
  const std::span<double> record(v.data(), std::size_t(ncol));
  double dist = 0, px = 0, py = 0;
  bool first = true, origin = false;
  PointsRead out;
  while (read_record(r, record, out.result)) {
    double x = v[cx], y = v[cy], z;
    if (c.running_distance) {
      if (!first) dist += std::hypot(x - px, y - py);
      first = false;
      px = x;
      py = y;
      z = std::trunc(dist);
    } else {
      z = double(float(v[cz]));
    }
    if (held >= capacity) {
      ++out.ignored;
      gauge(std::int64_t(r.offset()), std::int64_t(r.size()), "ignoring points");
      continue;
    }
    if (!clip.inside(x, y, z)) continue;
    if (!origin) {
      sink.fix_origin(x, y);
      origin = true;
    }
    if (sink.add_point(x, y, float(z), 0)) ++held;
    gauge(held, capacity, "reading points");
  }
  return out;
}

// ---- Writers -------------------------------------------------------------------

namespace {

// Sum of the values of the (up to eight) neighbours of node (i, j).
double neighbour_sum(std::span<const float> v, int nx, int ny, int i, int j) {
  double sum = 0;
  for (int dj = -1; dj <= 1; ++dj)
    for (int di = -1; di <= 1; ++di) {
      const int ii = i + di, jj = j + dj;
      if ((di == 0 && dj == 0) || ii < 0 || jj < 0 || ii >= nx || jj >= ny) continue;
      sum += double(v[std::size_t(jj) * std::size_t(nx) + std::size_t(ii)]);
    }
  return sum;
}

}  // namespace

FileResult write_grid_xyz(TextOut& out, const GridGeometry& g, Origin origin, std::string_view name,
                          std::span<const float> values, float tol, std::int64_t& written, Progress& progress) {
  Gauge gauge(progress);
  const GridNodes nodes(g);
  out.line("item '" + std::string(name) + "'");
  out.line("/ X    Y   Z");
  written = 0;
  for (int j = 0; j < g.ny && out.ok(); ++j) {
    for (int i = 0; i < g.nx; ++i) {
      const float value = values[std::size_t(j) * std::size_t(g.nx) + std::size_t(i)];
      if (!(value >= tol) && !(neighbour_sum(values, g.nx, g.ny, i, j) >= double(tol))) continue;
      sketra::ListLine(out.text).d(double(nodes.x(i, j)) + origin.x).d(double(nodes.y(i, j)) + origin.y).r(value);
      out.end();
      ++written;
    }
    gauge(j + 1, g.ny, "saving XYZ points");
  }
  return out.finish();
}

FileResult write_grid_points(TextOut& out, const GridNodesView& g, Origin origin, float displacement,
                             const std::function<float()>& random, Progress& progress) {
  Gauge gauge(progress);
  auto neighbour_has_data = [&](int i, int j) {
    for (int b = std::max(0, j - 1); b <= std::min(g.ny - 1, j + 1); ++b)
      for (int a = std::max(0, i - 1); a <= std::min(g.nx - 1, i + 1); ++a)
        if ((a != i || b != j) && g.has_data(a, b)) return true;
    return false;
  };
  for (int i = 0; i < g.nx && out.ok(); ++i) {
    gauge(i + 1, g.nx, "writing xyz");
    for (int j = 0; j < g.ny; ++j) {
      if (!g.has_data(i, j) && !neighbour_has_data(i, j)) continue;
      const std::size_t k = g.at(i, j);
      const float r1 = random(), r2 = random();
      sketra::append_f(out.text, double(g.x[k]) + double((r1 - 0.5f) * displacement) + origin.x, 12, 2);
      sketra::append_f(out.text, double(g.y[k]) + double((r2 - 0.5f) * displacement) + origin.y, 12, 2);
      sketra::append_f(out.text, g.value[k], 11, 3);
      out.end();
    }
  }
  return out.finish();
}

FileResult write_points_above(TextOut& out, std::span<const float> x, std::span<const float> y,
                              std::span<const float> value, float above, Origin origin, Progress& progress) {
  Gauge gauge(progress);
  const auto n = std::int64_t(std::min({x.size(), y.size(), value.size()}));
  for (std::int64_t i = 0; i < n && out.ok(); ++i) {
    const auto k = std::size_t(i);
    if (value[k] > above) {
      sketra::ListLine(out.text).d(double(x[k]) + origin.x).d(double(y[k]) + origin.y).r(value[k]);
      out.end();
    }
    gauge(i + 1, n, "writing data");
  }
  return out.finish();
}

}  // namespace korvel
