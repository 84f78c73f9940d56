// Value tables go to the section viewer at the end of their load: at their
// own co-ordinates whatever survey was loaded before, and the store keeps
// what the viewer changed.
#include <gtest/gtest.h>

#include "sketra/modes/section/section_viewer.h"
#include "support/app_fixture.h"

namespace {

using namespace korvel;
using korvel::testing::example_path;
using korvel::testing::read_file;

class TableViewerTest : public korvel::testing::AppWindowTest {};

TEST_F(TableViewerTest, RatingCurvesShowAtTheirOwnValuesAndKeepTheirChanges) {
  ASSERT_EQ(load_text("a.xyz", "2600000 1200000 400\n"), LoadOutcome::loaded);
  sketra::grvalu8("XORGR", 2600000.0);
  // Stat of the second curve, saved; then its last node moved 1 m up; leave.
  ASSERT_EQ(load_file(example_path("river_table.unstruct").string(), kAdd,
                      {"#22 363.706 422.3", "S", "stat.txt", "D", "A", ". 363.706 422.3", ". 363.706 423.3", "D", "X"}),
            LoadOutcome::loaded);
  EXPECT_EQ(read_file("stat.txt").substr(0, 84),
            "ITEM   2\nnodes=             24\nmean=         420.000\nmedian=       420.000\n"
            "std.dev.=");
  const auto& e = sketra::ctrl.extents;
  EXPECT_NEAR(e[0], 0.442, 1e-3);
  EXPECT_NEAR(e[3], 426.9, 1e-3);
  EXPECT_FLOAT_EQ(cin.y[48], 423.3f);  // the last value of the second table
  EXPECT_EQ(sketra::grcomn.xorgr, 2600000.0);
}

}  // namespace
