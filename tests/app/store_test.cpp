#include "app/store.h"

#include <gtest/gtest.h>

namespace {

using namespace korvel;

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override { store_reset(); }
  void TearDown() override { store_reset(); }
};

TEST_F(StoreTest, CapacityIsNeverPassed) {
  cin1.maxp = 2;
  EXPECT_TRUE(store_add_point(0, 0, 0, 1));
  EXPECT_TRUE(store_add_point(1, 1, 1, 1));
  EXPECT_FALSE(store_add_point(2, 2, 2, 1));
  EXPECT_EQ(cin1.np, 2);
  store_set_np(5);
  EXPECT_EQ(cin1.np, 2);
  EXPECT_TRUE(store_consistent());
}

TEST_F(StoreTest, SetCountsResizeEveryColumnTogether) {
  store_set_np(4);
  EXPECT_EQ(cin.code.size(), 4u);
  EXPECT_TRUE(store_add_edge(1, 4));
  EXPECT_TRUE(store_consistent());
  store_set_np(3);  // the edge now names a missing point
  EXPECT_FALSE(store_consistent());
  store_set_nseg(0);
  EXPECT_TRUE(store_consistent());
}

TEST_F(StoreTest, GridNodesFollowTheRotatedGeometry) {
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
