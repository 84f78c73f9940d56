// Keep files: recording a drawing, replaying it at another origin, the
// keep list's dialogs, and what a load does with missing, broken and
// oversized files.

#include <gtest/gtest.h>

#include <filesystem>

#include "sketra/base/script.h"
#include "sketra/control/keeplist.h"
#include "sketra/devices/devices.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "support/recording.h"
#include "support/testdir.h"

namespace {

using korvel::testing::read_file;
using korvel::testing::write_file;
using namespace sketra;

class KeepFileTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    install_file_devices();
  }
  // What reached the window: every polyline, polygon and text with its points.
  std::vector<std::string> drawn() {
    grdump();
    std::vector<std::string> out;
    for (const DriverCall& c : rec().calls()) {
      if (c.kind != DriverCall::Polyline && c.kind != DriverCall::Polygon && c.kind != DriverCall::Text) continue;
      std::string s = std::to_string(int(c.kind)) + " " + c.text + std::to_string(c.pixel);
      for (const DevicePoint& p : c.points) s += " " + std::to_string(p.x) + "," + std::to_string(p.y);
      out.push_back(s);
    }
    rec().clear_calls();
    return out;
  }
  static void picture() {
    grcolr(3);
    grcolr(3);
    grmov2(100, 100);
    grdrw2(200, 300);
    grdrw3(250, 320, 7.5f);
    const float x[] = {400, 500, 500, 400}, y[] = {400, 400, 500, 500};
    grfil2(x, y, 12);
    grmov2(600, 600);
    grsymb(205);
    granot("river", 0);
  }
};

