#include "app/formats/element_file.h"

#include <algorithm>
#include <cmath>

#include "app/formats/triangle_files.h"
#include "sketra/base/textfmt.h"

namespace korvel {

namespace {

using sketra::LineReader;

// The next line that holds more than a comment, without its comment; false
// at the end.
bool next_record(LineReader& r, std::string_view& line) {
  while (r.next(line)) {
    line = line.substr(0, line.find('#'));
    if (!blank_line(line)) return true;
  }
  return false;
}

// Up to out.size() numbers of a record; the count read, -1 when a word is
// not a number or a value is not finite.
int record_values(std::string_view line, std::span<double> out) {
  const sketra::FreeResult res = sketra::read_reals(line, out);
  if (res.error) return -1;
  for (int i = 0; i < res.filled; ++i)
    if (!std::isfinite(out[std::size_t(i)])) return -1;
  return res.filled;
}

bool whole(double v, double lo, double hi) { return v == std::trunc(v) && v >= lo && v <= hi; }

}  // namespace

ElementFile read_element_file(LineReader& r, std::int64_t capacity, std::int64_t base, std::int64_t count,
                              Progress& progress, ElementHeader header) {
  ElementFile e;
  r.rewind();
  std::string_view line;
  if (!next_record(r, line)) {
    e.status = ElementStatus::bad_header;
    e.fault = ElementFault::no_header;
    return e;
  }
  double v[4] = {0, 0, 0, 0};
  const int n = record_values(line, std::span<double>(v, 2));
  const int least = header == ElementHeader::count_and_shape ? 2 : 1;
  if (n < least || !whole(v[0], 0, 9.0e15) || (n >= 2 && !whole(v[1], 0, 1.0e6)) ||
      (n >= 2 && v[1] != 3 && header == ElementHeader::count_and_shape)) {
    e.status = ElementStatus::bad_header;
    e.line = r.record();
    return e;
  }
  if (n >= 2 && v[1] != 3) return e;  // elements of another shape: no triangles
  e.expected = std::int64_t(v[0]);
  if (e.expected > capacity) {
    e.status = ElementStatus::too_many;
    return e;
  }
  const std::size_t room =
      r.size() > r.offset() && r.size() != UINT64_MAX ? std::size_t((r.size() - r.offset()) / 8) + 1 : 1;
  e.triangles.reserve(std::size_t(std::min<std::int64_t>(e.expected, std::int64_t(room))));
  Gauge gauge(progress);
  const double lo = double(base), hi = double(base + count - 1);
  for (std::int64_t k = 1; k <= e.expected; ++k) {
    if (!next_record(r, line)) {
      e.status = ElementStatus::short_file;
      return e;
    }
    const int got = record_values(line, v);
    e.fault = got < 0 ? ElementFault::bad_number : got < 4 ? ElementFault::short_line : ElementFault::none;
    for (int c = 1; c < 4 && e.fault == ElementFault::none; ++c)
      if (!whole(v[c], lo, hi)) e.fault = ElementFault::node_range;
    if (e.fault != ElementFault::none) {
      e.status = ElementStatus::bad_line;
      e.bad_line = k;
      e.line = r.record();
      e.triangles.clear();
      return e;
    }
    const auto point = [base](double number) { return std::int32_t(std::int64_t(number) - base + 1); };
    e.triangles.push_back({point(v[1]), point(v[2]), point(v[3])});
    gauge(k, e.expected, "reading elements");
  }
  return e;
}

FileResult write_element_file(TextOut& out, std::span<const Triangle> triangles, Progress& progress) {
  Gauge gauge(progress);
  const auto n = std::int64_t(triangles.size());
  sketra::append_i(out.text, n, 10);
  out.line("     3     0");
  for (std::int64_t k = 1; k <= n && out.ok(); ++k) {
    append_element_line(out.text, k, triangles[std::size_t(k - 1)]);
    out.end();
    gauge(k, n, "writing .ele file");
  }
  out.line(kTriangleTrailer);
  return out.finish();
}

void append_element_line(std::string& text, std::int64_t k, const Triangle& t) {
  sketra::append_i(text, k, 10);
  sketra::append_i(text, t.a, 10);
  sketra::append_i(text, t.b, 10);
  sketra::append_i(text, t.c, 10);
}

}  // namespace korvel
