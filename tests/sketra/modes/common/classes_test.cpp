// Value classes, band pieces and contour segments: hand-computed areas,
// area sums over all classes, the one-piece thresholds, transparency below
// the first level, class levels from data and class colours; the legend
// through the recording driver: its boxes, clicks on it, and the settings
// dialog answered from the script queue.

#include "sketra/modes/common/classes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "sketra/base/fatal.h"
#include "sketra/base/script.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"
#include "support/answer_ui.h"
#include "support/fresh.h"
#include "support/recording.h"

namespace {

using namespace sketra;
using V = std::vector<float>;
using Entries = std::vector<std::string>;

class ClassesTest : public korvel::testing::FreshState {};

// Signed area of the polygon of the first n corners.
double shoelace(const float* x, const float* y, std::size_t n) {
  double a = 0;
  for (std::size_t k = 0; k < n; ++k) a += double(x[k]) * y[(k + 1) % n] - double(x[(k + 1) % n]) * y[k];
  return 0.5 * a;
}

double area(const ClassPiece& p) { return shoelace(p.x.data(), p.y.data(), std::size_t(p.count)); }

// Filled area per colour.
std::map<int, double> areas(const V& x, const V& y, const V& v, const V& levels,
                            PieceRule rule = PieceRule::fan) {
  std::map<int, double> out;
  class_pieces(x, y, {}, v, levels, rule, [&](const ClassPiece& p) { out[p.colour] += std::fabs(area(p)); });
  return out;
}

int pieces(const V& x, const V& y, const V& v, const V& levels, PieceRule rule = PieceRule::fan) {
  int n = 0;
  class_pieces(x, y, {}, v, levels, rule, [&](const ClassPiece&) { ++n; });
  return n;
}

double total(const std::map<int, double>& a) {
  double s = 0;
  for (const auto& [c, v] : a) s += v;
  return s;
}

const V kSqX = {0, 1, 1, 0}, kSqY = {0, 0, 1, 1};

TEST_F(ClassesTest, ValueOnALevelBelongsToThatLevelsClassInEitherOrder) {
  const V levels = {1, 2, 3};
  EXPECT_EQ(value_class(1.0f, levels), 1);
  EXPECT_EQ(value_class(1.0001f, levels), 2);
  EXPECT_EQ(value_class(3.0f, levels), 3);
  EXPECT_EQ(value_class(3.5f, levels), 4);  // above every level: n + 1
  EXPECT_EQ(value_class(2.5f, V{3, 2, 1}), 1);
}

TEST_F(ClassesTest, TriangleBandsHaveHandComputedAreas) {
  // v = x on the right triangle (0,0) (1,0) (0,1): above 0.5 lies the
  // triangle (0.5,0) (1,0) (0.5,0.5) of area 1/8.
  const V x = {0, 1, 0}, y = {0, 0, 1}, v = {0, 1, 0};
  const auto a = areas(x, y, v, {0.5f}, PieceRule::triangle);
  EXPECT_NEAR(a.at(2), 0.125, 1e-6);
  EXPECT_NEAR(a.at(1), 0.375, 1e-6);
}

TEST_F(ClassesTest, AreasOfAllClassesAddUpToThePolygonForRandomCells) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<float> val(-5, 25), pos(-0.3f, 0.3f);
  const V levels = {0, 2, 4, 6, 8, 10, 12, 14, 16, 18};
  for (int round = 0; round < 500; ++round) {
    // A convex quadrilateral around the unit square, and a triangle.
    V x = {0 + pos(gen), 10 + pos(gen), 10 + pos(gen), 0 + pos(gen)};
    V y = {0 + pos(gen), 0 + pos(gen), 10 + pos(gen), 10 + pos(gen)};
    V v = {val(gen), val(gen), val(gen), val(gen)};
    EXPECT_NEAR(total(areas(x, y, v, levels)), shoelace(x.data(), y.data(), 4), 1e-3) << "round " << round;
    const V tx = {x[0], x[1], x[2]}, ty = {y[0], y[1], y[2]}, tv = {v[0], v[1], v[2]};
    EXPECT_NEAR(total(areas(tx, ty, tv, levels, PieceRule::triangle)), shoelace(x.data(), y.data(), 3), 1e-3);
  }
}