TEST_F(KeepFileTest, RecordedAtOneOriginReplaysAtTheSameAbsolutePlaceUnderAnother) {
  grvalu8("XORGR", 2600000.0);
  grvalu8("YORGR", 1200000.0);
  use_unit_mapping();
  grscpt(std::vector<std::string>{"plan"});
  ASSERT_EQ(grmode(kModeRecord), kModeRecord);
  picture();
  grmode(0);
  const std::string text = read_file("plan.kep");
  EXPECT_EQ(text.substr(0, text.find("COLR")),
            "MCOL\n  2\nRCOL\n  5\nXORG\n 0.260000000000D+07\nYORG\n 0.120000000000D+07\n");
  EXPECT_EQ(text.find("COLR"), text.rfind("COLR"));  // the repeated colour is not recorded again
  EXPECT_NE(text.find("MOV2\n  0.10000000D+03  0.10000000D+03\n"), std::string::npos);
  EXPECT_NE(text.find("DRW3\n  0.2500000E+03  0.3200000E+03  0.7500000E+01\n"), std::string::npos);
  EXPECT_NE(text.find("FIL2\n     4    12  5\n  0.400000E+03  0.400000E+03"), std::string::npos);
  EXPECT_NE(text.find("SYMB\n  205\nANOT\nriver\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists("plan.kep.part"));

  rec().clear_calls();
  picture();
  const std::vector<std::string> direct = drawn();
  ASSERT_FALSE(direct.empty());

  // Another origin, the same absolute window: the replay lands where the
  // picture was drawn, and the origin in force comes back afterwards.
  grvalu8("XORGR", 2600250.5);
  grvalu8("YORGR", 1199900.0);
  grcolr(0);
  rec().clear_calls();
  keeplist.entries = {{"plan.kep", kKeepBackground}};
  keeplist.lnew = true;
  grklst(3);
  EXPECT_EQ(drawn(), direct);
  EXPECT_EQ(std::pair(grcomn.xorgr, grcomn.yorgr), std::pair(2600250.5, 1199900.0));
  grklst(4);  // nothing in the foreground
  EXPECT_TRUE(drawn().empty());
}

TEST_F(KeepFileTest, LoadGoesOnPastMissingFilesAndStopsAtBrokenOnes) {
  write_file("ortho.pgm", "P5\n2 2\n255\nxxxx");
  write_file("ortho.wld", "1.00\n0.00\n0.00\n-1.00\n0.00\n2.00\n");
  write_file("bad.kep", "COLR\nthree\n");
  write_file("late.kep", "COLR\n   4\n");
  keeplist.entries = {{"gone.kep", kKeepBackground}, {"ortho.pgm", kKeepBackground},
                      {"bad.kep", kKeepForeground}, {"late.kep", kKeepForeground}};
  keeplist.lnew = true;
  grklst(3);
  EXPECT_EQ(keeplist.entries[0].state, kKeepRemove);
  EXPECT_EQ(keeplist.entries[1].state, kKeepBackground);  // a bitmap, never parsed as records
  EXPECT_EQ(keeplist.entries[2].state, kKeepHidden);
  EXPECT_TRUE(display_list.entries.empty());  // the load stopped at bad.kep
  const auto& log = dialogs.messages;
  EXPECT_NE(std::find(log.begin(), log.end(), "Keep file not found: gone.kep"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "Syntax error in: bad.kep"), log.end());
}

TEST_F(KeepFileTest, BrokenRecordsAndValuesOutOfRangeAreSyntaxErrors) {
  for (const char* body : {"FIL2\n 3 4 5\n 1 2 3 4\n", "FIL2\n -2 4 5\n", "MOV2\n 1e300 2\n", "DRW2\n 1 nan\n",
                           "COLR\n 2.5\n", "COLR\n 99999999999\n", "WHAT\n 1\n", "ANOT\n"}) {
    write_file("b.kep", std::string("MOV2\n 1 2\n") + body);
    keeplist.entries = {{"b.kep", kKeepForeground}};
    keeplist.lnew = true;
    grklst(4);
    EXPECT_EQ(keeplist.entries[0].state, kKeepHidden) << body;
    EXPECT_TRUE(display_list.x.size() <= 1) << body;  // no half-read record stays
  }
}

TEST_F(KeepFileTest, FileBeyondACapacityIsRefusedFromWhereItNoLongerFits) {
  std::string big = "MOV2\n 1 2\n";
  for (int i = 0; i <= kKeepTextCapacity; ++i) big += "ANOT\nt\n";
  write_file("big.kep", big);
  keeplist.entries = {{"big.kep", kKeepBackground}};
  keeplist.lnew = true;
  grklst(3);
  EXPECT_EQ(std::int64_t(display_list.texts.size()), kKeepTextCapacity);
  EXPECT_EQ(dialogs.message_line, "Keep file too large: big.kep");
  EXPECT_EQ(display_list.nback, display_list.entries.size());  // what fitted is drawable
}

TEST_F(KeepFileTest, ListAddRefusesDuplicatesAndEditRemovesEntries) {
  write_file("plan.kep", "COLR\n 1\n");
  write_file("PLAN.kep", "COLR\n 2\n");
  grscpt(std::vector<std::string>{"plan.kep", "plan.kep", "PLAN.kep"});
  EXPECT_EQ(grklst(1), 1);
  EXPECT_EQ(grklst(1), 1);
  EXPECT_EQ(dialogs.message_line, "File already on list: plan.kep");
  EXPECT_EQ(grklst(1), 2);  // a name that differs in case is another file
  keeplist.lnew = false;
  grscpt(std::vector<std::string>{"1 4", "2 3", "D"});
  EXPECT_EQ(grklst(2), 1);
  EXPECT_EQ(keeplist.entries[0].name, "PLAN.kep");
  EXPECT_EQ(keeplist.entries[0].state, kKeepForeground);
  EXPECT_TRUE(std::filesystem::exists("plan.kep"));
}

// A blank prefix opens nothing (ShapefileTest.CancelBlankName...); a folder
// that does not exist is reported and the prompt comes again.
TEST_F(KeepFileTest, MissingFolderIsReportedAndThePromptComesAgain) {
  grscpt(std::vector<std::string>{"no/such/dir/plan", "plan"});
  EXPECT_EQ(grmode(kModeRecord), kModeRecord);
  grmode(0);
  EXPECT_NE(std::find(dialogs.messages.begin(), dialogs.messages.end(), "Error opening: no/such/dir/plan.kep"),
            dialogs.messages.end());
  EXPECT_TRUE(std::filesystem::exists("plan.kep"));
}

}  // namespace
