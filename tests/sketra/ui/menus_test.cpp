// Menus seen through the recording driver: script entries and the
// registered areas. (Clicks at the boxes of the layout log run in every
// person-driven dialog and control test; polling for interrupts in
// ControlTest.InputWhileDrawing..., ContourViewTest.DrawingStopsWhen...
// and e2e test_hardcopy's scripted gridding and its Escape.)

#include "sketra/ui/menus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/kernel/plot.h"
#include "support/recording.h"

namespace {

using sketra::DriverCall;
using Cells = std::vector<std::string>;

class MenuTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    sketra::grsset(0, 100, 0, 100);
    sketra::grsfac();
  }
  // Runs grcurs and returns sel.
  int menu(const Cells& cells, int sel) {
    sketra::grcurs(cells, sel, x_, y_);
    return sel;
  }
  float x_ = 0, y_ = 0;
};

// Script entries answer without waiting, by hot key or by place ("#k",
// for an entry whose hot key an earlier one takes), and may carry a
// position (both kinds also run in the e2e sessions); a disabled entry, a
// gap or an unknown hot key answers 0.
TEST_F(MenuTest, ScriptEntryAnswersByPlaceWithAPositionAndNeverByAGap) {
  const std::vector<std::string> cells = {"<VValue", " VViews", "-EEdit", "", " ??"};
  sketra::grscpt(std::vector<std::string>{"#2 5 6", "#3", "#4", "q"});
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 2);
  EXPECT_FLOAT_EQ(x_, 5.0f);
  EXPECT_FLOAT_EQ(y_, 6.0f);
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 0);  // disabled
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 0);  // a gap
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 0);  // no such hot key
  EXPECT_EQ(rec().count(DriverCall::WaitEvent), 0);
  EXPECT_EQ(rec().count(DriverCall::Text), 0);
}

TEST_F(MenuTest, CleaningWipesRegisteredAreasAndKeepsAtMostTwoHundred) {
  sketra::grclean(0, 0, 10, 0, 10);
  sketra::grclean(0, 100, 120, 50, 60);
  sketra::grclean(0, 100, 120, 50, 60);  // the same area again: one entry
  rec().clear_calls();
  sketra::grclean(1);
  auto polys = rec().of(DriverCall::Polygon);
  ASSERT_EQ(polys.size(), 2u);
  EXPECT_EQ(polys[0]->pixel, 0xFFFFFFu);
  EXPECT_TRUE(sketra::grcomn.clean_areas.empty());
  for (int i = 0; i < 250; ++i) sketra::grclean(0, float(i), float(i + 1), 0, 1);
  EXPECT_EQ(sketra::grcomn.clean_areas.size(), 200u);
  sketra::grclean(-1);
  EXPECT_TRUE(sketra::grcomn.clean_areas.empty());
}

}  // namespace
