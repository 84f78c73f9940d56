#pragma once
// Internals shared by the file devices (not for callers).

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "sketra/kernel/device.h"

namespace sketra::detail {

// A text file written on a numbered unit under a temporary name beside its
// target ("plan.dxf.part") and renamed over the target once it is complete,
// so a failed write never leaves a half-written target, nor destroys the
// file it was to replace.
class ReplacingFile {
 public:
  ReplacingFile() = default;
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  // An abandoned file (never finished) is closed and its temporary removed.
  ~ReplacingFile();

  // Opens `unit` on the temporary of `target`; false when it cannot be
  // created.
  bool open(int unit, std::string target);
  void write_line(std::string_view text);    // one record
  void write_block(std::string_view block);  // text with its own line ends
  // Closes the unit and renames the temporary over the target. Returns an
  // empty text, or "Error writing: " + target after a failed write (the
  // temporary is removed and the target left as it was).
  std::string finish();
  const std::string& target() const { return target_; }

 private:
  int unit_ = -1;
  std::string target_, temporary_;
};

// The temporary name of `target`.
std::string temporary_name(const std::string& target);

// Asks `prompt` (40 characters) until a file is opened: a blank answer
// shows "Filename cannot be all blanks" and returns false; a file that
// cannot be created shows "Error opening: " and the name and asks again.
// `name_of` turns the trimmed answer into the file name.
bool ask_and_open(std::string_view prompt, ReplacingFile& file, int unit,
                  const std::function<std::string(std::string)>& name_of);

// The openers of the four file modes.
std::unique_ptr<FileDevice> open_record_device();
std::unique_ptr<FileDevice> open_dxf_device();
std::unique_ptr<FileDevice> open_shape_device();
std::unique_ptr<FileDevice> open_arcpolygon_device();

// Name prompts of the file devices: 40 characters.
inline constexpr int kFilePromptWidth = 40;

// Asks `prompt` once: the trimmed answer, or an empty text after showing
// "Filename cannot be all blanks".
std::string ask_file_name(std::string_view prompt);

}  // namespace sketra::detail

#include <array>
#include <span>
#include <vector>

namespace sketra::detail {

// Cuts the simple polygon (x, y) into triangles of vertex indices that
// cover it exactly (ear clipping); fewer than three vertices give none.
void triangulate(std::span<const float> x, std::span<const float> y,
                 std::vector<std::array<std::size_t, 3>>& out);

}  // namespace sketra::detail

namespace sketra::detail {

// Write failures that shapelib's file hooks met while a shapefile is open
// (shapelib itself reports none).
struct ShapeIo {
  bool failed = false;
  std::string message;  // shapelib's own explanation, when it gave one
};
extern ShapeIo shape_io;

}  // namespace sketra::detail
