// The three Write formats of the grid viewer, their interplay with GDAL,
// the sum curve and the section table.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <cmath>
#include <sstream>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/alter.h"
#include "sketra/modes/grid/grid_viewer.h"
#include "sketra/ui/dialogs.h"
#include "support/recording.h"
#include "support/run_program.h"
#include "support/testdir.h"

namespace {

using namespace sketra;
using korvel::testing::read_file;
using V = std::vector<float>;

class GridWriteTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    set_dialog_ui(nullptr);
    grvalu8("XORGR", 2600000.0);
    grvalu8("YORGR", 1200000.0);
  }
  // nx x ny nodes of spacing d from (0, 0), values from `v`.
  GridData grid(int nx, int ny, float d, V v) {
    x_.clear(), y_.clear();
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i) x_.push_back(float(i) * d), y_.push_back(float(j) * d);
    v_ = std::move(v);
    return GridData{x_, y_, v_, nx, nx, ny, -9999.0f};
  }
  std::string write(bool (*writer)(const GridData&, int, const std::string&), const GridData& g) {
    EXPECT_TRUE(unit_open(30, "out.txt", FileStatus::unknown));
    EXPECT_TRUE(writer(g, 30, "out.txt"));
    return read_file("out.txt");
  }
  V x_, y_, v_;
};

TEST_F(GridWriteTest, EsriGridWritesTheNorthernRowFirst) {
  const GridData g = grid(3, 2, 16, {1.5f, 2, -9999, 4, 5, 6});
  EXPECT_EQ(write(write_esri_grid, g),
            "ncols       3\n"
            "nrows       2\n"
            "xllcorner  2600000.00\n"
            "yllcorner  1200000.00\n"
            "cellsize     16.0000\n"
            "NODATA_value      -9999.\n"
            "     4.000     5.000     6.000\n"
            "     1.500     2.000 -9999.000\n");
}

TEST_F(GridWriteTest, ValuesTooWideForTheFieldKeepTheirDigits) {
  const GridData g = grid(2, 2, 1, {1234567.5f, -123456.25f, 1, 2});
  const std::string out = write(write_esri_grid, g);
  EXPECT_EQ(out.find('*'), std::string::npos);
  EXPECT_NE(out.find(" 1234567.50"), std::string::npos);
  EXPECT_NE(out.find(" -123456.250"), std::string::npos);
}

TEST_F(GridWriteTest, GdalReadsTheGridWithTheSameHeaderAndValues) {
  std::vector<float> values;
  for (int k = 0; k < 12; ++k) values.push_back(k == 5 ? -9999.0f : 400.0f + 0.25f * float(k));
  const GridData g = grid(4, 3, 2.5f, values);
  write(write_esri_grid, g);
  const auto info = korvel::testing::run_program({"gdalinfo", "-stats", "out.txt"});
  if (info.status == -1) GTEST_SKIP() << "gdalinfo not installed";
  ASSERT_EQ(info.status, 0) << info.out;
  EXPECT_NE(info.out.find("Size is 4, 3"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("Origin = (2600000.000000000000000,1200007.500000000000000)"), std::string::npos)
      << info.out;
  EXPECT_NE(info.out.find("Pixel Size = (2.500000000000000,-2.500000000000000)"), std::string::npos);
  EXPECT_NE(info.out.find("NoData Value=-9999"), std::string::npos);
  EXPECT_NE(info.out.find("Minimum=400.000, Maximum=402.750"), std::string::npos) << info.out;
  // Every value, through gdal_translate to XYZ.
  const auto xyz = korvel::testing::run_program({"gdal_translate", "-q", "-of", "XYZ", "out.txt", "out.xyz"});
  ASSERT_EQ(xyz.status, 0);
  std::istringstream in(read_file("out.xyz"));
  double x = 0, y = 0, z = 0;
  int n = 0;
  while (in >> x >> y >> z) {
    const int i = int((x - 2600000.0) / 2.5), j = int((y - 1200000.0) / 2.5);  // cell centres
    EXPECT_EQ(z, double(values[size_t(i + 4 * j)])) << n;
    ++n;
  }
  EXPECT_EQ(n, 12);
}

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

TEST_F(GridWriteTest, XyzWritesDataAndTheEmptyRimAroundIt) {
  // 4 x 3 nodes, data only at node (1, 1): its three empty neighbours are
  // written with the no-data value, nodes farther away are not.
  V v(12, -9999.0f);
  v[0] = 7.5f;
  const GridData g = grid(4, 3, 10, v);
  ASSERT_TRUE(unit_open(30, "out.txt", FileStatus::unknown));
  ASSERT_TRUE(write_xyz(g, 30, "out.txt", 0));
  EXPECT_EQ(read_file("out.txt"),
            "  2600000.00  1200000.00      7.500\n"
            "  2600000.00  1200010.00  -9999.000\n"
            "  2600010.00  1200000.00  -9999.000\n"
            "  2600010.00  1200010.00  -9999.000\n");
}

TEST_F(GridWriteTest, FailedWriteIsReportedNotClaimedAsSuccess) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP();
  const GridData g = grid(2, 2, 10, {1, 2, 3, 4});
  ASSERT_TRUE(unit_open(30, "/dev/full", FileStatus::unknown));
  EXPECT_FALSE(write_breaklines(g, 30, "/dev/full"));
  EXPECT_EQ(dialogs.message_line, std::string("write failed: /dev/full (") + std::strerror(ENOSPC) + ")");
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));  // only regular files are removed
}

// ---------------------------------------------------------------- tables

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