TEST_F(ClassesTest, EveryPieceLiesInsideItsBand) {
  // Re-evaluating the linear value at each piece corner shows the band.
  const V x = {0, 4, 0}, y = {0, 0, 4}, v = {0, 8, 2};  // v = 2x + 0.5y
  const V levels = {1, 3, 5, 7};
  class_pieces(x, y, {}, v, levels, PieceRule::triangle, [&](const ClassPiece& p) {
    const float lo = p.colour >= 2 ? levels[size_t(p.colour - 2)] : -1e30f;
    const float hi = p.colour <= 4 ? levels[size_t(p.colour - 1)] : 1e30f;
    for (int k = 0; k < p.count; ++k) {
      const float f = 2 * p.x[size_t(k)] + 0.5f * p.y[size_t(k)];
      EXPECT_GE(f, lo - 1e-4f);
      EXPECT_LE(f, hi + 1e-4f);
    }
    EXPECT_GE(p.count, 3);
    EXPECT_LE(p.count, 5);
  });
}

// A cell whose range is under 2 % of the first class width is one piece
// (of the lowest class), a triangle's under one thousandth.
TEST_F(ClassesTest, NarrowRangesAreOnePiece) {
  // Class width 10: a range of 0.19 straddling level 20 stays in one piece,
  // 0.21 is split.
  const V levels = {10, 20, 30};
  const auto a = areas(kSqX, kSqY, {19.9f, 20.09f, 20.0f, 19.95f}, levels);
  ASSERT_EQ(a.size(), 1u);
  EXPECT_NEAR(a.at(2), 1.0, 1e-6);
  EXPECT_EQ(uniform_fill_colour(V{19.9f, 20.11f, 20.0f, 19.95f}, levels, PieceRule::fan), 0);
  EXPECT_GT(pieces(kSqX, kSqY, {19.9f, 20.11f, 20.0f, 19.95f}, levels), 1);
  const V x = {0, 1, 0}, y = {0, 0, 1};
  EXPECT_EQ(pieces(x, y, {19.996f, 20.005f, 20.0f}, levels, PieceRule::triangle), 1);
  EXPECT_GT(pieces(x, y, {19.99f, 20.02f, 20.0f}, levels, PieceRule::triangle), 1);
  // The same range under the fan rule is still one piece.
  EXPECT_EQ(uniform_fill_colour(V{19.99f, 20.02f, 20.0f}, levels, PieceRule::fan), 2);
}

TEST_F(ClassesTest, TransparentBelowLeavesAreasUnderTheOriginOpen) {
  grclass.transparent_below = 1;
  const auto a = areas(kSqX, kSqY, {0, 1, 1, 0}, {0.5f});
  // Class 1 (below 0.5) would get colour 0: not filled; class 2 gets colour 1.
  ASSERT_EQ(a.size(), 1u);
  EXPECT_NEAR(a.at(1), 0.5, 1e-6);
  EXPECT_EQ(pieces(kSqX, kSqY, {0.1f, 0.2f, 0.3f, 0.4f}, {0.5f, 1.0f}), 0);
  EXPECT_EQ(uniform_fill_colour(V{0.1f, 0.2f, 0.3f, 0.4f}, V{0.5f, 1.0f}, PieceRule::fan), -1);
}

TEST_F(ClassesTest, ThreeDPiecesCarryInterpolatedHeights) {
  const V x = {0, 2, 0}, y = {0, 0, 2}, z = {0, 10, 0}, v = {0, 1, 0};
  class_pieces(x, y, z, v, V{0.5f}, PieceRule::triangle, [&](const ClassPiece& p) {
    for (int k = 0; k < p.count; ++k) EXPECT_NEAR(p.z[size_t(k)], 5 * p.x[size_t(k)], 1e-5);
  });
}

// ---------------------------------------------------------------- contour segments

double segment_length(const V& x, const V& y, const V& v, const V& levels) {
  double len = 0;
  contour_segments(x, y, {}, v, levels, [&](const ContourSegment& s) {
    len += std::hypot(s.x2 - s.x1, s.y2 - s.y1);
  });
  return len;
}

TEST_F(ClassesTest, LevelThroughCornersRunsAlongTheFanEdges) {
  // Corners 0, 1, 2, 1: the level 1 passes through corners 2 and 4 and the
  // centroid, so it runs along the fan edges on the diagonal x + y = 1
  // (each half once from either neighbouring fan triangle).
  double len = 0;
  contour_segments(kSqX, kSqY, {}, V{0, 1, 2, 1}, V{1.0f}, [&](const ContourSegment& s) {
    EXPECT_NEAR(s.x1 + s.y1, 1.0f, 1e-6f);
    EXPECT_NEAR(s.x2 + s.y2, 1.0f, 1e-6f);
    len += std::hypot(s.x2 - s.x1, s.y2 - s.y1);
  });
  EXPECT_NEAR(len, 2 * std::sqrt(2.0), 1e-5);
  // Square with values 0 0 2 2: level 1 runs across the middle once.
  EXPECT_NEAR(segment_length(kSqX, kSqY, {0, 0, 2, 2}, {1.0f}), 1.0, 1e-6);
  // Only levels strictly inside the range are drawn.
  EXPECT_EQ(segment_length(kSqX, kSqY, {0, 1, 1, 0}, {0.0f, 1.0f, 2.0f}), 0.0);
  EXPECT_EQ(segment_length(kSqX, kSqY, {3, 3, 3, 3}, {3.0f}), 0.0);
}

