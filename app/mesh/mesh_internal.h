#pragma once
// What the files of app/mesh share and nobody else needs.

#include <string_view>

#include "app/formats/format_io.h"
#include "sketra/base/textfmt.h"
#include "sketra/ui/dialogs.h"

namespace korvel {

// The progress bar of the dialogs as the Progress of the file readers.
class BeamProgress : public Progress {
 public:
  void percent(int p, std::string_view what) override { sketra::grbeam(p, 100, what); }
};

// The number of a form field: one finite number and nothing else (blanks
// around it aside); false for junk, blanks inside or an empty field.
inline bool read_number(std::string_view field, double& v) {
  double r = 0;
  if (!sketra::parse_real(sketra::trim(field), r) || !(r - r == 0)) return false;
  v = r;
  return true;
}

// Refreshes the display and shows "found" + count + " elements" when the
// mesh has elements.
void show_element_count();

}  // namespace korvel
