// The keep-file list and its lines in the settings file.

#include "sketra/control/keeplist.h"

#include <filesystem>
#include <system_error>

#include "sketra/base/textfmt.h"

namespace sketra {

KeepList keeplist;

void keeplist_reset() { keeplist = KeepList{}; }

int grklst(int mode) {
  switch (mode) {
    case 0:
      keeplist.entries.clear();
      keeplist.lnew = true;
      return 0;
    case -4:
    case 3:
    case 4:
      return int(keeplist.entries.size());
    default:
      return -1;
  }
}

std::vector<std::string> keep_list_lines() {
  std::vector<std::string> out;
  out.push_back(fmt_i(long(keeplist.entries.size()), 4) + " /NUMBER OF KEEP FILES");
  for (const KeepEntry& e : keeplist.entries)
    out.push_back("'" + std::string(trim_right(e.name)) + "'" + fmt_i(e.state, 3) + " /");
  return out;
}

bool read_keep_list(std::span<const std::string> lines, std::size_t& pos) {
  auto fail = [] {
    keeplist.entries.clear();
    keeplist.lnew = true;
    return false;
  };
  if (pos >= lines.size()) return fail();
  int n = 0;
  FreeTarget count[] = {&n};
  if (!read_free(lines[pos++], count).complete(1)) return fail();
  std::vector<KeepEntry> entries;
  for (int k = 0; k < n; ++k) {
    if (pos >= lines.size()) return fail();
    std::string name, rest;
    int state = kKeepForeground;
    FreeTarget st[] = {&state};
    if (!split_quoted(lines[pos++], name, rest) || !read_free(rest, st).complete(1)) return fail();
    name = std::string(trim_right(name));
    if (name.size() > std::size_t(kKeepNameWidth)) name.resize(std::size_t(kKeepNameWidth));
    std::error_code ec;
    if (!std::filesystem::exists(name, ec)) continue;
    if (state <= 0) state = kKeepForeground;
    if (entries.size() < std::size_t(kKeepCapacity)) entries.push_back({name, state});
  }
  keeplist.entries = std::move(entries);
  keeplist.lnew = true;
  return true;
}

}  // namespace sketra
