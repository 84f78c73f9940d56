// What the file devices share: files written beside their target and
// renamed over it, the name prompts, the suffix routine, and the
// registration of the openers.

#include <filesystem>
#include <system_error>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/devices/devices.h"
#include "sketra/devices/devices_internal.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"

namespace sketra {

namespace detail {

std::string temporary_name(const std::string& target) { return target + ".part"; }

ReplacingFile::~ReplacingFile() {
  if (unit_ < 0) return;
  unit_close(unit_);
  std::error_code ec;
  std::filesystem::remove(temporary_, ec);
}

bool ReplacingFile::open(int unit, std::string target) {
  target_ = std::move(target);
  temporary_ = temporary_name(target_);
  if (!unit_open(unit, temporary_, FileStatus::unknown)) return false;
  unit_ = unit;
  return true;
}

void ReplacingFile::write_line(std::string_view text) { unit_write(unit_, text); }

void ReplacingFile::write_block(std::string_view block) { unit_write_part(unit_, block); }

std::string ReplacingFile::finish() {
  if (unit_ < 0) return "Error writing: " + target_;
  const int err = unit_close(unit_);
  unit_ = -1;
  std::error_code ec;
  if (err == 0) std::filesystem::rename(temporary_, target_, ec);
  if (err == 0 && !ec) return {};
  std::filesystem::remove(temporary_, ec);
  return "Error writing: " + target_;
}

std::string ask_file_name(std::string_view prompt) {
  std::string answer = fixed_width("", kFilePromptWidth);
  grinpa(prompt, answer);
  std::string name(trim(answer.substr(0, std::min<std::size_t>(answer.size(), kFilePromptWidth))));
  if (name.empty()) grmesg("Filename cannot be all blanks");
  return name;
}

bool ask_and_open(std::string_view prompt, ReplacingFile& file, int unit,
                  const std::function<std::string(std::string)>& name_of) {
  for (;;) {
    const std::string answer = ask_file_name(prompt);
    if (answer.empty()) return false;
    const std::string name = name_of(answer);
    if (file.open(unit, name)) return true;
    grmesg("Error opening: " + name);
  }
}

}  // namespace detail

int igrsuffx(std::string& name, std::string_view suffix, int mode) {
  const std::size_t dot = name.rfind('.');
  if (mode == 0) {
    if (dot == std::string::npos) return 0;
    return trim_right(std::string_view(name).substr(dot)) == trim_right(suffix) ? 1 : 0;
  }
  const std::size_t width = name.size();
  std::string out = dot == std::string::npos ? std::string(trim_right(name)) : name.substr(0, dot);
  out += suffix;
  if (out.size() < width) out.resize(width, ' ');
  name = std::move(out);
  return 0;
}

void install_file_devices() {
  set_message_handler([](std::string_view text) { grmesg(text); });
  set_file_device_opener(kModeRecord, detail::open_record_device);
  set_file_device_opener(kModeDxf, detail::open_dxf_device);
  set_file_device_opener(kModeShape, detail::open_shape_device);
  set_file_device_opener(kModeArcPolygon, detail::open_arcpolygon_device);
}

}  // namespace sketra
