// Reading Triangle's file family: .node, .poly, .ele and .area.
//
// A file is read whole into memory and cut into records: lines with their
// comment (from '#') removed, split at blanks, tabs and commas; lines with
// nothing left are skipped. Every check names the file and the line of the
// record that failed, or the line after the last one when a file ends early.

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "meshgen/meshgen.h"
#include "sketra/base/textfmt.h"

namespace meshgen {

namespace {

// The most vertices, elements or segments a file may announce: indices stay
// well inside an int and memory inside the machine.
constexpr long kMaxCount = 1L << 28;
constexpr int kMaxAttributes = 64;
// Larger co-ordinates would overflow the squared lengths and areas of the mesher.
constexpr double kMaxCoordinate = 1e15;

class Records {
 public:
  explicit Records(const std::filesystem::path& path) : name_(path.string()) {}

  // Reads the whole file; an error when it cannot be opened or read.
  Failure load() {
    std::ifstream in(name_, std::ios::binary);
    if (!in) return Error{name_, 0, "cannot open the file"};
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) return Error{name_, 0, "cannot read the file"};
    text_ = std::move(ss).str();
    return std::nullopt;
  }

  // Moves to the next record with at least one field; false at the end.
  bool next() {
    fields_.clear();
    while (pos_ < text_.size()) {
      std::size_t end = text_.find('\n', pos_);
      if (end == std::string::npos) end = text_.size();
      std::string_view line(text_.data() + pos_, end - pos_);
      pos_ = end + 1;
      ++line_;
      if (std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
      split(line);
      if (!fields_.empty()) return true;
    }
    line_ = lines_total();
    return false;
  }

  std::size_t size() const { return fields_.size(); }
  std::string_view field(std::size_t i) const { return fields_[i]; }
  std::size_t bytes() const { return text_.size(); }
  long line() const { return line_; }

  Error error(std::string message) const { return Error{name_, line_, std::move(message)}; }

  // The error for a record that is missing because the file ended.
  Error ended(const std::string& what) const { return Error{name_, lines_total(), "the file ends before " + what}; }

  // Field i as an integer; false (with `err` set) when absent or not one.
  bool integer(std::size_t i, long& v, Failure& err, const char* what) const {
    int n = 0;
    if (i >= fields_.size()) {
      err = error(std::string("missing ") + what);
      return false;
    }
    if (!sketra::parse_int(fields_[i], n)) {
      err = error(std::string(what) + " '" + std::string(fields_[i]) + "' is not an integer");
      return false;
    }
    v = n;
    return true;
  }

  // Field i as a finite real.
  bool real(std::size_t i, double& v, Failure& err, const char* what) const {
    if (i >= fields_.size()) {
      err = error(std::string("missing ") + what);
      return false;
    }
    if (!sketra::parse_real(fields_[i], v) || !std::isfinite(v)) {
      err = error(std::string(what) + " '" + std::string(fields_[i]) + "' is not a finite number");
      return false;
    }
    return true;
  }

  // Optional integer field i, `fallback` when the record is shorter.
  bool optional_integer(std::size_t i, long& v, long fallback, Failure& err, const char* what) const {
    if (i >= fields_.size()) {
      v = fallback;
      return true;
    }
    return integer(i, v, err, what);
  }

  // An error when a record follows those that the counts announced.
  Failure expect_end(const std::string& what) {
    if (next()) return error("more records than " + what);
    return std::nullopt;
  }

 private:
  void split(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && is_separator(line[i])) ++i;
      std::size_t j = i;
      while (j < line.size() && !is_separator(line[j])) ++j;
      if (j > i) fields_.push_back(line.substr(i, j - i));
      i = j;
    }
  }
  static bool is_separator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == ',' || c == '\f'; }
  long lines_total() const {
    return long(std::count(text_.begin(), text_.end(), '\n')) + (text_.empty() || text_.back() == '\n' ? 1 : 0);
  }

  std::string name_;
  std::string text_;
  std::size_t pos_ = 0;
  long line_ = 0;
  std::vector<std::string_view> fields_;
};

// Checks a count read from a header.
Failure check_count(const Records& r, long n, const char* what) {
  if (n < 0 || n > kMaxCount) return r.error(std::string(what) + " " + std::to_string(n) + " is out of range");
  return std::nullopt;
}

// Checks the running number of a record: the first is 0 or 1, each next one
// follows on. `first` is set by the first record.
Failure check_number(const Records& r, long number, long index, int& first, const char* what) {
  if (index == 0) {
    if (number != 0 && number != 1) {
      return r.error(std::string(what) + " numbers must start at 0 or 1, not " + std::to_string(number));
    }
    first = int(number);
  } else if (number != first + index) {
    return r.error(std::string(what) + " number " + std::to_string(number) + " is out of sequence (expected " +
                   std::to_string(first + index) + ")");
  }
  return std::nullopt;
}

// The vertex index that number `n` names, or an error.
Failure vertex_index(const Records& r, const Vertices& v, long n, int& index, const std::string& who) {
  const long i = n - v.first_number;
  if (i < 0 || i >= long(v.size())) {
    return r.error(who + " names vertex " + std::to_string(n) + ", which does not exist");
  }
  index = int(i);
  return std::nullopt;
}

