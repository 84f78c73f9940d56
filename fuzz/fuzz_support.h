#pragma once
// What the libFuzzer targets share: a working folder of their own, the
// fuzzer's bytes as files in it, and a point sink with a small capacity.
//
// The readers read files, so every target writes its input into the working
// folder first. The folder is made below the directory the fuzzer was
// started in ("fuzz-work.<pid>") and removed when the process ends; korvel's
// own files ("outp", ".grset") land there too.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "app/formats/format_io.h"
#include "sketra/base/units.h"

namespace korvel::fuzz {

// The unit the readers write their log to: /dev/null, so that the log is
// formatted on every run but does not fill the disk.
inline constexpr int kLog = 4;

// LLVMFuzzerInitialize (defined with the support code, so every target has
// it) makes the working folder, enters it, sends standard output (the
// readers' echo) to /dev/null and opens kLog.
void enter_work_folder();

// Writes `text` to the file `name` and opens it for reading. Aborts when it
// cannot: the target would test nothing.
void open_input(sketra::LineReader& r, const std::string& name, std::string_view text);

// The fuzzer's bytes as text.
inline std::string_view bytes(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Writes `text` to the file `name` in the working folder (replacing it).
void write_file(const std::string& name, std::string_view text);

// Removes the files korvel would otherwise replace or cut (see write_file).
void remove_files(std::initializer_list<const char*> names);

// Splits the input into files at "\n%%%%\n": part 0 is the main file, the
// others the files beside it (includes, .poly, .shx ...). Files joined with
// that separator come back byte for byte. At most `max_parts` parts; the
// last takes the rest.
std::vector<std::string_view> split_parts(std::string_view text, std::size_t max_parts);

// Writes part k of `parts` to names[k]; a name whose part is missing is
// removed, so nothing is left over from the previous input.
void write_parts(const std::vector<std::string_view>& parts, const std::vector<std::string>& names);

// A sink that keeps what a reader delivers, up to a capacity small enough
// that a run stays quick and small.
class CountingSink : public PointSink {
 public:
  explicit CountingSink(std::int32_t room = 200000) : room_(room) {}
  void percent(int, std::string_view) override {}
  void fix_origin(double, double) override {}
  bool add_point(double, double, float, std::int32_t) override;
  bool add_edge(std::int32_t a, std::int32_t b) override;
  std::int32_t points() const override { return points_; }
  std::int32_t capacity() const override { return room_; }

 private:
  std::int32_t room_;
  std::int32_t points_ = 0;
  std::int64_t edges_ = 0;
};

}  // namespace korvel::fuzz
