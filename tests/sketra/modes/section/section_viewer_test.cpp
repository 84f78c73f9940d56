// The section viewer through its callback, its entries and whole sessions
// in the control loop: the text pages at their limits, Origine, node picks,
// Alter, and the plot settings it restores.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/kernel/colours.h"
#include "sketra/kernel/linear_table.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/section/section_viewer.h"
#include "sketra/ui/dialogs.h"
#include "support/recording.h"

namespace {

using namespace sketra;
using Lines = std::vector<std::string>;

// Cells of the viewer's entries in the control menu.
constexpr int kAlter = 1, kHide = 2, kOrigine = 8;

class SectionViewTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    set_dialog_ui(nullptr);
    use_unit_mapping();
    grsect.names = {std::string(40, ' '), std::string(40, ' ')};
    grsect.names[0].replace(0, 8, "ITEM   1");
    grsect.names[1].replace(0, 8, "ITEM   2");
  }
  SectionLines lines() { return {style_, symbol_, count_, x_, y_, y_}; }
  // Runs entry k with a click at (x, y).
  ViewRequest run(int k, float x = 0, float y = 0) {
    grcomn.xcrsgr = x, grcomn.ycrsgr = y;
    ViewContext v{-k, w_, x, y};
    const SectionLines l = lines();
    section_entries(l, options_)[std::size_t(k - 1)].run(v);
    return v.requested();
  }
  // Two lines: a profile of four stations and a second one of three.
  std::vector<int> style_{101, 202}, symbol_{1, 0}, count_{4, 3};
  std::vector<float> x_{0, 10, 20, 40, 0, 20, 40};
  std::vector<float> y_{5, 7, 6, 10, 1, 2, 3};
  std::array<double, 4> w_{};
  int options_ = 12;
};

// The pages' layouts are compared in the end-to-end section viewer session.
TEST_F(SectionViewTest, PagesKeepEveryNodeAndARepeatedStationHasNoSlope) {
  // A repeated station gives no slope instead of a division by zero.
  x_[1] = 0;
  EXPECT_EQ(slope_page(lines(), 1),
            (Lines{"slope [%] " + grsect.names[0], "       0.000            ", "       0.000       5.000",
                   "      20.000       7.500", "      40.000      20.000"}));
  std::vector<float> many(5000);
  for (std::size_t i = 0; i < many.size(); ++i) many[i] = float(i);
  count_ = {5000}, style_ = {0}, symbol_ = {0};
  x_ = y_ = many;
  EXPECT_EQ(write_page(lines(), 1).size(), 5001u);
}

// The page's layout is compared in the end-to-end section viewer session.
TEST_F(SectionViewTest, StatisticsInDoublePrecisionWithTheTrueMedian) {
  // One node: no spread and no division by zero; far from zero the
  // spread keeps its digits.
  count_ = {1, 6};
  y_ = {5, 1.0e6f + 1, 1.0e6f + 2, 1.0e6f + 3, 1.0e6f + 1, 1.0e6f + 2, 1.0e6f + 3};
  x_.resize(7);
  EXPECT_EQ(stat_page(lines(), 1)[4], "std.dev.=       0.000");
  EXPECT_EQ(stat_page(lines(), 2)[4], "std.dev.=       0.894");
  // A long line has its median too (the middle of 1 ... 2001).
  std::vector<float> many(2001);
  for (std::size_t i = 0; i < many.size(); ++i) many[i] = float(2001 - i);
  count_ = {2001}, style_ = {0}, symbol_ = {0};
  x_ = y_ = many;
  EXPECT_EQ(stat_page(lines(), 1)[3], "median=      1001.000");
}

TEST_F(SectionViewTest, OrigineMakesTheOtherLinesRelativeAndLeavesMissingValues) {
  y_[6] = -9999.0f;
  EXPECT_EQ(run(kOrigine, 0, 5), ViewRequest::original);
  EXPECT_EQ(y_, (std::vector<float>{0, 0, 0, 0, 1 - 5, 2 - 6, -9999}));
  // The extents leave the missing value out.
  ViewContext v{kViewExtents, w_};
  grkli1(v, lines(), options_);
  EXPECT_EQ(w_, (std::array<double, 4>{0, 40, -4, 0}));
}

