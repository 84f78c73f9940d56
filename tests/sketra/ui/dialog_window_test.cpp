// Dialogs in the window, driven through the recording driver by a person
// who clicks by label: forms, prompts, text pages, choices, the file
// browser, the colour picker, the message line and the progress bar.

#include "sketra/ui/dialog_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"
#include "support/person.h"
#include "support/recording.h"
#include "support/testdir.h"

namespace {

using korvel::testing::read_file;
using korvel::testing::write_file;
using sketra::DriverCall;

constexpr unsigned long kReturn = 0xFF0D, kEscape = 0xFF1B, kBackSpace = 0xFF08;
constexpr unsigned long kLeft = 0xFF51, kUp = 0xFF52, kDown = 0xFF54;

class DialogWindowTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    ASSERT_TRUE(sketra::unit_open(4, "outp", sketra::FileStatus::unknown));
    sketra::set_log_unit(4);
    person_ = std::make_unique<korvel::testing::Person>(rec());
  }
  void TearDown() override {
    person_.reset();
    WithRecordingDriver::TearDown();
  }
  int count_text(const std::string& t) {
    int n = 0;
    for (const auto* c : rec().of(DriverCall::Text)) n += c->text == t;
    return n;
  }
  std::string log() {
    sketra::unit_flush(4);
    return read_file("outp");
  }

  korvel::testing::Person& person() { return *person_; }

  std::unique_ptr<korvel::testing::Person> person_;
};

// A click on Apply while a field is being edited ends the edit and applies.
TEST_F(DialogWindowTest, InvertSwitchesEveryToggleAndApplyReturnsTheValues) {
  std::string prompts[] = {"#Options", "Draw Axes", "Draw Grid", "Zoom Factor"};
  std::string values[] = {"", "+ ", "_ ", "0.71"};
  person().click("Invert").click("Zoom Factor").type("5").click("Apply");
  EXPECT_TRUE(sketra::grinfo(prompts, values));
  EXPECT_EQ(values[1], "_ ");
  EXPECT_EQ(values[2], "+ ");
  EXPECT_EQ(values[3], "0.715");
  EXPECT_EQ(prompts[0], "#Options");
  EXPECT_EQ(sketra::grcomn.xcrsgr, -9999);           // the cursor pick is cleared on leaving
  EXPECT_TRUE(sketra::grcomn.clean_areas.empty());  // the box was wiped
}

TEST_F(DialogWindowTest, CancelOrEscapeIsReturnedAndThePromptsStay) {
  std::string prompts[] = {"X-Move", "Y-Move"};
  std::string values[] = {"1", "2"};
  person().click("X-Move").type("99").key(kReturn).click("Cancel");
  EXPECT_FALSE(sketra::grinfo(prompts, values));
  EXPECT_EQ(values[0], "199");  // typed into the field; the caller ignores it after Cancel
  EXPECT_EQ(prompts[0], "X-Move");
  person().key(kEscape);
  EXPECT_FALSE(sketra::grinfo(prompts, values));
}

TEST_F(DialogWindowTest, TypingEditsATextFieldAndClicksChangeChoicesAndToggles) {
  std::string prompts[] = {"Name", "Language", "Show"};
  std::string values[] = {"   old name  ", "|1|english|german", "_ labels"};
  person().click("Name").key(kBackSpace).key(kLeft).key(kLeft).type("X").key(kReturn);  // "old nXam"
  person().click("Language").click("Show");      // next option, toggle on
  person().click("Language", 3).click("Language", 3);  // right button: previous, wrapping to the last
  person().key('a');
  EXPECT_TRUE(sketra::grinfo(prompts, values));
  EXPECT_EQ(prompts[0], "Name");
  EXPECT_EQ(values[0], "old nXam");
  EXPECT_EQ(values[1], "|2|english|german");
  EXPECT_EQ(values[2], "+ labels");
}

