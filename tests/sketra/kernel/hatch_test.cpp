// Hatching: pieces lie inside the polygon, at the requested spacing, and
// cover it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "sketra/kernel/plot.h"
#include "support/recording.h"

namespace {

using sketra::DevicePoint;
using sketra::DriverCall;

class HatchTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    use_unit_mapping();
  }
  std::vector<std::vector<DevicePoint>> pieces() {
    sketra::grdump();
    std::vector<std::vector<DevicePoint>> out;
    for (const auto* c : rec().of(DriverCall::Polyline)) out.push_back(c->points);
    return out;
  }
};

TEST_F(HatchTest, HorizontalLinesAtTheSpacingInsideASquare) {
  const float x[] = {100, 200, 200, 100};
  const float y[] = {100, 100, 200, 200};
  sketra::grhtch(x, y, 3, 1, 10);
  const auto p = pieces();
  // y = 110, 120, ..., 200: a line along an edge belongs to one of the two
  // parallel edges only (half-open crossing rule).
  ASSERT_EQ(p.size(), 10u);
  std::set<int> rows;
  for (const auto& line : p) {
    ASSERT_EQ(line.size(), 2u);
    EXPECT_EQ(line[0].y, line[1].y);
    EXPECT_EQ(std::min(line[0].x, line[1].x), 100);
    EXPECT_EQ(std::max(line[0].x, line[1].x), 200);
    rows.insert(line[0].y);
  }
  EXPECT_EQ(*rows.begin(), 800);
  EXPECT_EQ(*rows.rbegin(), 890);
}

TEST_F(HatchTest, ConcavePolygonIsHatchedByTheEvenOddRule) {
  // A U shape: the hatch line through the notch has two pieces.
  const float x[] = {0, 300, 300, 200, 200, 100, 100, 0};
  const float y[] = {0, 0, 300, 300, 100, 100, 300, 300};
  sketra::grhtch(x, y, 1, 1, 50);
  int split = 0;
  for (const auto& line : pieces()) {
    const int a = std::min(line[0].x, line.back().x), b = std::max(line[0].x, line.back().x);
    const int wy = 1000 - line[0].y;
    if (wy > 100 && wy < 300) {
      ++split;
      EXPECT_TRUE((a == 0 && b == 100) || (a == 200 && b == 300)) << a << " " << b << " at " << wy;
    }
  }
  EXPECT_EQ(split, 6);  // y = 150, 200, 250: two pieces each
}

TEST_F(HatchTest, HatchStyleMakesFillsHatch) {
  sketra::grcomn.hatch_style = 2;
  const float x[] = {100, 200, 200, 100};
  const float y[] = {100, 100, 200, 200};
  sketra::grfil2(x, y, 4);
  EXPECT_EQ(rec().count(DriverCall::Polygon), 0);
  const auto p = pieces();
  ASSERT_EQ(p.size(), 20u);  // x = 105, 110, ..., 200 at the default spacing 5
  for (const auto& line : p) EXPECT_EQ(line[0].x, line.back().x);
  sketra::grfil2(x, y, -1);  // white and grey fills are never hatched
  EXPECT_EQ(rec().count(DriverCall::Polygon), 1);
}

TEST_F(HatchTest, DegenerateInputDrawsNothing) {
  const float x[] = {100, 200};
  const float y[] = {100, 200};
  sketra::grhtch(x, y, 1, 15, 10);
  const float xs[] = {100, 200, 150};
  const float ys[] = {100, 100, NAN};
  sketra::grhtch(xs, ys, 1, 15, 10);
  sketra::grhtch(xs, xs, 1, 0, 10);
  EXPECT_TRUE(pieces().empty());
}

}  // namespace
