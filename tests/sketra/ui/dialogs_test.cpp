// Dialogs answered from the script queue or a stand-in window (forms,
// prompts, messages, the file dialogs, text pages and the output-file
// dialog; error summaries: LoaderTest), then in the window, driven through
// the recording driver by a person who clicks by label: forms, prompts,
// choices, the file browser, the colour picker, the message line and the
// progress bar.

#include "sketra/ui/dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialog_window.h"
#include "sketra/ui/display_buffer.h"
#include "sketra/ui/menus.h"
#include "support/answer_ui.h"
#include "support/person.h"
#include "support/recording.h"
#include "support/testdir.h"

namespace {

using korvel::testing::read_file;
using korvel::testing::write_file;
using namespace sketra;

// Messages are logged to "outp" on unit 4. Without a window, answers come
// from the script queue or a stand-in UI.
template <bool window>
class LoggingDialogTest : public korvel::testing::WithRecordingDriver {
 protected:
  LoggingDialogTest() : WithRecordingDriver(window) {}
  void SetUp() override {
    WithRecordingDriver::SetUp();
    ASSERT_TRUE(unit_open(4, "outp", FileStatus::unknown));
    set_log_unit(4);
  }
};

using DialogsTest = LoggingDialogTest<false>;

// Script entries answer a form before the window; a bad entry hands it to
// the person (LoaderTest.Unusable...), who here cancels, as with no answer.
TEST_F(DialogsTest, FormAnsweredFromScriptOrCancelledWithoutAUsableAnswer) {
  korvel::testing::AnswerUi ui;  // would cancel
  set_dialog_ui(&ui);
  grscpt(std::vector<std::string>{"2 10.5", "3 x", "D"});
  std::string prompts[] = {"#Shift", "X-Move", "Y-Move", "Show"};
  std::string values[] = {"", "0", "0", "_ off"};
  EXPECT_TRUE(grinfo(prompts, values));
  EXPECT_EQ(values[2], "10.5");   // the second editable field
  EXPECT_EQ(values[3], "+ off");  // a toggle is switched on
  EXPECT_FALSE(grinfo(prompts, values));
  grscpt(std::vector<std::string>{"2 abc", "D"});  // a word for a number
  EXPECT_FALSE(grinfo(prompts, values));
  EXPECT_EQ(values[2], "10.5");
}

// (Prompts in the window: DialogWindowTest.PromptsEndWithEscape...)
TEST_F(DialogsTest, PromptsTakeTheScriptThenBlankAndRefuseWords) {
  std::string text = "preset";
  grscpt("answer");
  grinpa("Name", text);
  EXPECT_EQ(text, "answer");
  grinpa("Name", text);
  EXPECT_EQ(text, "");

  float f = 1.0f;
  grscpt("2.5D1");
  EXPECT_TRUE(grinpf("Value", f));
  EXPECT_EQ(f, 25.0f);
  grscpt("abc");
  EXPECT_FALSE(grinpf("Value", f));
  EXPECT_EQ(f, 25.0f);
}

TEST_F(DialogsTest, MessagesGoToTheLogAndTheMessageLog) {
  grmesg("found       12 points   ");
  grmesg("");
  EXPECT_EQ(dialogs.message_line, "");
  EXPECT_EQ(dialogs.messages, std::vector<std::string>{"found       12 points"});
  EXPECT_EQ(read_file("outp"), "found       12 points\n");  // on disk at once: a killed run keeps it
  grmesg(std::string(120, 'x'));
  EXPECT_EQ(dialogs.message_line.size(), 100u);
  EXPECT_EQ(dialogs.messages[1].size(), 80u);
}

// A file named by the script opens from its start: e2e test_scripted_session's
// File Add. A missing preset name is reported and the script's name taken.
TEST_F(DialogsTest, FileDialogReportsMissingAndEmptyFiles) {
  write_file("data.xyz", "1 2 3\n");
  std::string name = "nope.xyz", filter;
  grscpt("data.xyz");
  EXPECT_TRUE(gropn(name, filter, 3));
  EXPECT_EQ(dialogs.messages.back(), "File not found: nope.xyz");
  unit_close(3);

  write_file("empty.xyz", "");
  name = "empty.xyz";
  EXPECT_FALSE(gropn(name, filter, 3));
  EXPECT_EQ(dialogs.message_line, "Wrong file format: empty.xyz");
  EXPECT_FALSE(unit_is_open(3));

  name.clear();
  EXPECT_FALSE(gropn(name, filter, 3));  // nothing queued, no window: gives up
}

TEST_F(DialogsTest, TextPageSavesFromScriptAppendingOverwritingOrAbandoning) {
  std::string lines[] = {"first line   ", "second"};
  grscpt(std::vector<std::string>{"S", "page.txt", "D"});
  grtext(lines);
  EXPECT_EQ(read_file("page.txt"), "first line\nsecond\n");
  grscpt(std::vector<std::string>{"S", "page.txt", "A", "D"});
  grtext(lines);
  EXPECT_EQ(read_file("page.txt"), "first line\nsecond\nfirst line\nsecond\n");
  std::string one[] = {"new"};
  grscpt(std::vector<std::string>{"S", "page.txt", "X", "D"});
  grtext(one);
  EXPECT_EQ(read_file("page.txt"), "first line\nsecond\nfirst line\nsecond\n");
  grscpt(std::vector<std::string>{"s", "page.txt", "o", "D"});
  grtext(one);
  EXPECT_EQ(read_file("page.txt"), "new\n");
  EXPECT_FALSE(script_pending());
}

// The display buffer collects lines until "/disp" or until it is full,
// then shows them on one text page and forgets them.
TEST_F(DialogsTest, DisplayBufferShowsOnDispOrWhenFullAndNeverHoldsMore) {
  korvel::testing::AnswerUi ui;
  set_dialog_ui(&ui);
  grdisp(std::string(70, 'x'));
  grdisp("/disp");
  EXPECT_EQ(ui.pages.at(0), std::vector<std::string>{std::string(64, 'x')});
  for (int k = 0; k < kDisplayLines + 2; ++k) grdisp(std::to_string(k));
  EXPECT_EQ(ui.pages.at(1).size(), std::size_t(kDisplayLines));
  EXPECT_EQ(display_buffer.lines, (std::vector<std::string>{"50000", "50001"}));
  set_dialog_ui(nullptr);
}

// ---------------------------------------------------------------- the output-file dialog

using GrfilTest = DialogsTest;

TEST_F(GrfilTest, ExistingFileIsOverwrittenOnlyAfterYes) {
  write_file("keep.txt", "precious\n");
  write_file("old.txt", "old\n");
  grscpt(std::vector<std::string>{"keep.txt", "n", "old.txt", "Y"});
  std::string name;
  ASSERT_TRUE(grfil(name, 3));
  EXPECT_EQ(name, "old.txt");
  unit_write(3, "new");
  unit_close(3);
  EXPECT_EQ(read_file("keep.txt"), "precious\n");
  EXPECT_EQ(read_file("old.txt"), "new\n");
  grscpt(std::vector<std::string>{"keep.txt", "x"});  // declined, and no further answer: given up
  EXPECT_FALSE(grfil(name, 3));
  EXPECT_EQ(read_file("keep.txt"), "precious\n");
}

// A file that cannot be created is reported and asked for again; a blank
// answer, or none at all, gives up without opening anything.
TEST_F(GrfilTest, FileThatCannotBeCreatedIsAskedAgainABlankAnswerGivesUp) {
  std::filesystem::create_directory("adir");
  grscpt(std::vector<std::string>{"no/dir/f.txt", "adir", "y", "ok.txt"});
  std::string name;
  ASSERT_TRUE(grfil(name, 3));
  EXPECT_EQ(name, "ok.txt");
  EXPECT_EQ(dialogs.messages,
            (std::vector<std::string>{"Cannot write file: no/dir/f.txt", "Cannot write file: adir"}));
  unit_close(3);
  grscpt(std::vector<std::string>{""});
  name = "pre.node";
  EXPECT_FALSE(grfil(name, 3));
  EXPECT_EQ(name, "");
  EXPECT_FALSE(unit_is_open(3));
  name = "x.grd";
  EXPECT_FALSE(grfil(name, 3));
  EXPECT_FALSE(std::filesystem::exists("x.grd"));
}

// ---------------------------------------------------------------- in the window

constexpr unsigned long kReturn = 0xFF0D, kEscape = 0xFF1B, kBackSpace = 0xFF08;
constexpr unsigned long kLeft = 0xFF51, kUp = 0xFF52, kDown = 0xFF54;

class DialogWindowTest : public LoggingDialogTest<true> {
 protected:
  void SetUp() override {
    LoggingDialogTest::SetUp();
    person_ = std::make_unique<korvel::testing::Person>(rec());
  }
  void TearDown() override {
    person_.reset();
    LoggingDialogTest::TearDown();
  }
  int count_text(const std::string& t) {
    int n = 0;
    for (const auto* c : rec().of(DriverCall::Text)) n += c->text == t;
    return n;
  }
  korvel::testing::Person& person() { return *person_; }