TEST_F(DialogWindowTest, UnknownScriptEntryIsReportedTheRestDroppedAndThePersonAsked) {
  sketra::grscpt(std::vector<std::string>{"ten", "F", "X"});
  int n = 3;
  person().key(kBackSpace).type("12").key(kReturn);
  EXPECT_TRUE(sketra::grinpi("Count", n));
  EXPECT_EQ(n, 12);
  EXPECT_FALSE(sketra::script_pending());
  EXPECT_NE(log().find("**error: unknown script line: ten\n"), std::string::npos);
  EXPECT_EQ(sketra::dialogs.shown.back(), "unknown script line: ten");

  sketra::grscpt(std::vector<std::string>{"1 5", "bogus", "D"});
  std::string prompts[] = {"X-Move"};
  std::string values[] = {"0"};
  person().key('a');
  EXPECT_TRUE(sketra::grinfo(prompts, values));
  EXPECT_EQ(values[0], "5");  // set before the bad entry; the person applied
  EXPECT_EQ(prompts[0], "X-Move");
  EXPECT_FALSE(sketra::script_pending());
}

// Escape in a prompt gives no answer (the caller keeps its value); a word
// where a number is wanted is named on the message line and asked again.
TEST_F(DialogWindowTest, PromptsEndWithEscapeAndSayWhenANumberIsWanted) {
  float size = 2.5f;
  person().type("7").key(kEscape);
  EXPECT_FALSE(sketra::grinpf("size of data range", size));
  EXPECT_EQ(size, 2.5f);
  int n = 3;
  person().key(kBackSpace).type("abc").key(kReturn);
  person().key(kBackSpace).key(kBackSpace).key(kBackSpace).type("5").key(kReturn);
  EXPECT_TRUE(sketra::grinpi("Count", n));
  EXPECT_EQ(n, 5);
  EXPECT_NE(std::find(sketra::dialogs.messages.begin(), sketra::dialogs.messages.end(), "not a number: abc"),
            sketra::dialogs.messages.end());
}

TEST_F(DialogWindowTest, TextPageSavesAndAppendsThroughTheFilenamePrompt) {
  const std::vector<std::string> lines = {"line 1", "line 2"};
  person().click("Save").type("page.txt").key(kReturn);
  person().click("Save").type("page.txt").key(kReturn).type("A").key(kReturn);  // exists now: Append
  person().click("Done");
  sketra::grtext(lines);
  EXPECT_EQ(read_file("page.txt"), "line 1\nline 2\nline 1\nline 2\n");
  EXPECT_EQ(sketra::dialogs.message_line, "data stored on file");
}

TEST_F(DialogWindowTest, ChoiceByNumberHotKeyOrClick) {
  const std::vector<std::string> items = {"AAlpha", "BBeta", "GGamma"};
  sketra::grscpt(std::vector<std::string>{"2", "g", "7", "x"});
  EXPECT_EQ(sketra::grchoice(items), 2);
  EXPECT_EQ(sketra::grchoice(items), 3);
  EXPECT_EQ(sketra::grchoice(items), 0);  // out of range
  EXPECT_EQ(sketra::grchoice(items), 0);  // no such hot key
  EXPECT_EQ(rec().count(DriverCall::WaitEvent), 0);
  person().key('b').click("Gamma").click_at({2, 2});  // the last one: outside
  EXPECT_EQ(sketra::grchoice(items), 2);
  EXPECT_EQ(sketra::grchoice(items), 3);
  EXPECT_EQ(sketra::grchoice(items), 0);
}

TEST_F(DialogWindowTest, ColourPickerFromScriptAndByClick) {
  int c = 5;
  sketra::grscpt("45");
  EXPECT_TRUE(sketra::grcmap(-10000, 0, c, 2));
  EXPECT_EQ(c, 45);
  EXPECT_EQ(sketra::grcomn.colour.bank, 2);  // row 3 - 1
  EXPECT_EQ(sketra::grcomn.colour.mode, 2);

  person().click("colour 23").click("Done");
  EXPECT_TRUE(sketra::grcmap(-10000, 0, c, 3));
  EXPECT_EQ(c, 23);
  EXPECT_EQ(sketra::grcomn.colour.bank, 3);  // column 3
  EXPECT_EQ(sketra::grcomn.colour.mode, 3);
  person().key(kEscape);
  EXPECT_FALSE(sketra::grcmap(-10000, 0, c, 0));
  EXPECT_EQ(c, 23);

  // The window shrinks while the picker is open: the picker moves inside
  // the new window, every swatch and both buttons still in reach.
  bool inside = false;
  person()
      .then([&] { rec().push_resize(520, 330); })
      .then([&] {
        inside = true;
        for (const char* label : {"colour 1", "colour 200", "Cancel", "Done"}) {
          const auto p = person().centre(label);
          inside = inside && p && p->x > 0 && p->x < 520 && p->y > 0 && p->y < 330;
        }
        const auto seven = person().centre("colour 7");
        if (seven) rec().push_button(1, seven->x, seven->y);
      })
      .click("Done");
  EXPECT_TRUE(sketra::grcmap(-10000, 0, c, 0));
  EXPECT_TRUE(inside);
  EXPECT_EQ(c, 7);
}

