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

}  // namespace sketra
