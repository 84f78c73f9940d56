// The sum curve and the section table of the grid viewer (its Write
// formats are tested with app/formats).

#include <gtest/gtest.h>

#include <vector>

#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/grid/grid_viewer.h"
#include "sketra/ui/dialogs.h"
#include "support/recording.h"
#include "support/testdir.h"

namespace {

using namespace sketra;
using korvel::testing::read_file;
using V = std::vector<float>;

class GridWriteTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    dialogs_reset();
    set_dialog_ui(nullptr);
    contour_reset();
    grvalu8("XORGR", 2600000.0);
    grvalu8("YORGR", 1200000.0);
  }
  void TearDown() override {
    unit_close_all();
    dialogs_reset();
    contour_reset();
    WithRecordingDriver::TearDown();
  }
  // nx x ny nodes of spacing d from (0, 0), values from `v`.
  GridData grid(int nx, int ny, float d, V v) {
    x_.clear(), y_.clear();
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i) x_.push_back(float(i) * d), y_.push_back(float(j) * d);
    v_ = std::move(v);
    return GridData{x_, y_, v_, nx, nx, ny, -9999.0f};
  }
  korvel::testing::ScopedTempDir dir_;
  V x_, y_, v_;
};

TEST_F(GridWriteTest, SumCurveCountsAndCumulates) {
  V v;
  for (int k = 0; k < 10; ++k) v.push_back(float(k));
  v[9] = -9999.0f;  // empty: below the minimum
  const GridData g = grid(5, 2, 10, v);
  SumCurve s;
  s.minimum = 0, s.maximum = 9, s.spacing = 2;
  s.counts.assign(5, 0);
  s.cell_area = 100;
  sum_count(g, s, nullptr, false);
  EXPECT_EQ(s.total, 9);
  EXPECT_EQ(s.counts, (std::vector<double>{2, 2, 2, 2, 1}));
  for (size_t k = 1; k < s.counts.size(); ++k) s.counts[k] += s.counts[k - 1];
  const auto frac = sum_table_fraction(s);
  ASSERT_EQ(frac.size(), 7u);
  EXPECT_EQ(frac[0], "SUM CURVE");
  EXPECT_EQ(frac[1], "LEVEL[M]   AREA[-]");
  EXPECT_EQ(frac[2], "    2.00   0.222");
  EXPECT_EQ(frac[6], "   10.00   1.000");
  const auto area = sum_table_area(s);
  EXPECT_EQ(area[1], "LEVEL[M]   AREA[A]");
  EXPECT_EQ(area[6], "   10.00       9.0");  // 9 cells of 100 m2 = 9 ares
}

TEST_F(GridWriteTest, SumCurveOverHullPolygons) {
  V v(25);
  for (int k = 0; k < 25; ++k) v[size_t(k)] = float(k);
  const GridData g = grid(5, 5, 10, v);
  Polygon hull;
  hull.x = {-1, 11, 11, -1};  // the nodes of the first two columns, rows 1-2
  hull.y = {-1, -1, 11, 11};
  hull.box = polygon_box(hull.x, hull.y);
  SumCurve s;
  s.minimum = 0, s.maximum = 24, s.spacing = 5;
  s.counts.assign(5, 0);
  sum_count(g, s, &hull, false);
  EXPECT_EQ(s.total, 4);
  EXPECT_EQ(s.counts, (std::vector<double>{2, 2, 0, 0, 0}));  // values 0, 1 and 5, 6
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

TEST_F(GridWriteTest, SumEntryWritesBothTablesFromTheScript) {
  V v;
  for (int k = 0; k < 10; ++k) v.push_back(float(k));
  GridData g = grid(5, 2, 10, v);
  std::array<double, 4> w{};
  grscpt(std::vector<std::string>{"1 0", "2 10", "3 5", "D", "S", "sum1.txt", "X", "S", "sum2.txt", "X"});
  ViewContext view{-6, w};
  contour_entries(g)[5].run(view);
  EXPECT_EQ(read_file("sum1.txt"), "SUM CURVE\nLEVEL[M]   AREA[-]\n    5.00   0.500\n   10.00   1.000\n   15.00   1.000\n");
  EXPECT_EQ(read_file("sum2.txt"), "SUM CURVE\nLEVEL[M]   AREA[A]\n    5.00       5.0\n   10.00      10.0\n   15.00      10.0\n");
}

}  // namespace
