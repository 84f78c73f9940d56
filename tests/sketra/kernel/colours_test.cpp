// The palette and the mapping of colour numbers onto it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "sketra/kernel/plot.h"
#include "support/fresh.h"
#include "support/recording.h"

namespace {

using sketra::DriverCall;
using sketra::palette_index;

struct RGB {
  int r, g, b;
  friend bool operator==(const RGB&, const RGB&) = default;
};

RGB entry(int i) {
  int v = int(sketra::grcomn.colour.palette[size_t(i)]), r = 0, g = 0, b = 0;
  sketra::grgcol(v, r, g, b, 1);
  return {r, g, b};
}

class PaletteTest : public korvel::testing::FreshState {};

TEST_F(PaletteTest, GreysRunFromWhiteToBlack) {
  EXPECT_EQ(entry(0), (RGB{255, 255, 255}));
  EXPECT_EQ(entry(1), (RGB{243, 243, 243}));
  EXPECT_EQ(entry(10), (RGB{128, 128, 128}));
  EXPECT_EQ(entry(20), (RGB{0, 0, 0}));
  for (int i = 1; i <= 20; ++i) EXPECT_LT(entry(i).r, entry(i - 1).r);
}

TEST_F(PaletteTest, FirstFullHueIsTheLightBlue) {
  EXPECT_EQ(entry(101), (RGB{102, 178, 255}));
}

// The full hues recomputed independently in double precision: channel
// values from the hue table at t = 0.3 h, interpolated linearly.
TEST_F(PaletteTest, FullHuesFollowTheHueTable) {
  const double t[7] = {0, 1, 2, 2.8, 4, 5, 6};
  const double rgb[3][7] = {{0.4, 0.1, 0.1, 0.9, 0.9, 0.8, 0.8},
                            {0.7, 0.1, 0.9, 0.9, 0.2, 0.3, 0.9},
                            {1.0, 1.0, 0.1, 0.1, 0.2, 0.9, 0.1}};
  for (int h = 0; h < 20; ++h) {
    const double x = 0.3 * h;
    int k = 0;
    while (k < 5 && x > t[k + 1]) ++k;
    const double f = std::clamp((x - t[k]) / (t[k + 1] - t[k]), 0.0, 1.0);
    const RGB e = entry(101 + h);
    const int got[3] = {e.r, e.g, e.b};
    for (int c = 0; c < 3; ++c) {
      const double want = 255 * (rgb[c][k] + f * (rgb[c][k + 1] - rgb[c][k]));
      EXPECT_NEAR(got[c], want, 1.0) << "hue " << h << " channel " << c;
    }
    // Shades darken in steps of a tenth down to 0.6; tints brighten.
    EXPECT_NEAR(entry(181 + h).r, 0.6 * entry(101 + h).r, 1.0);
    EXPECT_GE(entry(21 + h).g, entry(81 + h).g);
    EXPECT_GE(entry(81 + h).b, entry(101 + h).b);
  }
}

TEST_F(PaletteTest, PalestTintIsTheFifthRoot) {
  // Hue 0: 0.4, 0.7, 1.0 -> 255 * c^(1/5).
  EXPECT_EQ(entry(21), (RGB{212, 237, 255}));
}

TEST_F(PaletteTest, BanksSelectRowsInColourModeTwo) {
  for (int c = 1; c <= 20; ++c) EXPECT_EQ(palette_index(c), 100 + c);
  sketra::grcomn.colour.bank = 1;
  EXPECT_EQ(palette_index(1), 21);
  EXPECT_EQ(palette_index(20), 40);
  sketra::grcomn.colour.bank = 0;
  EXPECT_EQ(palette_index(7), 7);
}

TEST_F(PaletteTest, BanksSelectColumnsInColourModeThree) {
  sketra::grcomn.colour.mode = 3;
  sketra::grcomn.colour.bank = 7;
  EXPECT_EQ(palette_index(4), 87);
  EXPECT_EQ(palette_index(15), 187);  // rows stop at 9
}

TEST_F(PaletteTest, ColoursRepeatEveryTwoHundred) {
  EXPECT_EQ(palette_index(201), palette_index(1));
  EXPECT_EQ(palette_index(421), palette_index(21));
  EXPECT_EQ(palette_index(21), 21);
  EXPECT_EQ(palette_index(200), 200);
}

TEST_F(PaletteTest, OtherColourModesUseTheNumber) {
  sketra::grcomn.colour.mode = 1;
  EXPECT_EQ(palette_index(13), 13);
  sketra::grcomn.colour.mode = 4;
  EXPECT_EQ(palette_index(13), 13);
}

TEST_F(PaletteTest, NegativeModeMapsThroughTheUserColourMap) {
  auto& s = sketra::grcomn.colour;
  s.mode = -2;
  s.user_map[0] = 7;
  s.user_map[19] = -1;
  EXPECT_EQ(palette_index(1), 107);
  EXPECT_EQ(palette_index(-5), 107);  // below 1 takes entry 1
  EXPECT_EQ(palette_index(99), 0);    // above 20 takes entry 20: white
}

TEST_F(PaletteTest, FixedColours) {
  const int want[12] = {20, 0, 1, 3, 10, 73, 71, 103, 114, 118, 98, 128};
  for (int c = 0; c >= -11; --c) EXPECT_EQ(palette_index(c), want[-c]) << c;
  EXPECT_EQ(entry(palette_index(-4)), (RGB{128, 128, 128}));
}

TEST_F(PaletteTest, ColoursBelowMinusElevenAreMinusEleven) {
  EXPECT_EQ(palette_index(-12), 128);
  EXPECT_EQ(palette_index(-1000000), 128);
  EXPECT_EQ(palette_index(std::numeric_limits<int>::min()), 128);
}

TEST_F(PaletteTest, BanksOutOfRangeStayInsideThePalette) {
  sketra::grcomn.colour.bank = 57;
  EXPECT_EQ(palette_index(3), 183);
  sketra::grcomn.colour.bank = -4;
  EXPECT_EQ(palette_index(3), 3);
  sketra::grcomn.colour.mode = 3;
  sketra::grcomn.colour.bank = 99;
  EXPECT_LE(palette_index(20), 200);
}

TEST_F(PaletteTest, DxfColours) {
  EXPECT_EQ(sketra::dxf_colour(3), 150);
  EXPECT_EQ(sketra::dxf_colour(20), 1);
  EXPECT_EQ(sketra::dxf_colour(0), 7);
  EXPECT_EQ(sketra::dxf_colour(-1), 254);
  EXPECT_EQ(sketra::dxf_colour(-9), 6);
  EXPECT_EQ(sketra::dxf_colour(-30), 6);
}

TEST(ColourComponents, ComposeAndSplitRoundTrip) {
  int v = 0, r = 18, g = 52, b = 86;
  sketra::grgcol(v, r, g, b, 0);
  EXPECT_EQ(v, 0x123456);
  int r2 = 0, g2 = 0, b2 = 0;
  sketra::grgcol(v, r2, g2, b2, 1);
  EXPECT_EQ(r2, 18);
  EXPECT_EQ(g2, 52);
  EXPECT_EQ(b2, 86);
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
  EXPECT_FLOAT_EQ(sketra::grint0(td, vd, 5).value, 0);
  EXPECT_EQ(sketra::grint0(td, vd, 5).status, 3);
  const float one[] = {1};
  EXPECT_EQ(sketra::grint0(one, one, 7).status, 1);
  EXPECT_EQ(sketra::grint0({}, {}, 7).status, 1);
}

// ---------------------------------------------------------------- grcolr on the screen

class ColourTest : public korvel::testing::WithRecordingDriver {};

TEST_F(ColourTest, ColourSetsTheForegroundOnceUntilItChanges) {
  sketra::grcolr(1);
  sketra::grcolr(1);
  ASSERT_EQ(rec().count(DriverCall::SetPixel), 1);
  EXPECT_EQ(rec().foreground(), 0x66B2FFu);  // 102, 178, 255
  sketra::grcolr(201);
  EXPECT_EQ(rec().count(DriverCall::SetPixel), 2);
  EXPECT_EQ(rec().foreground(), 0x66B2FFu);
}

TEST_F(ColourTest, ChangingTheBankMakesTheSameNumberTakeEffect) {
  sketra::grcolr(1);
  sketra::grcomn.colour.bank = 0;
  sketra::grcolr(1);
  EXPECT_EQ(rec().count(DriverCall::SetPixel), 2);
  EXPECT_EQ(rec().foreground(), 0xF3F3F3u);
}

TEST_F(ColourTest, ColourChangeFlushesThePendingLine) {
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

TEST_F(ColourTest, ScreenModesFiveAndSixShowNoColours) {
  sketra::grcomn.imodgr = 5;
  sketra::grcolr(4);
  EXPECT_EQ(rec().count(DriverCall::SetPixel), 0);
}

TEST_F(ColourTest, OpeningTheWindowAllocatesThePalette) {
  sketra::grmode(0);
  sketra::grmode(2);
  ASSERT_EQ(rec().count(DriverCall::AllocColours), 1);
  EXPECT_EQ(rec().of(DriverCall::AllocColours)[0]->value, 201);
  EXPECT_EQ(sketra::grcomn.colour.pixels[101], 0x66B2FFu);
}

}  // namespace
