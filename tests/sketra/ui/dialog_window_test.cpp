// Dialogs in the window, driven through the recording driver: forms,
// prompts, text pages, choices, the file browser, the colour picker, the
// message line and the progress bar.

#include "sketra/ui/dialog_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"
#include "support/recording.h"
#include "support/testdir.h"

namespace {

using korvel::testing::read_file;
using korvel::testing::write_file;
using sketra::DriverCall;

// Pixel mode of the default 1120 x 786 window: device x = px + 65, device
// y = 736 - py. Dialogs under the menu bar have their upper-left corner at
// pixel (30, 710).
constexpr int kOx = 65, kOy = 736;
constexpr float kTop = 710;

class DialogWindowTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    ASSERT_TRUE(sketra::unit_open(4, "outp", sketra::FileStatus::unknown));
    sketra::set_log_unit(4);
  }
  void click(float px, float py, int button = 1) { rec().push_button(button, int(px) + kOx, kOy - int(py)); }
  void type(const std::string& s) {
    for (char c : s) rec().push_key(static_cast<unsigned char>(c));
  }
  void key_return() { rec().push_key(0xFF0D); }
  std::vector<std::string> texts() {
    std::vector<std::string> out;
    for (const auto* c : rec().of(DriverCall::Text)) out.push_back(c->text);
    return out;
  }
  int count_text(const std::string& t) {
    auto v = texts();
    return int(std::count(v.begin(), v.end(), t));
  }
  std::string log() {
    sketra::unit_flush(4);
    return read_file("outp");
  }
  // Centre of field `row` of a form whose prompt column is `pc` characters.
  static float field_x(int pc) { return 30 + 12 + 6 * float(pc) + 20; }
  static float field_y(int row) { return kTop - 4 - 16 * float(row + 1) + 8; }
  // Centre of button k (0-based) of a form with n rows.
  static float button_x(int k) { return 38 + 78.5f * float(k) + 38; }
  static float form_button_y(int n) { return kTop - 4 - 16 * float(n + 1) - 22 + 8; }
};

TEST_F(DialogWindowTest, FormAnsweredFromScriptDrawsNothing) {
  sketra::grscpt(std::vector<std::string>{"2 10.5", "D"});
  std::string prompts[] = {"X-Move", "Y-Move"};
  std::string values[] = {"0", "0"};
  EXPECT_TRUE(sketra::grinfo(prompts, values));
  EXPECT_EQ(values[1], "10.5");
  EXPECT_EQ(prompts[0], "X-Move");
  EXPECT_EQ(rec().count(DriverCall::Text), 0);
  EXPECT_EQ(rec().count(DriverCall::Polygon), 0);
  EXPECT_EQ(rec().count(DriverCall::WaitEvent), 0);
}

TEST_F(DialogWindowTest, InvertSwitchesEveryToggleAndApplyReturnsTheValues) {
  std::string prompts[] = {"#Options", "Draw Axes", "Draw Grid", "Zoom Factor"};
  std::string values[] = {"", "+ ", "_ ", "0.71"};
  click(button_x(1), form_button_y(4));  // Invert
  click(button_x(0), form_button_y(4));  // Apply
  EXPECT_TRUE(sketra::grinfo(prompts, values));
  EXPECT_EQ(values[1], "_ ");
  EXPECT_EQ(values[2], "+ ");
  EXPECT_EQ(prompts[0], "#Options");
  EXPECT_EQ(sketra::grcomn.xcrsgr, -9999);  // the cursor pick is cleared on leaving
  EXPECT_EQ(count_text("Options"), 2);        // the heading, drawn before and after Invert
  EXPECT_TRUE(sketra::grcomn.clean_areas.empty());  // the box was wiped
}

TEST_F(DialogWindowTest, CancelIsReturnedAndThePromptsStay) {
  std::string prompts[] = {"X-Move", "Y-Move"};
  std::string values[] = {"1", "2"};
  click(field_x(8), field_y(0));
  type("99");
  key_return();
  click(button_x(2), form_button_y(2));  // Cancel
  EXPECT_FALSE(sketra::grinfo(prompts, values));
  EXPECT_EQ(values[0], "199");  // typed into the field; the caller ignores it after Cancel
  EXPECT_EQ(prompts[0], "X-Move");
  rec().push_key(0xFF1B);  // Escape cancels too
  EXPECT_FALSE(sketra::grinfo(prompts, values));
}

