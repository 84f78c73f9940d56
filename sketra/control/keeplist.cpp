// The keep-file list and its lines in the settings file.

#include "sketra/control/keeplist.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"

namespace sketra {

KeepList keeplist;

void keeplist_reset() { keeplist = KeepList{}; }

namespace {

constexpr std::string_view kKeepSuffixes = ".kep.pbm.pgm";

// Add: a keep file or bitmap chosen with the file dialog.
void add_entry() {
  std::string name, filter(kKeepSuffixes);
  const int unit = grcomn.jdv3gr;
  if (!gropn(name, filter, unit)) return;
  unit_close(unit);
  name = std::string(trim(name));
  if (name.empty()) return;
  if (name.size() > std::size_t(kKeepNameWidth)) name.resize(std::size_t(kKeepNameWidth));
  for (const KeepEntry& e : keeplist.entries) {
    if (e.name == name) {
      grmesg("File already on list: " + name);
      return;
    }
  }
  if (keeplist.entries.size() >= std::size_t(kKeepCapacity)) {
    grmesg("Keep list full: " + name);
    return;
  }
  keeplist.entries.push_back({name, kKeepBackground});
  keeplist.lnew = true;
}

// The label of an entry in the edit dialog: the name without its suffix,
// its last 24 characters behind "_" when that is longer than 23.
std::string entry_label(const std::string& name) {
  const std::string stem = name.substr(0, name.size() >= 4 ? name.size() - 4 : 0);
  return stem.size() > 23 ? "_" + stem.substr(stem.size() - 24) : stem;
}

// Edit: one choice line per entry; "remove" drops the entry (not its file).
void edit_entries() {
  KeepList& l = keeplist;
  if (l.entries.empty()) return;
  std::vector<std::string> prompts, values;
  for (const KeepEntry& e : l.entries) {
    prompts.push_back(entry_label(e.name));
    std::string v = "|1|hide|background|foreground|remove";
    set_choice(v, std::clamp(e.state, kKeepHidden, kKeepRemove));
    values.push_back(v);
  }
  if (!grinfo(prompts, values)) return;
  for (std::size_t k = 0; k < l.entries.size(); ++k) {
    int state = 0;
    choice_options(values[k], state);
    if (state < kKeepHidden || state > kKeepRemove || state == l.entries[k].state) continue;
    l.entries[k].state = state;
    l.lnew = true;
  }
  if (std::fabs(grcomn.xorgr - l.xorksv) > 0.01 || std::fabs(grcomn.yorgr - l.yorksv) > 0.01) l.lnew = true;
  l.xorksv = grcomn.xorgr;
  l.yorksv = grcomn.yorgr;
  std::erase_if(l.entries, [](const KeepEntry& e) { return e.state == kKeepRemove; });
}

// Replays layer `mode` (3 background, 4 foreground), loading the files
// again first when the list changed.
void replay(int mode) {
  if (keeplist.lnew) {
    grkpla(keeplist.entries, 2);
    keeplist.lnew = false;
  }
  grkpla(keeplist.entries, mode);
}

}  // namespace

int grklst(int mode) {
  switch (mode) {
    case 0:
      keeplist.entries.clear();
      keeplist.lnew = true;
      return 0;
    case 1: add_entry(); break;
    case 2: edit_entries(); break;
    case 3:
    case 4: replay(mode); break;
    case -4: break;
    default: return -1;
  }
  return int(keeplist.entries.size());
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
