// The display-mode loop driven by a tiny test mode through the script
// queue and the recording driver: the view-callback protocol, the control
// menu's entries, clicks around the frame, views, the plot list and screen
// shots. Yaw turns the view in e2e test_yaw_person and test_screen_current.

#include "sketra/control/control.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "sketra/base/fatal.h"
#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/control/settings.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"
#include "support/answer_ui.h"
#include "support/fresh.h"
#include "support/person.h"
#include "support/recording.h"
#include "support/test_mode.h"
#include "support/testdir.h"

namespace {

using namespace sketra;
using korvel::testing::TestMode;
using Codes = std::vector<int>;

class ControlTest : public korvel::testing::WithRecordingDriver {
 protected:
  ControlTest() : WithRecordingDriver(false) {}
  void SetUp() override {
    WithRecordingDriver::SetUp();
    rec().set_time(0);
    set_dialog_ui(&ui_);
    grinit(5, 4, "sketra-test", false);
    grvalu8("XORGR", 2600000.0);  // as the application does after a load
    grvalu8("YORGR", 1200000.0);
    set_command_runner([this](const std::vector<std::string>& argv) {
      commands_.push_back(argv);
      korvel::testing::write_file(argv.back(), "picture");
      return shot_status_;
    });
    rec().clear_calls();
    person_ = std::make_unique<korvel::testing::Person>(rec());
  }
  void TearDown() override {
    person_.reset();
    WithRecordingDriver::TearDown();
  }
  // Runs the test mode with the script entries queued.
  void run(const std::vector<std::string>& script, int options = 0) {
    grscpt(script);
    grctrl(mode_.callback(), options, titles_);
  }
  // Device pixel of a world point.
  static DevicePoint device(double x, double y) { return world_to_device(x, y); }
  std::array<double, 4> window() const {
    return {grcomn.xmingr, grcomn.xmaxgr, grcomn.ymingr, grcomn.ymaxgr};
  }

  korvel::testing::Person& person() { return *person_; }

