#include "app/formats/xyzi.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "sketra/base/textfmt.h"

namespace korvel {

namespace {

constexpr int kMaxColumns = 64;

struct Vertex {
  double x, y, z;
};

// Stores the lines of one section through the sink, counting the points
// held so that the edges can name them.
class LineStore {
 public:
  LineStore(const LineOptions& o, PointSink& sink) : o_(o), sink_(sink), held_(sink.points()) {}
  std::int64_t held() const { return held_; }

  // The number of points that storing line b makes, densified and thinned
  // (in double precision: a tiny max_distance gives counts beyond any
  // integer).
  double count(const std::vector<Vertex>& b) const {
    double total = 1;
    Vertex last = b[0];
    for (std::size_t j = 1; j < b.size(); ++j) {
      const double d = std::hypot(b[j].x - last.x, b[j].y - last.y);
      if (o_.distmax > 0) {
        const double k = std::floor(d / double(o_.distmax));
        if (k > 0) {
          const double t = k / (k + 1);
          last = {last.x + t * (b[j].x - last.x), last.y + t * (b[j].y - last.y), 0};
          total += k;
        }
      }
      if (kept(j, b.size(), d)) {
        total += 1;
        last = b[j];
      }
    }
    return total;
  }

  // Stores one assembled line (see read_lines); false when the sink is full.
  bool store(const std::vector<Vertex>& b, double last_x, double last_y) {
    sink_.fix_origin(last_x, last_y);
    if (!add(b[0], 0, false)) return false;
    Vertex last = b[0];
    const std::size_t n = b.size();
    for (std::size_t j = 1; j < n; ++j) {
      const double d = std::hypot(b[j].x - last.x, b[j].y - last.y);
      if (o_.distmax > 0) {
        const double room = double(sink_.capacity() - held_);
        const auto k = std::int64_t(std::min(d / double(o_.distmax), room));
        const Vertex from = last;
        for (std::int64_t i = 1; i <= k; ++i) {
          const double t = double(i) / double(k + 1);
          const Vertex p{from.x + t * (b[j].x - from.x), from.y + t * (b[j].y - from.y), from.z + t * (b[j].z - from.z)};
          if (!add(p, o_.code, true)) return false;
          last = p;
        }
      }
      if (kept(j, n, d)) {
        if (!add(b[j], 0, true)) return false;
        last = b[j];
      }
    }
    return true;
  }

 private:
  // Vertex j of n at distance d from the last point stored is stored: the
  // last vertex always, the others unless they lie closer than dmean.
  bool kept(std::size_t j, std::size_t n, double d) const {
    return o_.dmean <= 0 || d >= double(o_.dmean) || j == n - 1;
  }

  bool add(const Vertex& v, std::int32_t code, bool joined) {
    if (!sink_.add_point(v.x, v.y, float(v.z), code)) return false;
    ++held_;
    if (joined) sink_.add_edge(std::int32_t(held_ - 1), std::int32_t(held_));
    return true;
  }

  const LineOptions& o_;
  PointSink& sink_;
  std::int64_t held_;
};

}  // namespace

FileResult read_lines(sketra::LineReader& r, const LineOptions& o, PointSink& sink) {
  const int ncol = std::clamp(*std::max_element(o.columns.begin(), o.columns.end()), 1, kMaxColumns);
  std::array<std::size_t, 4> c{};
  for (std::size_t i = 0; i < 4; ++i) c[i] = std::size_t(std::clamp(o.columns[i], 1, kMaxColumns) - 1);
  reserve_for_records(r, sink);
  LineStore lines(o, sink);
  Gauge gauge(sink);
  const std::int64_t capacity = sink.capacity();
  std::array<double, kMaxColumns> v{};
  std::vector<Vertex> buf;
  double marker = 0, last_x = 0, last_y = 0;
  bool have_marker = false, break_pending = false;
  std::int64_t buf_end = 0;  // line of the file that gave the buffer's last record
  // Densifying must not fill the store: the count comes first.
  auto store = [&] {
    if (o.distmax > 0 && double(lines.held()) + lines.count(buf) > double(capacity))
      return FileResult::failure("max_distance" + sketra::fmt_g(o.distmax, 12, 4) + " makes" +
                                     sketra::fmt_g(lines.count(buf), 12, 4) + " points, more than the store holds, at line " +
                                     std::to_string(buf_end) + " of " + r.path(),
                                 r.path(), buf_end);
    lines.store(buf, last_x, last_y);
    buf.clear();
    return FileResult::success();
  };
  std::string_view line;
  while (r.next(line)) {
    if (blank_line(line)) continue;
    const std::span<double> record(v.data(), std::size_t(ncol));
    sketra::FreeResult res = sketra::read_reals(line, record);
    if (res.error && res.filled == 0) {
      r.backspace();
      break;
    }
    if (res.error) return failure_at(r, "value that does not read");
    if (!res.slash && res.filled < ncol) return failure_at(r, "record with too few values");
    for (std::size_t i : c)
      if (!std::isfinite(v[i])) return failure_at(r, "value that is not a finite number");
    const Vertex p{v[c[0]], v[c[1]], double(float(v[c[2]]))};
    const double mark = std::trunc(v[c[3]]);
    last_x = p.x;
    last_y = p.y;
    if (!have_marker) {
      marker = mark;
      have_marker = true;
    }
    if (lines.held() >= capacity)
      gauge(std::int64_t(r.offset()), std::int64_t(r.size()), "ignoring lines");
    else
      gauge(lines.held(), capacity, "reading lines");
    if (o.clip.on && !o.clip.inside(p.x, p.y, p.z)) {
      if (buf.size() >= 2) break_pending = true;
      continue;
    }
    // A new line starts here unless the buffer holds a single point, which
    // then joins this record.
    if ((mark == marker || break_pending) && buf.size() >= 2) {
      if (FileResult res2 = store(); !res2.ok) return res2;
    }
    break_pending = false;
    if (buf.size() < kMaxLineVertices) buf.push_back(p);
    buf_end = r.record();
  }
  if (buf.size() >= 2) return store();
  return FileResult::success();
}

FileResult write_grid_breaklines(TextOut& out, const GridNodesView& g, Origin origin, Progress& progress) {
  Gauge gauge(progress);
  for (int i = 0; i < g.nx && out.ok(); ++i) {
    gauge(i + 1, g.nx, "writing breaklines");
    for (int j = 0; j < g.ny; ++j) {
      const std::size_t k = g.at(i, j);
      sketra::append_f(out.text, double(g.x[k]) + origin.x, 12, 2);
      sketra::append_f(out.text, double(g.y[k]) + origin.y, 12, 2);
      sketra::append_f(out.text, g.value[k], 12, 2);
      sketra::append_i(out.text, j == 0 ? 1 : 0, 2);
      out.end();
    }
  }
  return out.finish();
}

}  // namespace korvel
