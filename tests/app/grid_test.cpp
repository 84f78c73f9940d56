// The Grid entry: the proposed geometry, the forms and their checks, the
// refusals, a stopped gridding, and a finished one stored as a named set
// with the points kept.

#include "app/grid.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/gridding/gridding.h"
#include "app/store.h"
#include "support/app_fixture.h"

namespace {

using namespace korvel;
using Entries = std::vector<std::string>;

class GridTest : public korvel::testing::AppWindowTest {
 protected:
  // 21 x 16 points over 600000 .. 600040, 200000 .. 200030 (2 m apart),
  // z = x/2 + y (relative metres), loaded as a point file.
  void load_points() {
    std::string text;
    for (int j = 0; j <= 15; ++j)
      for (int i = 0; i <= 20; ++i)
        text += std::to_string(600000 + 2 * i) + " " + std::to_string(200000 + 2 * j) + " " +
                std::to_string(i + 2 * j) + "\n";
    ASSERT_EQ(load_text("points.xyz", text), LoadOutcome::loaded);
    ASSERT_EQ(cin1.np, 336);
  }
  GridResult run(int choice, const Entries& script) {
    sketra::grscpt(script);
    return grid_action(choice);
  }
};

TEST_F(GridTest, ProposedGeometryFollowsTheExtentRuleAndAFarOriginCanBeApplied) {
  const std::vector<float> x{-3.7f, 41.3f}, y{2.5f, 102.5f};
  const GridGeometry g = *default_grid_geometry(x, y);
  // The origin cut toward zero, dx a ninth of 45 m (4.9995), dy 11.11 capped at 10.
  EXPECT_EQ((std::vector<float>{g.x0, g.y0, g.dx, g.dy}), (std::vector<float>{-3.0f, 2.0f, 0.1111f * 45.0f, 10.0f}));
  EXPECT_EQ((std::vector<int>{g.nx, g.ny}), (std::vector<int>{10, 11}));
  // Points on one line, or one point: a usable spacing, not 0 or NaN.
  const GridGeometry line = *default_grid_geometry(std::vector<float>{5, 5, 5}, std::vector<float>{0, 9, NAN});
  EXPECT_EQ(line.dx, line.dy);
  EXPECT_EQ(line.nx, 1);
  const GridGeometry point = *default_grid_geometry(std::vector<float>{5}, std::vector<float>{7});
  EXPECT_EQ(point.dx, 1.0f);
  EXPECT_EQ(point.nx * point.ny, 1);
  EXPECT_FALSE(default_grid_geometry(std::vector<float>{NAN}, std::vector<float>{1}));
  // -123456789.0 does not fit the origin's 10 characters.
  ASSERT_EQ(load_text("far.xyz", "-123456789 -23456789 1\n-123456779 -23456779 2\n"), LoadOutcome::loaded);
  EXPECT_EQ(run(1, {"D", "X", "far"}), GridResult::stored);
  EXPECT_EQ(cin1.set(1).x0, 0.0f);
  EXPECT_EQ(cin1.set(1).nx, 10);
}

TEST_F(GridTest, RefusalsCancelsAndEscapeLeaveTheStoreAsBefore) {
  EXPECT_EQ(run(1, {}), GridResult::refused);  // empty store
  EXPECT_TRUE(said("no points to grid"));
  load_points();
  EXPECT_EQ(run(4, {}), GridResult::cancelled);  // Tin: nobody answers the form
  EXPECT_EQ(run(1, {}), GridResult::cancelled);  // nobody answers the form
  EXPECT_EQ(run(3, {"D"}), GridResult::cancelled);  // nor the radius form
  EXPECT_EQ(cin.gx.size(), 0u);

  // Values that cannot make a grid, then 50000 x 50000 nodes (2.5e9: past
  // 32 bits), each rejected with its message and the form shown again.
  EXPECT_EQ(run(1, {"3 0", "D", "3 -1", "D", "5 0", "D", "3 1", "5 50000", "6 50000", "D"}),
            GridResult::cancelled);
  EXPECT_TRUE(said("grid sizes must be above 0 and numbers of grids 1 or more"));
  EXPECT_TRUE(said(" maximum number of grid points is19600000"));
  EXPECT_EQ(run(3, {"D", "1 0", "D", "1 nan", "D"}), GridResult::cancelled);
  EXPECT_TRUE(said("the search radius must be above 0"));
  EXPECT_EQ(grid_settings.csr, 10.0f);

  cplot.nsets = kMaxSets;
  EXPECT_EQ(run(1, {"D"}), GridResult::refused);
  EXPECT_TRUE(said("no room for another set"));
  EXPECT_TRUE(sketra::script_pending());  // refused before the form
  sketra::scriptq.reset();

  // Escape stops each method and leaves the store as it was.
  cplot.nsets = 1;
  cin1.set(1) = GridGeometry{0, 0, 1, 1, 2, 1, 0};
  cin.value[0] = {4, 5};
  cin.gx = {0, 1};
  cin.gy = {0, 0};
  cin.value[1] = {7};
  for (int choice : {1, 2, 3}) {
    rec().push_key(0xff1b);  // Escape
    EXPECT_EQ(run(choice, {"7 -1", "D", "D"}), GridResult::interrupted);
    EXPECT_EQ(cplot.nsets, 1);
    EXPECT_EQ(cin.value[1], std::vector<float>{7});
    EXPECT_EQ(cin.gx, (std::vector<float>{0, 1}));
    EXPECT_EQ(cplot.nodata, -9999.0f);
    EXPECT_EQ(cin1.np, 336);
  }
  EXPECT_TRUE(said("gridding interrupted: nothing changed"));
}

}  // namespace
