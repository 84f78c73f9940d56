// Menus seen through the recording driver: button geometry in every
// layout, hot keys, pick buttons, mouse codes, panning, resizing and
// script entries.

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

// The default window is 1120 x 786 pixels; in pixel mode the frame origin is
// at device (65, 736), so device x = px + 65 and device y = 736 - py.
constexpr int kOx = 65, kOy = 736;

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
  // Device position of the centre of a bar button (0-based) of a 7-entry bar.
  static int bar_x(int k) { return int(-10 + k * 78.5 + 38) + kOx; }
  static constexpr int kBarY = kOy - 724;  // 3.5 px below the top edge of the buttons' centre
  std::vector<std::string> texts() {
    std::vector<std::string> out;
    for (const auto* c : rec().of(DriverCall::Text)) out.push_back(c->text);
    return out;
  }
  const DriverCall* text_call(const std::string& t) {
    for (const auto* c : rec().of(DriverCall::Text))
      if (c->text == t) return c;
    return nullptr;
  }
  float x_ = 0, y_ = 0;
};

const Cells kMain = {" FFile", "-EEdit", "-MMap", "-GGrid", " MMesh", "-XeXport", " ??"};

TEST_F(MenuTest, BarButtonsStartLeftOfTheFrameTwentyPixelsBelowTheTop) {
  rec().push_key('f');
  EXPECT_EQ(menu(kMain, sketra::kMenuBar), 1);
  ASSERT_EQ(sketra::menus.xs.size(), 7u);
  EXPECT_FLOAT_EQ(sketra::menus.width, 76.5f);  // (1120 - 7) / 8 is wider than the limit
  EXPECT_FLOAT_EQ(sketra::menus.xs[0], -10);
  EXPECT_FLOAT_EQ(sketra::menus.xs[1], -10 + 78.5f);
  EXPECT_FLOAT_EQ(sketra::menus.ys[6], 736 - 20);
  // "File": x + w/2 - 3*4 + 2 = 18.25, baseline y + h/2 - 3.5 = 721.
  const DriverCall* file = text_call("File");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->points[0].x, 18 + kOx);
  EXPECT_EQ(file->points[0].y, kOy - 721);
  ASSERT_NE(text_call("eXport"), nullptr);
  EXPECT_EQ(text_call("eXport")->pixel, 0xFFFFFFu);  // disabled: white text
  EXPECT_EQ(text_call("File")->pixel, 0x000000u);
}

TEST_F(MenuTest, ColumnEndsFourPixelsFromTheRightEdgeAndPullDownHangsUnderItsBarEntry) {
  rec().push_key('x');
  EXPECT_EQ(menu({" DDraw", " HHardcopy", " XeXit"}, sketra::kMenuColumn), 3);
  EXPECT_FLOAT_EQ(sketra::menus.xs[0] + kOx + sketra::menus.width, 1120 - 4);
  EXPECT_FLOAT_EQ(sketra::menus.ys[1], sketra::menus.ys[0] - 19);

  rec().push_key('f');
  menu(kMain, sketra::kMenuBar);
  rec().push_key('l');
  EXPECT_EQ(menu({" LLoad", " AAdd", " ??", " XeXit"}, 5), 1);  // under Mesh
  EXPECT_FLOAT_EQ(sketra::menus.xs[0], -10 + 4 * 78.5f);
  EXPECT_FLOAT_EQ(sketra::menus.ys[0], 736 - 20 - 19);
  EXPECT_FLOAT_EQ(sketra::menus.ys[3], 736 - 20 - 4 * 19);
}

TEST_F(MenuTest, NarrowWindowNarrowsTheButtons) {
  sketra::grmode(0);
  sketra::grcomn.wndwgr[2] = 310;
  sketra::grcomn.wndwgr[3] = 300;
  sketra::grmode(2);
  rec().push_key('m');
  EXPECT_EQ(menu(kMain, sketra::kMenuBar), 5);
  EXPECT_FLOAT_EQ(sketra::menus.width, (310.0f - 7) / 8);
}

