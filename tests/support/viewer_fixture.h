#pragma once
// Fixture of the display-mode tests that run entries with scripted
// answers: the recording driver with its window, no dialog window (what
// the script does not answer stays unanswered), the output unit on "outp"
// (unit 40) and the plot origin at (2600000, 1200000).

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
};

}  // namespace korvel::testing
