#include "app/formats/element_file.h"

#include <charconv>

#include "app/formats/triangle_files.h"
#include "sketra/base/textfmt.h"

namespace korvel {

namespace {

using sketra::LineReader;

// Whole numbers of a line up to its comment, into `out`; the count read,
// -1 when a word is not a whole number.
int line_integers(std::string_view line, std::span<std::int64_t> out) {
  if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
  int n = 0;
  std::size_t i = 0;
  while (n < int(out.size())) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == ',')) ++i;
    if (i == line.size()) break;
    const char* begin = line.data() + i;
    const char* end = line.data() + line.size();
    if (*begin == '+') ++begin;
    const auto [p, ec] = std::from_chars(begin, end, out[std::size_t(n)]);
    if (ec != std::errc() || (p != end && *p != ' ' && *p != '\t' && *p != '\r' && *p != ',')) return -1;
    i = std::size_t(p - line.data());
    ++n;
  }
  return n;
}

// The next line that holds more than a comment; false at the end.
bool next_record(LineReader& r, std::string_view& line) {
  while (r.next(line)) {
    std::string_view body = line.substr(0, line.find('#'));
    if (!blank_line(body)) return true;
  }
  return false;
}

}  // namespace

ElementFile read_element_file(LineReader& r, std::int64_t capacity, std::int64_t base, std::int64_t count,
                              Progress& progress) {
  ElementFile e;
  r.rewind();
  std::string_view line;
  std::int64_t head[2] = {0, 0};
  if (!next_record(r, line) || line_integers(line, head) < 2 || head[0] < 0 || head[1] != 3) {
    e.status = ElementStatus::bad_header;
    return e;
  }
  e.expected = head[0];
  if (e.expected > capacity) {
    e.status = ElementStatus::too_many;
    return e;
  }
  const std::size_t room = r.size() > r.offset() ? std::size_t((r.size() - r.offset()) / 8) + 1 : 1;
  e.triangles.reserve(std::size_t(std::min<std::int64_t>(e.expected, std::int64_t(room))));
  Gauge gauge(progress);
  const std::int64_t last = base + count - 1;
  for (std::int64_t k = 1; k <= e.expected; ++k) {
    if (!next_record(r, line)) {
      e.status = ElementStatus::short_file;
      return e;
    }
    std::int64_t v[4] = {0, 0, 0, 0};
    bool good = line_integers(line, v) == 4;
    for (int c = 1; c < 4 && good; ++c) good = v[c] >= base && v[c] <= last;
    if (!good) {
      e.status = ElementStatus::bad_line;
      e.bad_line = k;
      e.triangles.clear();
      return e;
    }
    const auto point = [base](std::int64_t number) { return std::int32_t(number - base + 1); };
    e.triangles.push_back({point(v[1]), point(v[2]), point(v[3])});
    if (k % 1000 == 0) gauge(k, e.expected, "reading elements");
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
