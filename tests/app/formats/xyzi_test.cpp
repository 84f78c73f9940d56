// XYZI lines: the breaklines of the grid viewer read back as lines (the
// loader's tests cover assembling, thinning and clipping).
#include "app/formats/xyzi.h"

#include <gtest/gtest.h>

#include "support/format_fixture.h"
#include "support/load_cases.h"

namespace {

using namespace korvel;
using korvel::testing::kRejected;
using korvel::testing::LoadCase;
using korvel::testing::LoadCaseTest;
using korvel::testing::read_file;
using korvel::testing::VectorSink;

class XyziTest : public korvel::testing::FormatTest {
 protected:
  void read(const std::string& text, LineOptions o = {}) { read_lines(open("l.xyzi", text), o, sink); }
  VectorSink sink;
};

TEST_F(XyziTest, PointsThatDensifyingInsertsGetTheirOwnCode) {
  LineOptions o;
  o.distmax = 10;
  o.code = 300;
  read("0 0 0 1\n25 0 3 0\n", o);
  EXPECT_EQ(sink.code, (std::vector<std::int32_t>{0, 300, 300, 0}));
  EXPECT_NEAR(sink.x[1], 25.0 / 3, 1e-12);
  EXPECT_NEAR(sink.x[2], 50.0 / 3, 1e-12);
  EXPECT_NEAR(sink.z[1], 1.0f, 1e-5);  // z is interpolated too
  EXPECT_NEAR(sink.z[2], 2.0f, 1e-5);
  EXPECT_EQ(sink.edges, (std::vector<Edge>{{1, 2}, {2, 3}, {3, 4}}));
}

// (Their layout: the breaklines compared in tests/e2e/test_contour.sh.)
TEST_F(XyziTest, BreaklinesReadBackAsOneLinePerColumn) {
  const std::vector<float> x{0, 10, 0, 10}, y{0, 0, 10, 10}, v{1, 2, 3, 4};
  TextOut o = out("b.txt");
  ASSERT_TRUE(write_grid_breaklines(o, {x, y, v, 2, 2, 2, -9999.0f}, {2600000.0, 1200000.0}, quiet).ok);
  read(read_file("b.txt"));
  EXPECT_EQ(sink.y, (std::vector<double>{1200000, 1200010, 1200000, 1200010}));
  EXPECT_EQ(sink.z, (std::vector<float>{1, 3, 2, 4}));
  EXPECT_EQ(sink.edges, (std::vector<Edge>{{1, 2}, {3, 4}}));
}

// Lines as the loader assembles them (points 1 and 2 come from the base
// file), and broken line files.
TEST_F(LoadCaseTest, LineFilesAreAssembledOrRejectedNamingTheLine) {
  std::string densify = ">>unstruct\nmax_distance 1e-30\nlines\n0 0 0 1\n1400 0 0 0\n";
  const LoadCase cases[] = {
      // I = 1, 1, 0, 1, 0: the lone start joins the next record.
      {"a single-point line joins the next record",
       {{"j.xyzi", "1000 0 1 1\n1001 0 1 1\n1002 0 1 0\n1003 0 1 1\n1004 0 1 0\n"}}, 7, {{3, 4}, {4, 5}, {6, 7}}, ""},
      {"a single point at the end of the section is dropped", {{"d.xyzi", "0 0 1 1\n1 0 1 0\n5 5 1 1\n"}}, 4, {{3, 4}},
       ""},
      {"a record short of its I value", {{"s.xyzi", "0 0 1 1\n1 0 1\n2 0 1 0\n"}}, kRejected, {},
       "record with too few values at line 2 of s.xyzi"},
      {"not a number", {{"n.xyzi", "0 0 1 1\n1 nan 1 0\n"}}, kRejected, {},
       "value that is not a finite number at line 2 of n.xyzi"},
      {"densifying that would fill the store", {{"m.txt", densify}}, kRejected, {},
       "max_distance  0.1000E-29 makes  0.1400E+34 points, more than the store holds, at line 5 of m.txt"},
      {"a BLT file starts its own line", {{"b.blt", "100 200 1 22\n110 200 2 22\n"}}, 4, {{3, 4}}, ""},
      {"a BLT value at infinity", {{"i.blt", "100 200 1 0\n110 inf 2 22\n"}}, kRejected, {},
       "value that is not a finite number at line 2 of i.blt"},
      {"a BLT line that does not read", {{"x.blt", "1 2 3 0\n1 2 x 0\n"}}, kRejected, {}, "bad BLT line at line 2 of x.blt"},
  };
  for (const LoadCase& c : cases) run(c);
}

}  // namespace
