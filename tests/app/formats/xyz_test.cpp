// XYZ points: the grid XYZ writer, its list read back by the point section
// reader, and broken point files. (The grid points writer's layout: nodes.xyz
// in tests/e2e/test_contour.sh.)
#include "app/formats/xyz.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

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

TEST_F(XyzTest, GridXyzReadsBackAsThePointsItWrote) {
  const GridGeometry g{10.0f, 20.0f, 0.5f, 1.0f, 3, 2, 30.0f};
  const Origin origin{2600000.0, 1200000.0};
  const std::vector<float> v{1.5f, 2.25f, 3, 4, 5.125f, 6};
  std::int64_t written = 0;
  TextOut o = out("g.xyz");
  ASSERT_TRUE(write_grid_xyz(o, g, origin, "", v, -9999.0f, written, quiet).ok);
  sketra::LineReader& r = open("copy.xyz", read_file("g.xyz"));
  std::string_view skip;
  r.next(skip);  // item
  r.next(skip);  // "/ X Y Z"
  ClipWindow all;
  all.zmin = -9.0e20f;
  read_points(r, {}, all, sink);
  ASSERT_EQ(sink.x.size(), 6u);
  const GridNodes nodes(g);
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(sink.x[std::size_t(k)], double(nodes.x(k % 3, k / 3)) + origin.x) << k;
    EXPECT_EQ(sink.y[std::size_t(k)], double(nodes.y(k % 3, k / 3)) + origin.y) << k;
    EXPECT_EQ(sink.z[std::size_t(k)], v[std::size_t(k)]) << k;
  }
}

// Point files are read wholly or rejected naming the line: never a value
// taken from the next record, never a point at infinity.
TEST_F(LoadCaseTest, PointFilesWithBrokenRecordsAreRejectedNamingTheLine) {
  const LoadCase cases[] = {
      {"a short record at the end of the file", {{"e.xyz", "1 2 3\n4 5\n"}}, kRejected, {},
       "record with too few values at line 2 of e.xyz"},
      {"infinity", {{"i.xyz", "1 2 3\ninf 2 3\n"}}, kRejected, {}, "value that is not a finite number at line 2 of i.xyz"},
      {"not a number as z", {{"n.txt", ">>unstruct\nxyz\n1 2 3\n4 5 -nan\n"}}, kRejected, {},
       "value that is not a finite number at line 4 of n.txt"},
      {"a word after the values", {{"w.xyz", "1 2 3\n4 5 x\n"}}, kRejected, {}, "value that does not read at line 2 of w.xyz"},
      {"a shift at infinity", {{"m.txt", ">>unstruct\nmove -inf 0\nxyz\n1 2 3\n"}}, kRejected, {},
       "bad value for move at line 2 of m.txt"},
      {"a cross-section pair short of its elevation", {{"c.txt", ">>unstruct\ncs P1 1.0 0\n0 10\n5\n7 11\n"}},
       kRejected, {}, "record with too few values at line 4 of c.txt"},
  };
  for (const LoadCase& c : cases) run(c);
}

}  // namespace