TEST_F(MenuTest, ColumnTallerThanTheWindowWrapsToTheLeft) {
  sketra::grmode(0);
  sketra::grcomn.wndwgr[3] = 300;
  sketra::grmode(2);
  Cells cells(27, " AAlpha");
  rec().push_key('x');
  menu(cells, sketra::kMenuColumn);
  const float bottom = sketra::menus.ys[0] + 20 - 300;  // the column starts 20 below the top
  for (float y : sketra::menus.ys) EXPECT_GE(y, bottom);
  EXPECT_LT(sketra::menus.xs[26] + sketra::menus.width, sketra::menus.xs[0]);
}

TEST_F(MenuTest, HotKeysIgnoreCaseAndDisabledEntries) {
  rec().push_key('F');
  EXPECT_EQ(menu(kMain, sketra::kMenuBar), 1);
  rec().push_key('e');  // Edit is disabled
  EXPECT_EQ(menu(kMain, sketra::kMenuBar), 0);
  rec().push_key('?');
  EXPECT_EQ(menu(kMain, sketra::kMenuBar), 7);
  rec().push_key(' ');  // a blank never matches a gap
  EXPECT_EQ(menu({" AApply", "        ", " CCancel"}, sketra::kMenuColumn), 0);
  rec().push_key(0xFF1B);  // Escape
  EXPECT_EQ(menu(kMain, sketra::kMenuBar), 0);
}

TEST_F(MenuTest, ClickChoosesTheButtonUnderTheCursorAndGivesWorldCoordinates) {
  rec().push_button(1, bar_x(4), kBarY);
  EXPECT_EQ(menu(kMain, sketra::kMenuBar), 5);
  EXPECT_EQ(sketra::menus.highlighted, 5);
  // Clicks on disabled entries and gaps choose nothing.
  rec().push_button(1, bar_x(1), kBarY);
  EXPECT_EQ(menu(kMain, sketra::kMenuBar), 0);
  // A click in the plot: world co-ordinates through the plot transformation.
  const sketra::DevicePoint d = sketra::world_to_device(40, 60);
  rec().push_button(1, d.x, d.y);
  EXPECT_EQ(menu(kMain, sketra::kMenuBar), 0);
  EXPECT_NEAR(x_, 40, 0.15);
  EXPECT_NEAR(y_, 60, 0.15);
  EXPECT_FLOAT_EQ(sketra::grcomn.xcrsgr, float(d.x - kOx));
  EXPECT_FLOAT_EQ(sketra::grcomn.ycrsgr, float(kOy - d.y));
}

TEST_F(MenuTest, HighlightSurvivesTheSameLayoutOnly) {
  rec().push_key('m');
  menu(kMain, sketra::kMenuBar);
  rec().clear_calls();
  rec().push_key(0xFF1B);
  menu(kMain, sketra::kMenuBar);
  // The highlighted Mesh button is drawn pressed: its label in colour -7.
  ASSERT_NE(text_call("Mesh"), nullptr);
  EXPECT_NE(text_call("Mesh")->pixel, 0u);
  EXPECT_EQ(text_call("File")->pixel, 0u);
  rec().push_key('l');
  menu({" LLoad", " ??"}, 1);
  EXPECT_EQ(sketra::menus.highlighted, 1);
  rec().push_key(0xFF1B);
  menu(kMain, sketra::kMenuBar);
  EXPECT_EQ(sketra::menus.highlighted, 0);
}

TEST_F(MenuTest, LongLabelsShowNineCharactersAndAnUnderscore) {
  EXPECT_EQ(sketra::button_label(" ABCDEFGHIJKL"), "BCDEFGHIJ_");
  EXPECT_EQ(sketra::button_label(" AAbcdefghijkl"), "Abcdefghi_");
  EXPECT_EQ(sketra::button_label(" AAbcdefghij"), "Abcdefghij");
  rec().push_key('a');
  menu({" AAbcdefghijkl"}, sketra::kMenuColumn);
  EXPECT_NE(text_call("Abcdefghi_"), nullptr);
}

