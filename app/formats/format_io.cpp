#include "app/formats/format_io.h"

#include <algorithm>
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

bool read_record(sketra::LineReader& r, std::span<double> v) {
  std::string_view line;
  if (!r.next(line)) return false;
  sketra::FreeResult res = sketra::read_reals(line, v);
  std::size_t got = std::size_t(res.filled);
  while (!res.error && !res.slash && got < v.size()) {
    if (!r.next(line)) return false;
    res = sketra::read_reals(line, v.subspan(got));
    got += std::size_t(res.filled);
  }
  if (res.error) {
    r.backspace();
    return false;
  }
  return true;
}

}  // namespace korvel
