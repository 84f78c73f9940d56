// Menus seen through the recording driver: the layout log against the hit
// test, hot keys, pick buttons, mouse codes, panning, resizing, script
// entries and the registered areas.

#include "sketra/ui/menus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/kernel/plot.h"
#include "support/person.h"
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

const Cells kMain = {" FFile", "-EEdit", "-MMap", "-GGrid", " MMesh", "-XeXport", " ??"};
const Cells kFile = {" LLoad", " AAdd", " ??", " XeXit"};

// The layout log and the hit test are two routes to the same boxes: a
// click at the centre of a logged box chooses that entry, in the bar, in a
// pull-down under it and in a column at the right edge.
TEST_F(MenuTest, ClickAtTheLoggedBoxChoosesItsEntryInEveryLayout) {
  korvel::testing::Person person(rec());
  person.click("Mesh").click("eXit").click("?").click("eXit");
  EXPECT_EQ(menu(kMain, sketra::kMenuBar), 5);
  EXPECT_EQ(sketra::menus.highlighted, 5);
  EXPECT_FALSE(person.centre("Edit"));    // disabled: not logged, not chosen
  EXPECT_EQ(menu(kFile, 5), 4);           // the pull-down under Mesh
  EXPECT_EQ(menu(kMain, sketra::kMenuBar), 7);
  EXPECT_EQ(menu({" DDraw", " HHardcopy", " XeXit"}, sketra::kMenuColumn), 3);
  EXPECT_EQ(person.planned(), 0u);
}

TEST_F(MenuTest, ArrowKeysPanTheWindowByAThird) {
  sketra::grcomn.indsgr = 1;
  rec().push_key(0xFF51);  // Left
  EXPECT_EQ(menu(kMain, sketra::kMenuBar), sketra::kMenuPanned);
  EXPECT_NEAR(sketra::grcomn.xmingr, -100.0 / 3, 1e-9);
  EXPECT_NEAR(sketra::grcomn.xmaxgr, 200.0 / 3, 1e-9);
  for (unsigned long k : {0xFF52, 0xFF53, 0xFF54}) {  // Up, Right, Down
    rec().push_key(k);
    menu(kMain, sketra::kMenuBar);
  }
  EXPECT_NEAR(sketra::grcomn.xmingr, 0, 1e-9);
  EXPECT_NEAR(sketra::grcomn.ymaxgr, 100, 1e-9);
}

// Script entries answer without waiting, by hot key or by place ("#k",
// for an entry whose hot key an earlier one takes), and may carry a
// position.
TEST_F(MenuTest, ScriptEntryAnswersByHotKeyOrPlaceAndMayCarryAPosition) {
  const std::vector<std::string> cells = {"<VValue", " VViews", "-EEdit", "", " ??"};
  sketra::grscpt(std::vector<std::string>{"V 12.5 30", "?", "#2 5 6", "#3", "#4", "q"});
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 1);
  EXPECT_FLOAT_EQ(x_, 12.5f);
  EXPECT_FLOAT_EQ(y_, 30.0f);
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 5);
  EXPECT_FLOAT_EQ(x_, 12.5f);  // no numbers: unchanged
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 2);
  EXPECT_FLOAT_EQ(x_, 5.0f);
  EXPECT_FLOAT_EQ(y_, 6.0f);
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 0);  // disabled
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 0);  // a gap
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 0);  // no such hot key
  EXPECT_EQ(rec().count(DriverCall::WaitEvent), 0);
  EXPECT_EQ(rec().count(DriverCall::Text), 0);
}

TEST_F(MenuTest, PollingReturnsAtOnceLeavesTheScriptAloneAndReportsInterrupts) {
  sketra::grscpt("F");
  EXPECT_EQ(menu(kMain, sketra::kMenuPoll), 0);
  EXPECT_TRUE(sketra::script_pending());
  EXPECT_EQ(rec().count(DriverCall::WaitEvent), 0);
  rec().push_key('m');
  EXPECT_EQ(menu(kMain, sketra::kMenuPoll), 5);
  EXPECT_EQ(rec().count(DriverCall::Text), 0);
  rec().push_key(0xFF1B);  // Escape
  EXPECT_EQ(menu(kMain, sketra::kMenuPoll), sketra::kMenuInterrupt);
  const sketra::DevicePoint inside = sketra::world_to_device(50, 50);
  rec().push_button(1, inside.x, inside.y);  // a click on no entry
  EXPECT_EQ(menu(kMain, sketra::kMenuPoll), sketra::kMenuInterrupt);
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
  EXPECT_EQ(rec().count(DriverCall::Flip), 1);
  EXPECT_TRUE(sketra::grcomn.clean_areas.empty());
  for (int i = 0; i < 250; ++i) sketra::grclean(0, float(i), float(i + 1), 0, 1);
  EXPECT_EQ(sketra::grcomn.clean_areas.size(), 200u);
  sketra::grclean(-1);
  EXPECT_TRUE(sketra::grcomn.clean_areas.empty());
}

}  // namespace
