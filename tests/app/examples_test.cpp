// Loads each file of the example survey and checks the figures that
// examples/README.md gives for it. (The rating curve tables are read in
// table_viewer_test.cpp and tests/e2e/test_section_viewer.sh.)
#include <gtest/gtest.h>

#include <algorithm>

#include "support/app_fixture.h"

namespace {

using korvel::testing::example_path;
using namespace korvel;

class ExamplesTest : public korvel::testing::AppTest {};

TEST_F(ExamplesTest, EachFileGivesItsCountsAndOrigin) {
  const struct {
    const char* file;
    int mode;
    std::vector<std::string> answers;  // the load dialog's, if it has one
    int np, nseg, nsets;
    double xorig, yorig;
  } cases[] = {
      {"river_points.xyz", kLoad, {"D"}, 29993, 0, 0, 2600247.89, 1199384.33},
      {"river_banks.xyzi", kAdd, {"D"}, 29993 + 2840, 2836, 0, 2600247.89, 1199384.33},  // the points' origin kept
      {"river_sections.unstruct", kLoad, {}, 451, 72, 0, 2600000.0, 1199000.0},
      {"river_grid.asc", kLoad, {}, 0, 0, 1, 2600128.0, 1198868.0},  // the first node, into an empty store
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(load_file(example_path(c.file).string(), c.mode, c.answers), LoadOutcome::loaded);
    EXPECT_EQ(cin1.np, c.np);
    EXPECT_EQ(cin1.nseg, c.nseg);
    EXPECT_EQ(cplot.nsets, c.nsets);
    EXPECT_EQ(cin1.xorig, c.xorig);
    EXPECT_EQ(cin1.yorig, c.yorig);
    EXPECT_EQ(parser.errors, 0);
    EXPECT_TRUE(store_consistent());
    if (c.np == 29993) {
      auto [zmin, zmax] = std::minmax_element(cin.z.begin(), cin.z.end());
      EXPECT_NEAR(*zmin, 417.298f, 1e-3f);
      EXPECT_NEAR(*zmax, 478.339f, 1e-3f);
    } else if (c.nseg == 2836) {
      EXPECT_EQ(edge(1), (Edge{29994, 29995}));
      // The second line starts at record 711: no edge joins records 710 and 711.
      EXPECT_EQ(edge(710), (Edge{29993 + 711, 29993 + 712}));
    } else if (c.np == 451) {
      EXPECT_EQ(reader.ncs, 6);
      EXPECT_EQ(code(1), 401);
      EXPECT_NEAR(abs_x(1), 2600455.07, 0.002);
      EXPECT_NEAR(abs_y(1), 1199635.51, 0.002);
    } else {
      const auto& v = cin.value[0];
      ASSERT_EQ(v.size(), 22000u);
      EXPECT_EQ(std::count(v.begin(), v.end(), -9999.0f), 22000 - 14067);
    }
  }
}

}  // namespace