// Refuses two vertices at the same position; `lines` holds each vertex's line.
Failure check_distinct(const std::string& file, const Vertices& v, const std::vector<long>& lines) {
  std::vector<std::size_t> order(v.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return v.x(a) != v.x(b) ? v.x(a) < v.x(b) : (v.y(a) != v.y(b) ? v.y(a) < v.y(b) : a < b);
  });
  for (std::size_t k = 1; k < order.size(); ++k) {
    const std::size_t a = order[k - 1], b = order[k];
    if (v.x(a) == v.x(b) && v.y(a) == v.y(b)) {
      return Error{file, lines[b],
                   "vertex " + std::to_string(v.first_number + long(b)) + " repeats the position of vertex " +
                       std::to_string(v.first_number + long(a))};
    }
  }
  return std::nullopt;
}

// Reads the vertex section whose header is the current record: count,
// dimension, attributes, marker flag, then `count` vertex records.
Failure read_vertices(Records& r, const std::string& file, Vertices& out) {
  Failure err;
  long count = 0, dim = 2, nattr = 0, markers = 0;
  if (!r.integer(0, count, err, "vertex count") || !r.optional_integer(1, dim, 2, err, "dimension") ||
      !r.optional_integer(2, nattr, 0, err, "attribute count") ||
      !r.optional_integer(3, markers, 0, err, "marker flag")) {
    return err;
  }
  if (auto e = check_count(r, count, "vertex count")) return e;
  if (dim != 2) return r.error("dimension " + std::to_string(dim) + " is not 2");
  if (nattr < 0 || nattr > kMaxAttributes) return r.error("attribute count " + std::to_string(nattr) + " is out of range");
  if (markers != 0 && markers != 1) return r.error("marker flag " + std::to_string(markers) + " is not 0 or 1");
  out = Vertices{};
  out.nattr = int(nattr);
  const std::size_t room = std::min<std::size_t>(std::size_t(count), r.bytes() / 6 + 1);
  out.xy.reserve(2 * room);
  out.attr.reserve(room * std::size_t(nattr));
  out.marker.reserve(room);
  std::vector<long> lines;
  lines.reserve(room);
  for (long i = 0; i < count; ++i) {
    if (!r.next()) return r.ended("vertex " + std::to_string(out.first_number + i) + " of " + std::to_string(count));
    long number = 0, marker = 0;
    double x = 0, y = 0;
    if (!r.integer(0, number, err, "vertex number")) return err;
    if (auto e = check_number(r, number, i, out.first_number, "vertex")) return e;
    if (!r.real(1, x, err, "x") || !r.real(2, y, err, "y")) return err;
    if (std::abs(x) > kMaxCoordinate || std::abs(y) > kMaxCoordinate) {
      return r.error("co-ordinates beyond 1e15 are out of range");
    }
    out.xy.push_back(x);
    out.xy.push_back(y);
    for (long k = 0; k < nattr; ++k) {
      double a = 0;
      if (!r.real(std::size_t(3 + k), a, err, "attribute")) return err;
      out.attr.push_back(a);
    }
    if (markers && !r.optional_integer(std::size_t(3 + nattr), marker, 0, err, "boundary marker")) return err;
    out.marker.push_back(int(marker));
    lines.push_back(r.line());
  }
  return check_distinct(file, out, lines);
}

// Reads the segment section of a .poly file.
Failure read_segments(Records& r, Pslg& out) {
  Failure err;
  if (!r.next()) return r.ended("the segment count");
  long count = 0, markers = 0;
  if (!r.integer(0, count, err, "segment count") || !r.optional_integer(1, markers, 0, err, "marker flag")) return err;
  if (auto e = check_count(r, count, "segment count")) return e;
  int first = 0;
  out.segments.reserve(std::min<std::size_t>(std::size_t(count), r.bytes() / 6 + 1));
  for (long i = 0; i < count; ++i) {
    if (!r.next()) return r.ended("segment " + std::to_string(i + 1) + " of " + std::to_string(count));
    long number = 0, a = 0, b = 0, marker = 0;
    if (!r.integer(0, number, err, "segment number")) return err;
    if (auto e = check_number(r, number, i, first, "segment")) return e;
    if (!r.integer(1, a, err, "segment end") || !r.integer(2, b, err, "segment end")) return err;
    if (markers && !r.optional_integer(3, marker, 0, err, "segment marker")) return err;
    Segment s;
    const std::string who = "segment " + std::to_string(number);
    if (auto e = vertex_index(r, out.vertices, a, s.a, who)) return e;
    if (auto e = vertex_index(r, out.vertices, b, s.b, who)) return e;
    s.marker = int(marker);
    if (s.a != s.b) out.segments.push_back(s);  // a segment of no length constrains nothing
  }
  return std::nullopt;
}

