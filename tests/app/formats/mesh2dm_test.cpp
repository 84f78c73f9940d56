// 2DM meshes: ir2dm's nodes and triangles, and the loader's 2DM path.
#include "app/formats/mesh2dm.h"

#include <gtest/gtest.h>

#include "support/app_fixture.h"

namespace {

using namespace korvel;
using korvel::testing::write_file;

class Mesh2dmTest : public korvel::testing::AppTest {
 protected:
  // Reads `text` as a 2DM file with both passes.
  Mesh2dm read(const std::string& text, Ir2dmRequest req = {}) {
    write_file("m.2dm", text);
    EXPECT_TRUE(sketra::unit_open(cunit.data, "m.2dm", sketra::FileStatus::old_file));
    if (req.max_nodes == 0) req.max_nodes = kMaxPoints;
    if (req.max_triangles == 0) req.max_triangles = 39200000;
    ::testing::internal::CaptureStdout();
    Mesh2dm m = ir2dm(cunit.data, xorig, yorig, req);
    out = ::testing::internal::GetCapturedStdout();
    sketra::unit_close(cunit.data);
    return m;
  }
  double xorig = 0, yorig = 0;
  std::string out;
};

const char* kMesh =
    "MESH2D\n"
    "MESHNAME \"weir\"\n"
    "E3T 1 1 2 5 1\n"
    "E4Q 2 2 3 4 5 2\n"
    "E4Q 3 5 4 6 7 1\n"
    "ND 1 2600000.0 1200000.0 400.0\n"
    " ND 2 2600010.0 1200000.0 401.0\n"
    "ND 3 2600020.0 1200000.0 402.0\n"
    "ND 4 2600020.0 1200001.0 403.0\n"
    "ND 5 2600010.0 1200001.0 404.0\n"
    "ND 6 2600030.0 1200011.0 405.0\n"
    "ND 7 2600011.0 1200011.0 406.0\n"
    "NS 1 2 -3\n";

TEST_F(Mesh2dmTest, QuadrilateralsSplitAlongTheShorterDiagonal) {
  Ir2dmRequest req;
  req.take_origin = true;
  Mesh2dm m = read(kMesh, req);
  EXPECT_TRUE(m.error.empty());
  ASSERT_EQ(m.x.size(), 7u);
  EXPECT_EQ(xorig, 2600000.0);
  EXPECT_EQ(yorig, 1200000.0);
  EXPECT_EQ(m.x[1], 10.0f);  // the line with a leading blank counts
  EXPECT_EQ(m.z[6], 406.0f);
  // E4Q 2-3-4-5 is a 10 x 1 rectangle: both diagonals are equal, so n1-n3 splits it.
  // E4Q 5-4-6-7: the diagonal 4-7 (n2-n4) is shorter than 5-6 (n1-n3).
  std::vector<Triangle> want{{1, 2, 5}, {2, 3, 4}, {4, 5, 2}, {7, 5, 4}, {4, 6, 7}};
  EXPECT_EQ(m.triangles, want);
}

TEST_F(Mesh2dmTest, NodeNumbersMapToPositionsCountedFromTheFirstNumber) {
  Ir2dmRequest req;
  req.first_number = 101;
  xorig = 2600000.0;
  yorig = 1200000.0;
  Mesh2dm m = read("ND 7 2600000 1200000 1\nND 1000000000 2600001 1200000 2\nND 3 2600000 1200001 3\n"
                   "E3T 1 7 1000000000 3 1\n",
                   req);
  EXPECT_TRUE(m.error.empty());
  EXPECT_EQ(xorig, 2600000.0);  // kept: not asked to take it
  EXPECT_EQ(m.map.find(1000000000), 102);
  EXPECT_EQ(m.map.find(3), 103);
  EXPECT_EQ(m.map.find(4), 0);
  ASSERT_EQ(m.triangles.size(), 1u);
  EXPECT_EQ(m.triangles[0], (Triangle{101, 102, 103}));
}

TEST_F(Mesh2dmTest, NodeMapKeepsTheLaterOfTwoEqualNumbersDenseOrSparse) {
  for (std::int64_t big : {std::int64_t(5), std::int64_t(7000000000)}) {
    NodeMap map;
    map.add(big, 1);
    map.add(2, 2);
    map.add(big, 3);
    map.build();
    EXPECT_EQ(map.find(big), 3);
    EXPECT_EQ(map.find(2), 2);
    EXPECT_EQ(map.find(0), 0);
    EXPECT_EQ(map.find(-1), 0);
  }
}

TEST_F(Mesh2dmTest, ABadNodeLineEndsTheNodesAndKeepsThoseBefore) {
  Mesh2dm m = read("MESH2D\nND 1 0 0 0\nND 2 1 0 0\nND 3 x 1 0\nND 4 1 1 0\nE3T 1 1 2 1 1\n");
  EXPECT_EQ(m.x.size(), 2u);
  EXPECT_EQ(m.error, "ir2dm: error at line 4");
  EXPECT_EQ(m.error_line, 4);
  EXPECT_EQ(out, "ir2dm: error at line 4\n");
  EXPECT_TRUE(m.triangles.empty());  // elements are not read after a bad node
  for (const char* bad : {"ND 1 0 0\n", "ND 0 1 2 3\n", "ND 1.5 1 2 3\n", "ND 1 inf 2 3\n"}) {
    m = read(bad);
    EXPECT_EQ(m.error, "ir2dm: error at line 1") << bad;
    EXPECT_TRUE(m.x.empty());
  }
}

TEST_F(Mesh2dmTest, AnElementNamingAMissingNodeEndsTheElements) {
  Mesh2dm m = read("ND 1 0 0 0\nND 2 1 0 0\nND 3 0 1 0\nE3T 1 1 2 3 1\nE3T 2 1 2 9 1\nE3T 3 1 2 3 1\n");
  EXPECT_EQ(m.triangles.size(), 1u);
  EXPECT_EQ(m.error, "ir2dm: error at line 5");
  m = read("ND 1 0 0 0\nND 2 1 0 0\nND 3 0 1 0\nE4Q 1 1 2 3\n");
  EXPECT_EQ(m.error, "ir2dm: error at line 4");
}

TEST_F(Mesh2dmTest, CapacitiesAreHeldWithoutOverwriting) {
  Ir2dmRequest req;
  req.max_nodes = 2;
  req.max_triangles = 1;
  Mesh2dm m = read("ND 1 0 0 0\nND 2 1 0 0\nND 3 0 1 0\nE3T 1 1 2 2 1\nE3T 2 2 1 1 1\n", req);
  EXPECT_EQ(m.x.size(), 2u);
  EXPECT_EQ(m.ignored_nodes, 1);
  ASSERT_EQ(m.triangles.size(), 1u);
  EXPECT_EQ(m.triangles[0], (Triangle{1, 2, 2}));
  EXPECT_EQ(m.ignored_triangles, 1);
}

// ---- The loader's 2DM path ---------------------------------------------------------

TEST_F(Mesh2dmTest, LoadTakesTheNodesWithTheirOriginAndTheFinishingStep) {
  EXPECT_EQ(load_text("weir.2dm", kMesh), LoadOutcome::loaded);
  ASSERT_EQ(cin1.np, 7);
  EXPECT_EQ(cin1.nseg, 0);
  EXPECT_EQ(cin1.xorig, 2600000.0);
  EXPECT_TRUE(reader.lorig);
  EXPECT_EQ(ax(6), 2600030.0);
  EXPECT_EQ(code(1), 1);
  EXPECT_EQ(sketra::dialogs.messages.back(), "found nodes:       7");
}

TEST_F(Mesh2dmTest, AddAppendsTheNodesAfterThePointsAlreadyThere) {
  load_text("a.xyz", "2599990 1199990 1\n");
  EXPECT_EQ(load_text("weir.2dm", kMesh, kAdd), LoadOutcome::loaded);
  ASSERT_EQ(cin1.np, 8);
  EXPECT_EQ(cin1.xorig, 2599990.0);
  EXPECT_EQ(ax(1), 2599990.0);
  EXPECT_EQ(ax(2), 2600000.0);
  EXPECT_EQ(z(8), 406.0f);
}

TEST_F(Mesh2dmTest, Mesh2dKeywordReadsTheNodesOfTheWholeFile) {
  EXPECT_EQ(load_text("k.unstruct", ">>unstruct\ncolor 5\nmesh2d\nND 1 100 200 3\nND 2 110 200 4\n", kLoad, {}),
            LoadOutcome::loaded);
  ASSERT_EQ(cin1.np, 2);
  EXPECT_EQ(code(2), 501);
  EXPECT_EQ(cin1.xorig, 100.0);
}

TEST_F(Mesh2dmTest, ABadNodeLineKeepsTheNodesReadWithTheMessage) {
  load_text("a.xyz", "1 2 3\n");
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(load_text("b.2dm", "ND 1 0 0 0\nND 2 oops\n", kAdd), LoadOutcome::loaded);
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(cin1.np, 2);
  EXPECT_NE(log().find("ir2dm: error at line 2 of b.2dm\n"), std::string::npos);
  EXPECT_EQ(sketra::dialogs.messages[sketra::dialogs.messages.size() - 2], "ir2dm: error at line 2");
  EXPECT_EQ(sketra::dialogs.messages.back(), "found nodes:       1");
}

}  // namespace