TEST_F(DialogWindowTest, TypingEditsATextFieldAndClicksChangeChoicesAndToggles) {
  std::string prompts[] = {"Name", "Language", "Show"};
  std::string values[] = {"   old name  ", "|1|english|german", "_ labels"};
  click(field_x(8), field_y(0));
  rec().push_key(0xFF08);  // BackSpace: "old nam"
  rec().push_key(0xFF51);  // Left
  rec().push_key(0xFF51);
  type("X");               // "old nXam"
  key_return();
  click(field_x(8), field_y(1));     // next option
  click(field_x(8), field_y(2));     // toggle on
  click(field_x(8), field_y(1), 3);  // right button: previous option
  click(field_x(8), field_y(1), 3);  // and again: wraps to the last
  rec().push_key('a');
  EXPECT_TRUE(sketra::grinfo(prompts, values));
  EXPECT_EQ(prompts[0], "Name");
  EXPECT_EQ(values[0], "old nXam");
  EXPECT_EQ(values[1], "|2|english|german");
  EXPECT_EQ(values[2], "+ labels");
  EXPECT_GT(count_text("german"), 0);
}

TEST_F(DialogWindowTest, ArrowKeysWalkThroughTheTextFields) {
  std::string prompts[] = {"#Shift", "X-Move", "Show", "Y-Move"};
  std::string values[] = {"", "", "_ ", ""};
  rec().push_key(0xFF54);  // Down: the first text field (headings and toggles are skipped)
  type("1");
  key_return();
  rec().push_key(0xFF54);  // Down: the next one
  type("2");
  key_return();
  rec().push_key(0xFF52);  // Up: back to the first
  type("0");
  key_return();
  key_return();  // Apply
  EXPECT_TRUE(sketra::grinfo(prompts, values));
  EXPECT_EQ(values[1], "10");
  EXPECT_EQ(values[3], "2");
  EXPECT_EQ(values[2], "_ ");
}

TEST_F(DialogWindowTest, ClickOnAButtonWhileEditingEndsTheEditAndPressesIt) {
  std::string prompts[] = {"Title"};
  std::string values[] = {""};
  click(field_x(8), field_y(0));
  type("River");
  click(button_x(0), form_button_y(1));  // Apply, straight from the field
  EXPECT_TRUE(sketra::grinfo(prompts, values));
  EXPECT_EQ(values[0], "River");
  EXPECT_EQ(prompts[0], "Title");
}

TEST_F(DialogWindowTest, RealPromptShowsZeroBlankAndAsksAgainUntilANumber) {
  float v = 0;
  type("abc");
  key_return();
  type("2.5");
  key_return();
  EXPECT_TRUE(sketra::grinpf("Value", v));
  EXPECT_FLOAT_EQ(v, 2.5f);
  EXPECT_EQ(count_text("Value"), 4 + 4);  // drawn on asking and after each typed key
  EXPECT_EQ(count_text("abc"), 1);
  EXPECT_EQ(count_text("0.000"), 0);  // the zero value starts blank

  v = 7.25f;
  key_return();
  EXPECT_TRUE(sketra::grinpf("Value", v));  // the shown value accepted as it is
  EXPECT_FLOAT_EQ(v, 7.25f);
  EXPECT_EQ(count_text("7.250"), 1);
}

TEST_F(DialogWindowTest, UnknownScriptEntryIsReportedTheRestDroppedAndThePersonAsked) {
  sketra::grscpt(std::vector<std::string>{"ten", "F", "X"});
  int n = 3;
  rec().push_key(0xFF08);  // BackSpace over the shown 3
  type("12");
  key_return();
  EXPECT_TRUE(sketra::grinpi("Count", n));
  EXPECT_EQ(n, 12);
  EXPECT_FALSE(sketra::script_pending());
  EXPECT_NE(log().find("**error: unknown script line: ten\n"), std::string::npos);
  EXPECT_EQ(sketra::dialogs.shown.back(), "unknown script line: ten");

  sketra::grscpt(std::vector<std::string>{"1 5", "bogus", "D"});
  std::string prompts[] = {"X-Move"};
  std::string values[] = {"0"};
  rec().push_key('a');
  EXPECT_TRUE(sketra::grinfo(prompts, values));
  EXPECT_EQ(values[0], "5");  // set before the bad entry; the person applied
  EXPECT_EQ(prompts[0], "X-Move");
  EXPECT_FALSE(sketra::script_pending());
}