TEST_F(DialogWindowTest, ListingMarksDirectoriesSortsAndFilters) {
  std::filesystem::create_directories("sub");
  std::filesystem::create_directories(".hidden");
  write_file("b.xyz", "1 2 3\n");
  write_file("A.XYZ", "1 2 3\n");
  write_file("c.txt", "x\n");
  write_file(".secret", "x\n");
  EXPECT_EQ(sketra::list_directory(".", ""), (std::vector<std::string>{"A.XYZ", "b.xyz", "c.txt", "outp", "sub/"}));
  EXPECT_EQ(sketra::list_directory(".", ".xyz"), (std::vector<std::string>{"A.XYZ", "b.xyz", "sub/"}));
  EXPECT_EQ(sketra::list_directory(".", "*.txt"), (std::vector<std::string>{"c.txt", "sub/"}));
  EXPECT_TRUE(sketra::list_directory("no such dir", "").empty());
}

TEST_F(DialogWindowTest, BrowserEntersDirectoriesGoesUpAndOpensAFileWithTwoClicks) {
  std::filesystem::create_directories("data");
  write_file("data/points.xyz", "1 2 3\n");
  write_file("top.xyz", "1 2 3\n");
  person().click("data/").click("../").click("data/").click("points.xyz").click("points.xyz");
  std::string name, filter;
  EXPECT_TRUE(sketra::grfile(name, filter));
  EXPECT_EQ(name, "data/points.xyz");
  EXPECT_TRUE(sketra::grcomn.clean_areas.empty());
}

TEST_F(DialogWindowTest, BrowserPagesTurnAndAllFilesDropsTheFilter) {
  for (int i = 0; i < 200; ++i) write_file("f" + std::string(i < 10 ? "00" : i < 100 ? "0" : "") + std::to_string(i) + ".xyz", "");
  write_file("z.txt", "");
  person().click(">>>").click("All files").key(kDown).key(kEscape);  // Down: the next page
  std::string name, filter = ".xyz";
  EXPECT_FALSE(sketra::grfile(name, filter));
  EXPECT_EQ(count_text("z.txt"), 1);  // only without the filter, on the last page
  EXPECT_EQ(count_text("page 2/2"), 2);
  EXPECT_EQ(person().planned(), 0u);
}

}  // namespace

// The progress bar outlives the work it shows, so it must not cover the
// axis labels under the plot: everything it draws lies in the message
// strip, right of the messages there.
TEST_F(DialogWindowTest, ProgressBarStaysInTheMessageStripBesideTheMessages) {
  sketra::grmesg("a message of some length on the message line");
  rec().clear_calls();
  sketra::grbeam(1, 2, "reading keep files");
  const int strip_top = rec().height() - sketra::kMessageStrip, message_end = 6 * 46 + 10;
  int drawn = 0;
  for (const sketra::DriverCall& c : rec().calls()) {
    for (const sketra::DevicePoint& p : c.points) {
      EXPECT_GE(p.y, strip_top) << c.kind;
      EXPECT_GT(p.x, message_end) << c.kind;
      ++drawn;
    }
    for (const sketra::DeviceRect& r : c.rects) {
      EXPECT_GE(r.y, strip_top);
      EXPECT_GT(r.x, message_end);
      ++drawn;
    }
  }
  EXPECT_EQ(count_text("reading keep files"), 1);
  EXPECT_GT(drawn, 3);
}
