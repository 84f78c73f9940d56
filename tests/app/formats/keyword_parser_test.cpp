#include "app/formats/keyword_parser.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "sketra/base/textfmt.h"
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
  ParserState parser;
  std::string line;
  int unit = 3;
  int status = 0;
};

TEST_F(ParserTest, KeywordWithSlashAndCommentLeavesBufferAtTheSlash) {
  input("xyz / points follow\n");
  EXPECT_EQ(next(), 2);
  EXPECT_EQ(line, "/ points follow");
  EXPECT_EQ(status, 0);
  int ix = 1, iy = 2, iz = 3;
  sketra::FreeTarget t[] = {&ix, &iy, &iz};
  EXPECT_TRUE(sketra::read_free(line, t).slash);
  EXPECT_EQ(ix + iy + iz, 6);
}

TEST_F(ParserTest, AsterisksOnKeywordLineSetStatusAndAreBlanked) {
  input("move 10 20 **\nmove 1 2 ***\n");
  EXPECT_EQ(next(), 1);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(line, "10 20   ");
  EXPECT_EQ(next(), 1);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(line, "1 2    ");
}

TEST_F(ParserTest, LogHeaderKeywordEchoAndOneBlankLineForTwoEmptyLines) {
  input(">>unstruct\n\n\nxyz\n>>\n");
  EXPECT_EQ(next(), 4);
  EXPECT_EQ(parser.level, 1);
  EXPECT_EQ(next(), 2);
  sketra::unit_end_line(kLog);
  EXPECT_EQ(next(), 0);
  EXPECT_EQ(parser.level, 0);
  std::string log = this->log();
  std::regex header("^\n/OUTPUT [ 0-9]{2} [A-Z][a-z]{2} [0-9]{4} [0-9]{2}:[0-9]{2}/\n\n");
  EXPECT_TRUE(std::regex_search(log, header)) << log;
  EXPECT_NE(log.find("/\n\n >>unstruct\n\n   xyz \n >>\n"), std::string::npos) << log;
}

TEST_F(ParserTest, HeaderIsWrittenOncePerMainInput) {
  input("move 1 2\n");
  EXPECT_EQ(next(), 1);
  EXPECT_EQ(next(), 0);  // end of file at level 0 resets the call count
  EXPECT_EQ(parser.ncall, 0);
  sketra::unit_close(3);
  input("move 3 4\n");
  EXPECT_EQ(next(), 1);
  std::string log = this->log();
  EXPECT_EQ(std::count(log.begin(), log.end(), '/') - 0, 4) << log;  // two "/OUTPUT .../" lines
}

TEST_F(ParserTest, NestedIncludesUseUnits45And46AndReturn) {
  write_file("b.inc", "lines\n");
  write_file("a.inc", "include b.inc\nmove 1 1\n");
  input("include 'a.inc'\nxyz\n");
  EXPECT_EQ(next(), 3);
  EXPECT_EQ(unit, 46);
  EXPECT_EQ(next(), 1);
  EXPECT_EQ(unit, 45);
  EXPECT_EQ(next(), 2);
  EXPECT_EQ(unit, 3);
  EXPECT_FALSE(sketra::unit_is_open(45));
  EXPECT_FALSE(sketra::unit_is_open(46));
  std::string log = this->log();
  EXPECT_NE(log.find("\n/include 'a.inc'\n"), std::string::npos);
  EXPECT_NE(log.find("\n/include 'b.inc'\n"), std::string::npos);
  EXPECT_EQ(std::count(log.begin(), log.end(), '_'), 2);  // two "/end_include"
}

TEST_F(ParserTest, MissingIncludeIsAnErrorAndReadingGoesOn) {
  input("include nope.inc\nmove 1 2\n");
  EXPECT_EQ(next(), 1);
  EXPECT_EQ(parser.errors, 1);
  EXPECT_NE(log().find("**error: file not found: nope.inc\n"), std::string::npos);
}

