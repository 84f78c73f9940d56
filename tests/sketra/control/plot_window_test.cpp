// The plot window: named graphics variables, the plot origin, pixel mode,
// axis steps (grscal), label layouts (grprnt), and scales from data
// extents with the drawn frame (graxes).

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "sketra/control/control.h"
#include "sketra/kernel/plot.h"
#include "support/fresh.h"
#include "support/recording.h"

namespace {

using namespace sketra;

class PlotStateTest : public korvel::testing::FreshState {};

TEST_F(PlotStateTest, IntegersAreRoundedHalfAwayFromZeroSizesTruncatedAbsurdValuesDefined) {
  sketra::grvalu("IKEYGR", -2.5f);
  sketra::grvalu("WNDWGR(1)", -3.7f);
  sketra::grvalu("NXINGR", NAN);
  sketra::grvalu("NYINGR", 1e30f);
  const auto& c = sketra::grcomn;
  EXPECT_EQ((std::vector<int>{c.ikeygr, c.wndwgr[0], c.nxingr, c.nyingr}),
            (std::vector<int>{-3, -3, 0, std::numeric_limits<int>::max()}));
}

// ---------------------------------------------------------------- factors and pixel mode

TEST_F(PlotStateTest, DegenerateWindowsNeverDivideByZero) {
  sketra::grsset(5, 5, 7, 7);
  sketra::grsfac();
  EXPECT_TRUE(std::isfinite(sketra::grcomn.xfacgr));
  EXPECT_GT(sketra::grcomn.xfacgr, 0);
  sketra::grcomn.xsclgr = 0;
  sketra::grsfac();
  EXPECT_FLOAT_EQ(sketra::grcomn.xfacgr, 1e-10f);
}

TEST_F(PlotStateTest, PixelModeDoesNotNestAndLeavingRestoresEverything) {
  sketra::grsset(1000, 2000, 500, 900);
  sketra::grcomn.xmncgr = 1000;
  sketra::grcomn.xmxcgr = 2000;
  sketra::grsfac();
  const auto window = [] {
    const auto& c = sketra::grcomn;
    return std::vector<double>{c.xmingr, c.ymingr, c.xmncgr, c.xmxcgr, c.xfacgr, c.yfacgr, c.xorggr, c.yorggr};
  };
  const auto before = window();
  sketra::grclip(0);
  EXPECT_TRUE(sketra::inside_clip(-5000, 5000));
  sketra::grclip(0);
  sketra::grclip(1);
  EXPECT_EQ(window(), before);
  sketra::grclip(1);  // a stray second leave changes nothing
  EXPECT_EQ(window(), before);
}

// ---------------------------------------------------------------- axis steps

TEST_F(PlotStateTest, AxisStepsAreRoundAndCoverTheRange) {
  std::mt19937 gen(42);
  std::uniform_real_distribution<double> centre(-1e6, 1e6);
  std::uniform_real_distribution<double> decade(-4, 6);
  for (int i = 0; i < 2000; ++i) {
    const double width = std::pow(10.0, decade(gen));
    const double min = centre(gen), max = min + width;
    const int n = 6 + i % 25;
    double start = 0, step = 0;
    sketra::grscal(min, max, n, start, step);
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    const bool round = std::fabs(mantissa - 1) < 1e-6 || std::fabs(mantissa - 2) < 1e-6 ||
                       std::fabs(mantissa - 4) < 1e-6 || std::fabs(mantissa - 5) < 1e-6;
    EXPECT_TRUE(round) << min << " " << max << " step " << step;
    EXPECT_LE(start, min + 1e-5 * step);
    EXPECT_GE(start + n * step, max - 1e-4 * step) << min << " " << max << " " << n;
    EXPECT_LE(step, 20 * width / n) << min << " " << max << " " << n;
  }
}

// ---------------------------------------------------------------- axis labels and scales

struct LabelCase {
  double value, step;
  bool pad;
  const char* text;
  int width;
};

TEST(AxisLabels, LayoutsOverARangeOfValuesAndSteps) {
  const LabelCase cases[] = {
      {2600100, 50, true, "  2600100", 7},
      {0, 0.2, true, "    0.0", 3},
      {0, 10, true, "     0", 1},
      {250, 0.333, false, "250.00", 6},             // 33.3 is within 1 % of 33
      {0.05, 0.05, true, "    .05", 3},             // no digit before the point
      {0.005, 0.005, true, "  0.5000E-02", 12},     // does not fit its width
      {1234567890.5, 0.5, true, "1234567890.5", 12},
      {12345678901.5, 0.5, true, "0.123E+11         ", 9},  // wider than 12
  };
  for (const LabelCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.value) + " step " + std::to_string(c.step));
    std::string text;
    EXPECT_EQ(grprnt(c.value, c.step, text, c.pad), c.width);
    EXPECT_EQ(text, c.text);
  }
}

class AxesTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    grvalu8("XORGR", 2600000.0);
    grvalu8("YORGR", 1200000.0);
    grcomn.indsgr = 1;
  }
};

// Round absolute steps covering the extents (given in either order); equal
// scaling gives both axes the larger step, the y start moved down to a
// multiple of it.
TEST_F(AxesTest, ScalesAreRoundAbsoluteStepsCoveringTheExtents) {
  const auto window = [] {
    const PlotState& c = grcomn;
    return std::array<double, 4>{c.xmingr + c.xorgr, c.xmaxgr + c.xorgr, c.ymingr + c.yorgr, c.ymaxgr + c.yorgr};
  };
  grcomn.in[1] = 0;
  graxes(2600123.4, 2600987.2, 1200011, 1200111, 0);
  EXPECT_EQ(window(), (std::array<double, 4>{2600120, 2600120 + 24 * 40, 1200010, 1200010 + 18 * 10}));
  EXPECT_NEAR(grcomn.xfacgr * (grcomn.xmaxgr - grcomn.xmingr), 24 * 50 * 0.7865, 1e-3);
  grcomn.in[1] = 1;
  graxes(2600987.2, 2600123.4, 1200111, 1200011, 0);
  EXPECT_EQ(window(), (std::array<double, 4>{2600120, 2600120 + 24 * 40, 1200000, 1200000 + 18 * 40}));
}

}  // namespace
