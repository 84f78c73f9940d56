// XYZ and XYZI points: the nodes the grid XYZ writer keeps, the grid
// viewer's breaklines read back by the line reader, densified lines, and
// broken point and line files. (The grid XYZ layout: ExportTest
// XyzWithDefaultTol...; the grid points writer's layout and the breaklines':
// nodes.xyz and breaklines.txt in tests/e2e/test_contour.sh.)
#include "app/formats/xyz.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

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

class XyzTest : public korvel::testing::FormatTest {
 protected:
  void read_xyzi(const std::string& text, LineOptions o = {}) { read_lines(open("l.xyzi", text), o, sink); }
  VectorSink sink;
};

TEST_F(XyzTest, GridXyzKeepsWetNodesAndTheirDryRim) {
  // 5 x 4 grid, one wet node at (2,2) (1-based) and NODATA in the far corner.
  std::vector<float> v(20, 0.0f);
  v[1 * 5 + 1] = 2.0f;
  v[3 * 5 + 4] = -9999.0f;
  std::int64_t written = 0;
  TextOut o = out("w.xyz");
  ASSERT_TRUE(write_grid_xyz(o, GridGeometry{0, 0, 1, 1, 5, 4, 0}, {}, "depth", v, 0.001f, written, quiet).ok);
  EXPECT_EQ(written, 9);
  std::istringstream in(read_file("w.xyz"));
  in.ignore(100, '\n').ignore(100, '\n');  // the item and the column line: ExportTest's layout
  std::set<std::pair<int, int>> nodes;
  for (double x, y, z; in >> x >> y >> z;) nodes.insert({int(x), int(y)});
  EXPECT_EQ(nodes, (std::set<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}}));
}

TEST_F(XyzTest, DensifiedLinesAndBreaklinesReadBack) {
  LineOptions o;
  o.distmax = 10;
  o.code = 300;
  read_xyzi("0 0 0 1\n25 0 3 0\n", o);
  EXPECT_EQ(sink.code, (std::vector<std::int32_t>{0, 300, 300, 0}));
  EXPECT_NEAR(sink.x[1], 25.0 / 3, 1e-12);
  EXPECT_NEAR(sink.x[2], 50.0 / 3, 1e-12);
  EXPECT_NEAR(sink.z[1], 1.0f, 1e-5);  // z is interpolated too
  EXPECT_NEAR(sink.z[2], 2.0f, 1e-5);
  EXPECT_EQ(sink.edges, (std::vector<Edge>{{1, 2}, {2, 3}, {3, 4}}));
  // The grid viewer's breaklines: one line per column.
  const std::vector<float> x{0, 10, 0, 10}, y{0, 0, 10, 10}, v{1, 2, 3, 4};
  TextOut b = out("b.txt");
  ASSERT_TRUE(write_grid_breaklines(b, {x, y, v, 2, 2, 2, -9999.0f}, {2600000.0, 1200000.0}, quiet).ok);
  sink = {};
  read_xyzi(read_file("b.txt"));
  EXPECT_EQ(sink.y, (std::vector<double>{1200000, 1200010, 1200000, 1200010}));
  EXPECT_EQ(sink.z, (std::vector<float>{1, 3, 2, 4}));
  EXPECT_EQ(sink.edges, (std::vector<Edge>{{1, 2}, {3, 4}}));
}

// Point and line files are read wholly or rejected naming the line: never a
// value taken from the next record, never a point at infinity. Lines as the
// loader assembles them (points 1 and 2 come from the base file).
TEST_F(LoadCaseTest, PointAndLineFilesAreAssembledOrRejectedNamingTheLine) {
  std::string densify = ">>unstruct\nmax_distance 1e-30\nlines\n0 0 0 1\n1400 0 0 0\n";
  const LoadCase cases[] = {
      {"a short record at the end of the file", {{"e.xyz", "1 2 3\n4 5\n"}}, kRejected, {},
       "record with too few values at line 2 of e.xyz"},
      {"infinity", {{"i.xyz", "1 2 3\ninf 2 3\n"}}, kRejected, {}, "value that is not a finite number at line 2 of i.xyz"},
      {"a word after the values", {{"w.xyz", "1 2 3\n4 5 x\n"}}, kRejected, {}, "value that does not read at line 2 of w.xyz"},
      {"a shift at infinity", {{"m.txt", ">>unstruct\nmove -inf 0\nxyz\n1 2 3\n"}}, kRejected, {},
       "bad value for move at line 2 of m.txt"},
      {"a cross-section pair short of its elevation", {{"c.txt", ">>unstruct\ncs P1 1.0 0\n0 10\n5\n7 11\n"}},
       kRejected, {}, "record with too few values at line 4 of c.txt"},
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
