// Loads each file of the example survey and checks the figures that
// examples/README.md gives for it.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/app_fixture.h"

namespace {

using korvel::testing::example_path;
using namespace korvel;

class ExamplesTest : public korvel::testing::AppTest {
 protected:
  LoadOutcome load_example(const std::string& name, int mode = kLoad, std::vector<std::string> answers = {"D"}) {
    return load_file(example_path(name).string(), mode, std::move(answers));
  }
  static std::pair<double, double> x_range() {
    auto [lo, hi] = std::minmax_element(cin.x.begin(), cin.x.end());
    return {double(*lo) + cin1.xorig, double(*hi) + cin1.xorig};
  }
};

TEST_F(ExamplesTest, ScatteredPoints) {
  ASSERT_EQ(load_example("river_points.xyz"), LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 29993);
  EXPECT_EQ(cin1.nseg, 0);
  EXPECT_EQ(cin1.xorig, 2600247.89);
  EXPECT_EQ(cin1.yorig, 1199384.33);
  auto [xmin, xmax] = x_range();
  EXPECT_NEAR(xmin, 2600140.03, 0.002);
  EXPECT_NEAR(xmax, 2603297.61, 0.002);
  auto [zmin, zmax] = std::minmax_element(cin.z.begin(), cin.z.end());
  EXPECT_NEAR(*zmin, 417.298f, 1e-3f);
  EXPECT_NEAR(*zmax, 478.339f, 1e-3f);
  EXPECT_TRUE(std::all_of(cin.code.begin(), cin.code.end(), [](int c) { return c == 1; }));
}

TEST_F(ExamplesTest, BankLinesAddedToPointsKeepTheirOrigin) {
  load_example("river_points.xyz");
  ASSERT_EQ(load_example("river_banks.xyzi", kAdd), LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 29993 + 2840);
  EXPECT_EQ(cin1.nseg, 2836);
  EXPECT_EQ(cin1.xorig, 2600247.89);
  EXPECT_EQ(edge(1), (Edge{29994, 29995}));
  // The second line starts at record 711: no edge joins records 710 and 711.
  EXPECT_EQ(edge(710), (Edge{29993 + 711, 29993 + 712}));
  EXPECT_NEAR(abs_x(29994), 2600262.74, 0.002);
  EXPECT_TRUE(store_consistent());
}

TEST_F(ExamplesTest, SectionsAndDensifiedDyke) {
  ASSERT_EQ(load_example("river_sections.unstruct", kLoad, {}), LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 451);
  EXPECT_EQ(cin1.nseg, 72);
  EXPECT_EQ(cin1.xorig, 2600000.0);
  EXPECT_EQ(cin1.yorig, 1199000.0);
  EXPECT_EQ(reader.ncs, 6);
  EXPECT_EQ(reader.distmax, 0.0f);
  EXPECT_EQ(code(1), 401);
  EXPECT_EQ(cpch.item.str(), "river_sections");
  EXPECT_NEAR(abs_x(1), 2600455.07, 0.002);
  EXPECT_NEAR(abs_y(1), 1199635.51, 0.002);
  EXPECT_EQ(parser.errors, 0);
}

TEST_F(ExamplesTest, RatingCurveTables) {
  ASSERT_EQ(load_example("river_table.unstruct", kLoad, {}), LoadOutcome::loaded);
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_EQ(tables[0].count, 24);
  EXPECT_EQ(tables[1].count, 24);
  EXPECT_EQ(tables[1].first, 25);
  const auto& m = sketra::dialogs.messages;
  EXPECT_NE(std::find(m.begin(), m.end(), "found   24 values, sum is    10190.40"), m.end());
  EXPECT_NE(std::find(m.begin(), m.end(), "found   24 values, sum is    10080.00"), m.end());
  EXPECT_NEAR(cin.y[0], 422.3f, 1e-4f);  // stage 20 cm above gauge zero 422.10, stored without origin
}

TEST_F(ExamplesTest, GroundGrid) {
  ASSERT_EQ(load_example("river_grid.asc"), LoadOutcome::loaded);
  EXPECT_EQ(cplot.nsets, 1);
  EXPECT_EQ(cin1.np, 0);
  const GridGeometry& g = cin1.set(1);
  EXPECT_EQ(g.nx, 200);
  EXPECT_EQ(g.ny, 110);
  EXPECT_EQ(g.dx, 16.0f);
  // Read into an empty store, the grid's first node becomes the origin.
  EXPECT_EQ(cin1.xorig, 2600128.0);
  EXPECT_EQ(cin1.yorig, 1198868.0);
  EXPECT_EQ(g.x0, 0.0f);
  EXPECT_EQ(g.y0, 0.0f);
  const auto& v = cin.value[0];
  ASSERT_EQ(v.size(), 22000u);
  std::vector<float> wet;
  std::copy_if(v.begin(), v.end(), std::back_inserter(wet), [](float f) { return f != -9999.0f; });
  EXPECT_EQ(wet.size(), 14067u);
  auto [lo, hi] = std::minmax_element(wet.begin(), wet.end());
  EXPECT_NEAR(*lo, 417.52f, 0.005f);
  EXPECT_NEAR(*hi, 478.39f, 0.005f);
}

}  // namespace
