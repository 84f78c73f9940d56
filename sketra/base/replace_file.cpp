#include "sketra/base/replace_file.h"

#include <fstream>

namespace sketra {

bool write_lines_replacing(const std::filesystem::path& target, std::span<const std::string> lines) {
  std::filesystem::path fresh = target;
  fresh += ".new";
  std::error_code ec;
  {
    std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    for (const std::string& l : lines) out << l << '\n';
    out.flush();
    if (!out) {
      out.close();
      std::filesystem::remove(fresh, ec);
      return false;
    }
  }
  std::filesystem::rename(fresh, target, ec);
  if (!ec) return true;
  std::filesystem::remove(fresh, ec);
  return false;
}

}  // namespace sketra