TEST_F(MenuTest, FillColourFollowsTheCaption) {
  EXPECT_EQ(sketra::button_fill(" SSave      "), 21);
  EXPECT_EQ(sketra::button_fill(" FFile                           "), 31);
  EXPECT_EQ(sketra::button_fill(">DDone"), 31);
  EXPECT_EQ(sketra::button_fill(" XeXit  "), 39);
  EXPECT_EQ(sketra::button_fill(" CCancel"), 39);
  EXPECT_EQ(sketra::button_fill(" AB--x"), 39);
  EXPECT_EQ(sketra::button_fill(" A--x"), -3);
  EXPECT_EQ(sketra::button_fill(" PPlay"), 40);
  EXPECT_EQ(sketra::button_fill(" ??     "), 60);
  EXPECT_EQ(sketra::button_fill(" MMesh  "), -3);
  EXPECT_EQ(sketra::button_fill("-FFile"), -3);  // the whole caption counts
}

TEST_F(MenuTest, PickButtonArmsAndTheNextClickReturnsItWithThatPosition) {
  const Cells cells = {" DDraw", "<VValue"};
  const int col_x = 1120 - 4 - 38, row2_y = kOy - int(736 - 20 - 19 + 8);
  const sketra::DevicePoint d = sketra::world_to_device(25, 75);
  rec().push_button(1, col_x, row2_y);
  rec().push_button(1, d.x, d.y);
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 2);
  EXPECT_NEAR(x_, 25, 0.15);  // within a pixel
  EXPECT_NEAR(y_, 75, 0.15);
  EXPECT_EQ(sketra::menus.armed, 0);
  EXPECT_EQ(rec().count(DriverCall::WaitEvent), 2);
  // Armed, then a click on another entry returns that entry.
  rec().push_button(1, col_x, row2_y);
  rec().push_button(1, col_x, row2_y - 19);
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 1);
}

TEST_F(MenuTest, RightButtonAndWheelGiveTheirCodesAnywhere) {
  rec().push_button(3, bar_x(0), kBarY);
  EXPECT_EQ(menu(kMain, sketra::kMenuBar), sketra::kMenuRightButton);
  rec().push_button(4, 500, 500);
  EXPECT_EQ(menu(kMain, sketra::kMenuBar), sketra::kMenuWheelUp);
  rec().push_button(5, 500, 500);
  EXPECT_EQ(menu(kMain, sketra::kMenuBar), sketra::kMenuWheelDown);
}

TEST_F(MenuTest, ArrowKeysPanTheWindowByAThird) {
  sketra::grcomn.indsgr = 1;
  rec().push_key(0xFF51);  // Left
  EXPECT_EQ(menu(kMain, sketra::kMenuBar), sketra::kMenuPanned);
  EXPECT_NEAR(sketra::grcomn.xmingr, -100.0 / 3, 1e-9);
  EXPECT_NEAR(sketra::grcomn.xmaxgr, 200.0 / 3, 1e-9);
  EXPECT_EQ(sketra::grcomn.indsgr, 0);
  rec().push_key(0xFF52);  // Up
  menu(kMain, sketra::kMenuBar);
  EXPECT_NEAR(sketra::grcomn.ymingr, 100.0 / 3, 1e-9);
  rec().push_key(0xFF53);  // Right
  rec().push_key(0xFF54);  // Down
  menu(kMain, sketra::kMenuBar);
  menu(kMain, sketra::kMenuBar);
  EXPECT_NEAR(sketra::grcomn.xmingr, 0, 1e-9);
  EXPECT_NEAR(sketra::grcomn.ymaxgr, 100, 1e-9);
  EXPECT_FALSE(sketra::grcomn.pixel_save.live);
}

