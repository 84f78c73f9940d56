#include "sketra/base/script.h"

#include <gtest/gtest.h>

#include "support/fresh.h"
#include "support/testdir.h"

namespace {

using sketra::script_pending;
using sketra::script_take;

class ScriptQueueTest : public korvel::testing::FreshState {
 protected:
  static std::vector<std::string> take_all() {
    std::vector<std::string> out;
    while (script_pending()) out.push_back(script_take());
    return out;
  }
};

// Entries are padded or cut to sixteen characters; new ones go in front of
// the unread ones; a queue read to its end is replaced, not extended; the
// capacity is never exceeded.
TEST_F(ScriptQueueTest, EntriesAreSixteenCharactersNewOnesGoFirstAndCapacityHolds) {
  sketra::grscpt(std::vector<std::string>{"V 12.5 30", "a very long entry beyond sixteen"});
  EXPECT_EQ(take_all(), (std::vector<std::string>{"V 12.5 30       ", "a very long entr"}));
  EXPECT_EQ(script_take(), "");
  sketra::grscpt(std::vector<std::string>{"A", "B", "C"});
  EXPECT_EQ(script_take()[0], 'A');
  sketra::grscpt(std::vector<std::string>{"R", "Y"});
  std::string order;
  for (const std::string& e : take_all()) order += e[0];
  EXPECT_EQ(order, "RYBC");
  sketra::grscpt("Y");
  EXPECT_EQ(sketra::scriptq.length, 1);
  sketra::grscpt(std::vector<std::string>(sketra::kScriptCapacity + 50, "E"));
  sketra::grscpt(std::vector<std::string>{"F", "G"});
  EXPECT_EQ(sketra::scriptq.length, sketra::kScriptCapacity);
  EXPECT_EQ(script_take()[0], 'F');
}

// Every line of a script file but "##" comments is an entry: blank lines,
// entry numbers, indented and embedded "##"; CR line ends are dropped.
TEST_F(ScriptQueueTest, FileLinesBecomeEntriesAndCommentLinesAreLeftOut) {
  korvel::testing::write_file("session.txt",
                              "## the load dialog\n"
                              "D\r\n"
                              "##\n"
                              "#2\n"             // an entry number
                              " ## indented\n"   // leading blanks: an answer
                              "a ## b\n"
                              "\n"
                              "examples/river.xyz\n"
                              "## done\r\n");
  ASSERT_TRUE(sketra::script_load_file("session.txt"));
  EXPECT_EQ(take_all(), (std::vector<std::string>{"D               ", "#2              ", " ## indented    ",
                                                  "a ## b          ", std::string(16, ' '), "examples/river.x"}));
  EXPECT_FALSE(sketra::script_load_file("nope.txt"));  // leaves the queue alone
  EXPECT_EQ(sketra::scriptq.length, 6);
}

TEST_F(ScriptQueueTest, AScriptLongerThanTheQueueIsRefusedWhole) {
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

}  // namespace
