// The unstruct writer's layout, and include files. (The file read back:
// export_test UnstructRoundTripKeepsTheLinesSection.)
#include "app/formats/unstruct.h"

#include <gtest/gtest.h>

#include "app/formats/xyz.h"
#include "app/formats/xyzi.h"
#include "support/format_fixture.h"
#include "support/load_cases.h"

namespace {

using namespace korvel;
using korvel::testing::kRejected;
using korvel::testing::LoadCase;
using korvel::testing::LoadCaseTest;
using korvel::testing::read_file;
using korvel::testing::VectorSink;

class UnstructTest : public korvel::testing::FormatTest {
 protected:
  // Points relative to (2600000, 1200000) with codes, and edges.
  void point(float x, float y, float z, std::int32_t c) {
    px.push_back(x);
    py.push_back(y);
    pz.push_back(z);
    code.push_back(c);
  }
  std::string write() {
    TextOut o = out("s.unstruct");
    EXPECT_TRUE(write_unstruct(o, px, py, pz, code, edges, origin, quiet).ok);
    return read_file("s.unstruct");
  }
  const Origin origin{2600000.0, 1200000.0};
  std::vector<float> px, py, pz;
  std::vector<std::int32_t> code;
  std::vector<Edge> edges;
};

TEST_F(UnstructTest, ChainsOfEdgesBecomeLinesAndFreePointsFollow) {
  point(0, 0, 400.0f, 2);
  point(10.5f, 0.25f, 401.125f, 3);
  point(20, 5, 402, 2);
  point(30, 10, 403.5f, 101);
  point(40, 15, 404, 100);
  point(50, 20, 405, 102);
  point(60.125f, 25.5f, -9999.0f, 1);
  edges = {{1, 2}, {2, 3}, {5, 6}, {6, 99}};
  EXPECT_EQ(write(),
            ">>unstruct\n"
            "lines /\n"
            " 2600000.000 1200000.000    400.000 1\n"
            " 2600010.500 1200000.250    401.125 0\n"
            " 2600020.000 1200005.000    402.000 0\n"
            " 2600040.000 1200015.000    404.000 1\n"
            " 2600050.000 1200020.000    405.000 0\n"
            "xyz /\n"
            " 2600030.000 1200010.000    403.500 /\n"
            " 2600060.125 1200025.500  -9999.000 /\n");
  px.resize(1), py.resize(1), pz.resize(1), code = {1}, edges.clear();
  EXPECT_EQ(write(), ">>unstruct\nxyz /\n 2600000.000 1200000.000    400.000 /\n");
}

// Include files read as part of the including section, or reported; never
// the rest of a file dropped without a word.
TEST_F(LoadCaseTest, IncludesAreReadOrReported) {
  const std::string main = ">>unstruct\nxyz\n1 1 1\ninclude part.txt\nxyz\n3 3 3\n>>\n";
  const LoadCase cases[] = {
      {"an include without a header", {{"part.txt", "xyz\n2 2 2\n"}, {"main.txt", main}}, 5, {}, "/end_include"},
      {"an include of itself", {{"self.txt", ">>unstruct\ninclude self.txt\nxyz\n1 1 1\n"}}, kRejected, {},
       "**error: include cycle: self.txt is being read already"},
      {"a mutual include",
       {{"b.inc", "include a.inc\n"}, {"a.inc", "include b.inc\n"}, {"m.txt", ">>unstruct\ninclude a.inc\n"}},
       kRejected, {}, "**error: include cycle: a.inc is being read already"},
      {"an include of a grid", {{"g.inc", ">>grid\nnx 1\nny 1\n5\n"}, {"m.txt", ">>unstruct\ninclude g.inc\n"}},
       kRejected, {}, "**error: include of another kind of file: >>grid in g.inc"},
  };
  for (const LoadCase& c : cases) run(c);
}

}  // namespace
