#include <gtest/gtest.h>

#include <filesystem>

#include "sketra/base/script.h"
#include "sketra/base/units.h"
#include "sketra/ui/dialogs.h"
#include "support/answer_ui.h"
#include "support/fresh.h"
#include "support/testdir.h"

namespace {

using korvel::testing::read_file;
using korvel::testing::write_file;
using namespace sketra;

// The output-file dialog answered from the script queue or a stand-in window.
class GrfilTest : public korvel::testing::FreshState {
 protected:
  static void answers(std::vector<std::string> a) { grscpt(a); }
};

TEST_F(GrfilTest, ScriptedNameIsOpenedForWriting) {
  answers({"out.txt"});
  std::string name;
  ASSERT_TRUE(grfil(name, 3));
  EXPECT_EQ(name, "out.txt");
  unit_write(3, "hello");
  EXPECT_EQ(unit_close(3), 0);
  EXPECT_EQ(read_file("out.txt"), "hello\n");
}

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
  answers({"run2.node"});  // an answer with the suffix is taken whole
  name = "pre.node";
  ASSERT_TRUE(grfil(name, 3));
  EXPECT_EQ(name, "run2.node");
}

TEST_F(GrfilTest, ExistingFileIsOverwrittenOnlyAfterYes) {
  write_file("keep.txt", "precious\n");
  write_file("old.txt", "old\n");
  answers({"keep.txt", "n", "old.txt", "Y"});
  std::string name;
  ASSERT_TRUE(grfil(name, 3));
  EXPECT_EQ(name, "old.txt");
  unit_write(3, "new");
  unit_close(3);
  EXPECT_EQ(read_file("keep.txt"), "precious\n");
  EXPECT_EQ(read_file("old.txt"), "new\n");
  answers({"keep.txt", "x"});  // declined, and no further answer: given up
  EXPECT_FALSE(grfil(name, 3));
  EXPECT_EQ(read_file("keep.txt"), "precious\n");
}

TEST_F(GrfilTest, BlankAnswerGivesUpWithoutOpeningAnything) {
  answers({""});
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
  answers({"no/dir/f.txt", "adir", "y", "ok.txt"});
  std::string name;
  ASSERT_TRUE(grfil(name, 3));
  EXPECT_EQ(name, "ok.txt");
  ASSERT_GE(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0], "Cannot write file: no/dir/f.txt");
  EXPECT_EQ(dialogs.messages[1], "Cannot write file: adir");
}

}  // namespace
