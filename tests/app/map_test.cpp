// Map from the main menu and for the Grid menu's Tin: the surface over the
// points of the node file or 2DM mesh loaded last, its element file, the
// viewer, and the values of a grid set.

#include "app/map.h"

#include "app/grid.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "sketra/control/control.h"
#include "support/answer_ui.h"
#include "support/app_fixture.h"

namespace {

using namespace korvel;
using Entries = std::vector<std::string>;
using korvel::testing::write_file;

class MapTest : public korvel::testing::AppWindowTest {
 protected:
  void SetUp() override {
    AppWindowTest::SetUp();
    sketra::set_dialog_ui(&ui_);
  }
  // Three points first (the store origin at 1000, 2000), then a node file
  // of four nodes numbered from 0 Added after them: z = 10 + x + y on the
  // first triangle.
  void points_then_nodes(const std::string& ele) {
    ASSERT_EQ(load_text("pts.xyz", "1000 2000 1\n1001 2001 2\n1002 2002 3\n"), LoadOutcome::loaded);
    write_file("tin.node", "4 2 1 0\n0 1000 2000 10\n1 1010 2000 20\n2 1010 2010 30\n3 1000 2010 40\n");
    write_file("tin.ele", ele);
    ASSERT_EQ(load_file("tin.node", kAdd, {}), LoadOutcome::loaded);
    ASSERT_EQ(cin1.np, 7);
  }
  int run(const Entries& script, int g = -1) {
    sketra::scriptq.reset();
    sketra::grscpt(script);
    map(g);
    return g;
  }
  korvel::testing::AnswerUi ui_;
};

constexpr const char* kTwoTriangles = "2 3 0\n1 0 1 2\n2 0 2 3\n";

TEST_F(MapTest, ViewsTheSurfaceOfAnAddedNodeFileNumberedFromZero) {
  points_then_nodes(kTwoTriangles);
  run({"E 5 2", "X"});
  EXPECT_GT(sketra::ctrl.view_calls, 0);
  const std::string out = log();
  EXPECT_NE(out.find("(X,Y):     1005.00     2002.00  F:       17.00"), std::string::npos) << out;
  EXPECT_NE(out.find(" found         2 triangles"), std::string::npos);
  // The plot origin is back where it was.
  EXPECT_EQ(sketra::grvalu8("XORGR"), 1000.0);
}

TEST_F(MapTest, ElementFilesThatDoNotFitMapNothing) {
  // A node number beyond the node file's (numbered 0 ... 3).
  points_then_nodes("2 3 0\n1 0 1 2\n2 0 4 3\n");
  run({});
  EXPECT_EQ(sketra::ctrl.view_calls, 0);
  ASSERT_EQ(ui_.pages.size(), 1u);
  EXPECT_EQ(ui_.pages[0], (Entries{"error in element file. line number:", "           2"}));
  // Too short: the counts.
  write_file("tin.ele", "3 3 0\n1 0 1 2\n");
  run({});
  ASSERT_EQ(ui_.pages.size(), 2u);
  EXPECT_EQ(ui_.pages[1], (Entries{"element list too short", "expecting        3 found        1"}));
  // No element file: a help page, then the choice again (cancelled).
  write_file("tin.ele", "nodes 1 2\n");
  run({});
  EXPECT_EQ(ui_.pages.size(), 3u);
  EXPECT_EQ(sketra::ctrl.view_calls, 0);
}

TEST_F(MapTest, MeshWithQuadrilateralsIsSplitAsTheReaderDoes) {
  write_file("m.2dm",
             "MESH2D\nND 1 0 0 1\nND 2 10 0 2\nND 3 10 10 3\nND 4 0 10 4\nND 5 20 0 5\n"
             "E4Q 1 1 2 3 4 1\nE3T 2 2 5 3 1\n");
  ASSERT_EQ(load_file("m.2dm", kLoad, {"D"}), LoadOutcome::loaded);
  run({"X"});
  const std::string out = log();
  EXPECT_NE(out.find("found nodes:       5 elements:       3"), std::string::npos) << out;
  EXPECT_NE(out.find(" found         3 triangles"), std::string::npos);
}

TEST_F(MapTest, TinFillsExactlyTheNodesOfItsSet) {
  points_then_nodes(kTwoTriangles);
  // Set 2 over the surface: 3 x 3 nodes 5 apart from its corner; set 1
  // holds other values.
  cin.value[0] = {1, 2, 3};
  cin1.set(2) = GridGeometry{0, 0, 5, 5, 3, 3, 0};
  store_grid_nodes(2);
  EXPECT_EQ(run({"X"}, 2), 2);
  ASSERT_EQ(cin.value[1].size(), 9u);
  EXPECT_FLOAT_EQ(cin.value[1][1 * 3 + 2], 10 + 10 + 5);  // (10, 5) on the first triangle
  EXPECT_FLOAT_EQ(cin.value[1][2 * 3 + 0], 40);           // (0, 10) on the second
  EXPECT_EQ(cin.value[0], (std::vector<float>{1, 2, 3}));
  // A grid of one node is refused and cancels the gridding.
  cin1.set(2) = GridGeometry{0, 0, 5, 5, 1, 1, 0};
  store_grid_nodes(2);
  EXPECT_EQ(run({"X"}, 2), 0);
  EXPECT_EQ(cin.value[1].size(), 9u);
}

// (A finished Tin stored as a set: tests/e2e/test_surface.sh.)
TEST_F(MapTest, GridTinWithoutItsElementFileStoresNothing) {
  points_then_nodes(kTwoTriangles);
  std::filesystem::remove("tin.ele");
  sketra::grscpt(Entries{"D"});
  EXPECT_EQ(grid_action(4), GridResult::cancelled);
  EXPECT_EQ(cplot.nsets, 0);
  EXPECT_TRUE(cin.value[0].empty());
}

}  // namespace
