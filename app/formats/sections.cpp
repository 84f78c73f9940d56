#include "app/formats/sections.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "app/loader.h"
#include "app/store.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/ui/dialogs.h"

namespace korvel::sections {

namespace {

using sketra::FreeResult;
using sketra::LineReader;

constexpr int kMaxColumns = 64;
constexpr std::size_t kMinRecordBytes = 6;  // "1 2 3\n": the shortest point record

// Values of the current record. They persist from one record to the next, as
// a "/" leaves the values after it unchanged.
using Record = std::array<double, kMaxColumns>;

// Reads one free-format record of n values, continuing on the next lines when
// a line holds fewer. Returns false at the end of the file or at a line that
// does not parse (which is stepped back).
bool read_record(LineReader& r, Record& v, int n) {
  std::string_view line;
  if (!r.next(line)) return false;
  std::span<double> want(v.data(), std::size_t(n));
  FreeResult res = sketra::read_reals(line, want);
  std::size_t got = std::size_t(res.filled);
  while (!res.error && !res.slash && got < want.size()) {
    if (!r.next(line)) return false;
    res = sketra::read_reals(line, want.subspan(got));
    got += std::size_t(res.filled);
  }
  if (res.error) {
    r.backspace();
    return false;
  }
  return true;
}

bool blank_line(std::string_view l) {
  return std::all_of(l.begin(), l.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
}

// The clip window in absolute coordinates.
bool inside_clip(double x, double y, double z) {
  return x >= double(cplot.xmin) && x <= double(cplot.xmax) && y >= double(cplot.ymin) &&
         y <= double(cplot.ymax) && z >= double(cplot.zmin) && z <= double(cplot.zmax);
}

bool add_absolute(double x, double y, double z, std::int32_t code) {
  return store_add_point(float(x - cin1.xorig), float(y - cin1.yorig), float(z), code);
}

void reserve_for(const LineReader& r) {
  if (r.size() == UINT64_MAX || r.size() <= r.offset()) return;
  store_reserve_points(std::size_t((r.size() - r.offset()) / kMinRecordBytes) + 1);
}

struct Vertex {
  double x, y, z;
};

// Stores one assembled line: densified with distmax, thinned with dmean; the
// last vertex is always kept. Each stored point gets an edge from the point
// stored before it.
void store_line(const std::vector<Vertex>& b, double last_x, double last_y) {
  fix_origin(last_x, last_y);
  if (!add_absolute(b[0].x, b[0].y, b[0].z, 0)) return;
  Vertex last = b[0];
  const std::size_t n = b.size();
  for (std::size_t j = 1; j < n; ++j) {
    double d = std::hypot(b[j].x - last.x, b[j].y - last.y);
    if (reader.distmax > 0) {
      double room = double(cin1.maxp - cin1.np);
      auto k = std::int64_t(std::min(d / double(reader.distmax), room));
      Vertex from = last;
      for (std::int64_t i = 1; i <= k; ++i) {
        double t = double(i) / double(k + 1);
        Vertex p{from.x + t * (b[j].x - from.x), from.y + t * (b[j].y - from.y), from.z + t * (b[j].z - from.z)};
        if (!add_absolute(p.x, p.y, p.z, reader.icol)) return;
        store_add_edge(cin1.np - 1, cin1.np);
        last = p;
      }
    }
    if (reader.dmean <= 0 || d >= double(reader.dmean) || j == n - 1) {
      if (!add_absolute(b[j].x, b[j].y, b[j].z, 0)) return;
      store_add_edge(cin1.np - 1, cin1.np);
      last = b[j];
    }
  }
}

}  // namespace

void found_message() {
  sketra::grmesg("found" + sketra::fmt_i(cin1.np, 9) + " points (" + sketra::fmt_i(cin1.nseg, 9) + " edges)");
}

void points(int unit, int ix, int iy, int iz, bool running_distance) {
  LineReader* r = sketra::unit_reader(unit);
  if (!r) return;
  const int ncol = std::clamp(std::max({ix, iy, running_distance ? 1 : iz}), 1, kMaxColumns);
  const auto cx = std::size_t(ix - 1), cy = std::size_t(iy - 1), cz = std::size_t(iz - 1);
  reserve_for(*r);
  Record v{};
  double dist = 0, px = 0, py = 0;
  bool first = true;
  std::int64_t ignored = 0;
  while (read_record(*r, v, ncol)) {
    double x = v[cx], y = v[cy], z;
    if (running_distance) {
      if (!first) dist += std::hypot(x - px, y - py);
      first = false;
      px = x;
      py = y;
      z = std::trunc(dist);
    } else {
      z = double(float(v[cz]));
    }
    if (cin1.np >= cin1.maxp) {
      ++ignored;
      sketra::grbeam(std::int64_t(r->offset()), std::int64_t(r->size()), "ignoring points");
      continue;
    }
    if (!inside_clip(x, y, z)) continue;
    fix_origin(x, y);
    add_absolute(x, y, z, 0);
    sketra::grbeam(cin1.np, cin1.maxp, "reading points");
  }
  if (ignored > 0)
    sketra::unit_write(cunit.log, " ignored points (store full):" + sketra::fmt_i(ignored, 10));
  found_message();
}

void lines(int unit, const std::array<int, 4>& col) {
  LineReader* r = sketra::unit_reader(unit);
  if (!r) return;
  const int ncol = std::clamp(*std::max_element(col.begin(), col.end()), 1, kMaxColumns);
  std::array<std::size_t, 4> c{};
  for (int i = 0; i < 4; ++i) c[std::size_t(i)] = std::size_t(std::clamp(col[std::size_t(i)], 1, kMaxColumns) - 1);
  reserve_for(*r);
  Record v{};
  std::vector<Vertex> buf;
  double marker = 0, last_x = 0, last_y = 0;
  bool have_marker = false, break_pending = false;
  std::string_view line;
  while (r->next(line)) {
    if (blank_line(line)) continue;
    FreeResult res = sketra::read_reals(line, std::span<double>(v.data(), std::size_t(ncol)));
    if (res.error || (!res.slash && res.filled < ncol)) {
      r->backspace();
      break;
    }
    Vertex p{v[c[0]], v[c[1]], double(float(v[c[2]]))};
    double mark = std::trunc(v[c[3]]);
    last_x = p.x;
    last_y = p.y;
    if (!have_marker) {
      marker = mark;
      have_marker = true;
    }
    bool full = cin1.np >= cin1.maxp;
    sketra::grbeam(full ? std::int64_t(r->offset()) : cin1.np, full ? std::int64_t(r->size()) : cin1.maxp,
                   full ? "ignoring lines" : "reading lines");
    if (cplot.clip == 1 && !inside_clip(p.x, p.y, p.z)) {
      if (buf.size() >= 2) break_pending = true;
      continue;
    }
    if (mark == marker || break_pending) {
      if (buf.size() >= 2) store_line(buf, last_x, last_y);
      buf.clear();
      break_pending = false;
    }
    if (buf.size() < std::size_t(kMaxPoints)) buf.push_back(p);
  }
  if (buf.size() >= 2) store_line(buf, last_x, last_y);
  found_message();
}

void cross_section(int unit, float km, float dz) {
  LineReader* r = sketra::unit_reader(unit);
  ++reader.ncs;
  if (r) {
    double a = reader.angle;
    double x0 = reader.x0, y0 = reader.y0;
    if (std::fabs(x0) < 0.001) x0 = -1000.0 * double(km);
    Record v{};
    while (read_record(*r, v, 2)) {
      if (cin1.np >= cin1.maxp) continue;
      store_add_point(float(x0 - std::sin(a) * v[0]), float(y0 - std::cos(a) * v[0]), float(v[1]) + dz, 0);
    }
  }
  reader.x0 = reader.y0 = reader.angle = 0;
  sketra::grmesg("found" + sketra::fmt_i(reader.ncs, 9) + " sections");
}

void table(int unit, int log, const TableParams& p) {
  LineReader* r = sketra::unit_reader(unit);
  ++reader.nl;
  ValueTable t{cin1.np + 1, 0, "ITEM " + sketra::fmt_i(reader.nl, 3)};
  double sum = 0;
  if (r) {
    const int ncol = std::clamp(std::max(p.ix, p.iy), 1, kMaxColumns);
    Record v{};
    while (read_record(*r, v, ncol)) {
      float x = p.ax * float(v[std::size_t(p.ix - 1)]) + p.bx;
      float y = p.ay * float(v[std::size_t(p.iy - 1)]) + p.by;
      sketra::unit_write(log, sketra::fmt_f(x, 10, 3) + sketra::fmt_f(y, 10, 3));
      if (!store_add_point(x, y, 0.0f, 0)) continue;
      sum += double(y);
      ++t.count;
    }
  }
  sketra::grmesg("found" + sketra::fmt_i(t.count, 5) + " values, sum is" + sketra::fmt_f(sum, 12, 2));
  tables.push_back(std::move(t));
}

bool blt(int unit) {
  LineReader* r = sketra::unit_reader(unit);
  if (!r) return false;
  reserve_for(*r);
  std::string_view line;
  while (r->next(line)) {
    if (blank_line(line)) continue;
    double x = 0, y = 0;
    float z = 0;
    int k = 0;
    sketra::FreeTarget t[] = {&x, &y, &z, &k};
    FreeResult res = sketra::read_free(line, t);
    if (!res.complete(4)) return false;
    fix_origin(x, y);
    if (!add_absolute(x, y, z, reader.isymb + reader.icol)) continue;
    if (k > 21 && cin1.np > 1) store_add_edge(cin1.np - 1, cin1.np);
    sketra::grbeam(cin1.np, cin1.maxp, "reading points");
  }
  sketra::grmesg("found" + sketra::fmt_i(cin1.np, 10) + " points");
  return true;
}

void fix_origin(double x, double y) {
  if (reader.lorig) return;
  cin1.xorig = x;
  cin1.yorig = y;
  reader.lorig = true;
}

}  // namespace korvel::sections