  std::unique_ptr<korvel::testing::Person> person_;  // clicks by label
  korvel::testing::AnswerUi ui_;
  TestMode mode_;
  PlotTitles titles_{"Test title", "", "[m]", "[m]"};
  std::vector<std::vector<std::string>> commands_;
  int shot_status_ = 0;
};

// ---------------------------------------------------------------- protocol

TEST_F(ControlTest, OriginalStartsANewOuterRoundFromTheDataExtents) {
  run({"R", "X"});
  // extents, draw, overlay; overlay on entering the menu; Replot; eXit.
  EXPECT_EQ(mode_.take_codes(), (Codes{0, 1, 3, 3, 1, 3, 3}));
  const auto data_window = window();
  // Zoom in by a click inside the frame, then Original.
  const DevicePoint p = device(data_window[0] + 300, data_window[2] + 300);
  rec().push_button(1, p.x, p.y);
  mode_.extra = [&](ViewContext& v) {
    if (v.code == kViewDraw && mode_.codes.size() == 6) grscpt(std::vector<std::string>{"O", "X"});
  };
  grctrl(mode_.callback(), 0, titles_);
  EXPECT_EQ(mode_.take_codes(), (Codes{0, 1, 3, 3, 4, 1, 3, 3, 0, 1, 3, 3}));
  EXPECT_EQ(window(), data_window);
}

// Mode entries follow the gap as negative codes (the cursor they carry: the
// e2e sessions' Examine). Thirteen entries and help: the thirteenth's hot
// key V belongs to Value, yet the script line "#26" and a click reach it;
// the column still fits.
TEST_F(ControlTest, EntryTableOfFourteenReachesEveryEntry) {
  for (const char* c : {" AAlpha", " BBeta", " CGamma", " EDelta", " GEps", " IZeta", " JEta", " LTheta", " MIota",
                        " NKappa", " PLambda", " SMu", " VVolume", " ??"})
    mode_.entries.push_back(c);
  person().click("?").key('x');  // the mode's help, drawn after the loop's own "?"
  run({"#26", "B 12.5 30"});
  EXPECT_EQ(mode_.take_codes(), (Codes{0, 1, 3, 3, -13, 3, -2, 3, -14, 3}));
  EXPECT_GE(menus.ys.back(), grcomn.yorggr - float(grcomn.wndwgr[3]));  // inside the window
  std::array<double, 4> w{};
  ViewContext v{kViewExtents, w};
  const std::vector<ModeEntry> too_many(kMaxModeEntries + 1, ModeEntry{" ??", {}});
  EXPECT_THROW(v.set_entries(too_many), FatalError);
}

// Each request of an entry is the loop's next step: a replot, the same
// entry again after a replot, a new outer round, the exit.
TEST_F(ControlTest, EntryRequestsReplotRepeatOriginalAndExit) {
  mode_.entries = {" AAgain", " BBack", " CChange", " EEnd"};
  int again = 0;
  mode_.extra = [&](ViewContext& v) {
    if (v.code == -1 && again++ == 0) v.request(ViewRequest::repeat);
    if (v.code == -2) v.request(ViewRequest::original);
    if (v.code == -3) v.request(ViewRequest::replot);
    if (v.code == -4) v.request(ViewRequest::exit);
  };
  run({"C", "A", "B", "E"});
  EXPECT_EQ(mode_.take_codes(), (Codes{0, 1, 3, 3, -3, 1, 3, 3, -1, 1, 3, 3, -1, 3, -2, 0, 1, 3, 3, -4}));
  EXPECT_TRUE(std::filesystem::exists(kSettingsFile));  // left as by eXit
}

// A long drawing asks interrupted(): an entry chosen meanwhile ends it and
// is carried out next (Views, by a click, not Value, whose hot key it
// shares). Escape, which only ends it: ContourViewTest.DrawingStopsWhenInterrupted.
TEST_F(ControlTest, InputWhileDrawingEndsTheDrawing) {
  mode_.entries = {" AAlpha", " BBeta"};
  mode_.draw_rows = 100;
  run({"X"});
  EXPECT_EQ(mode_.rows_drawn, 100);  // nothing pressed
  mode_.take_codes();
  rec().push_key('b');
  run({"X"});
  EXPECT_EQ(mode_.rows_drawn, 0);
  EXPECT_EQ(mode_.take_codes(), (Codes{0, 1, 3, 3, -2, 3}));
  person().key('x');
  run({});  // the menu drawn once, so the layout log knows where Views is
  mode_.take_codes();
  const DevicePoint views = *person().centre("Views");
  rec().push_button(1, views.x, views.y);  // pending before the drawing starts
  run({"X", "X"});  // Views, whose eXit comes first from the script
  EXPECT_EQ(mode_.take_codes(), (Codes{0, 1, 3, 3, 3}));  // no code 2
}

// A symbol factor far too large is held to the largest: written as it was,
// it filled its field of the settings file with asterisks, and reading
// stopped there, losing every later setting.
TEST_F(ControlTest, QueryChangesTheWindowSizeAndHoldsAHugeSymbolFactor) {
  // Draw Grid on, 30 x-units, zoom factor 2 (taken as 1/2), scale factor 1.5.
  run({"Q", "2 x", "5 30", "7 2", "8 1e38", "9 1.5", "D", "X"});
  EXPECT_EQ(grcomn.in[3], 1);
  EXPECT_EQ(grcomn.nxingr, 30);
  EXPECT_FLOAT_EQ(grcomn.scaling, 1.5f);
  EXPECT_EQ(grcomn.wndwgr[2], int((30 + 4.5) * 50 * 0.7865f * 1.5f));
  EXPECT_EQ(rec().last_request().width, grcomn.wndwgr[2]);  // reopened at the new size
  EXPECT_EQ(mode_.take_codes(), (Codes{0, 1, 3, 3, 1, 3, 3}));
  EXPECT_FLOAT_EQ(grcomn.symfgr, kMaxSymbolFactor);
  grcomn.zoom = 0.9f;
  read_settings(kSettingsFile);
  EXPECT_FLOAT_EQ(grcomn.zoom, 0.5f);  // the line after the symbol factor was read
}

// Views is chosen by a click: its hot key V belongs to Value, which comes
// first in the control menu.
TEST_F(ControlTest, ViewsAreSavedPlayedAndDeleted) {
  run({"X"});
  const auto data_window = window();
  const double ox = grcomn.xorgr, oy = grcomn.yorgr;
  const DevicePoint centre = device((data_window[0] + data_window[1]) / 2, (data_window[2] + data_window[3]) / 2);
  person().click("Views").click("Save").click("eXit");  // Save "whole"
  person().click_at(centre);                            // zoom in
  person().click("Views").click("Save").click("Play").key('x');  // Save "zoomed", Play "whole"
  ui_.prompt_answers = {"whole", "zoomed"};
  ui_.choice_answers = {1};
  grctrl(mode_.callback(), 0, titles_);
  ASSERT_EQ(grcomn.views.size(), 2u);
  EXPECT_EQ(grcomn.views[0].xmin, data_window[0] + ox);  // stored absolute
  EXPECT_EQ(grcomn.views[0].ymax, data_window[3] + oy);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(window()[size_t(i)], data_window[size_t(i)], 1e-6);

  person().click("Views").click("Delete").click("eXit").key('x');  // Delete the first
  ui_.form_answers = {{"+ ", ""}};
  grctrl(mode_.callback(), 0, titles_);
  ASSERT_EQ(grcomn.views.size(), 1u);
  EXPECT_EQ(grcomn.views[0].name, fixed_width("zoomed", 16));
}

using PlotListTest = korvel::testing::FreshState;

TEST_F(PlotListTest, HoldsFourHundredItemsAndDeletesTheNearest) {
  sketra::set_dialog_ui(nullptr);
  for (int k = 0; k < kPlotListCapacity; ++k)
    ASSERT_TRUE(plot_list_add({float(k), 0, 0, PlotItemType::symbol, 0, {}}));
  EXPECT_FALSE(plot_list_add({0, 0, 0, PlotItemType::symbol, 0, {}}));
  EXPECT_EQ(sketra::dialogs.messages.back(), "No more puts allowed");
  ASSERT_TRUE(plot_list_delete_nearest(10.2f, 3));
  EXPECT_EQ(grplst.items[10].x, 11);
  sketra::grplst = PlotList{};
  EXPECT_FALSE(plot_list_delete_nearest(0, 0));
}

TEST_F(ControlTest, ScreenShotOptionsAndFailure) {
  ctrl.shot.frame = true;
  ctrl.shot.crop = false;
  shot_status_ = 1;
  run({"H", "T", "J", "X", "X"});
  ASSERT_EQ(commands_.size(), 2u);
  EXPECT_EQ(commands_[0], (std::vector<std::string>{"import", "-window", "sketra-test", "-frame", "gr0000.tif"}));
  EXPECT_EQ(commands_[1].back(), "gr0000.jpg");
  EXPECT_EQ(dialogs.messages.back(), "screen shot failed: gr0000.jpg");
}

}  // namespace
