#pragma once
// What the readers and writers of app/formats share.
//
// The formats know files, not the point store and not the user. A reader
// takes an open file and hands what it reads to its caller: small formats
// as a result struct, the big point formats record by record through a
// `PointSink`, which the loader implements on top of the store (and tests on
// top of vectors). A writer takes plain data (spans, counts, geometry, the
// origin) and writes it through a `TextOut`. Neither asks anything: a
// failure comes back as a `FileResult` naming the file and, where it
// applies, the line, and the caller decides what the user sees. Progress
// goes to a `Progress`, which the caller turns into a progress bar.
//
// Reports that the system writes to standard output and to the log
// ("filename:", "unknown codes:", ...) go through the file units, to the log
// unit the caller passes.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "sketra/base/units.h"

namespace korvel {

// What became of reading or writing a file: ok, or why not. `message` is
// the whole text for the message line ("bad node at line 3 of river.node");
// `file` and `line` say where (line 0: not tied to a line).
struct FileResult {
  bool ok = true;
  std::string message;
  std::string file;
  std::int64_t line = 0;

  static FileResult success() { return {}; }
  static FileResult failure(std::string message, std::string file = {}, std::int64_t line = 0) {
    return {false, std::move(message), std::move(file), line};
  }
};

// Where a long read or write reports its progress: a percentage (0 to 100)
// and what is being done ("reading points").
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void percent(int p, std::string_view what) = 0;
};

// A Progress that shows nothing.
class NoProgress : public Progress {
 public:
  void percent(int, std::string_view) override {}
};

// Turns "done of total" into percentages and passes on each change, so that
// a loop may report every record at the cost of a division.
class Gauge {
 public:
  explicit Gauge(Progress& to) : to_(to) {}
  void operator()(std::int64_t done, std::int64_t total, std::string_view what) {
    const int p = total > 0 ? int(std::min<std::int64_t>(100, std::max<std::int64_t>(0, done) * 100 / total)) : 100;
    if (p != last_) {
      last_ = p;
      to_.percent(p, what);
    }
  }

 private:
  Progress& to_;
  int last_ = -1;
};

// Where the point readers deliver what they read. Points are numbered from
// 1 in the order they are added, after the `points()` held before.
class PointSink : public Progress {
 public:
  // Fixes the origin at (x, y) unless it is fixed already.
  virtual void fix_origin(double x, double y) = 0;
  // Appends a point given in absolute co-ordinates; false, with nothing
  // stored, when `capacity()` points are held.
  virtual bool add_point(double x, double y, float z, std::int32_t code) = 0;
  // Appends an edge between the 1-based points a and b; false when the
  // edge table is full.
  virtual bool add_edge(std::int32_t a, std::int32_t b) = 0;
  // Points held, and the most that can be held.
  virtual std::int32_t points() const = 0;
  virtual std::int32_t capacity() const = 0;
  // A hint: about n more points follow.
  virtual void reserve(std::size_t n) {}
};

// A text file written through an open output unit in large blocks: records
// are formatted straight into `text`, which goes to the unit whenever it
// passes a megabyte, so a record costs no allocation and the file sees a
// few large writes. The first failed write stops the writer (`ok()` turns
// false); `finish` closes the unit and tells whether everything reached the
// disk, removing the incomplete file when not.
class TextOut {
 public:
  static constexpr std::size_t kBlock = std::size_t(1) << 20;

  TextOut(int unit, std::string name);

  std::string text;  // records not yet handed to the unit

  // Ends the record.
  void end() {
    text += '\n';
    if (text.size() >= kBlock) drain();
  }
  void line(std::string_view s) {
    text += s;
    end();
  }
  bool ok() const { return error_ == 0; }
  const std::string& name() const { return name_; }

  // Writes what is left and closes the unit. On a failed write the result
  // says "write failed: NAME (REASON)" and the file is gone.
  FileResult finish();
  // Closes the unit and removes the file: there was nothing worth writing.
  void abandon();

 private:
  void drain();

  int unit_;
  std::string name_;
  int error_ = 0;
};

// "write failed: NAME (REASON)" for the error number `error`.
FileResult write_failure(const std::string& name, int error);

// Writes a report line to standard output and echoes it to the log unit.
void report(std::string_view text, int log);

// True when the line holds nothing but blanks, tabs and carriage returns.
bool blank_line(std::string_view line);

// Tells the sink how many points the rest of the file can hold at most
// (one per 6 bytes, "1 2 3" and its line end).
void reserve_for_records(const sketra::LineReader& r, PointSink& sink);

// Reads one free-format record of v.size() values; after a "/" the
// remaining values keep what they held. A line with fewer values continues
// on the next line, which must then complete the record exactly. Returns
// true with a record; false at the end of the file or at a line that does
// not begin with a number (stepped back for the next reader), with
// `verdict` untouched, or false with `verdict` failed, naming the line, for
// a record that is short of values ("1 2" in a block of three, where the
// next line would give its x as this record's z), a value that does not
// read, or a value that is not a finite number.
bool read_record(sketra::LineReader& r, std::span<double> v, FileResult& verdict);

// A failure at the line read last: "WHAT at line 3 of survey.xyz".
FileResult failure_at(const sketra::LineReader& r, std::string_view what);

}  // namespace korvel