TEST_F(DialogWindowTest, ProgressBarDrawsOnlyOneHundredTimes) {
  for (int i = 1; i <= 1000; ++i) sketra::grbeam(i, 1000, "reading points");
  EXPECT_EQ(rec().count(DriverCall::Flip), 100);
  EXPECT_EQ(count_text("reading points"), 100);
  // The full bar: 50 cells of 4 pixels from the frame's left edge.
  const auto polys = rec().of(DriverCall::Polygon);
  int widest = 0;
  for (const auto* p : polys)
    if (p->pixel != 0xFFFFFFu)
      for (const auto& q : p->points) widest = std::max(widest, q.x - kOx);
  EXPECT_EQ(widest, 200);
}

TEST_F(DialogWindowTest, MessageLineKeepsFiveLinesNewestAtTheBottom) {
  for (int i = 1; i <= 6; ++i) sketra::grmesg("message " + std::to_string(i));
  ASSERT_EQ(sketra::dialogs.shown.size(), 5u);
  EXPECT_EQ(sketra::dialogs.shown.front(), "message 2");
  const auto calls = rec().of(DriverCall::Text);
  ASSERT_EQ(calls.size(), 1u + 2 + 3 + 4 + 5 + 5);
  const auto* newest = calls.back();
  EXPECT_EQ(newest->text, "message 6");
  EXPECT_EQ(newest->points[0], (sketra::DevicePoint{5, 786 - 5}));
  EXPECT_EQ(calls[calls.size() - 2]->points[0].y, 786 - 5 - 14);
  rec().clear_calls();
  sketra::grmesg(" ");
  EXPECT_TRUE(sketra::dialogs.shown.empty());
  EXPECT_EQ(rec().count(DriverCall::Text), 0);
  EXPECT_EQ(rec().count(DriverCall::Polygon), 1);  // the old lines wiped
}

TEST_F(DialogWindowTest, MessagesSurviveTheWipeOfADialog) {
  sketra::grmesg("found 12 points");
  sketra::grclean(0, 0, 10, 0, 10);
  rec().clear_calls();
  sketra::grclean(1);
  EXPECT_EQ(count_text("found 12 points"), 1);
}

std::vector<std::string> numbered(int n) {
  std::vector<std::string> lines;
  for (int i = 1; i <= n; ++i) lines.push_back("line " + std::to_string(i));
  return lines;
}

TEST_F(DialogWindowTest, TextPageScrollsWithArrowsAndWheelAndClosesOnD) {
  const auto lines = numbered(60);  // 47 rows fit in the default window
  rec().push_key(0xFF54);           // Down
  rec().push_key(0xFF54);
  rec().push_button(5, 300, 300);   // wheel down: three lines
  rec().push_key(0xFF52);           // Up
  rec().push_key('d');
  sketra::grtext(lines);
  // First shown line after each draw: 1, 2, 3, 6, 5.
  std::vector<std::string> firsts;
  const auto calls = rec().of(DriverCall::Text);
  for (size_t i = 0; i < calls.size(); ++i)
    if (calls[i]->text.starts_with("line ") && (i == 0 || !calls[i - 1]->text.starts_with("line ")))
      firsts.push_back(calls[i]->text);
  EXPECT_EQ(firsts, (std::vector<std::string>{"line 1", "line 2", "line 3", "line 6", "line 5"}));
  EXPECT_EQ(count_text("lines 5-51 of 60"), 1);
  EXPECT_EQ(count_text("line 52"), 1);  // shown once, after the wheel
}

TEST_F(DialogWindowTest, TextPageSavesThroughTheFilenamePrompt) {
  const auto lines = numbered(3);
  rec().push_key('s');
  type("page.txt");
  key_return();
  rec().push_key('s');  // again: the file exists now
  type("page.txt");
  key_return();
  type("A");
  key_return();
  rec().push_key(0xFF1B);
  sketra::grtext(lines);
  EXPECT_EQ(read_file("page.txt"), "line 1\nline 2\nline 3\nline 1\nline 2\nline 3\n");
  EXPECT_EQ(sketra::dialogs.message_line, "data stored on file");
  EXPECT_GT(count_text("Append Overwrite eXit?"), 0);
}

TEST_F(DialogWindowTest, ChoiceByNumberHotKeyOrClick) {
  const std::vector<std::string> items = {"AAlpha", "BBeta", "GGamma"};
  sketra::grscpt(std::vector<std::string>{"2", "g", "7", "x"});
  EXPECT_EQ(sketra::grchoice(items), 2);
  EXPECT_EQ(sketra::grchoice(items), 3);
  EXPECT_EQ(sketra::grchoice(items), 0);  // out of range
  EXPECT_EQ(sketra::grchoice(items), 0);  // no such hot key
  EXPECT_EQ(rec().count(DriverCall::WaitEvent), 0);

  rec().push_key('b');
  EXPECT_EQ(sketra::grchoice(items), 2);
  // The list sits 50 pixels up and left of the last pick: rows of 15 pixels.
  sketra::grcomn.xcrsgr = 400;
  sketra::grcomn.ycrsgr = 400;
  click(360, 450 - 4 - 15 * 3 + 7);
  EXPECT_EQ(sketra::grchoice(items), 3);
  click(10, 10);  // outside
  EXPECT_EQ(sketra::grchoice(items), 0);
  // Hot keys are underlined: one short line per entry.
  EXPECT_GE(rec().count(DriverCall::Polyline), 3);
}

