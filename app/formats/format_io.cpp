#include "app/formats/format_io.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "sketra/base/textfmt.h"

namespace korvel {

TextOut::TextOut(int unit, std::string name) : unit_(unit), name_(std::move(name)) { text.reserve(kBlock + 4096); }

void TextOut::drain() {
  if (error_ == 0 && !text.empty()) {
    sketra::unit_write_part(unit_, text);
    error_ = sketra::unit_error(unit_);
  }
  text.clear();
}

FileResult TextOut::finish() {
  drain();
  const int e = sketra::unit_close_or_remove(unit_);
  if (error_ == 0) error_ = e;
  return error_ == 0 ? FileResult::success() : write_failure(name_, error_);
}

void TextOut::abandon() {
  text.clear();
  sketra::unit_close(unit_);
  std::error_code ec;
  if (std::filesystem::is_regular_file(name_, ec)) std::filesystem::remove(name_, ec);
}

FileResult write_failure(const std::string& name, int error) {
  return FileResult::failure("write failed: " + name + " (" + std::strerror(error) + ")", name);
}

void report(std::string_view text, int log) {
  sketra::unit_write(sketra::kStdoutUnit, text);
  sketra::unit_write(log, text);
}

bool blank_line(std::string_view l) {
  return std::all_of(l.begin(), l.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
}

void reserve_for_records(const sketra::LineReader& r, PointSink& sink) {
  if (r.size() == UINT64_MAX || r.size() <= r.offset()) return;
  sink.reserve(std::size_t((r.size() - r.offset()) / 6) + 1);
}

FileResult failure_at(const sketra::LineReader& r, std::string_view what) {
  return FileResult::failure(std::string(what) + " at " + r.where(), r.path(), r.record());
}

namespace {

bool all_finite(std::span<const double> v) {
  return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
}

}  // namespace

bool read_record(sketra::LineReader& r, std::span<double> v, FileResult& verdict) {
  std::string_view line;
  if (!r.next(line)) return false;
  sketra::FreeResult res = sketra::read_reals(line, v);
  if (res.error && res.filled == 0) {
    r.backspace();
    return false;
  }
  std::size_t got = std::size_t(res.filled);
  std::int64_t first = r.record();  // the line of the record's first value
  auto fail = [&](std::string_view what) {
    verdict = failure_at(r, what);
    return false;
  };
  auto short_record = [&] {
    verdict = FileResult::failure("record with too few values at line " + std::to_string(first) + " of " + r.path(),
                                  r.path(), first);
    return false;
  };
  for (;;) {
    if (res.error) return fail("value that does not read");
    if (!all_finite(v.subspan(got - std::size_t(res.filled), std::size_t(res.filled))))
      return fail("value that is not a finite number");
    if (res.slash || got == v.size()) return true;
    // Lines without values before a record (blank ones) are passed over;
    // the section ends where the next line is not a number.
    if (!r.next(line)) return got == 0 ? false : short_record();
    res = sketra::read_reals(line, v.subspan(got));
    if (res.error && res.filled == 0) {
      r.backspace();
      return got == 0 ? false : short_record();
    }
    if (got == 0) first = r.record();
    got += std::size_t(res.filled);
    // A continuation line that holds more than the record still needs
    // belongs to a record of its own: the record before it was short.
    if (got == v.size() && !res.slash && sketra::count_reals(line, res.filled + 1) > res.filled) {
      r.backspace();
      return short_record();
    }
  }
}

}  // namespace korvel