TEST_F(SectionViewTest, MonotoneTablesGiveTheScansFirstMatch) {
  std::mt19937 gen(7);
  std::uniform_real_distribution<float> u(-5, 5);
  for (bool monotone : {true, false}) {
    std::vector<float> t{0}, v{0};
    for (int i = 1; i < 200; ++i) {
      const float step = i % 17 == 0 ? 0.0f : std::fabs(u(gen));  // repeated stations too
      t.push_back(monotone ? t.back() + step : u(gen) * 20);
      v.push_back(u(gen));
    }
    if (monotone && t.size() % 2) std::reverse(t.begin(), t.end());
    const LinearTable table(t, v);
    EXPECT_EQ(table.monotone(), monotone);
    for (int k = 0; k < 2000; ++k) {
      const float x = k % 50 == 0 ? t[std::size_t(k % 200)] : u(gen) * 100;
      const Interpolated a = table(x), b = grint0(t, v, x);
      ASSERT_EQ(a.value, b.value) << x;
      ASSERT_EQ(a.status, b.status);
    }
  }
}

TEST_F(SectionViewTest, HideAndAlterPickTheNearestNodeAndItsLine) {
  EXPECT_EQ(run(kHide, 40, 3), ViewRequest::replot);
  EXPECT_EQ(style_[1], -202);
  // Alter picks from every line but the first: the click at the first
  // line's node (10, 7) selects the second line's (20, 2).
  grscpt(Lines{". 10 7", ". 25 4"});
  EXPECT_EQ(run(kAlter), ViewRequest::repeat);
  EXPECT_EQ(x_, (std::vector<float>{0, 10, 20, 40, 0, 25, 40}));
  EXPECT_EQ(y_[5], 4.0f);
  grscpt(Lines{"C"});
  EXPECT_EQ(run(kAlter), ViewRequest::repeat);
  EXPECT_EQ(x_[5], 20.0f);
  grscpt(Lines{"D"});
  EXPECT_EQ(run(kAlter), ViewRequest::replot);
}

TEST_F(SectionViewTest, SmoothingKeepsEndsAndNeverBlendsMissingValues) {
  grsect.smooth = true;
  EXPECT_EQ(shown_y(lines(), 1, 1), (2 * 7 + 5 + 6) / 4.0f);
  EXPECT_EQ(shown_y(lines(), 1, 0), 5.0f);
  y_[2] = -9999.0f;
  EXPECT_EQ(shown_y(lines(), 1, 1), 7.0f);
  symbol_[0] = 1000;  // this line keeps its raw values
  y_[2] = 6;
  EXPECT_EQ(shown_y(lines(), 1, 1), 7.0f);
}

TEST_F(SectionViewTest, SessionRestoresThePlotSettingsAndTakesTheFirstHundredLines) {
  grvalu8("XORGR", 2600000.0);
  grcomn.ikeygr = 0;
  std::vector<int> style(120, 0), symbol(120, 1), count(120, 1);
  std::vector<float> x(120), y(120);
  for (std::size_t i = 0; i < 120; ++i) x[i] = float(i), y[i] = float(i % 7);
  const SectionLines l{style, symbol, count, x, y, y};
  PlotTitles titles;
  int options = 12;
  grscpt(Lines{"#25"});  // Escape
  grklin(l, Lines(120, "line"), titles, -1, options);
  EXPECT_EQ(options, kSectionEscape);
  EXPECT_EQ(grsect.names.size(), 100u);
  EXPECT_EQ(ctrl.extents, (std::array<double, 4>{0, 99, 0, 6}));
  EXPECT_EQ(grcomn.xorgr, 2600000.0);
  EXPECT_EQ(grcomn.ikeygr, 0);
  EXPECT_EQ(dialogs.messages.front(), "too many lines in GRKLIN");
}

}  // namespace
