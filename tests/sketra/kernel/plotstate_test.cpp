// Named graphics variables, the plot origin, zoom, pixel mode and axis
// steps.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "sketra/base/fatal.h"
#include "sketra/base/script.h"
#include "sketra/kernel/plot.h"
#include "support/fresh.h"

namespace {

class PlotStateTest : public korvel::testing::FreshState {};

std::string fatal_message(const std::function<void()>& f) {
  try {
    f();
  } catch (const sketra::FatalError& e) {
    return e.what();
  }
  return "no fatal error";
}

TEST_F(PlotStateTest, IntegersAreRoundedHalfAwayFromZeroSizesTruncatedAbsurdValuesDefined) {
  sketra::grvalu("IKEYGR", -2.5f);
  sketra::grvalu("WNDWGR(1)", -3.7f);
  const auto& c = sketra::grcomn;
  EXPECT_EQ(c.ikeygr, -3);
  EXPECT_EQ(c.wndwgr[0], -3);
  sketra::grvalu("NXINGR", NAN);
  sketra::grvalu("NYINGR", 1e30f);
  EXPECT_EQ(c.nxingr, 0);
  EXPECT_EQ(c.nyingr, std::numeric_limits<int>::max());
}

// Unknown names are fatal; the program's main reports the message with
// status 1.
TEST_F(PlotStateTest, UnknownNamesAreFatalAndMainReportsTheMessage) {
  EXPECT_EQ(fatal_message([] { sketra::grvalu("IN13GR", 1); }), "grvalu: variable not defined> IN13GR");
  EXPECT_EQ(fatal_message([] { sketra::grvalu_text("TRANGR(5,1)"); }),
            "grvalu: variable not defined> TRANGR(5,1)");
  testing::internal::CaptureStdout();
  EXPECT_EQ(sketra::run_guarded([]() -> int { return int(sketra::grvalu("XMINGRR")); }), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "grvalu: variable not defined> XMINGRR\n");
  EXPECT_EQ(sketra::run_guarded([] { return 7; }), 7);
}

// ---------------------------------------------------------------- factors, zoom, pixel mode

TEST_F(PlotStateTest, DegenerateWindowsNeverDivideByZero) {
  sketra::grsset(5, 5, 7, 7);
  sketra::grsfac();
  EXPECT_TRUE(std::isfinite(sketra::grcomn.xfacgr));
  EXPECT_GT(sketra::grcomn.xfacgr, 0);
  sketra::grcomn.xsclgr = 0;
  sketra::grsfac();
  EXPECT_FLOAT_EQ(sketra::grcomn.xfacgr, 1e-10f);
}

TEST_F(PlotStateTest, ZoomInAndOutAtAPointAndPanTowardsTheCentre) {
  sketra::grsset(0, 100, 0, 50);
  sketra::grcomn.indsgr = 1;
  sketra::grzoom(50, 25, 2);  // pan at the centre: nothing moves
  EXPECT_DOUBLE_EQ(sketra::grcomn.xmingr, 0);
  EXPECT_EQ(sketra::grcomn.indsgr, 0);
  sketra::grzoom(50, 25, 1);
  EXPECT_NEAR(sketra::grcomn.xmaxgr - sketra::grcomn.xmingr, 71, 1e-4);
  EXPECT_NEAR(sketra::grcomn.xmingr + sketra::grcomn.xmaxgr, 100, 1e-4);
  sketra::grzoom(50, 25, 3);  // and out again
  EXPECT_NEAR(sketra::grcomn.xmaxgr - sketra::grcomn.xmingr, 100, 1e-4);

  sketra::grsset(0, 100, 0, 100);
  sketra::grzoom(90, 50, -2);  // the click moves half-way to the centre
  EXPECT_DOUBLE_EQ(sketra::grcomn.xmingr, 20);
  EXPECT_DOUBLE_EQ(sketra::grcomn.xmaxgr, 120);
  EXPECT_DOUBLE_EQ(sketra::grcomn.ymingr, 0);
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

}  // namespace
