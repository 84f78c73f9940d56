// Random keyword files built from the format's own words: every load ends,
// and afterwards the store is either unchanged or consistent with what was
// added.
#include <gtest/gtest.h>

#include <random>

#include "support/app_fixture.h"

namespace {

using namespace korvel;

const char* kWords[] = {">>unstruct", ">>grid", ">>", "xyz", "xy", "lines", "bedlevel", "cs", "table", "locate",
                        "move", "rotate", "color", "item", "xclip", "zclip", "max_distance", "min_distance",
                        "boundary", "nx", "ny", "cellsize", "ncols", "{", "{a", "|", "}", "/", "#", "**",
                        "include", "self.txt", "'q'", ",", "1", "2.5", "-3", "1e3", "1.5D2", "2*4", "-9999",
                        "1000000", "0.001", "abc", "3.", ".5", "\t", "\r"};

std::string random_file(std::mt19937& rng) {
  std::uniform_int_distribution<int> lines(1, 40), words(0, 7), pick(0, int(std::size(kWords)) - 1);
  std::string text;
  int n = lines(rng);
  for (int i = 0; i < n; ++i) {
    int w = words(rng);
    for (int j = 0; j < w; ++j) {
      text += kWords[pick(rng)];
      text += ' ';
    }
    text += '\n';
  }
  return text;
}

class LoaderFuzzTest : public korvel::testing::AppTest {};

TEST_F(LoaderFuzzTest, RandomKeywordFilesNeverBreakTheStore) {
  std::mt19937 rng(2020);
  for (int round = 0; round < 300; ++round) {
    std::string text = random_file(rng);
    korvel::testing::write_file("self.txt", text);
    std::int32_t np = cin1.np, nseg = cin1.nseg;
    double xorig = cin1.xorig;
    int mode = round % 3 == 0 ? kLoad : kAdd;
    if (cin1.np > 5000) mode = kLoad;
    ::testing::internal::CaptureStdout();
    LoadOutcome r = load_file("self.txt", mode, {"D"});
    ::testing::internal::GetCapturedStdout();
    ASSERT_TRUE(store_consistent()) << text;
    if (r == LoadOutcome::rejected) {
      ASSERT_EQ(cin1.np, np) << text;
      ASSERT_EQ(cin1.nseg, nseg) << text;
      ASSERT_EQ(cin1.xorig, xorig) << text;
    }
    ASSERT_GE(parser.level, 0);
    ASSERT_FALSE(parser.aborted);
    for (int u = 45; u <= 94; ++u) ASSERT_FALSE(sketra::unit_is_open(u)) << text;
  }
}

}  // namespace
