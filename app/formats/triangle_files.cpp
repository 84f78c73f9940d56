// TRIANGLE node and poly files, and text triangle lists.
//
// A node file (".node", or ".hole" for hole points) starts with a header
// line: node count, dimension, attribute count and marker count. Each node
// line then holds the node number, x, y, the attributes and the marker; the
// first attribute is the node's value. The .poly file beside a node file
// lists the edges: a first line whose vertex count is 0 (the vertices are in
// the node file), the edge count, and one line per edge with its number and
// two node numbers. TRIANGLE numbers nodes from 1, or from 0 when the first
// node says so; edges follow the same base. "#" starts a comment anywhere.
//
// A text triangle list holds three lines of x, y, z per triangle.

#include <cmath>
#include <filesystem>
#include <span>

#include "app/formats/readers.h"
#include "app/formats/sections.h"
#include "app/loader.h"
#include "app/store.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/ui/dialogs.h"

namespace korvel {

namespace {

using sketra::FreeResult;
using sketra::LineReader;

// The next line that holds something other than a comment, without its
// comment; false at the end of the file.
bool next_record(LineReader& r, std::string_view& line) {
  while (r.next(line)) {
    std::size_t hash = line.find('#');
    if (hash != std::string_view::npos) line = line.substr(0, hash);
    if (!blank_line(line)) return true;
  }
  return false;
}

// Reads up to out.size() numbers of a record; the count read, -1 when a
// word is not a number or a value is not finite.
int record_values(std::string_view line, std::span<double> out) {
  FreeResult res = sketra::read_reals(line, out);
  if (res.error) return -1;
  for (int i = 0; i < res.filled; ++i)
    if (!std::isfinite(out[std::size_t(i)])) return -1;
  return res.filled;
}

bool whole(double v, double lo, double hi) { return v == std::trunc(v) && v >= lo && v <= hi; }

std::string at_line(const std::string& what, const std::string& name, std::int64_t line) {
  return what + " at line " + std::to_string(line) + " of " + name;
}

struct NodeHeader {
  std::int64_t count = 0;
  int attributes = 0;
};

ReadResult read_node_header(LineReader& r, const std::string& name, NodeHeader& h) {
  std::string_view line;
  if (!next_record(r, line)) return ReadResult::failure("no node count in " + name);
  double v[4] = {0, 0, 0, 0};
  int n = record_values(line, v);
  if (n < 1 || !whole(v[0], 0, 9.0e15) || (n >= 3 && !whole(v[2], 0, 1.0e6)))
    return ReadResult::failure(at_line("bad node header", name, r.record()));
  h.count = std::int64_t(v[0]);
  h.attributes = n >= 3 ? int(v[2]) : 0;
  if (h.count > std::int64_t(cin1.maxp) - cin1.np) return ReadResult::failure("too many nodes found");
  return ReadResult::success();
}

// Reads the nodes as points np+1 ... Returns the number of the first node
// (the base of the file's numbering) through `base`.
ReadResult read_nodes(LineReader& r, const std::string& name, const NodeHeader& h, std::int64_t& base) {
  std::size_t room = r.size() > r.offset() && r.size() != UINT64_MAX ? std::size_t((r.size() - r.offset()) / 6) : 0;
  store_reserve_points(std::min<std::size_t>(std::size_t(h.count), room + 1));
  const std::size_t want = h.attributes > 0 ? 4 : 3;
  std::string_view line;
  for (std::int64_t i = 0; i < h.count; ++i) {
    if (!next_record(r, line))
      return ReadResult::failure(name + ": " + std::to_string(i) + " of " + std::to_string(h.count) + " nodes found");
    double v[4] = {0, 0, 0, 0};
    int n = record_values(line, std::span<double>(v, want));
    if (n < int(want) || !whole(v[0], -9.0e15, 9.0e15)) return ReadResult::failure(at_line("bad node", name, r.record()));
    if (i == 0) base = std::int64_t(v[0]);
    fix_origin(v[1], v[2]);
    add_point_abs(v[1], v[2], h.attributes > 0 ? float(v[3]) : 0.0f, reader.icol);
    sketra::grbeam(i + 1, h.count, "reading nodes");
  }
  return ReadResult::success();
}

// The edges of the .poly file `poly`, for nodes p0+1 .. p0+count numbered
// from `base` in the files.
ReadResult read_poly(int unit, const std::string& poly, std::int32_t p0, std::int64_t count, std::int64_t base,
                     int log) {
  if (!sketra::unit_open(unit, poly, sketra::FileStatus::old_file)) return ReadResult::failure("Unable to open:" + poly);
  LineReader& r = *sketra::unit_reader(unit);
  std::string_view line;
  double v[3] = {0, 0, 0};
  if (!next_record(r, line)) return ReadResult::failure(poly + " is empty");
  if (record_values(line, std::span<double>(v, 1)) < 1) return ReadResult::failure(at_line("bad header", poly, r.record()));
  if (v[0] != 0) {
    // The .poly lists vertices of its own: its edges do not refer to these nodes.
    sketra::grmesg("expecting nodes on node file");
    return ReadResult::success();
  }
  if (!next_record(r, line) || record_values(line, std::span<double>(v, 1)) < 1 || !whole(v[0], 0, 9.0e15))
    return ReadResult::failure(at_line("bad edge count", poly, r.record()));
  const auto m = std::int64_t(v[0]);
  EdgeSink edges(log);
  for (std::int64_t k = 0; k < m; ++k) {
    if (!next_record(r, line))
      return ReadResult::failure(poly + ": " + std::to_string(k) + " of " + std::to_string(m) + " edges found");
    if (record_values(line, v) < 3 || !whole(v[1], double(base), double(base + count - 1)) ||
        !whole(v[2], double(base), double(base + count - 1)))
      return ReadResult::failure(at_line("bad edge", poly, r.record()));
    edges.add(p0 + std::int32_t(std::int64_t(v[1]) - base + 1), p0 + std::int32_t(std::int64_t(v[2]) - base + 1));
    sketra::grbeam(k + 1, m, "reading poly");
  }
  edges.flush();
  sketra::grmesg("found" + sketra::fmt_i(cin1.nseg, 10) + " edges");
  return ReadResult::success();
}

}  // namespace

ReadResult node_file(int unit, const std::string& name, bool with_poly, int log) {
  LineReader* r = sketra::unit_reader(unit);
  if (!r) return ReadResult::failure("Unable to open:" + name);
  r->rewind();
  NodeHeader h;
  ReadResult res = read_node_header(*r, name, h);
  if (!res.ok) return res;
  const std::int32_t p0 = cin1.np;
  std::int64_t base = 1;
  res = read_nodes(*r, name, h, base);
  if (!res.ok) return res;
  sketra::grmesg("found" + sketra::fmt_i(cin1.np, 10) + " points");
  sketra::unit_close(unit);
  if (!with_poly) return res;

  std::string poly(sketra::trim_right(name));
  poly = poly.substr(0, poly.rfind('.')) + ".poly";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(poly, ec)) {
    sketra::grmesg("no poly file found");
    return res;
  }
  return read_poly(unit, poly, p0, h.count, base, log);
}

