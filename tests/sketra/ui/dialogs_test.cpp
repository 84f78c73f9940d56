// Dialogs answered from the script queue or a stand-in window: forms,
// prompts, messages, error reports, the file dialogs, text pages and the
// output-file dialog.

#include "sketra/ui/dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "sketra/base/script.h"
#include "sketra/base/units.h"
#include "sketra/ui/display_buffer.h"
#include "support/answer_ui.h"
#include "support/fresh.h"
#include "support/testdir.h"

namespace {

using korvel::testing::read_file;
using korvel::testing::write_file;
using namespace sketra;

class DialogsTest : public korvel::testing::FreshState {
 protected:
  void SetUp() override {
    FreshState::SetUp();
    ASSERT_TRUE(unit_open(4, "outp", FileStatus::unknown));
    set_log_unit(4);
  }
  std::string log() {
    unit_flush(4);
    return read_file("outp");
  }
};

TEST_F(DialogsTest, FormAnsweredFromScriptBeforeTheWindow) {
  korvel::testing::AnswerUi ui;  // would cancel
  set_dialog_ui(&ui);
  grscpt(std::vector<std::string>{"2 10.5", "D"});
  std::string prompts[] = {"#Shift", "X-Move", "Y-Move", "Show"};
  std::string values[] = {"", "0", "0", "_ off"};
  EXPECT_TRUE(grinfo(prompts, values));
  EXPECT_EQ(values[2], "10.5");  // the second editable field
  EXPECT_EQ(prompts[0], "#Shift");
  EXPECT_FALSE(script_pending());
  grscpt(std::vector<std::string>{"3 x", "d"});
  EXPECT_TRUE(grinfo(prompts, values));
  EXPECT_EQ(values[3], "+ off");  // a toggle is switched on
}

TEST_F(DialogsTest, FormWithoutAnswerOrWithBadEntryIsCancelled) {
  std::string prompts[] = {"X-Move", "Y-Move"};
  std::string values[] = {"1", "2"};
  EXPECT_FALSE(grinfo(prompts, values));
  EXPECT_EQ(values[0], "1");
  EXPECT_EQ(prompts[0], "X-Move");  // the answer is the value returned
  grscpt(std::vector<std::string>{"2 abc", "D"});  // a word for a number
  EXPECT_FALSE(grinfo(prompts, values));
  EXPECT_EQ(values[1], "2");
  EXPECT_NE(log().find("**error: unknown script line: 2 abc\n"), std::string::npos);
}

TEST_F(DialogsTest, PromptsTakeScriptThenWindowThenBlank) {
  std::string text = "preset";
  grscpt("answer");
  grinpa("Name", text);
  EXPECT_EQ(text, "answer");
  grinpa("Name", text);
  EXPECT_EQ(text, "");
  korvel::testing::AnswerUi ui;
  ui.prompt_answers = {"typed"};
  set_dialog_ui(&ui);
  grinpa("Name", text);
  EXPECT_EQ(text, "typed");
  set_dialog_ui(nullptr);

  float f = 1.0f;
  grscpt("2.5D1");
  EXPECT_TRUE(grinpf("Value", f));
  EXPECT_EQ(f, 25.0f);
  grscpt("abc");
  EXPECT_FALSE(grinpf("Value", f));
  EXPECT_EQ(f, 25.0f);
  int i = 0;
  grscpt("42");
  EXPECT_TRUE(grinpi("Count", i));
  EXPECT_EQ(i, 42);
  grscpt("yes please");
  EXPECT_EQ(grinp1("Overwrite file? "), 'y');
  EXPECT_EQ(grinp1("Overwrite file? "), ' ');
}

TEST_F(DialogsTest, MessagesGoToTheLogAndTheMessageLog) {
  grmesg("found       12 points   ");
  grmesg("");
  EXPECT_EQ(dialogs.message_line, "");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0], "found       12 points");
  EXPECT_EQ(read_file("outp"), "found       12 points\n");  // on disk at once: a killed run keeps it
  grmesg(std::string(120, 'x'));
  EXPECT_EQ(dialogs.message_line.size(), 100u);
  EXPECT_EQ(dialogs.messages[1].size(), 80u);
}

