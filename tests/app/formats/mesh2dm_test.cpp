// 2DM meshes: nodes, triangles from E3T and E4Q, the node map, and broken
// files.
#include "app/formats/mesh2dm.h"

#include <gtest/gtest.h>

#include "support/format_fixture.h"
#include "support/load_cases.h"

namespace {

using namespace korvel;
using korvel::testing::kRejected;
using korvel::testing::LoadCase;
using korvel::testing::LoadCaseTest;

class Mesh2dmTest : public korvel::testing::FormatTest {
 protected:
  // Reads `text` as a 2DM file with both passes.
  Mesh2dm read(const std::string& text, Ir2dmRequest req = {}) {
    if (req.max_nodes == 0) req.max_nodes = 19600000;
    if (req.max_triangles == 0) req.max_triangles = 39200000;
    ::testing::internal::CaptureStdout();
    Mesh2dm m = ir2dm(open("m.2dm", text), xorig, yorig, req);
    out = ::testing::internal::GetCapturedStdout();
    return m;
  }
  double xorig = 0, yorig = 0;
  std::string out;
};

TEST_F(Mesh2dmTest, QuadrilateralsSplitAlongTheShorterDiagonal) {
  Ir2dmRequest req;
  req.take_origin = true;
  Mesh2dm m = read("MESH2D\nMESHNAME \"weir\"\nE3T 1 1 2 5 1\nE4Q 2 2 3 4 5 2\nE4Q 3 5 4 6 7 1\n"
                   "ND 1 2600000.0 1200000.0 400.0\n ND 2 2600010.0 1200000.0 401.0\n"
                   "ND 3 2600020.0 1200000.0 402.0\nND 4 2600020.0 1200001.0 403.0\n"
                   "ND 5 2600010.0 1200001.0 404.0\nND 6 2600030.0 1200011.0 405.0\n"
                   "ND 7 2600011.0 1200011.0 406.0\nNS 1 2 -3\n",
                   req);
  EXPECT_TRUE(m.error.empty());
  ASSERT_EQ(m.x.size(), 7u);
  EXPECT_EQ(xorig, 2600000.0);
  EXPECT_EQ(m.x[1], 10.0f);  // the line with a leading blank counts
  EXPECT_EQ(m.z[6], 406.0f);
  // E4Q 2-3-4-5 is a 10 x 1 rectangle: both diagonals are equal, so n1-n3 splits it.
  // E4Q 5-4-6-7: the diagonal 4-7 (n2-n4) is shorter than 5-6 (n1-n3).
  EXPECT_EQ(m.triangles, (std::vector<Triangle>{{1, 2, 5}, {2, 3, 4}, {4, 5, 2}, {7, 5, 4}, {4, 6, 7}}));
}

TEST_F(Mesh2dmTest, NodeNumbersMapToPointsDenseOrSparseAndTheLaterWins) {
  Ir2dmRequest req;
  req.first_number = 101;
  Mesh2dm m = read("ND 7 0 0 1\nND 1000000000 1 0 2\nND 3 0 1 3\nE3T 1 7 1000000000 3 1\n", req);
  EXPECT_EQ(m.map.find(1000000000), 102);
  EXPECT_EQ(m.map.find(4), 0);
  EXPECT_EQ(m.triangles, (std::vector<Triangle>{{101, 102, 103}}));
  for (std::int64_t big : {std::int64_t(5), std::int64_t(7000000000)}) {
    NodeMap map;
    map.add(big, 1);
    map.add(2, 2);
    map.add(big, 3);
    map.build();
    EXPECT_EQ(map.find(big), 3);
    EXPECT_EQ(map.find(2), 2);
    EXPECT_EQ(map.find(-1), 0);
  }
}

TEST_F(Mesh2dmTest, ABadLineEndsItsPassAndKeepsWhatCameBefore) {
  Mesh2dm m = read("MESH2D\nND 1 0 0 0\nND 2 1 0 0\nND 3 x 1 0\nND 4 1 1 0\nE3T 1 1 2 1 1\n");
  EXPECT_EQ(m.x.size(), 2u);
  EXPECT_EQ(out, "ir2dm: error at line 4\n");
  EXPECT_TRUE(m.triangles.empty());  // elements are not read after a bad node
  for (const char* bad : {"ND 1 0 0\n", "ND 0 1 2 3\n", "ND 1.5 1 2 3\n", "ND 1 inf 2 3\n"})
    EXPECT_EQ(read(bad).error, "ir2dm: error at line 1") << bad;
  m = read("ND 1 0 0 0\nND 2 1 0 0\nND 3 0 1 0\nE3T 1 1 2 3 1\nE3T 2 1 2 9 1\nE3T 3 1 2 3 1\n");
  EXPECT_EQ(m.triangles.size(), 1u);  // node 9 does not exist
  EXPECT_EQ(m.error_line, 5);
}

TEST_F(Mesh2dmTest, CapacitiesAreHeldWithoutOverwriting) {
  Ir2dmRequest req;
  req.max_nodes = 2;
  req.max_triangles = 1;
  Mesh2dm m = read("ND 1 0 0 0\nND 2 1 0 0\nND 3 0 1 0\nE3T 1 1 2 2 1\nE3T 2 2 1 1 1\n", req);
  EXPECT_EQ(m.x.size(), 2u);
  EXPECT_EQ(m.ignored_nodes, 1);
  EXPECT_EQ(m.triangles, (std::vector<Triangle>{{1, 2, 2}}));
  EXPECT_EQ(m.ignored_triangles, 1);
}

// A 2DM file replaces the points of the store; a node line that does not
// read rejects it like every other reader, leaving the store as it was.
TEST_F(LoadCaseTest, TwoDmWithABadNodeLineIsRejected) {
  const std::string head = "MESH2D\nND 1 2600000 1200000 400\n";
  const LoadCase cases[] = {
      {"good nodes", {{"g.2dm", head + "ND 2 2600010 1200000 401\nE3T 1 1 2 1 1\n"}}, 4, {}, ""},
      {"a word for x", {{"x.2dm", head + "ND 2 x 0 0\n"}}, kRejected, {}, "ir2dm: error at line 3 of x.2dm"},
  };
  for (const LoadCase& c : cases) run(c);
}

}  // namespace