TEST_F(ParserTest, UnknownKeywordBoxAndKeywordListThenNextLine) {
  input("bogus 1 2\nmove 1 2\n");
  EXPECT_EQ(next(), 1);
  std::string stars(47, '*');
  std::string expected = "\n\n" + stars + "\n**error: keyword unknown> bogus\n" + stars +
                         "\n\n* available keywords are:\n"
                         "*           move                \n"
                         "*           xyz                 \n"
                         "*           lines               \n"
                         "*           >>unstruct          \n" +
                         stars + "\n";
  EXPECT_NE(log().find(expected), std::string::npos) << log();
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(iierr(parser, 0, "", kLog), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\n***errors     1 ->check output\n\n");
  EXPECT_EQ(parser.errors, 0);
}

TEST_F(ParserTest, WarningsSummaryPutsCountDirectlyAfterWord) {
  iierr(parser, 1, "look here", kLog);
  iierr(parser, 1, "and here", kLog);
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(iierr(parser, 0, "", kLog), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\n***warnings   2 ->check output\n\n");
  EXPECT_NE(log().find("**warning: look here\n"), std::string::npos);
}

TEST_F(ParserTest, SixthErrorAbortsTheFile) {
  input("a\nb\nc\nd\ne\nf\nmove 1 2\n");
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(next(), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), ">>program aborted after 5 errors\n");
  EXPECT_TRUE(parser.aborted);
  EXPECT_EQ(parser.errors, 6);
  EXPECT_EQ(next(), 0);
}

TEST_F(ParserTest, FatalErrorAbortsWithItsMessage) {
  ::testing::internal::CaptureStdout();
  iierr(parser, 3, "broken", kLog);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\n>>fatal error detected -> check output\n");
  EXPECT_TRUE(parser.aborted);
  EXPECT_NE(log().find("**error: broken\n"), std::string::npos);
}

TEST_F(ParserTest, CommentsAndCarriageReturnsEndTheLine) {
  input("# a comment xyz\n/ another\n\r\nmove 5 6\r\n");
  EXPECT_EQ(next(), 1);
  EXPECT_EQ(line, "5 6\r");
}

TEST_F(ParserTest, NamedBranchesAreSkippedAndAlternativesTaken) {
  input("{wet\nmove 1 1\n|\nxyz\n}\nlines\n");
  EXPECT_EQ(next(), 2);  // the "{wet" branch is skipped, "|" is taken
  EXPECT_EQ(next(), 3);
  EXPECT_EQ(parser.nlab, 0);
}

TEST_F(ParserTest, UnnamedBlockIsReadWithAWarning) {
  input("{\nmove 1 1\n|\nxyz\n}\nlines\n");
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(next(), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Warning: Option must have name\n");
  EXPECT_EQ(next(), 3);  // the alternative after a taken branch is skipped
}

TEST_F(ParserTest, NestedBlocksInsideSkippedBranchStaySkipped) {
  input("{a\n{\nmove 1 1\n}\n}\nxyz\n");
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(next(), 2);
  ::testing::internal::GetCapturedStdout();
}

TEST_F(ParserTest, EndOfInputInsideOpenBlockWarns) {
  input("{a\nmove 1 1\n");
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(next(), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), ">warning: end of option expected!\n");
}

TEST_F(ParserTest, QuietModeReturnsZeroOnUnknownWord) {
  input("1 2 3\n");
  EXPECT_EQ(next(kQuietUnknown), 0);
  EXPECT_EQ(parser.errors, 0);
}

TEST_F(ParserTest, NumericModeLeavesTheNumberLineForTheCaller) {
  input("# header\n-1.5 2 3\n");
  EXPECT_EQ(next(kNumericLine), -1);
  std::string_view l;
  ASSERT_TRUE(sketra::unit_read(3, l));
  EXPECT_EQ(l, "-1.5 2 3");
}

TEST_F(ParserTest, ParseBufferModeUsesTheLineHeld) {
  input("move 1 2\n");
  line = "xyz 4";
  EXPECT_EQ(next(kParseBuffer), 2);
  EXPECT_EQ(line, "4");
}

TEST_F(ParserTest, UnknownCommandEndsTheSectionOrIsAnErrorAtTopLevel) {
  input(">>unstruct\nmove 1 2\n>>grid\n");
  EXPECT_EQ(next(), 4);
  EXPECT_EQ(next(), 1);
  EXPECT_EQ(next(), 0);  // ">>grid" ends the section and is left unread
  std::string_view l;
  ASSERT_TRUE(sketra::unit_read(3, l));
  EXPECT_EQ(l, ">>grid");
  sketra::unit_backspace(3);
  EXPECT_EQ(next(), 0);  // at level 0 it is unknown
  EXPECT_NE(log().find("**error: command unknown> >>grid"), std::string::npos);
}

TEST(TokenHelpers, LeadingBlanksFirstWordAndApostrophes) {
  EXPECT_EQ(lenbl("   abc"), 3);
  EXPECT_EQ(lenbl("abc"), 0);
  EXPECT_EQ(lenbl("    "), 0);
  EXPECT_EQ(lenxt("  abc def"), 5);
  EXPECT_EQ(lenxt("    "), 4);
  std::string s = "  first  second";
  EXPECT_EQ(rrwrd(s), "first");
  EXPECT_EQ(s, "first  second");
  EXPECT_EQ(rrxwrd(s), "first");
  EXPECT_EQ(s, "second");
  s = "'abc' rest";
  EXPECT_EQ(rrxwrd(s), "abc");
  EXPECT_EQ(s, "rest");
  s = "'my file.txt' x";
  EXPECT_EQ(rrxwrd(s), "my file.txt");
  EXPECT_EQ(s, "x");
  s = "\t~tilde";  // "~" (126) separates words
  EXPECT_EQ(rrxwrd(s), "tilde");
  s = "Flu\xC3\x9F km";  // UTF-8 stays in the word
  EXPECT_EQ(rrxwrd(s), "Flu\xC3\x9F");
}

TEST(NumberScanners, IirealSkipsToDigitsAndFailsOnBadNumbers) {
  double v[4] = {0, 0, 0, 0};
  EXPECT_EQ(iireal("x=1.5, y=-2 .5", v), 3);
  EXPECT_EQ(v[0], 1.5);
  EXPECT_EQ(v[1], -2.0);
  EXPECT_EQ(v[2], 0.5);
  EXPECT_EQ(iireal("1 2 3 4 5 6", v), 4);
  EXPECT_EQ(iireal("no numbers", v), 0);
  EXPECT_EQ(iireal("1 2a 3", v), 0);
  EXPECT_EQ(iireal("2600123.456,1200000.5,400", v), 3);
  EXPECT_EQ(v[0], 2600123.456);
}

TEST(NumberScanners, IinumberCountsLeadingNumericWords) {
  EXPECT_EQ(iinumber("1 2,3 -4/ abc 5"), 3);
  EXPECT_EQ(iinumber("  -9999 +1.5e3"), 1);
  EXPECT_EQ(iinumber(""), 0);
  EXPECT_EQ(iinumber("nrows 4"), 0);
}

TEST_F(ParserTest, FilePromptAsksUntilTheFileExists) {
  write_file("data.txt", "x\n");
  std::istringstream in("missing.txt\ndata.txt\n");
  std::ostringstream out;
  std::string name;
  int mode = 0;
  EXPECT_TRUE(iiopn(5, name, mode, in, out));
  EXPECT_EQ(out.str(), "Enter filename> missing.tx... not found. Filename> ");
  EXPECT_EQ(name, "data.txt");
  EXPECT_TRUE(sketra::unit_is_open(5));
  std::istringstream none("\n");
  name.clear();
  EXPECT_FALSE(iiopn(6 + 1, name, mode, none, out));
}

}  // namespace
