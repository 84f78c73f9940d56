#pragma once
// Replacing a small text file safely: the lines go to a file beside the
// target ("<name>.new"), which is renamed over the target only once it is
// completely written. A failure leaves the old file as it was and removes
// the partial one.
//
//   if (!sketra::write_lines_replacing(".grset", lines)) ...  // old file kept

#include <filesystem>
#include <span>
#include <string>

namespace sketra {

// Writes each line followed by a newline; false when the file could not be
// written or renamed.
bool write_lines_replacing(const std::filesystem::path& target, std::span<const std::string> lines);


// A file that takes the place of its target only once it is complete.
//
// `create` makes an empty file in the target's folder under a name no other
// file has (".<name>.XXXXXX", made by mkstemp: no fixed name that a second
// writer or an old leftover could share), with the target's permissions
// when the target exists. The caller writes it by its name (`temporary()`),
// then `commit` forces its data to the disk and renames it over the
// target; until then the target is untouched. When anything fails, or the
// object goes without a commit, the temporary file is removed and the
// target stays as it was.
//
//   FileReplacement f;
//   if (!f.create("river.node")) ... f.reason()     // e.g. a read-only folder
//   write everything to f.temporary(), check every write
//   if (!f.commit()) ... f.reason()                 // river.node unchanged
class FileReplacement {
 public:
  FileReplacement() = default;
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;
  ~FileReplacement() { discard(); }

  bool create(const std::filesystem::path& target);
  const std::string& temporary() const { return temporary_; }
  // Syncs the written file and renames it over the target (then syncs the
  // folder); false with the reason when either fails.
  bool commit();
  // Removes the temporary file; the target stays as it was.
  void discard();
  // Why the last step failed ("Permission denied").
  const std::string& reason() const { return reason_; }

 private:
  bool fail(int error);

  std::filesystem::path target_;
  std::string temporary_;
  std::string reason_;
};

}  // namespace sketra
