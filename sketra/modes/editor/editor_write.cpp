// The Write entry: the free points and the edges as an unstruct file. The
// text goes to a temporary file beside the chosen one, which replaces it
// only once everything reached the disk, so a failed write leaves the old
// file as it was and no partial file behind.

#include <filesystem>
#include <system_error>

#include "app/formats/unstruct.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/editor/editor_internal.h"
#include "sketra/ui/dialogs.h"

namespace sketra {

namespace {

class Bar : public korvel::Progress {
 public:
  void percent(int p, std::string_view what) override { grbeam(p, 100, what); }
};

// Writes `name` through a temporary file beside it; the result tells why
// not when the file was not replaced.
korvel::FileResult write_replacing(const std::string& name, EditData& d) {
  const std::string temp = name + ".korvel-tmp";
  if (!unit_open(kEditorWriteUnit, temp, FileStatus::unknown))
    return korvel::FileResult::failure("Cannot write file: " + name, name);
  korvel::TextOut out(kEditorWriteUnit, name);  // its messages name the file the person chose
  Bar bar;
  korvel::FileResult r = korvel::write_edit_unstruct(out, d.x, d.y, d.z, d.code, d.seg,
                                                     {grcomn.xorgr, grcomn.yorgr}, bar);
  std::error_code ec;
  if (!r.ok) {
    std::filesystem::remove(temp, ec);
    return r;
  }
  std::filesystem::rename(temp, name, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    return korvel::FileResult::failure("write failed: " + name + " (" + ec.message() + ")", name);
  }
  return r;
}

}  // namespace

void write_edit(EditData& d) {
  std::string name;
  if (!grfil_ask(name)) return;
  grclne(d.code, d.seg);
  const korvel::FileResult r = write_replacing(name, d);
  grmesg(r.ok ? "data stored on " + name : r.message);
}

}  // namespace sketra
