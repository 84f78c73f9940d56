// The store (capacity, columns, grid nodes) and the Edit entry: the choice
// list, Unstructured and the store compacted after it, and Save, Save as and
// Ignore when a value changed.

#include "app/edit.h"

#include <gtest/gtest.h>

#include "app/store.h"
#include "sketra/modes/grid/grid_viewer.h"
#include "support/app_fixture.h"

namespace {

using namespace korvel;
using Entries = std::vector<std::string>;

class EditTest : public korvel::testing::AppWindowTest {
 protected:
  // A 3 x 2 grid as set 1, named "ground model".
  void one_set() {
    cplot.nsets = 1;
    cin1.set(1) = GridGeometry{0, 0, 10, 10, 3, 2, 0};
    cin.value[0] = {1, 2, 3, 4, 5, 6};
    cpch.set_name[0].set("ground model");
  }
  EditResult run(const Entries& script) {
    sketra::grscpt(script);
    return edit();
  }
};

TEST_F(EditTest, UnstructuredGivesEveryPointSymbolOneKeepingItsColourAndLeavesTheSets) {
  one_set();
  EXPECT_EQ(run({"1"}), EditResult::none);  // disabled while np = 0
  store_add_point(0, 0, 1, 305);
  store_add_point(10, 0, 2, 1202);
  EXPECT_EQ(run({"U", "X"}), EditResult::unstructured);
  EXPECT_EQ(cin.code, (std::vector<std::int32_t>{301, 1201}));
  EXPECT_EQ(cin.value[0], (std::vector<float>{1, 2, 3, 4, 5, 6}));
}

TEST_F(EditTest, CompactionDropsEdgesToRemovedPointsAndFollowsMerges) {
  for (int i = 0; i < 5; ++i) store_add_point(float(i), 0, 0, 102);
  cin.code[1] = 0;   // deleted
  cin.code[3] = -3;  // merged into point 3
  store_add_edge(1, 2), store_add_edge(3, 4), store_add_edge(4, 5), store_add_edge(1, 5);
  const auto map = compact_store();
  EXPECT_EQ(map, (std::vector<std::int32_t>{0, 1, 0, 2, 0, 3}));
  EXPECT_EQ(cin.seg, (std::vector<Edge>{{2, 3}, {1, 3}}));
  EXPECT_EQ(cin1.nseg, 2);
  EXPECT_TRUE(store_consistent());
}

// A value changed in the viewer (Alter, Operation), then the save menu:
// Save copies the work column back, Save as adds a set and leaves the one
// it came from, Ignore keeps the set; a blank name or no room for another
// set keeps the menu up.
TEST_F(EditTest, TheSaveMenuAfterAChange) {
  const std::vector<float> before{1, 2, 3, 4, 5, 6};
  const struct {
    Entries script;
    EditResult result;
    std::vector<float> values;  // of set 1 afterwards
    int nsets;
  } cases[] = {
      {{"2", "A", "O", "*10", "A", "D", "X", "S"}, EditResult::saved, {10, 20, 30, 40, 50, 60}, 1},
      // (The new set's name, geometry and values: tests/e2e/test_contour.sh.)
      {{"2", "A", "O", "+1", "A", "D", "X", "#2", "raised"}, EditResult::saved_as, before, 2},
      {{"2", "A", "O", "=0", "A", "D", "X", "#2", "", "I"}, EditResult::ignored, before, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script[7]);
    one_set();
    EXPECT_EQ(run(c.script), c.result);
    EXPECT_EQ(cin.value[0], c.values);
    EXPECT_EQ(cplot.nsets, c.nsets);
  }
  EXPECT_EQ(sketra::dialogs.message_line, ">changes ignored");
  cplot.nsets = kMaxSets;
  for (int k = 2; k <= kMaxSets; ++k) cin1.set(k) = cin1.set(1), cin.value[size_t(k - 1)] = cin.value[0];
  EXPECT_EQ(run({"2", "A", "O", "=0", "A", "D", "X", "#2", "I"}), EditResult::ignored);
  EXPECT_EQ(sketra::dialogs.messages[sketra::dialogs.messages.size() - 2], "no room for another set");
}

// ---- The store ----------------------------------------------------------------------

TEST_F(EditTest, TheStoreHoldsItsCapacityResizesEveryColumnAndTurnsGridNodes) {
  cin1.maxp = 2;
  EXPECT_TRUE(store_add_point(0, 0, 0, 1));
  EXPECT_TRUE(store_add_point(1, 1, 1, 1));
  EXPECT_FALSE(store_add_point(2, 2, 2, 1));
  store_set_np(5);
  EXPECT_EQ(cin1.np, 2);
  EXPECT_EQ(cin.code.size(), 2u);
  EXPECT_TRUE(store_add_edge(1, 2));
  EXPECT_TRUE(store_consistent());
  store_set_np(1);  // the edge now names a missing point
  EXPECT_FALSE(store_consistent());
  store_set_nseg(0);
  EXPECT_TRUE(store_consistent());
  // Grid nodes follow the rotated geometry.
  GridGeometry& g = cin1.set(2);
  g = GridGeometry{100, 200, 10, 5, 3, 2, 90};
  store_grid_nodes(2);
  ASSERT_EQ(cin.gx.size(), 6u);
  // Node (2,1): one step along i, turned 90 degrees clockwise: x unchanged, y - 10.
  EXPECT_NEAR(cin.gx[1], 100.0f, 0.01f);
  EXPECT_NEAR(cin.gy[1], 190.0f, 0.01f);
  // Node (1,2): one step along j: x + 5.
  EXPECT_NEAR(cin.gx[3], 105.0f, 0.01f);
  EXPECT_NEAR(cin.gy[3], 200.0f, 0.01f);
  EXPECT_EQ(cin1.set(1).nx, 0);  // each set keeps its own record
}

}  // namespace