TEST_F(DialogsTest, ErrorReportsAndSummary) {
  EXPECT_EQ(igrerr(0, "", 4), 0);
  EXPECT_EQ(igrerr(1, "first", 4), 1);
  EXPECT_EQ(igrerr(1, "second", 4), 2);
  EXPECT_EQ(igrerr(0, "", 4), 1);
  EXPECT_EQ(dialogs.message_line, " >>errors/ 0/  >>warnings/ 2/");
  EXPECT_EQ(dialogs.summary_warnings, 2);
  EXPECT_EQ(igrerr(0, "", 4), 0);  // the summary cleared the counts
  igrerr(3, "broken", 4);
  EXPECT_TRUE(dialogs.fatal);
  std::string stars(47, '*');
  EXPECT_NE(log().find(stars + "\n**warning: first\n" + stars + "\n"), std::string::npos);
  EXPECT_NE(log().find(stars + "\n**fatal error: broken\n" + stars + "\n***fatal error detected\n"), std::string::npos);
}

TEST_F(DialogsTest, FileDialogTakesScriptNameAndReportsMissingFiles) {
  write_file("data.xyz", "1 2 3\n");
  std::string name, filter;
  grscpt("data.xyz");
  ASSERT_TRUE(gropn(name, filter, 3));
  EXPECT_EQ(name, "data.xyz");
  std::string_view l;
  ASSERT_TRUE(unit_read(3, l));  // the check read was rewound
  EXPECT_EQ(l, "1 2 3");
  unit_close(3);

  name = "nope.xyz";
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
  EXPECT_FALSE(grfile(name, filter));
  EXPECT_EQ(grchoice(std::vector<std::string>{"AA"}), 0);
}

TEST_F(DialogsTest, TextPageSavesFromScriptAppendingOverwritingOrAbandoning) {
  std::string lines[] = {"first line   ", "second"};
  grscpt(std::vector<std::string>{"S", "page.txt", "D"});
  grtext(lines);
  EXPECT_EQ(read_file("page.txt"), "first line\nsecond\n");
  EXPECT_EQ(dialogs.message_line, "data stored on file");
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

TEST_F(GrfilTest, PrePresetAsksForAPrefixThatReplacesPre) {
  korvel::testing::AnswerUi ui;
  ui.prompt_answers = {"river"};
  set_dialog_ui(&ui);
  std::string name = "pre.node";
  ASSERT_TRUE(grfil(name, 3));
  EXPECT_EQ(name, "river.node");
  EXPECT_EQ(ui.prompts_seen, (std::vector<std::string>{"Enter Prefix> "}));
  EXPECT_EQ(ui.presets_seen.front(), "");
  EXPECT_TRUE(std::filesystem::exists("river.node"));
  unit_close(3);
  grscpt(std::vector<std::string>{"run2.node"});  // an answer with the suffix is taken whole
  name = "pre.node";
  ASSERT_TRUE(grfil(name, 3));
  EXPECT_EQ(name, "run2.node");
}

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

TEST_F(GrfilTest, BlankAnswerGivesUpWithoutOpeningAnything) {
  grscpt(std::vector<std::string>{""});
  std::string name = "pre.node";
  EXPECT_FALSE(grfil(name, 3));
  EXPECT_EQ(name, "");
  EXPECT_FALSE(unit_is_open(3));
  // No script and no window: nobody answers, nothing is written.
  name = "x.grd";
  EXPECT_FALSE(grfil(name, 3));
  EXPECT_FALSE(std::filesystem::exists("x.grd"));
}

TEST_F(GrfilTest, FileThatCannotBeCreatedIsReportedAndAskedAgain) {
  std::filesystem::create_directory("adir");
  grscpt(std::vector<std::string>{"no/dir/f.txt", "adir", "y", "ok.txt"});
  std::string name;
  ASSERT_TRUE(grfil(name, 3));
  EXPECT_EQ(name, "ok.txt");
  ASSERT_GE(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0], "Cannot write file: no/dir/f.txt");
  EXPECT_EQ(dialogs.messages[1], "Cannot write file: adir");
}

}  // namespace