// ---- Text triangles ----------------------------------------------------------------

void text_triangles(int unit, int log) {
  LineReader* r = sketra::unit_reader(unit);
  if (!r) return;
  EdgeSink edges(log);
  double v[3][3] = {};
  int have = 0;  // vertices of the triangle being read
  std::int64_t ignored = 0;
  std::string_view line;
  while (r->next(line)) {
    if (blank_line(line)) continue;
    FreeResult res = sketra::read_reals(line, v[have]);
    bool finite = std::isfinite(v[have][0]) && std::isfinite(v[have][1]) && std::isfinite(v[have][2]);
    if (res.error || (!res.slash && res.filled < 3) || !finite) {
      r->backspace();
      break;
    }
    if (++have < 3) continue;
    have = 0;
    if (cin1.np > cin1.maxp - 3) {
      ++ignored;
      sketra::grbeam(std::int64_t(r->offset()), std::int64_t(r->size()), "ignoring lines");
      continue;
    }
    fix_origin(v[0][0], v[0][1]);
    for (auto& p : v) add_point_abs(p[0], p[1], float(p[2]), reader.icol);
    const std::int32_t p = cin1.np - 2;
    edges.add(p, p + 1);
    edges.add(p + 1, p + 2);
    edges.add(p + 2, p);
    sketra::grbeam(cin1.np, cin1.maxp, "reading triangles");
  }
  if (have > 0) sketra::unit_write(log, " incomplete triangle ignored");
  if (ignored > 0) sketra::unit_write(log, " ignored triangles (store full):" + sketra::fmt_i(ignored, 10));
  edges.flush();
  sections::found_message();
}

}  // namespace korvel
