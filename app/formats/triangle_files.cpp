#include "app/formats/triangle_files.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "app/formats/element_file.h"
#include "sketra/base/textfmt.h"

namespace korvel {

namespace {

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
  sketra::FreeResult res = sketra::read_reals(line, out);
  if (res.error) return -1;
  for (int i = 0; i < res.filled; ++i)
    if (!std::isfinite(out[std::size_t(i)])) return -1;
  return res.filled;
}

bool whole(double v, double lo, double hi) { return v == std::trunc(v) && v >= lo && v <= hi; }

FileResult at_line(const std::string& what, const std::string& name, std::int64_t line) {
  return FileResult::failure(what + " at line " + std::to_string(line) + " of " + name, name, line);
}

FileResult short_file(const std::string& name, std::int64_t found, std::int64_t count, const char* what) {
  return FileResult::failure(name + ": " + std::to_string(found) + " of " + std::to_string(count) + " " + what +
                                 " found",
                             name);
}

// Index of the last "." of the file name, not looking into directories;
// npos when the file name has none.
std::size_t suffix_dot(const std::string& name) {
  std::size_t slash = name.rfind('/');
  std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
  return dot;
}

std::string base_name(const std::string& name) {
  std::size_t dot = suffix_dot(name);
  return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

std::string poly_name(const std::string& node_name) { return base_name(node_name) + ".poly"; }

std::string hole_name(const std::string& node_name) { return base_name(node_name) + ".hole"; }

// ---- Reading ---------------------------------------------------------------------------

FileResult read_node_file(LineReader& r, const std::string& name, std::int32_t code, PointSink& sink,
                          NodeFile& out) {
  r.rewind();
  std::string_view line;
  if (!next_record(r, line)) return FileResult::failure("no node count in " + name, name);
  double v[4] = {0, 0, 0, 0};
  int n = record_values(line, v);
  if (n < 1 || !whole(v[0], 0, 9.0e15) || (n >= 3 && !whole(v[2], 0, 1.0e6)))
    return at_line("bad node header", name, r.record());
  out.count = std::int64_t(v[0]);
  out.attributes = n >= 3 ? std::int64_t(v[2]) : 0;
  const int attributes = n >= 3 ? int(v[2]) : 0;
  if (out.count > std::int64_t(sink.capacity()) - sink.points()) return FileResult::failure("too many nodes found", name);

  const std::size_t room =
      r.size() > r.offset() && r.size() != UINT64_MAX ? std::size_t((r.size() - r.offset()) / 6) : 0;
  sink.reserve(std::min<std::size_t>(std::size_t(out.count), room + 1));
  const std::size_t want = attributes > 0 ? 4 : 3;
  Gauge gauge(sink);
  for (std::int64_t i = 0; i < out.count; ++i) {
    if (!next_record(r, line)) return short_file(name, i, out.count, "nodes");
    double p[4] = {0, 0, 0, 0};
    n = record_values(line, std::span<double>(p, want));
    if (n < int(want) || !whole(p[0], -9.0e15, 9.0e15)) return at_line("bad node", name, r.record());
    if (i == 0) out.base = std::int64_t(p[0]);
    sink.fix_origin(p[1], p[2]);
    sink.add_point(p[1], p[2], attributes > 0 ? float(p[3]) : 0.0f, code);
    gauge(i + 1, out.count, "reading nodes");
  }
  return FileResult::success();
}

FileResult read_poly_file(LineReader& r, const std::string& name, std::int32_t first, const NodeFile& nodes,
                          PointSink& sink, PolyEdges& out) {
  std::string_view line;
  double v[3] = {0, 0, 0};
  if (!next_record(r, line)) return FileResult::failure(name + " is empty", name);
  if (record_values(line, std::span<double>(v, 1)) < 1) return at_line("bad header", name, r.record());
  if (v[0] != 0) {
    out.own_vertices = true;
    return FileResult::success();
  }
  if (!next_record(r, line) || record_values(line, std::span<double>(v, 1)) < 1 || !whole(v[0], 0, 9.0e15))
    return at_line("bad edge count", name, r.record());
  const auto m = std::int64_t(v[0]);
  const double lo = double(nodes.base), hi = double(nodes.base + nodes.count - 1);
  Gauge gauge(sink);
  for (std::int64_t k = 0; k < m; ++k) {
    if (!next_record(r, line)) return short_file(name, k, m, "edges");
    if (record_values(line, v) < 3 || !whole(v[1], lo, hi) || !whole(v[2], lo, hi))
      return at_line("bad edge", name, r.record());
    const auto a = std::int32_t(std::int64_t(v[1]) - nodes.base + 1), b = std::int32_t(std::int64_t(v[2]) - nodes.base + 1);
    if (!sink.add_edge(first + a, first + b)) ++out.refused;
    gauge(k + 1, m, "reading poly");
  }
  return FileResult::success();
}

HoleLines read_hole_lines(const std::string& hole_file) {
  HoleLines out;
  LineReader r;
  if (!r.open(hole_file)) return out;
  long long h = -1;
  std::string_view l;
  while (h < 0 && r.next(l)) {
    std::size_t first = l.find_first_not_of(" \t");
    if (first != std::string_view::npos && l[first] == '#') continue;  // a comment line
    int count = 0;
    sketra::FreeTarget t[] = {&count};
    sketra::FreeResult res = sketra::read_free(l, t);
    if (res.error) break;
    if (res.filled == 1) h = std::max(count, 0);
    if (res.slash) break;
  }
  out.counted = h >= 0;
  while (h > 0 && std::int64_t(out.lines.size()) < h && r.next(l))
    out.lines.emplace_back(sketra::trim_right(l.substr(0, std::min<std::size_t>(l.size(), 80))));
  return out;
}

FileResult read_ele_file(LineReader& r, const std::string& name, const NodeFile& nodes,
                         std::vector<Triangle>& out, Progress& progress) {
  ElementFile e = read_element_file(r, INT64_MAX, nodes.base, nodes.count, progress, ElementHeader::count_alone);
  switch (e.status) {
    case ElementStatus::ok:
      if (out.empty()) out = std::move(e.triangles);
      else out.insert(out.end(), e.triangles.begin(), e.triangles.end());
      return FileResult::success();
    case ElementStatus::bad_header:
      if (e.fault == ElementFault::no_header) return FileResult::failure("no element count in " + name, name);
      return at_line("bad element header", name, e.line);
    case ElementStatus::short_file:
      return short_file(name, std::int64_t(e.triangles.size()), e.expected, "elements");
    case ElementStatus::too_many:
    case ElementStatus::bad_line:
      break;
  }
  return at_line(e.fault == ElementFault::bad_number   ? "bad element"
                 : e.fault == ElementFault::short_line ? "short element line"
                                                       : "node number out of range",
                 name, e.line);
}

// ---- Writing ---------------------------------------------------------------------------

void append_node_header(std::string& text, std::int64_t np) {
  sketra::append_i(text, np, 10);
  text += "  2  1  1 ";
}

void append_node_line(std::string& b, std::int64_t i, double X, double Y, float z, int marker) {
  const double ax = std::fabs(X), ay = std::fabs(Y);
  const bool narrow = ax < 999999.0 && ay < 999999.0;
  if (narrow || (ax < 9999999.0 && ay < 9999999.0)) {
    const int w = narrow ? 10 : 11;
    sketra::append_i(b, i, 9);
    b += ' ';
    sketra::append_f(b, X, w, 3);
    b += ' ';
    sketra::append_f(b, Y, w, 3);
    b += ' ';
    sketra::append_f(b, double(z), 8, 3);
    sketra::append_i(b, marker, 2);
  } else {
    sketra::ListLine(b).i(i).d(X).d(Y).r(z).i(marker);
  }
}

FileResult write_node_file(TextOut& out, std::span<const float> x, std::span<const float> y,
                           std::span<const float> z, std::span<const std::int32_t> markers, Origin origin,
                           Progress& progress) {
  return write_node_file(out, x, y, z, [markers](std::size_t k) { return markers[k]; }, origin, progress);
}

FileResult write_poly_file(TextOut& out, std::span<const Edge> edges, std::span<const std::string> holes,
                           Progress& progress) {
  Gauge gauge(progress);
  const auto nseg = std::int64_t(edges.size());
  out.line("0 2");
  sketra::append_i(out.text, nseg, 8);
  out.line(" 1");
  for (std::int64_t k = 1; k <= nseg && out.ok(); ++k) {
    const Edge& e = edges[std::size_t(k - 1)];
    sketra::ListLine(out.text).i(k).i(e.a).i(e.b).i(0);
    out.end();
    gauge(k, nseg, "writing .poly file");
  }
  sketra::ListLine(out.text).i(std::int64_t(holes.size()));
  out.end();
  for (const std::string& l : holes) {
    sketra::ListLine(out.text).text(l);
    out.end();
  }
  out.line(kTriangleTrailer);
  return out.finish();
}

// ---- A surface for TRIANGLE --------------------------------------------------------

FileResult write_node_ele_file(TextOut& out, std::span<const float> x, std::span<const float> y,
                               std::span<const float> value, std::span<const Triangle> triangles, Origin origin,
                               Progress& progress) {
  Gauge gauge(progress);
  const auto np = std::int64_t(std::min({x.size(), y.size(), value.size()})), ne = std::int64_t(triangles.size());
  sketra::ListLine(out.text).i(np);
  out.line(" 2 1 1");
  for (std::int64_t i = 1; i <= np && out.ok(); ++i) {
    const auto k = std::size_t(i - 1);
    append_node_line(out.text, i, double(x[k]) + origin.x, double(y[k]) + origin.y, value[k], 0);
    out.end();
    gauge(i, np + ne, "writing data");
  }
  sketra::ListLine(out.text).i(ne);
  out.line(" 3 0");
  for (std::int64_t k = 1; k <= ne && out.ok(); ++k) {
    append_element_line(out.text, k, triangles[std::size_t(k - 1)]);
    out.end();
    gauge(np + k, np + ne, "writing data");
  }
  return out.finish();
}

FileResult write_area_file(TextOut& out, std::span<const float> value, std::span<const Triangle> triangles,
                           Progress& progress) {
  Gauge gauge(progress);
  const auto ne = std::int64_t(triangles.size());
  sketra::ListLine(out.text).i(ne);
  out.end();
  for (std::int64_t k = 1; k <= ne && out.ok(); ++k) {
    const Triangle& t = triangles[std::size_t(k - 1)];
    float sum = 0;
    int n = 0;
    for (std::int32_t node : {t.a, t.b, t.c}) {
      const float v = value[std::size_t(node - 1)];
      if (v > 0.0001f) sum += v, ++n;
    }
    sketra::ListLine(out.text).i(k).r(n > 0 ? sum / float(n) : -1.0f);
    out.end();
    gauge(k, ne, "saving area data");
  }
  return out.finish();
}

// ---- Node files given new values ------------------------------------------------------

namespace {

// The blank-separated words of a line up to its comment: their count, and
// the offsets of the first out.size() of them.
struct Word {
  std::size_t begin, end;
};
int split_words(std::string_view line, std::span<Word> out) {
  const std::size_t stop = std::min(line.find('#'), line.size());
  int n = 0;
  std::size_t i = 0;
  for (;;) {
    while (i < stop && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= stop) break;
    const std::size_t b = i;
    while (i < stop && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (std::size_t(n) < out.size()) out[std::size_t(n)] = {b, i};
    ++n;
  }
  return n;
}

bool word_value(std::string_view line, Word w, double& v) {
  sketra::FreeResult r = sketra::read_reals(line.substr(w.begin, w.end - w.begin), std::span<double>(&v, 1));
  return !r.error && r.filled == 1 && std::isfinite(v);
}

// The shortest text that reads back as the same single-precision value.
void append_value(std::string& out, float v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, std::size_t(r.ptr - buf));
}

// The header line with its attribute count set to 1; the counts it leaves
// out are written (dimension 2, no markers).
std::string header_with_attribute(std::string_view line, std::span<const Word> w) {
  if (w.size() >= 3) return std::string(line.substr(0, w[2].begin)) + "1" + std::string(line.substr(w[2].end));
  std::string s(line.substr(0, w.back().end));
  s += w.size() == 1 ? " 2 1 0" : " 1 0";
  return s + std::string(line.substr(w.back().end));
}

}  // namespace

namespace {

// One walk through a node file from its start: every node line parsed by
// the header's counts. Without `out` the positions and old values are
// collected into `nodes`; with it every line is written, node lines with
// values[i]. A failure comes back in `verdict`.
bool walk_node_file(LineReader& in, const std::string& name, NodePositions& nodes, const float* values,
                    TextOut* out, Progress& progress, FileResult& verdict) {
  in.rewind();
  auto fail = [&](FileResult r) {
    verdict = std::move(r);
    return false;
  };
  auto copy = [out](std::string_view line) {
    if (out) out->line(line);
  };
  std::string_view line;
  Word w[4];
  int n = 0;
  // Comment and blank lines before the header are carried over.
  while ((n = in.next(line) ? split_words(line, w) : -1) == 0) copy(line);
  if (n < 0) return fail(FileResult::failure("no node count in " + name, name));
  double head[4] = {0, 2, 0, 0};
  for (int k = 0; k < std::min(n, 4); ++k)
    if (!word_value(line, w[k], head[k])) return fail(at_line("bad node header", name, in.record()));
  if (!whole(head[0], 0, 9.0e15) || head[1] != 2 || !whole(head[2], 0, 1.0e6) || !whole(head[3], 0, 1))
    return fail(at_line("bad node header", name, in.record()));
  const auto count = std::int64_t(head[0]);
  const int attributes = int(head[2]);
  nodes.has_old = attributes > 0;
  if (out && attributes == 0) out->line(header_with_attribute(line, std::span<const Word>(w, std::size_t(std::min(n, 4)))));
  else copy(line);
  if (!out) {
    const std::size_t room = in.size() != UINT64_MAX ? std::size_t(in.size() / 16) + 1 : 1;
    const auto want = std::size_t(std::min<std::int64_t>(count, std::int64_t(room)));
    nodes.x.reserve(want), nodes.y.reserve(want), nodes.old.reserve(want);
  }
  Gauge gauge(progress);
  for (std::int64_t i = 0; i < count && (!out || out->ok());) {
    if (!in.next(line)) return fail(short_file(name, i, count, "nodes"));
    n = split_words(line, w);
    if (n == 0) {  // a comment or blank line between the nodes
      copy(line);
      continue;
    }
    if (out) {
      if (n < 3 + std::min(attributes, 1)) return fail(FileResult::failure(name + " changed while it was read", name));
      // The value replaces the first attribute, or follows y.
      const float v = values[i];
      const std::size_t cut = attributes > 0 ? w[3].begin : w[2].end, rest = attributes > 0 ? w[3].end : w[2].end;
      out->text.append(line.substr(0, cut));
      if (attributes == 0) out->text += ' ';
      append_value(out->text, v);
      out->text.append(line.substr(rest));
      out->end();
    } else {
      // Number, x, y and every attribute must be there; a missing marker
      // is no loss, as the marker is carried over, not read.
      double p[4] = {0, 0, 0, 0};
      bool good = n >= 3 + attributes;
      for (int k = 0; k < 3 + std::min(attributes, 1) && good; ++k) good = word_value(line, w[k], p[k]);
      if (!good || !whole(p[0], -9.0e15, 9.0e15)) return fail(at_line("bad node", name, in.record()));
      nodes.x.push_back(p[1]), nodes.y.push_back(p[2]), nodes.old.push_back(float(p[3]));
    }
    ++i;
    gauge(i, count, out ? "writing nodes" : "reading nodes");
  }
  if (!out) return true;
  // Everything after the last node (the trailer, an element part) as it is.
  while (out->ok() && in.next(line)) out->line(line);
  if (out->ok() && in.size() != UINT64_MAX && in.offset() != in.size())
    return fail(FileResult::failure("read error in " + name, name));
  return true;
}

}  // namespace

FileResult map_node_file(LineReader& in, TextOut& out, const std::string& name, const NodeValues& values,
                         Progress& progress, NodeFileMapped& done) {
  done = {};
  NodePositions nodes;
  FileResult verdict;
  std::vector<float> v;
  if (!walk_node_file(in, name, nodes, nullptr, nullptr, progress, verdict)) {
    out.finish();
    return verdict;
  }
  if (!values(nodes, v) || v.size() != nodes.x.size()) {
    out.finish();
    return FileResult::failure("mapping stopped", name);
  }
  if (!walk_node_file(in, name, nodes, v.data(), &out, progress, verdict)) {
    out.finish();
    return verdict;
  }
  // A file that changed between the two readings is caught here too.
  done.nodes = std::int64_t(nodes.x.size());
  done.attribute_added = !nodes.has_old;
  return out.finish();
}

}  // namespace korvel
