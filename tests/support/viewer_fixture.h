#pragma once
// Fixture of the display-mode tests that run entries with scripted
// answers: the recording driver with its window, no dialog window (what
// the script does not answer stays unanswered), the output unit on "outp"
// (unit 40) and the plot origin at (2600000, 1200000).

#include <functional>
#include <utility>

#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "support/recording.h"

namespace korvel::testing {

class ViewerTest : public WithRecordingDriver {
 protected:
  static constexpr int kOutputUnit = 40;
  void SetUp() override {
    WithRecordingDriver::SetUp();
    sketra::set_dialog_ui(nullptr);
    ASSERT_TRUE(sketra::unit_open(kOutputUnit, "outp", sketra::FileStatus::unknown));
    sketra::grcomn.joutgr = kOutputUnit;
    sketra::grvalu8("XORGR", 2600000.0);
    sketra::grvalu8("YORGR", 1200000.0);
  }

  // Draws the picture with the screen short cuts (`short_cuts` true) and
  // without: the pixels must be the same. Returns the numbers of fills
  // drawn with and without.
  std::pair<int, int> expect_same_picture(bool& short_cuts, const std::function<void()>& draw) {
    Raster pixels[2];
    int fills[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
      short_cuts = k == 0;
      rec().clear_calls();
      draw();
      pixels[k] = raster(rec()), fills[k] = rec().count(sketra::DriverCall::Polygon);
    }
    short_cuts = true;
    EXPECT_EQ(pixels[0], pixels[1]);
    return {fills[0], fills[1]};
  }
};

}  // namespace korvel::testing