TEST_F(DialogWindowTest, ColourPickerFromScriptAndByClick) {
  int c = 5;
  sketra::grscpt("45");
  EXPECT_TRUE(sketra::grcmap(-10000, 0, c, 2));
  EXPECT_EQ(c, 45);
  EXPECT_EQ(sketra::grcomn.colour.bank, 2);  // row 3 - 1
  EXPECT_EQ(sketra::grcomn.colour.mode, 2);

  // The grid starts at pixel (38, 702): colour 23 is column 3, row 2.
  click(38 + 2 * 15 + 7, 702 - 15 - 7);
  click(38 + 78.5f + 38, 702 - 150 - 16 - 26 + 8);  // Done
  EXPECT_TRUE(sketra::grcmap(-10000, 0, c, 3));
  EXPECT_EQ(c, 23);
  EXPECT_EQ(sketra::grcomn.colour.bank, 3);
  EXPECT_EQ(sketra::grcomn.colour.mode, 3);
  EXPECT_EQ(count_text("No  23  Red:" + sketra::fmt_i(int(sketra::grcomn.colour.palette[23] >> 16), 3) + " Green:" +
                       sketra::fmt_i(int((sketra::grcomn.colour.palette[23] >> 8) & 255), 3) + " Blue:" +
                       sketra::fmt_i(int(sketra::grcomn.colour.palette[23] & 255), 3)),
            1);
  rec().push_key(0xFF1B);
  EXPECT_FALSE(sketra::grcmap(-10000, 0, c, 0));
  EXPECT_EQ(c, 23);
}

TEST_F(DialogWindowTest, ColourFieldOpensThePicker) {
  std::string prompts[] = {"Color"};
  std::string values[] = {"  1"};
  click(field_x(8), field_y(0));
  click(38 + 4 * 15 + 7, 702 - 7);  // colour 5
  rec().push_key(0xFF0D);           // Done
  rec().push_key(0xFF0D);           // Apply
  const int mode = sketra::grcomn.colour.mode, bank = sketra::grcomn.colour.bank;
  EXPECT_TRUE(sketra::grinfo(prompts, values));
  EXPECT_EQ(values[0], "  5");
  EXPECT_EQ(sketra::grcomn.colour.mode, mode);  // a form's colour field leaves the colour mode alone
  EXPECT_EQ(sketra::grcomn.colour.bank, bank);
}

TEST_F(DialogWindowTest, ListingMarksDirectoriesSortsAndFilters) {
  std::filesystem::create_directories("sub");
  std::filesystem::create_directories(".hidden");
  write_file("b.xyz", "1 2 3\n");
  write_file("A.XYZ", "1 2 3\n");
  write_file("c.txt", "x\n");
  write_file(".secret", "x\n");
  EXPECT_EQ(sketra::list_directory(".", ""),
            (std::vector<std::string>{"A.XYZ", "b.xyz", "c.txt", "outp", "sub/"}));
  EXPECT_EQ(sketra::list_directory(".", ".xyz"), (std::vector<std::string>{"A.XYZ", "b.xyz", "sub/"}));
  EXPECT_EQ(sketra::list_directory(".", "*.txt"), (std::vector<std::string>{"c.txt", "sub/"}));
  EXPECT_TRUE(sketra::list_directory("no such dir", "").empty());
}

class BrowserTest : public DialogWindowTest {
 protected:
  // Browser geometry in the default window: 40 rows (at most), 4 columns
  // (at most) of 186 pixels; the Filename row below them.
  static constexpr int kRows = 40;
  static float entry_x(int col) { return 38 + 186 * float(col) + 20; }
  static float entry_y(int row) { return kTop - 22 - 14 * float(row + 1) + 3 + 3; }
  static float field_row_y() { return kTop - 22 - 14 * kRows - 8 - 16; }
  static float buttons_y() { return field_row_y() - 26 + 8; }
};

