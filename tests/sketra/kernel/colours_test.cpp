// The palette, the mapping of colour numbers onto it, and grcolr on the
// screen.

#include <gtest/gtest.h>

#include <limits>

#include "sketra/kernel/plot.h"
#include "support/fresh.h"
#include "support/recording.h"

namespace {

using sketra::DriverCall;
using sketra::palette_index;

class PaletteTest : public korvel::testing::FreshState {};

TEST_F(PaletteTest, ColourNumbersOutsideTheTablesStayInsideThePalette) {
  EXPECT_EQ(palette_index(201), palette_index(1));  // colours repeat every 200
  EXPECT_EQ(palette_index(421), palette_index(21));
  EXPECT_EQ(palette_index(200), 200);
  for (int c : {-12, -1000000, std::numeric_limits<int>::min()}) EXPECT_EQ(palette_index(c), palette_index(-11)) << c;
  auto& s = sketra::grcomn.colour;
  s.bank = 57;
  EXPECT_EQ(palette_index(3), 183);
  s.bank = -4;
  EXPECT_EQ(palette_index(3), 3);
  s.mode = 3;
  s.bank = 7;
  EXPECT_EQ(palette_index(15), 187);  // rows stop at 9
  s.bank = 99;
  EXPECT_LE(palette_index(20), 200);
}

TEST(Interpolation, InsideOutsideAndEitherDirection) {
  const float t[] = {0, 2, 4};
  const float v[] = {10, 20, 0};
  auto r = sketra::grint0(t, v, 1);
  EXPECT_FLOAT_EQ(r.value, 15);
  EXPECT_FLOAT_EQ(r.slope, 5);
  EXPECT_EQ(r.status, 0);
  r = sketra::grint0(t, v, 3);
  EXPECT_FLOAT_EQ(r.value, 10);
  EXPECT_FLOAT_EQ(r.slope, -10);
  EXPECT_EQ(sketra::grint0(t, v, -1).status, 2);
  EXPECT_FLOAT_EQ(sketra::grint0(t, v, -1).value, 10);
  EXPECT_EQ(sketra::grint0(t, v, 5).status, 3);
  EXPECT_FLOAT_EQ(sketra::grint0(t, v, 5).value, 0);
  const float td[] = {4, 2, 0};
  const float vd[] = {0, 20, 10};
  EXPECT_FLOAT_EQ(sketra::grint0(td, vd, 1).value, 15);
  EXPECT_EQ(sketra::grint0(td, vd, 5).status, 3);
  const float one[] = {1};
  EXPECT_EQ(sketra::grint0(one, one, 7).status, 1);
  EXPECT_EQ(sketra::grint0({}, {}, 7).status, 1);
}

class ColourTest : public korvel::testing::WithRecordingDriver {};

TEST_F(ColourTest, ForegroundIsSetOnceUntilTheColourOrItsBankChanges) {
  sketra::grcolr(1);
  sketra::grcolr(1);
  ASSERT_EQ(rec().count(DriverCall::SetPixel), 1);
  EXPECT_EQ(rec().foreground(), sketra::grcomn.colour.palette[101]);
  sketra::grcomn.colour.bank = 0;
  sketra::grcolr(1);
  EXPECT_EQ(rec().count(DriverCall::SetPixel), 2);
  EXPECT_EQ(rec().foreground(), sketra::grcomn.colour.palette[1]);
}

TEST_F(ColourTest, ColourChangeFlushesThePendingLineInTheOldColour) {
  korvel::testing::WithRecordingDriver::use_unit_mapping();
  sketra::grcolr(2);
  sketra::grmov2(10, 10);
  sketra::grdrw2(20, 20);
  sketra::grcolr(2);
  EXPECT_EQ(rec().count(DriverCall::Polyline), 0);
  sketra::grcolr(3);
  ASSERT_EQ(rec().count(DriverCall::Polyline), 1);
  EXPECT_EQ(rec().of(DriverCall::Polyline)[0]->pixel, sketra::grcomn.colour.palette[102]);
}

}  // namespace