TEST_F(MenuTest, EnlargingTheWindowChangesIntervalsAndMovesTheButtons) {
  rec().push_resize(1400, 900);
  rec().push_key('x');
  EXPECT_EQ(menu({" DDraw", " XeXit"}, sketra::kMenuColumn), 2);
  EXPECT_EQ(sketra::grcomn.wndwgr[2], 1400);
  EXPECT_EQ(sketra::grcomn.nxingr, 31);  // trunc(1400 / 39.325 - 4)
  EXPECT_EQ(sketra::grcomn.nyingr, 21);  // trunc(900 / 39.325 - 1.5)
  EXPECT_FLOAT_EQ(sketra::menus.xs[0] + kOx + sketra::menus.width, 1400 - 4);
  // Drawn twice: before and after the resize, the second time further right.
  std::vector<int> xs;
  for (const auto* c : rec().of(DriverCall::Text))
    if (c->text == "Draw") xs.push_back(c->points[0].x);
  ASSERT_EQ(xs.size(), 2u);
  EXPECT_EQ(xs[1] - xs[0], 280);
}

TEST_F(MenuTest, ScriptEntryAnswersWithoutWaitingAndMayCarryAPosition) {
  sketra::grscpt(std::vector<std::string>{"V 12.5 30", "d", "q"});
  EXPECT_EQ(menu({" DDraw", "<VValue"}, sketra::kMenuColumn), 2);
  EXPECT_FLOAT_EQ(x_, 12.5f);
  EXPECT_FLOAT_EQ(y_, 30.0f);
  EXPECT_EQ(menu({" DDraw", "<VValue"}, sketra::kMenuColumn), 1);
  EXPECT_FLOAT_EQ(x_, 12.5f);  // no numbers: unchanged
  EXPECT_EQ(menu({" DDraw", "<VValue"}, sketra::kMenuColumn), 0);
  EXPECT_EQ(rec().count(DriverCall::WaitEvent), 0);
  EXPECT_EQ(rec().count(DriverCall::Text), 0);
}

TEST_F(MenuTest, ScriptEntryReachesAnEntryByItsPlaceWhenItsHotKeyIsTaken) {
  const std::vector<std::string> cells = {"<VValue", " VViews", "-EEdit", "", " ??"};
  sketra::grscpt(std::vector<std::string>{"V", "#2 5 6", "#3", "#4", "#9", "#5"});
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 1);
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 2);
  EXPECT_FLOAT_EQ(x_, 5.0f);
  EXPECT_FLOAT_EQ(y_, 6.0f);
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 0);  // disabled
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 0);  // a gap
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 0);  // no such entry
  EXPECT_EQ(menu(cells, sketra::kMenuColumn), 5);
}

