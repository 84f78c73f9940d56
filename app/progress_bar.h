#pragma once
// The progress bar of the dialogs as the Progress of the file formats.

#include <string_view>

#include "app/formats/format_io.h"
#include "sketra/ui/dialogs.h"

namespace korvel {

class ProgressBar : public Progress {
 public:
  void percent(int p, std::string_view what) override { sketra::grbeam(p, 100, what); }
};

}  // namespace korvel
