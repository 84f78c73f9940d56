#include "sketra/base/script.h"

#include <gtest/gtest.h>

#include "support/fresh.h"
#include "support/testdir.h"

namespace {

using sketra::script_pending;
using sketra::script_take;

class ScriptQueueTest : public korvel::testing::FreshState {};

TEST_F(ScriptQueueTest, EntriesArePaddedOrCutToSixteenCharacters) {
  sketra::grscpt(std::vector<std::string>{"V 12.5 30", "a very long entry beyond sixteen"});
  EXPECT_EQ(script_take(), "V 12.5 30       ");
  EXPECT_EQ(script_take(), "a very long entr");
  EXPECT_FALSE(script_pending());
  EXPECT_EQ(script_take(), "");
}

TEST_F(ScriptQueueTest, NewEntriesGoInFrontOfUnreadOnes) {
  sketra::grscpt(std::vector<std::string>{"A", "B", "C"});
  EXPECT_EQ(script_take()[0], 'A');
  sketra::grscpt(std::vector<std::string>{"R", "Y"});
  std::string order;
  while (script_pending()) order += script_take()[0];
  EXPECT_EQ(order, "RYBC");
}

TEST_F(ScriptQueueTest, ReadQueueIsReplacedNotExtended) {
  sketra::grscpt("X");
  script_take();
  sketra::grscpt("Y");
  EXPECT_EQ(sketra::scriptq.length, 1);
  EXPECT_EQ(script_take()[0], 'Y');
}

TEST_F(ScriptQueueTest, CapacityIsNeverExceeded) {
  std::vector<std::string> many(sketra::kScriptCapacity + 50, "E");
  sketra::grscpt(many);
  sketra::grscpt(std::vector<std::string>{"F", "G"});
  EXPECT_EQ(sketra::scriptq.length, sketra::kScriptCapacity);
  EXPECT_EQ(script_take()[0], 'F');
}

class ScriptFileTest : public korvel::testing::FreshState {};

TEST_F(ScriptFileTest, FileLinesIncludingBlankOnesBecomeEntries) {
  korvel::testing::write_file("session.txt", "F\r\nL\n\nexamples/river.xyz\n");
  ASSERT_TRUE(sketra::script_load_file("session.txt"));
  EXPECT_EQ(sketra::scriptq.length, 4);
  EXPECT_EQ(script_take(), "F               ");
  script_take();
  EXPECT_EQ(script_take(), std::string(16, ' '));
  EXPECT_EQ(script_take(), "examples/river.x");
}

TEST_F(ScriptFileTest, CommentLinesAreLeftOutAndEveryOtherLineStays) {
  korvel::testing::write_file("session.txt",
                              "## the load dialog\n"
                              "D\n"
                              "##\n"
                              "#2\n"             // an entry number
                              " ## indented\n"   // leading blanks: an answer
                              "a ## b\n"
                              "\n"
                              "## done\r\n");
  ASSERT_TRUE(sketra::script_load_file("session.txt"));
  std::vector<std::string> entries;
  while (script_pending()) entries.push_back(script_take());
  EXPECT_EQ(entries, (std::vector<std::string>{"D               ", "#2              ", " ## indented    ",
                                               "a ## b          ", std::string(16, ' ')}));
}

TEST_F(ScriptFileTest, MissingFileLeavesQueueAlone) {
  EXPECT_FALSE(sketra::script_load_file("nope.txt"));
  EXPECT_EQ(sketra::scriptq.length, 0);
}

}  // namespace

TEST_F(ScriptFileTest, AScriptLongerThanTheQueueIsRefusedWhole) {
  std::string text = "## comments do not count\n";
  for (int i = 0; i < sketra::kScriptCapacity; ++i) text += "D\n";
  korvel::testing::write_file("session.txt", text);
  ASSERT_TRUE(sketra::script_load_file("session.txt"));
  EXPECT_EQ(sketra::scriptq.length, sketra::kScriptCapacity);
  sketra::scriptq.reset();
  korvel::testing::write_file("long.txt", text + "E\n");
  std::string why;
  EXPECT_FALSE(sketra::script_load_file("long.txt", &why));
  EXPECT_EQ(why, "the script long.txt holds more than 8000 answers");
  EXPECT_EQ(sketra::scriptq.length, 0);
}