TEST_F(MenuTest, PollingReturnsAtOnceAndLeavesTheScriptAlone) {
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

TEST_F(MenuTest, ClaimedMissRedrawsAndWaitsAgain) {
  int misses = 0, entries = 0;
  sketra::MenuHooks hooks;
  hooks.on_entry = [&] { ++entries; };
  hooks.on_miss = [&](float wx, float wy) {
    ++misses;
    EXPECT_FALSE(sketra::grcomn.pixel_save.live);  // hooks run in world co-ordinates
    return wx < 50;  // claims clicks in the left half of the plot
  };
  const sketra::DevicePoint left = sketra::world_to_device(20, 50), right = sketra::world_to_device(80, 50);
  rec().push_button(1, left.x, left.y);
  rec().push_button(1, right.x, right.y);
  int sel = sketra::kMenuColumn;
  sketra::grcurs(Cells{" XeXit"}, sel, x_, y_, &hooks);
  EXPECT_EQ(sel, 0);
  EXPECT_EQ(misses, 2);
  EXPECT_EQ(entries, 1);
  EXPECT_NEAR(x_, 80, 0.15);
}

TEST_F(MenuTest, ExposeRedrawsTheButtons) {
  rec().push_expose(0);
  rec().push_key('x');
  menu({" XeXit"}, sketra::kMenuColumn);
  EXPECT_EQ(texts(), (std::vector<std::string>{"eXit", "eXit", "eXit"}));  // drawn, redrawn, pressed
}

TEST_F(MenuTest, HotKeyUnderlineStartsSixPixelsPerCharacter) {
  sketra::grclip(0);
  rec().clear_calls();
  sketra::grano3(100, 200, "XeXit");
  sketra::grclip(1);
  ASSERT_EQ(rec().count(DriverCall::Text), 1);
  EXPECT_EQ(rec().of(DriverCall::Text)[0]->text, "eXit");
  auto lines = rec().of(DriverCall::Polyline);
  ASSERT_EQ(lines.size(), 1u);
  // The second character "X": x = 100 + 6, one pixel below the baseline.
  EXPECT_EQ(lines[0]->points.front(), (sketra::DevicePoint{106 + kOx, kOy - 199}));
  EXPECT_EQ(lines[0]->points.back(), (sketra::DevicePoint{110 + kOx, kOy - 199}));
  rec().clear_calls();
  sketra::grano3(0, 0, "Qabc");  // no matching character: nothing underlined
  EXPECT_EQ(rec().count(DriverCall::Polyline), 0);
}

TEST_F(MenuTest, CleaningWipesRegisteredAreasNewestFirst) {
  sketra::grclean(0, 0, 10, 0, 10);
  sketra::grclean(0, 100, 120, 50, 60);
  rec().clear_calls();
  sketra::grclean(1);
  auto polys = rec().of(DriverCall::Polygon);
  ASSERT_EQ(polys.size(), 2u);
  EXPECT_EQ(polys[0]->points[0], (sketra::DevicePoint{100 + kOx, kOy - 50}));
  EXPECT_EQ(polys[0]->pixel, 0xFFFFFFu);
  EXPECT_EQ(rec().count(DriverCall::Flip), 1);
  EXPECT_TRUE(sketra::grcomn.clean_areas.empty());
  for (int i = 0; i < 250; ++i) sketra::grclean(0, float(i), float(i + 1), 0, 1);
  EXPECT_EQ(sketra::grcomn.clean_areas.size(), 200u);
  sketra::grclean(-1);
  EXPECT_TRUE(sketra::grcomn.clean_areas.empty());
}

TEST_F(MenuTest, BarCleansEverythingAndShorterColumnCleansToo) {
  rec().push_key('a');
  menu({" AA", " BB", " CC"}, sketra::kMenuColumn);
  EXPECT_EQ(sketra::grcomn.clean_areas.size(), 3u);
  rec().push_key('a');
  menu({" AA", " BB", " CC"}, sketra::kMenuColumn);  // same length, same places: kept
  EXPECT_EQ(sketra::grcomn.clean_areas.size(), 3u);
  rec().push_key('a');
  menu({" AA", " BB", " CC"}, sketra::kMenuBar);
  rec().push_key('a');
  menu({" AA", " BB", " CC"}, sketra::kMenuColumn);  // after a bar: bar and column
  EXPECT_EQ(sketra::grcomn.clean_areas.size(), 6u);
  rec().push_key('a');
  menu({" AA"}, sketra::kMenuColumn);
  EXPECT_EQ(sketra::grcomn.clean_areas.size(), 1u);
  rec().push_key('f');
  menu(kMain, sketra::kMenuBar);
  EXPECT_EQ(sketra::grcomn.clean_areas.size(), 7u);
}

TEST_F(MenuTest, ButtonsDrawNothingInFileModes) {
  sketra::grcomn.imodgr = sketra::kModeRecord;
  EXPECT_EQ(sketra::grbutn(1, 0, 0, 50, 17, " AApply", 5, 5), 0);
  sketra::grcomn.imodgr = 2;
  EXPECT_EQ(sketra::grbutn(1, 0, 0, 50, 17, " AApply", 5, 5), 1);
  EXPECT_EQ(sketra::grbutn(1, 0, 0, 50, 17, " AApply", 60, 5), 0);
}

}  // namespace