  std::unique_ptr<korvel::testing::Person> person_;
};

// Typing edits a text field, clicks change choices and toggles, Invert
// switches every toggle; a click on Apply while a field is being edited
// ends the edit and applies.
TEST_F(DialogWindowTest, FieldsChangeByTypingAndClicksAndApplyEndsTheEdit) {
  std::string prompts[] = {"#Options", "Name", "Language", "Show", "Draw Axes"};
  std::string values[] = {"", "   old name  ", "|1|english|german", "_ labels", "+ "};
  person().click("Language").click("Show");      // next option, toggle on
  person().click("Language", 3).click("Language", 3);  // right button: previous, wrapping to the last
  person().click("Invert");
  person().click("Name").key(kBackSpace).key(kLeft).key(kLeft).type("X").click("Apply");  // "old nXam"
  EXPECT_TRUE(sketra::grinfo(prompts, values));
  EXPECT_EQ(std::vector<std::string>(values + 1, values + 5),
            (std::vector<std::string>{"old nXam", "|2|english|german", "_ labels", "_ "}));
  EXPECT_EQ(sketra::grcomn.xcrsgr, -9999);  // the cursor pick is cleared on leaving
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

TEST_F(DialogWindowTest, ChoiceByNumberHotKeyOrClick) {
  const std::vector<std::string> items = {"AAlpha", "BBeta", "GGamma"};
  sketra::grscpt(std::vector<std::string>{"2", "g", "7", "x"});
  EXPECT_EQ(sketra::grchoice(items), 2);
  EXPECT_EQ(sketra::grchoice(items), 3);
  EXPECT_EQ(sketra::grchoice(items), 0);  // out of range
  EXPECT_EQ(sketra::grchoice(items), 0);  // no such hot key
  person().key('b').click_at({2, 2});  // a click outside: nothing chosen
  EXPECT_EQ(sketra::grchoice(items), 2);
  EXPECT_EQ(sketra::grchoice(items), 0);
}

TEST_F(DialogWindowTest, ColourPickerFromScriptAndByClick) {
  int c = 5;
  sketra::grscpt("45");
  EXPECT_TRUE(sketra::grcmap(-10000, 0, c, 2));
  EXPECT_EQ(c, 45);
  EXPECT_EQ(sketra::grcomn.colour.bank, 2);  // row 3 - 1

  person().click("colour 23").click("Done");
  EXPECT_TRUE(sketra::grcmap(-10000, 0, c, 3));
  EXPECT_EQ(c, 23);
  EXPECT_EQ(sketra::grcomn.colour.bank, 3);  // column 3
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

TEST_F(DialogWindowTest, BrowserEntersDirectoriesGoesUpAndOpensAFileWithTwoClicks) {
  std::filesystem::create_directories("data");
  write_file("data/points.xyz", "1 2 3\n");
  write_file("top.xyz", "1 2 3\n");
  person().click("data/").click("../").click("data/").click("points.xyz").click("points.xyz");
  std::string name, filter;
  EXPECT_TRUE(sketra::grfile(name, filter));
  EXPECT_EQ(name, "data/points.xyz");
}

TEST_F(DialogWindowTest, BrowserPagesTurnAndAllFilesDropsTheFilter) {
  for (int i = 0; i < 200; ++i) write_file("f" + std::string(i < 10 ? "00" : i < 100 ? "0" : "") + std::to_string(i) + ".xyz", "");
  write_file("z.txt", "");
  person().click(">>>").click("All files").key(kDown).key(kEscape);  // Down: the next page
  std::string name, filter = ".xyz";
  EXPECT_FALSE(sketra::grfile(name, filter));
  EXPECT_EQ(count_text("z.txt"), 1);  // only without the filter, on the last page
  EXPECT_EQ(count_text("page 2/2"), 2);
}

// The progress bar outlives the work it shows, so it must not cover the
// axis labels under the plot: everything it draws lies in the message
// strip, right of the messages there.
TEST_F(DialogWindowTest, ProgressBarStaysInTheMessageStripBesideTheMessages) {
  sketra::grmesg("a message of some length on the message line");
  rec().clear_calls();
  sketra::grbeam(1, 2, "reading keep files");
  const int strip_top = rec().height() - sketra::kMessageStrip, message_end = 6 * 46 + 10;
  std::vector<sketra::DevicePoint> drawn;  // every point and rectangle corner
  for (const sketra::DriverCall& c : rec().calls()) {
    drawn.insert(drawn.end(), c.points.begin(), c.points.end());
    for (const sketra::DeviceRect& r : c.rects) drawn.push_back({r.x, r.y});
  }
  for (const sketra::DevicePoint& p : drawn) {
    EXPECT_GE(p.y, strip_top);
    EXPECT_GT(p.x, message_end);
  }
  EXPECT_EQ(count_text("reading keep files"), 1);
  EXPECT_GT(drawn.size(), 3u);
}

}  // namespace