// Reads the optional hole and region sections of a .poly file.
Failure read_holes_regions(Records& r, Pslg& out) {
  Failure err;
  if (!r.next()) return std::nullopt;
  long holes = 0;
  if (!r.integer(0, holes, err, "hole count")) return err;
  if (auto e = check_count(r, holes, "hole count")) return e;
  for (long i = 0; i < holes; ++i) {
    if (!r.next()) return r.ended("hole " + std::to_string(i + 1) + " of " + std::to_string(holes));
    double x = 0, y = 0;
    if (!r.real(1, x, err, "hole x") || !r.real(2, y, err, "hole y")) return err;
    out.holes.push_back({x, y});
  }
  if (!r.next()) return std::nullopt;
  long regions = 0;
  if (!r.integer(0, regions, err, "region count")) return err;
  if (auto e = check_count(r, regions, "region count")) return e;
  for (long i = 0; i < regions; ++i) {
    if (!r.next()) return r.ended("region " + std::to_string(i + 1) + " of " + std::to_string(regions));
    Region g;
    if (!r.real(1, g.x, err, "region x") || !r.real(2, g.y, err, "region y")) return err;
    if (r.size() > 3 && !r.real(3, g.attribute, err, "region attribute")) return err;
    if (r.size() > 4 && !r.real(4, g.max_area, err, "region area")) return err;
    out.regions.push_back(g);
  }
  return r.expect_end("the sections of a .poly file");
}

}  // namespace

Failure read_node(const std::filesystem::path& path, Vertices& out) {
  Records r(path);
  if (auto e = r.load()) return e;
  if (!r.next()) return r.ended("the vertex count");
  if (auto e = read_vertices(r, path.string(), out)) return e;
  return r.expect_end("the " + std::to_string(out.size()) + " vertices counted");
}

Failure read_poly(const std::filesystem::path& path, const std::filesystem::path& node_path, bool have_vertices,
                  Pslg& out) {
  Records r(path);
  if (auto e = r.load()) return e;
  if (!r.next()) return r.ended("the vertex count");
  Failure err;
  long count = 0;
  if (!r.integer(0, count, err, "vertex count")) return err;
  if (count != 0) {
    if (have_vertices) return r.error("the vertices of a mesh being refined come from its .node file");
    if (auto e = read_vertices(r, path.string(), out.vertices)) return e;
  } else if (!have_vertices) {
    if (auto e = read_node(node_path, out.vertices)) return e;
  }
  if (auto e = read_segments(r, out)) return e;
  return read_holes_regions(r, out);
}

Failure read_ele(const std::filesystem::path& path, const Vertices& v, std::vector<Triangle>& out) {
  Records r(path);
  if (auto e = r.load()) return e;
  if (!r.next()) return r.ended("the element count");
  Failure err;
  long count = 0, corners = 3, nattr = 0;
  if (!r.integer(0, count, err, "element count") || !r.optional_integer(1, corners, 3, err, "corner count") ||
      !r.optional_integer(2, nattr, 0, err, "attribute count")) {
    return err;
  }
  if (auto e = check_count(r, count, "element count")) return e;
  if (corners != 3 && corners != 6) return r.error("elements of " + std::to_string(corners) + " corners are not triangles");
  out.clear();
  out.reserve(std::min<std::size_t>(std::size_t(count), r.bytes() / 8 + 1));
  int first = 0;
  for (long i = 0; i < count; ++i) {
    if (!r.next()) return r.ended("element " + std::to_string(i + 1) + " of " + std::to_string(count));
    long number = 0;
    if (!r.integer(0, number, err, "element number")) return err;
    if (auto e = check_number(r, number, i, first, "element")) return e;
    Triangle t{};
    const std::string who = "element " + std::to_string(number);
    for (int k = 0; k < 3; ++k) {
      long n = 0;
      if (!r.integer(std::size_t(1 + k), n, err, "corner")) return err;
      if (auto e = vertex_index(r, v, n, t[std::size_t(k)], who)) return e;
    }
    if (t[0] == t[1] || t[1] == t[2] || t[0] == t[2]) return r.error(who + " names one vertex twice");
    out.push_back(t);
  }
  return r.expect_end("the " + std::to_string(count) + " elements counted");
}

Failure read_area(const std::filesystem::path& path, std::size_t elements, std::vector<double>& out) {
  Records r(path);
  if (auto e = r.load()) return e;
  if (!r.next()) return r.ended("the element count");
  Failure err;
  long count = 0;
  if (!r.integer(0, count, err, "element count")) return err;
  if (count != long(elements)) {
    return r.error("the count " + std::to_string(count) + " differs from the " + std::to_string(elements) +
                   " elements of the mesh");
  }
  out.assign(elements, -1.0);
  int first = 0;
  for (long i = 0; i < count; ++i) {
    if (!r.next()) return r.ended("element " + std::to_string(i + 1) + " of " + std::to_string(count));
    long number = 0;
    if (!r.integer(0, number, err, "element number")) return err;
    if (auto e = check_number(r, number, i, first, "element")) return e;
    if (!r.real(1, out[std::size_t(i)], err, "area limit")) return err;
  }
  return r.expect_end("the " + std::to_string(count) + " elements counted");
}

}  // namespace meshgen