TEST_F(BrowserTest, EntersDirectoriesGoesUpAndOpensAFileWithTwoClicks) {
  std::filesystem::create_directories("data");
  write_file("data/points.xyz", "1 2 3\n");
  write_file("top.xyz", "1 2 3\n");
  // Entries: "../", "data/", "outp", "top.xyz".
  click(entry_x(0), entry_y(1));  // data/
  click(entry_x(0), entry_y(0));  // ../ : back
  click(entry_x(0), entry_y(1));  // data/
  click(entry_x(0), entry_y(1));  // points.xyz into the field
  click(entry_x(0), entry_y(1));  // and opened
  std::string name, filter;
  EXPECT_TRUE(sketra::grfile(name, filter));
  EXPECT_EQ(name, "data/points.xyz");
  EXPECT_GT(count_text("points.xyz"), 0);
  EXPECT_TRUE(sketra::grcomn.clean_areas.empty());
}

TEST_F(BrowserTest, TypedNameThatDoesNotExistIsReportedAndCancelGivesNothing) {
  click(150, field_row_y() + 8);  // the Filename field
  type("nope.xyz");
  key_return();
  key_return();  // Open
  rec().push_key('c');
  std::string name = "x", filter;
  EXPECT_FALSE(sketra::grfile(name, filter));
  EXPECT_EQ(name, "");
  ASSERT_FALSE(sketra::dialogs.shown.empty());
  EXPECT_EQ(sketra::dialogs.shown.back(), "grfile: file nope.xyz not found");
}

TEST_F(BrowserTest, PagesTurnAndAllFilesDropsTheFilter) {
  for (int i = 0; i < 200; ++i) write_file("f" + std::string(i < 10 ? "00" : i < 100 ? "0" : "") + std::to_string(i) + ".xyz", "");
  write_file("z.txt", "");
  // 4 columns of 40 rows: "../" and f000 ... f158 on page 1.
  click(38 + 78.5f + 38, buttons_y());  // >>>
  rec().push_key('a');                  // All files
  rec().push_key(0xFF54);               // Down: next page
  rec().push_key(0xFF1B);
  std::string name, filter = ".xyz";
  EXPECT_FALSE(sketra::grfile(name, filter));
  EXPECT_EQ(count_text("f158.xyz"), 2);  // on page 1, before and after All files
  EXPECT_EQ(count_text("f159.xyz"), 2);  // on page 2, twice
  EXPECT_EQ(count_text("z.txt"), 1);     // only without the filter, on page 2
  EXPECT_EQ(count_text("page 2/2"), 2);
}

TEST_F(DialogWindowTest, FileOpenAcceptsNamesStartingWithDots) {
  std::filesystem::create_directories("a/b");
  write_file("a/x.xyz", "1 2 3\n");
  std::filesystem::current_path("a/b");
  std::string name = "../x.xyz", filter;
  EXPECT_TRUE(sketra::gropn(name, filter, 3));
  EXPECT_EQ(name, "../x.xyz");
  sketra::unit_close(3);
  std::filesystem::current_path("../..");
  name = ".xyz";  // a suffix: the browser opens with it as the filter
  sketra::grscpt("a/x.xyz");
  EXPECT_TRUE(sketra::gropn(name, filter, 3));
  EXPECT_EQ(filter, ".xyz");
  sketra::unit_close(3);
}

TEST_F(DialogWindowTest, PlateIsCentredInTheFrameAndStays) {
  const std::vector<std::string> lines = {"Korvel_4.01  12-2020", "", "abc"};
  sketra::grplate(lines);
  const float frame_w = 24 * 50 * 0.7865f;
  const auto calls = rec().of(DriverCall::Text);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0]->points[0].x, int(frame_w / 2 - 3 * 20 + 65));
  EXPECT_EQ(calls[1]->points[0].x, int(frame_w / 2 - 9 + 65));
  EXPECT_EQ(calls[0]->points[0].y + 30, calls[1]->points[0].y);  // 15 pixels per line
  EXPECT_TRUE(sketra::grcomn.clean_areas.empty());
}

TEST_F(DialogWindowTest, WithoutAWindowNobodyAnswers) {
  sketra::grmode(0);
  std::string text = "preset";
  sketra::grinpa("Name", text);
  EXPECT_EQ(text, "");
  std::string prompts[] = {"X"};
  std::string values[] = {"1"};
  EXPECT_FALSE(sketra::grinfo(prompts, values));
  std::string name, filter;
  EXPECT_FALSE(sketra::grfile(name, filter));
  EXPECT_EQ(sketra::grchoice(std::vector<std::string>{"AA"}), 0);
  EXPECT_EQ(rec().count(DriverCall::WaitEvent), 0);
}

}  // namespace
