// The display buffer: lines collected for one text page.

#include "sketra/ui/display_buffer.h"

#include <algorithm>

#include "sketra/base/textfmt.h"
#include "sketra/ui/dialogs.h"

namespace sketra {

DisplayBuffer display_buffer;

void display_buffer_reset() { display_buffer = DisplayBuffer{}; }

namespace {

void show() {
  std::vector<std::string> lines;
  lines.swap(display_buffer.lines);  // empty before the page, which may take long
  if (!lines.empty()) grtext(lines);
}

}  // namespace

void grdisp(std::string_view line) {
  if (trim_right(line) == "/disp") {
    show();
    return;
  }
  display_buffer.lines.emplace_back(trim_right(line.substr(0, std::min(line.size(), std::size_t(kDisplayWidth)))));
  if (display_buffer.lines.size() >= std::size_t(kDisplayLines)) show();
}

}  // namespace sketra
