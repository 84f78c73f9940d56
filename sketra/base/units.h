#pragma once
// Numbered file units.
//
// Files are known by small unit numbers, as the rest of the system expects:
// 3 for the data file being read or written, 4 for the log "outp", 10 a
// spare, 45 and up for nested include files, 95 to 97 for the graphics
// library's device files. Unit 6 is standard output and is always open.
//
// A unit opened "old" is read record by record: `unit_read` hands out each
// line as a string_view into a buffer (valid until the next read, backspace,
// rewind or close of that unit), without the line end and without copying.
// The file is read in large blocks, so huge files cost neither a copy per
// line nor their size in memory. `unit_backspace` steps back one record, any
// number of times, so a reader can leave a line for the next reader.
//
// A unit opened "unknown" is written: created when missing, otherwise written
// again from its start. `unit_write` writes a whole record; `unit_write_part`
// writes text without ending the record, so a later write continues the same
// line (`unit_end_line` ends it). Output is buffered and reaches the file at
// close or `unit_flush`. A write that fails (a full disk) is remembered:
// `unit_error` reports it while the unit is open and `unit_close` returns it,
// so a writer can tell the user instead of claiming success.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sketra {

inline constexpr int kMaxUnit = 99;
inline constexpr int kStdoutUnit = 6;

// How a unit is opened.
enum class FileStatus {
  old_file,  // read an existing file
  unknown,   // write: create, or write again from the start
  append,    // write after the existing end (create when missing)
};

// Reads a file record by record through a large block buffer.
class LineReader {
 public:
  LineReader();
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Opens the file; false when it cannot be opened for reading.
  bool open(const std::string& path);
  void close();
  bool is_open() const { return fd_ >= 0; }

  // Next record without its line end ("\n"; a "\r" before it is kept).
  // False at the end of the file.
  bool next(std::string_view& line);

  // Steps back one record: the next call of `next` returns the last record
  // again. At the start of the file it does nothing.
  void backspace();

  // Back to the first record.
  void rewind();

  // Bytes consumed so far and the file size (for progress bars).
  std::uint64_t offset() const { return pos_; }
  std::uint64_t size() const { return size_; }

  // Number of records read so far (1 after the first `next`).
  std::int64_t record() const { return record_; }

  // The file as opened, and where the record read last is, for messages:
  // "line 3 of survey.xyz".
  const std::string& path() const { return path_; }
  std::string where() const { return "line " + std::to_string(record_) + " of " + path_; }

 private:
  bool fill(std::uint64_t from);
  std::uint64_t previous_record_start(std::uint64_t at);

  int fd_ = -1;
  std::string path_;
  std::uint64_t size_ = 0;
  std::vector<char> buf_;
  std::uint64_t buf_start_ = 0;  // file offset of buf_[0]
  std::size_t buf_len_ = 0;      // valid bytes in buf_
  std::uint64_t pos_ = 0;        // file offset of the next record
  std::uint64_t last_start_ = 0; // file offset of the record read last
  bool have_last_ = false;
  std::int64_t record_ = 0;
};

// Opens a unit. Returns false (and leaves the unit closed) when the file
// cannot be opened; an open unit is closed first.
bool unit_open(int unit, const std::string& path, FileStatus status);
bool unit_is_open(int unit);
const std::string& unit_name(int unit);
// Closes the unit. Returns 0, or for an output unit the error number (errno,
// e.g. ENOSPC) of the first write, flush or close that failed.
int unit_close(int unit);
// Closes an output unit like unit_close; when a write failed, the
// incomplete file is removed (a regular file only, never a device such as
// /dev/full) so that no half-written file is taken for a good one.
int unit_close_or_remove(int unit);

// Reading (units opened old).
bool unit_read(int unit, std::string_view& line);
void unit_backspace(int unit);
void unit_rewind(int unit);
// The reader behind an open read unit, for loops that read many records;
// nullptr when the unit is not open for reading.
LineReader* unit_reader(int unit);

// Writing (units opened unknown or append, and unit 6). Writes to a closed
// unit are dropped.
void unit_write(int unit, std::string_view text);       // one whole record
void unit_write_part(int unit, std::string_view text);  // no line end
void unit_end_line(int unit);                           // ends the record
void unit_new_record(int unit);  // ends the record only when text of it is written
void unit_flush(int unit);
// Error number of the first failed write to an output unit since it was
// opened; 0 while every write has succeeded (and for other units).
int unit_error(int unit);

// Closes every unit (tests and shutdown).
void unit_close_all();

}  // namespace sketra
