// The keyword parser: keywords and their lines, the log, includes, blocks,
// modes, errors, and the token and number helpers.
#include "app/formats/keyword_parser.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/format_fixture.h"

namespace {

using korvel::testing::write_file;
using namespace korvel;

constexpr std::string_view kKeys[] = {"move", "xyz", "lines", ">>unstruct"};

class ParserTest : public korvel::testing::FormatTest {
 protected:
  // Opens `text` as the main input on unit 3.
  void input(const std::string& text) {
    write_file("in.txt", text);
    ASSERT_TRUE(sketra::unit_open(3, "in.txt", sketra::FileStatus::old_file));
    unit = 3;
  }
  int next(int mode = 0) {
    status = mode;
    return iicmd(parser, kKeys, line, unit, kLog, status);
  }
  std::string stdout_of(const std::function<void()>& f) {
    ::testing::internal::CaptureStdout();
    f();
    return ::testing::internal::GetCapturedStdout();
  }
  ParserState parser;
  std::string line;
  int unit = 3;
  int status = 0;
};

TEST_F(ParserTest, AKeywordHandsBackTheRestOfItsLineAndAnUnknownCommandEndsTheSection) {
  input("# a comment xyz\nxyz / points follow\nmove 10 20 **\n\r\nlines 5 6\r\n");
  EXPECT_EQ(next(), 2);
  EXPECT_EQ(line, "/ points follow");  // a free-format read stops at the slash
  EXPECT_EQ(next(), 1);
  EXPECT_EQ(line, "10 20   ");  // asterisks (a status word) are blanked
  EXPECT_EQ(next(), 3);
  EXPECT_EQ(line, "5 6\r");
  // An unknown command ends the section (it is left unread); at the top it is
  // an error. (Number lines left for the caller: the plain files of LoaderTest
  // and the values of GridFilesTest.)
  parser = {};
  input(">>unstruct\nmove 1 2\n>>grid\n");
  EXPECT_EQ(next(), 4);
  EXPECT_EQ(next(), 1);
  EXPECT_EQ(next(), 0);
  EXPECT_EQ(next(), 0);
  EXPECT_NE(log().find("**error: command unknown> >>grid"), std::string::npos);
}

TEST_F(ParserTest, IncludesReturnWhereTheyBeganAndNamedBlocksAreSkipped) {
  write_file("b.inc", "lines\ninclude nope.inc\n");
  write_file("a.inc", "include b.inc\nmove 1 1\n");
  input("include 'a.inc'\nxyz\n");
  EXPECT_EQ(next(), 3);
  EXPECT_EQ(next(), 1);
  EXPECT_EQ(next(), 2);
  EXPECT_EQ(unit, 3);
  EXPECT_FALSE(sketra::unit_is_open(45));
  EXPECT_EQ(parser.errors, 1);
  EXPECT_NE(log().find("**error: file not found: nope.inc\n"), std::string::npos);
  parser = {};
  input("{wet\nmove 1 1\n{\nmove 2 2\n}\n|\nxyz\n}\n{\nlines\n|\nmove 3 3\n}\n{a\n");
  // "{wet" and the block nested in it are skipped (an unnamed block warns
  // even there), "|" is taken.
  EXPECT_EQ(stdout_of([&] { EXPECT_EQ(next(), 2); }), "Warning: Option must have name\n");
  EXPECT_EQ(stdout_of([&] { EXPECT_EQ(next(), 3); }), "Warning: Option must have name\n");
  EXPECT_EQ(stdout_of([&] { EXPECT_EQ(next(), 0); }), ">warning: end of option expected!\n");
  // A block never closed in an include ends with the main file: the block
  // goes on past the include. (Unclosed blocks in a section, one and
  // 100,000 on a line: tests/e2e/test_batch.sh.)
  parser = {};
  write_file("open.inc", "{x\nmove 1 1\n");
  input("include open.inc\nlines\n");
  stdout_of([&] { EXPECT_EQ(next(), 0); });
}

TEST_F(ParserTest, AnUnknownKeywordIsCountedAtTheSummaryAndAFatalErrorAborts) {
  input("bogus 1 2\nmove 1 2\n");
  EXPECT_EQ(next(), 1);  // (the error in the log: LoaderTest WordsThatDoNotRead...)
  EXPECT_EQ(stdout_of([&] { EXPECT_EQ(iierr(parser, 0, "", kLog), 1); }), "\n***errors     1 ->check output\n\n");
  iierr(parser, 1, "look here", kLog);
  iierr(parser, 1, "and here", kLog);
  EXPECT_EQ(stdout_of([&] { EXPECT_EQ(iierr(parser, 0, "", kLog), 0); }), "\n***warnings   2 ->check output\n\n");
  // A fatal error aborts the file. (A sixth error: LoaderTest ASixthErrorRejectsTheFileAtOnce.)
  EXPECT_EQ(stdout_of([&] { iierr(parser, 3, "broken", kLog); }), "\n>>fatal error detected -> check output\n");
  EXPECT_TRUE(parser.aborted);
}

// (Words that are no numbers on a record: LoaderTest WordsThatDoNotRead...)
TEST(TokenHelpers, WordsSeparatorsApostrophesAndNumbers) {
  std::string s = "  'my file.txt'  x\t~tilde Flu\xC3\x9F";  // "~" (126) separates words, UTF-8 stays in them
  EXPECT_EQ(rrxwrd(s), "my file.txt");
  std::string w = rrxwrd(s);
  w += rrxwrd(s);
  EXPECT_EQ(w + rrxwrd(s), "xtildeFlu\xC3\x9F");

  double v[4] = {0, 0, 0, 0};
  EXPECT_EQ(iireal("1 2 3 4 5 6", v), 4);  // no more than it holds
}

}  // namespace