// ---------------------------------------------------------------- levels from data

TEST_F(ClassesTest, NoDataIsLeftOutOfTheMinimum) {
  V values(100, -9999.0f);
  for (int i = 50; i < 100; ++i) values[size_t(i)] = 400.0f + float(i - 50);
  V levels;
  grcfil(values, 10, 10, 10, 12, levels, -9999.0f);
  EXPECT_GE(levels[0], 390.0f);
  EXPECT_LE(levels[0], 400.0f);
}

TEST_F(ClassesTest, OutliersAreHeldToMeanPlusFourDeviations) {
  V values;
  for (int i = 0; i < 10000; ++i) values.push_back(10.0f + float(i % 10));
  values[0] = 1e6f;  // one wild value
  double sum = 0, sum2 = 0;
  for (float v : values) sum += v, sum2 += double(v) * v;
  const double mean = sum / 1e4, sd = std::sqrt((sum2 - 1e4 * mean * mean) / (1e4 - 1));
  V levels;
  grcfil(values, 10000, 1, 10000, 10, levels, -9999.0f);
  double start = 0, step = 0;
  grscal(10, mean + 4 * sd, 10, start, step);
  EXPECT_FLOAT_EQ(levels.back(), float(start + 9 * step));
  EXPECT_LT(levels.back(), 1e5f);
}

// ---------------------------------------------------------------- shading

// Every class keeps a colour of its own and of the scale's kind, for as
// many classes as the legend takes: greys stay grey, a uniform scale stays
// one hue from pale to dark.
TEST_F(ClassesTest, EveryClassOfAScaleHasAColourOfItsOwn) {
  struct Case {
    ScaleType scale;
    int column, classes;
  };
  const Case cases[] = {{ScaleType::grey, 1, 20},    {ScaleType::grey, 1, 25},     {ScaleType::grey, 1, kMaxClasses},
                        {ScaleType::uniform, 7, 9}, {ScaleType::uniform, 7, 12}, {ScaleType::uniform, 1, kMaxClasses},
                        {ScaleType::uniform, 9, 30}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(int(c.scale)) + " column " + std::to_string(c.column) + " classes " +
                 std::to_string(c.classes));
    grclass.scale = c.scale;
    grclass.uniform_column = c.column;
    set_class_count(c.classes);
    std::vector<std::uint32_t> rgb;
    {
      ClassPalette palette;
      for (int k = 1; k <= c.classes; ++k) rgb.push_back(grcomn.colour.palette[size_t(palette_index(k))]);
    }
    EXPECT_EQ(grcomn.colour.mode, 2);  // restored
    auto channel = [](std::uint32_t v, int shift) { return int((v >> shift) & 0xFF); };
    for (std::size_t k = 1; k < rgb.size(); ++k) {
      const int sum = channel(rgb[k], 16) + channel(rgb[k], 8) + channel(rgb[k], 0);
      const int before = channel(rgb[k - 1], 16) + channel(rgb[k - 1], 8) + channel(rgb[k - 1], 0);
      EXPECT_LT(sum, before) << "class " << k + 1 << " is not darker than the one before";
      if (c.scale == ScaleType::grey) {
        EXPECT_EQ(channel(rgb[k], 16), channel(rgb[k], 0));
        EXPECT_EQ(channel(rgb[k], 8), channel(rgb[k], 0));
      }
    }
  }
}

// ---------------------------------------------------------------- the legend

class LegendTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    set_dialog_ui(nullptr);  // nobody at the screen: unanswered dialogs cancel
    grsset(0, 100, 0, 100);
    grsfac();
    grcomt.titlgr = fixed_width("Ground", kTitleWidth);
    grcomt.subtitle = fixed_width("Level [m]", kTitleWidth);
    levels_ = {400, 402, 404, 406};
    set_class_count(4);
  }
  // Fill colours of the class boxes of a drawn key, lowest class first.
  std::vector<unsigned long> box_fills() {
    rec().clear_calls();
    int imcol = 5;
    grkey2(levels_, 1, imcol);
    std::vector<unsigned long> fills;
    for (const auto* c : rec().of(DriverCall::Polygon))
      if (c->points.size() == 4) fills.push_back(c->pixel);
    // The first four-cornered polygon is the key's white background.
    if (!fills.empty()) fills.erase(fills.begin());
    return fills;
  }
  // A click at pixel-mode position (x, y), handed over in world units.
  KeyClick click(float x, float y) {
    grcomn.xcrsgr = float(x / grcomn.xfacgr + grcomn.xmingr);
    grcomn.ycrsgr = float(-y / grcomn.yfacgr + grcomn.ymingr);
    int imcol = 3;
    return grkey2(levels_, -1, imcol);
  }
  std::vector<float> levels_;
};

// The colours of every scale are checked on the class palette above; the
// key draws its boxes in them and gives the user's colour mode and bank back.
TEST_F(LegendTest, BoxesTakeTheScalesColoursAndTheUsersColoursComeBack) {
  grclass.scale = ScaleType::rainbow;
  const auto fills = box_fills();
  ASSERT_EQ(fills.size(), 5u);
  EXPECT_EQ(std::set<unsigned long>(fills.begin(), fills.end()).size(), 5u);
  grclass.transparent_below = 1;  // the first box white
  const auto open = box_fills();
  EXPECT_EQ(open[0], 0xFFFFFFu);
  EXPECT_NE(open[1], 0xFFFFFFu);
  grclass.scale = ScaleType::none;
  for (unsigned long p : box_fills()) EXPECT_EQ(p, 0xFFFFFFu);
  EXPECT_EQ(grcomn.colour.mode, 2);
  EXPECT_EQ(grcomn.colour.bank, 5);
}

TEST_F(LegendTest, SettingsRebuildTheLevelsFromOriginAndIncrement) {
  const KeyBox k = key_box();
  grscpt(Entries{"1 5", "2 10", "3 2.5", "4 x", "5 x", "8 1", "9 2", "10 1.5", "12 0", "D"});
  EXPECT_EQ(click(k.x + 10, k.y + 10), KeyClick::claimed);
  EXPECT_EQ(class_count(), 5);
  EXPECT_EQ(levels_, (std::vector<float>{10, 12.5f, 15, 17.5f, 20}));
  EXPECT_TRUE(contour_lines_on());
  EXPECT_TRUE(contour_labels_on());
  EXPECT_EQ(grclass.scale, ScaleType::grey);
  EXPECT_EQ(grcomn.ikeygr, kKeyVertical);
  EXPECT_FLOAT_EQ(grcomn.display.key_size, 1.5f);
  EXPECT_FLOAT_EQ(grcomn.hatch_spacing, 1.0f);  // fill distance at least 1
}

TEST_F(LegendTest, UnreadableFieldKeepsTheDialogOpen) {
  korvel::testing::AnswerUi person;  // types a word for the origin, then 7
  person.form_answers = {{"", "abc"}, {"", "7"}};
  set_dialog_ui(&person);
  EXPECT_TRUE(key_settings(levels_));
  set_dialog_ui(nullptr);
  EXPECT_EQ(dialogs.messages.front(), "not a valid number: Origin");
  EXPECT_EQ(levels_, (std::vector<float>{7, 9, 11, 13}));
}

// A key size far beyond any screen, from the settings file or the
// settings dialog, is held to the largest size: the key is drawn at pixel
// positions that exist (no integer overflow on the way).
TEST_F(LegendTest, AKeySizeBeyondAnyScreenIsHeldToTheLargest) {
  for (float size : {1e38f, 1e8f}) {
    grcomn.display.key_size = size;
    rec().clear_calls();
    int imcol = 5;
    grkey2(levels_, 1, imcol);
    const float w = float(kMaxKeySize) * 48 * 5 + 1000;  // five boxes at the largest size, and the margins
    for (auto kind : {DriverCall::Polygon, DriverCall::Polyline, DriverCall::Line})
      for (const auto* c : rec().of(kind))
        for (const DevicePoint& p : c->points) EXPECT_TRUE(std::abs(p.x) < w && std::abs(p.y) < w) << size;
  }
  grcomn.display.key_size = 1;
  const KeyBox k = key_box();
  grscpt(Entries{"10 1e30", "D"});
  EXPECT_EQ(click(k.x + 10, k.y + 10), KeyClick::claimed);
  EXPECT_FLOAT_EQ(grcomn.display.key_size, kMaxKeySize);
}

}  // namespace
