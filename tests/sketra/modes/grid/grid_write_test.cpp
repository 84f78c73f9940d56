// The grid viewer: when Write may offer the ESRI grid (equal cells), and
// the section table. The Write formats themselves are tested with
// app/formats, the sum curve through the viewer's Sum entry.

#include <gtest/gtest.h>

#include <vector>

#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/grid/grid_viewer.h"
#include "sketra/ui/dialogs.h"
#include "support/viewer_fixture.h"

namespace {

using namespace sketra;
using V = std::vector<float>;

class GridWriteTest : public korvel::testing::ViewerTest {
 protected:
  // nx x ny nodes of spacing d from (0, 0), values from `v`.
  GridData grid(int nx, int ny, float d, V v) {
    x_.clear(), y_.clear();
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i) x_.push_back(float(i) * d), y_.push_back(float(j) * d);
    v_ = std::move(v);
    return GridData{x_, y_, v_, nx, nx, ny, -9999.0f};
  }
  V x_, y_, v_;
};

TEST_F(GridWriteTest, UnequalCellsRuleOutTheGridFormat) {
  x_ = {0, 10, 0, 10};
  y_ = {0, 0, 12, 12};
  v_ = {1, 2, 3, 4};
  EXPECT_FALSE(equal_cells(GridData{x_, y_, v_, 2, 2, 2, -9999.0f}));
  y_ = {0, 0, 10.005f, 10.005f};
  EXPECT_TRUE(equal_cells(GridData{x_, y_, v_, 2, 2, 2, -9999.0f}));
  // A turned grid with equal cells cannot be written as ESRI grid either.
  x_ = {0, 8.66f, -5, 3.66f};
  y_ = {0, 5, 8.66f, 13.66f};
  EXPECT_FALSE(equal_cells(GridData{x_, y_, v_, 2, 2, 2, -9999.0f}));
}

TEST_F(GridWriteTest, SectionTableHasThirtyClassesOverTheGridRange) {
  V v = {0, 30, -9999, 60};
  const GridData g = grid(2, 2, 10, v);
  const std::vector<float> samples = {1, 2, 45, 60, -5000};  // the last lies outside the range
  const auto t = section_table(g, samples);
  ASSERT_EQ(t.size(), 32u);
  EXPECT_EQ(t[0], "SUM CURVE");
  EXPECT_EQ(t[1], "VALUE[ ]  SUM[-]");
  EXPECT_EQ(t[2], "    2.000   0.500");  // class width (60.0001 - 0) / 30: 1 and 2 in the first
  EXPECT_EQ(t[3], "    4.000   0.500");
  EXPECT_EQ(t[25], "   48.000   0.750");
  EXPECT_EQ(t[31], "   60.000   1.000");
}

}  // namespace
