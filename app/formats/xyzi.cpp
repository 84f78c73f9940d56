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
      if (o_.dmean <= 0 || d >= double(o_.dmean) || j == n - 1) {
        if (!add(b[j], 0, true)) return false;
        last = b[j];
      }
    }
    return true;
  }

 private:
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

void read_lines(sketra::LineReader& r, const LineOptions& o, PointSink& sink) {
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
  std::string_view line;
  while (r.next(line)) {
    if (blank_line(line)) continue;
    sketra::FreeResult res = sketra::read_reals(line, std::span<double>(v.data(), std::size_t(ncol)));
    if (res.error || (!res.slash && res.filled < ncol)) {
      r.backspace();
      break;
    }
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
    if (mark == marker || break_pending) {
      if (buf.size() >= 2) lines.store(buf, last_x, last_y);
      buf.clear();
      break_pending = false;
    }
    if (buf.size() < kMaxLineVertices) buf.push_back(p);
  }
  if (buf.size() >= 2) lines.store(buf, last_x, last_y);
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
