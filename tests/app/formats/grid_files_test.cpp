// Grids: the ">>grid" and ESRI readers, both writers, their round trips,
// and GDAL reading what korvel wrote.
#include "app/formats/grid_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "support/app_fixture.h"
#include "support/format_fixture.h"
#include "support/fresh.h"
#include "support/run_program.h"

namespace {

using namespace korvel;
using korvel::testing::read_file;
using korvel::testing::write_file;

class GridFilesTest : public korvel::testing::FormatTest {
 protected:
  GridBlock read(const std::string& text, std::int64_t maxnodes = 1000) {
    write_file("g.txt", text);
    EXPECT_TRUE(sketra::unit_open(kIn, "g.txt", sketra::FileStatus::old_file));
    int unit = kIn;
    ::testing::internal::CaptureStdout();
    GridBlock g = iigrid(parser, unit, kLog, maxnodes);
    ::testing::internal::GetCapturedStdout();
    return g;
  }
  static constexpr int kIn = 7;
  ParserState parser;
};

TEST_F(GridFilesTest, KeywordGridValuesMaySpanLinesAndItsLayout) {
  GridBlock g = read("nx 2\nny 3\nxllcorner 100.5\ndx 1.5\nitem 'depth'\nNODATA_value -1\n1 2 3\n4\n5\nend\n");
  EXPECT_EQ(g.values, (std::vector<float>{1, 2, 3, 4, 5, -9999}));  // a missing value is empty
  std::string_view l;
  ASSERT_TRUE(sketra::unit_read(kIn, l));
  EXPECT_EQ(l, "end");  // left for the caller
  // (Read back and written again unchanged: tests/e2e/test_export.sh.)
  const GridGeometry geo{12.5f, -7.5f, 2.5f, 5.0f, 3, 2, 0};
  const std::vector<float> v{1.0f, 2.5f, -9999.0f, 10000.0f, 0.001f, 17.0f};
  TextOut o = out("g.grd");
  ASSERT_TRUE(write_keyword_grid(o, geo, {2600000.0, 1200000.0}, "river bed", v, quiet).ok);
  EXPECT_EQ(read_file("g.grd"),
            ">>grid\nnx       3\nny       2\nxllcorner  2600012.50\nyllcorner  1199992.50\n"
            "dx      2.5000\ndy      5.0000\nitem 'river bed'\n"
            "     1.000     2.500 -9999.000\n 10000.000     0.001    17.000\n");
}

class EsriGridTest : public GridFilesTest {
 protected:
  // A 4 x 3 grid of 2.5 m cells at (2600000, 1200000).
  std::string write(const std::vector<float>& v) {
    TextOut o = out("e.asc");
    EXPECT_TRUE(write_esri_grid(o, {v, 4, 3, 4}, 2600000.0, 1200000.0, 2.5f, -9999.0f, quiet).ok);
    return read_file("e.asc");
  }
};

TEST_F(EsriGridTest, TheNorthernRowComesFirstWideValuesKeepTheirDigitsAndGdalAgrees) {
  const std::string text = write({1.5f, 2, -9999, 4, 5, 6, 7, 8, 1234567.5f, -123456.25f, 11, 12});
  EXPECT_EQ(text.substr(0, text.find("     1.500")),
            "ncols       4\nnrows       3\nxllcenter  2600000.00\nyllcenter  1200000.00\ncellsize      2.5000\n"
            "NODATA_value      -9999.\n 1234567.50 -123456.250    11.000    12.000\n"
            "     5.000     6.000     7.000     8.000\n");
  GridBlock g = read(text);  // read back with the rows turned south up again
  EXPECT_EQ(g.values, (std::vector<float>{1.5f, 2, -9999, 4, 5, 6, 7, 8, 1234567.5f, -123456.25f, 11, 12}));
  EXPECT_EQ(g.dx, 2.5f);
  EXPECT_EQ(g.y0, 1200000.0);
  // GDAL places every value where korvel has its node: the header names the
  // centre of the lower left cell. (gdalinfo on a whole grid: tests/e2e/test_contour.sh.)
  std::vector<float> values;
  for (int k = 0; k < 12; ++k) values.push_back(k == 5 ? -9999.0f : 400.0f + 0.25f * float(k));
  write(values);
  const auto xyz = korvel::testing::run_program({"gdal_translate", "-q", "-of", "XYZ", "e.asc", "e.xyz"});
  if (xyz.status == -1) GTEST_SKIP() << "gdal_translate not installed";
  ASSERT_EQ(xyz.status, 0) << xyz.out;
  std::istringstream in(read_file("e.xyz"));
  int n = 0;
  for (double x, y, z; in >> x >> y >> z; ++n) {
    const int i = int(std::lround((x - 2600000.0) / 2.5)), j = int(std::lround((y - 1200000.0) / 2.5));
    EXPECT_EQ(x, 2600000.0 + 2.5 * i) << n;  // exactly at the node
    EXPECT_EQ(y, 1200000.0 + 2.5 * j) << n;
    EXPECT_EQ(z, double(values[std::size_t(i + 4 * j)])) << n;
  }
  EXPECT_EQ(n, 12);
}

}  // namespace

namespace {

using namespace korvel;

// Grids through the loader as GIS tools write them, and broken ones: a grid
// is read whole or the file is rejected with its reason, never half read.
class GridLoadTest : public korvel::testing::AppTest {};

TEST_F(GridLoadTest, GridsAreReadWhollyOrRejectedWithTheirReason) {
  const std::string head = "ncols 3\nnrows 2\nxllcorner 2600000\nyllcorner 1200000\ncellsize 25\n";
  struct Case {
    std::string what, text;
    std::vector<float> values;  // empty: rejected
    std::string log;            // a line the log holds afterwards
  };
  const Case cases[] = {
      {"exponent forms and the NODATA value of single-precision tools",
       head + "NODATA_value -3.4028234663852886e+38\n4.0e+02 4.02E2 -3.4028234663852886e+38\n1.5D+01 2 3\n",
       {15, 2, 3, 400, 402, -9999},
       "   NODATA_value  -0.340282347E+39\n"},
      {"ncols 0", "ncols 0\nnrows 2\ncellsize 1\n1 2\n", {}, "grid size ncols 0 at line 1 of g.asc\n"},
      {"a value that is not a number", head + "1 2 3\n4 nan 6\n", {}, "bad grid value at line 7 of g.asc\n"},
      {"numbers run together", head + "1 2 3\n4 5-6-7\n", {}, "bad grid value at line 7 of g.asc\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    restart();
    load_text("a.xyz", "1 2 3\n");
    ::testing::internal::CaptureStdout();
    const LoadOutcome got = load_text("g.asc", c.text, kAdd);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(cin1.np, 1);
    const std::string log = this->log();
    EXPECT_NE(log.find("\n" + c.log), std::string::npos) << log;
    if (c.values.empty()) {
      EXPECT_EQ(got, LoadOutcome::rejected);
      EXPECT_EQ(cplot.nsets, 0);
      EXPECT_NE(log.find(c.log + "load failed: g.asc\n"), std::string::npos) << log;
    } else {
      EXPECT_EQ(got, LoadOutcome::loaded);
      EXPECT_EQ(cin.value[0], c.values);
      EXPECT_EQ(cplot.nodata, -9999.0f);
    }
  }
}

}  // namespace
