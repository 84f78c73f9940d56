// Value classes, band pieces and contour segments: area sums over all
// classes, the one-piece thresholds, class levels from data and class
// colours; the legend through the recording driver: clicks on it, the size
// it is drawn at, and the settings dialog answered from the script queue. Point in polygon on edges and
// vertices, polygon files with captions, separators and capacity;
// operations and the Alter dialog answered from the script queue.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/alter.h"
#include "sketra/modes/common/classes.h"
#include "sketra/modes/common/polygons.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"
#include "support/answer_ui.h"
#include "support/fresh.h"
#include "support/person.h"
#include "support/recording.h"
#include "support/testdir.h"
#include "support/viewer_fixture.h"

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
  EXPECT_EQ(value_class(3.0f, levels), 3);
  EXPECT_EQ(value_class(3.5f, levels), 4);  // above every level: n + 1
  EXPECT_EQ(value_class(2.5f, V{3, 2, 1}), 1);
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
    EXPECT_TRUE(p.count >= 3 && p.count <= 5) << p.count;
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
  EXPECT_GT(pieces(kSqX, kSqY, {19.9f, 20.11f, 20.0f, 19.95f}, levels), 1);
  const V x = {0, 1, 0}, y = {0, 0, 1};
  EXPECT_EQ(pieces(x, y, {19.996f, 20.005f, 20.0f}, levels, PieceRule::triangle), 1);
  EXPECT_GT(pieces(x, y, {19.99f, 20.02f, 20.0f}, levels, PieceRule::triangle), 1);
}

// ---------------------------------------------------------------- contour segments

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
  // Only levels strictly inside the range are drawn.
  int drawn = 0;
  const auto count = [&drawn](const ContourSegment&) { ++drawn; };
  contour_segments(kSqX, kSqY, {}, V{0, 1, 1, 0}, V{0.0f, 1.0f, 2.0f}, count);
  contour_segments(kSqX, kSqY, {}, V{3, 3, 3, 3}, V{3.0f}, count);
  EXPECT_EQ(drawn, 0);
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

TEST_F(ClassesTest, OneWildValueDoesNotStretchTheLevels) {
  V values;
  for (int i = 0; i < 10000; ++i) values.push_back(10.0f + float(i % 10));
  values[0] = 1e6f;  // held to the mean plus four standard deviations (about 40000)
  V levels;
  grcfil(values, 10000, 1, 10000, 10, levels, -9999.0f);
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
  const Case cases[] = {
      {ScaleType::grey, 1, kMaxClasses}, {ScaleType::uniform, 7, 12}, {ScaleType::uniform, 1, kMaxClasses}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << int(c.scale) << " column " << c.column << " classes " << c.classes);
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
      EXPECT_TRUE(c.scale != ScaleType::grey || rgb[k] == std::uint32_t(channel(rgb[k], 0)) * 0x010101u) << k;
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
  // A click at pixel-mode position (x, y), handed over in world units.
  KeyClick click(float x, float y) {
    grcomn.xcrsgr = float(x / grcomn.xfacgr + grcomn.xmingr);
    grcomn.ycrsgr = float(-y / grcomn.yfacgr + grcomn.ymingr);
    int imcol = 3;
    return grkey2(levels_, -1, imcol);
  }
  std::vector<float> levels_;
};

TEST_F(LegendTest, SettingsRebuildTheLevelsFromOriginAndIncrement) {
  const KeyBox k = key_box();
  grscpt(Entries{"1 5", "2 10", "3 2.5", "4 x", "5 x", "8 1", "9 2", "10 1.5", "12 0", "D"});
  EXPECT_EQ(click(k.x + 10, k.y + 10), KeyClick::claimed);
  EXPECT_EQ(class_count(), 5);
  EXPECT_EQ(levels_, (std::vector<float>{10, 12.5f, 15, 17.5f, 20}));
  EXPECT_TRUE(contour_lines_on() && contour_labels_on());
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

// ---------------------------------------------------------------- polygons

// A square of side 10.
const V kTenX = {0, 10, 10, 0}, kTenY = {0, 0, 10, 10};

// The test segment runs from the point to R = (-19, -11) (relative to the
// square's corner): a point on an edge or a vertex counts the edges it
// touches, so the edges and corners facing R are inside, the others not.
TEST(PointInPolygon, InsideOutsideOnEdgesAndOnVertices) {
  struct Case {
    float x, y;
    int inside;
  } cases[] = {{5, 5, 1},   {0.01f, 9.99f, 1}, {11, 5, 0}, {-1, 5, 0},
               {0, 5, 1},   {10, 5, 0},        // left edge faces R, right edge also enters through the bottom
               {5, 0, 1},   {5, 10, 0},        // bottom edge faces R, top edge does not
               {0, 0, 0},   {10, 10, 1}};      // the nearest corner touches two edges: even
  for (const Case& c : cases) EXPECT_EQ(igpoly(kTenX, kTenY, c.x, c.y), c.inside) << c.x << " " << c.y;
  EXPECT_EQ(igpoly(V{}, V{}, 0, 0), 0);
}

TEST(PointInPolygon, TestSegmentThroughAVertexCountsItOnce) {
  // (1.9, 1.1) seen from R = (-19, -11) lies right behind the corner
  // (0, 0): both edges at the corner would count and make it outside.
  EXPECT_EQ(igpoly(kTenX, kTenY, 1.9f, 1.1f), 1);
  EXPECT_EQ(igpoly(kTenX, kTenY, 9.5f, 5.5f), 1);
}

class PolygonFileTest : public korvel::testing::FreshState {};

TEST_F(PolygonFileTest, StatusCodesSeparatorsAndCaptions) {
  korvel::testing::write_file("poly.txt",
                              "/ Dyke area\n"
                              "1000 2000\n1010 2000\n1010 2010\n"
                              "end\n"
                              "1100 2100 /\n1110 2100\n"
                              "/ next caption\n"
                              "1200 2200\n1210 2210\n"
                              "FILL +1\n"
                              "1005 2005\n\n1006 2006\n# comment\n1007 2007\n>>next\n1008 2008\nEND\n1009 2009\n");
  grvalu8("XORGR", 1000.0);
  grvalu8("YORGR", 2000.0);
  ASSERT_TRUE(unit_open(20, "poly.txt", FileStatus::old_file));
  Polygon p;
  EXPECT_EQ(igplyf(20, p, kPolygonCapacity), 2);  // "end"
  EXPECT_EQ(dialogs.messages.back(), "Dyke area");
  EXPECT_EQ(p.x, (V{0, 10, 10}));
  EXPECT_EQ(p.y, (V{0, 0, 10}));
  EXPECT_EQ(igplyf(20, p, kPolygonCapacity), 2);  // "/" after a vertex ends it
  EXPECT_EQ(p.count(), 2);
  EXPECT_EQ(igplyf(20, p, kPolygonCapacity), 1);  // the caption was pushed back; "FILL" is not a vertex
  EXPECT_EQ(p.x, (V{200, 210}));
  std::string_view line;
  ASSERT_TRUE(unit_read(20, line));
  EXPECT_EQ(line, "FILL +1");  // left for the next reader
  for (const float k : {5.0f, 6.0f, 7.0f, 8.0f}) {  // ended by a blank line, "#", ">>" and "END"
    EXPECT_EQ(igplyf(20, p, kPolygonCapacity), 2) << k;
    EXPECT_EQ(p.x, V{k});
  }
  EXPECT_EQ(igplyf(20, p, kPolygonCapacity), 0);  // end of file
  EXPECT_EQ(p.x, V{9});
}

// Vertices beyond capacity - 1 are refused, not written over the last:
// the polygon says so, and the next one starts after it.
TEST_F(PolygonFileTest, TooManyVerticesAreRefusedAndReadPast) {
  std::string text;
  for (int k = 1; k <= 10; ++k) text += std::to_string(k) + " 0\n";
  korvel::testing::write_file("c.txt", text + "end\n7 7\n");
  ASSERT_TRUE(unit_open(20, "c.txt", FileStatus::old_file));
  Polygon p;
  EXPECT_EQ(igplyf(20, p, 5), kPolygonFull);
  EXPECT_EQ(p.x, (V{1, 2, 3, 4}));
  EXPECT_EQ(polygon_file_problem(20, kPolygonFull, 5), "more than 4 vertices in c.txt up to line 11");
  EXPECT_EQ(igplyf(20, p, 5), kPolygonEndOfFile);
  EXPECT_EQ(p.x, (V{7}));
}

TEST_F(PolygonFileTest, LongLinesAreCutAtSixtyFourCharacters) {
  // 62 blanks and "1 2": the 64 characters kept hold one number only.
  korvel::testing::write_file("l.txt", std::string(61, ' ') + "7 8\n" + std::string(62, ' ') + "1 2\n");
  ASSERT_TRUE(unit_open(20, "l.txt", FileStatus::old_file));
  Polygon p;
  EXPECT_EQ(igplyf(20, p, 100), kPolygonOtherLine);
  EXPECT_EQ(p.x, (V{7}));
  EXPECT_EQ(polygon_file_problem(20, kPolygonOtherLine, 100), "line 2 of l.txt is not a vertex: 1");
  std::string_view line;
  ASSERT_TRUE(unit_read(20, line));  // still there for the next reader
  EXPECT_EQ(trim(line), "1 2");
}

// ---------------------------------------------------------------- operations

TEST(Operations, ParseEveryOperatorAndRejectUnreadableText) {
  struct Case {
    const char* text;
    int op;
    float operand;
  } cases[] = {{"=1.5", kOpSet, 1.5f},        {"   +2.0", kOpAdd, 2.0f}, {"-0.25", kOpSubtract, 0.25f},
               {"*3", kOpMultiply, 3.0f},     {"/4e1", kOpDivide, 40.0f}, {"<5", kOpMinimum, 5.0f},
               {"> -5", kOpMaximum, -5.0f},   {"x2", kOpNone, 0.0f},      {"+abc", kOpNone, 0.0f},
               {"+", kOpNone, 0.0f},          {"", kOpNone, 0.0f}};
  for (const Case& c : cases) {
    float a = 7;
    EXPECT_EQ(igetop(c.text, a), c.op) << c.text;
    EXPECT_FLOAT_EQ(a, c.operand) << c.text;
  }
}

TEST(Operations, MinimumCapsMaximumRaisesAndNearZeroDivisionIsRefused) {
  int s = -1;
  EXPECT_FLOAT_EQ(valoper(10, 5, kOpMinimum, s), 5);  // "<5" caps at 5
  EXPECT_FLOAT_EQ(valoper(3, 5, kOpMaximum, s), 5);  // ">5" raises to 5
  EXPECT_EQ(s, 0);
  EXPECT_EQ(valoper(10, 1e-31f, kOpDivide, s), 0.0f);
  EXPECT_EQ(s, 1);
  EXPECT_FLOAT_EQ(valoper(10, 2e-30f, kOpDivide, s), 5e30f);
  EXPECT_EQ(s, 0);
}

class AlterTest : public korvel::testing::ViewerTest {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    grvalu8("XORGR", 0.0);  // the nodes and polygon files in absolute co-ordinates
    grvalu8("YORGR", 0.0);
    grsset(0, 100, 0, 100);
    grsfac();
    // A 3 x 3 lattice of nodes 0, 10, 20 with values 1 ... 9; node 5 empty.
    for (int j = 0; j < 3; ++j)
      for (int i = 0; i < 3; ++i) {
        x_.push_back(float(10 * i));
        y_.push_back(float(10 * j));
        v_.push_back(float(1 + i + 3 * j));
      }
    v_[4] = -9999.0f;
  }
  int run(const Entries& e) {
    grscpt(e);
    return gralter(x_, y_, v_, {}, -9999.0f);
  }
  V x_, y_, v_;
};

TEST_F(AlterTest, AllAppliesTheOperationAndLeavesNoDataAloneAnUnparsableOneNothing) {
  run({"O", "two", "A", "D"});
  EXPECT_EQ(v_[0], 1.0f);
  EXPECT_EQ(dialogs.messages[0], "Operation not defined");
  EXPECT_EQ(run({"O", "*2", "A", "D"}), 8);
  EXPECT_EQ(v_, (V{2, 4, 6, 8, -9999, 12, 14, 16, 18}));
  EXPECT_EQ(gralt.cop, "*2");
}

TEST_F(AlterTest, ReadTakesOperationsAndPolygonsFromAFile) {
  korvel::testing::write_file("ops.txt",
                              "FILL =100\n"
                              "-1 -1\n1 -1\n1 1\n-1 1\n"
                              "end\n"
                              "19 19\n21 19\n21 21\n19 21\n");
  korvel::testing::AnswerUi ui;
  ui.chosen_file = "ops.txt";
  set_dialog_ui(&ui);
  korvel::testing::Person person(rec());
  person.click("Read").click("Fill").click("Done");  // Read has no hot key of its own
  gralter(x_, y_, v_, {}, -9999.0f);
  EXPECT_FLOAT_EQ(v_[0], 100);  // node (0, 0)
  EXPECT_FLOAT_EQ(v_[8], 100);  // node (20, 20): the next polygon, same operation
  run({"F", "D"});  // end of file: back to the cursor
  EXPECT_FALSE(gralt.lfile);
  EXPECT_FALSE(unit_is_open(kAlterUnit));
  EXPECT_EQ(dialogs.messages.back(), "end of file ops.txt");
}

// A polygon broken by a line that is neither a vertex nor an operation, or
// one longer than the room for vertices, changes nothing and ends the file.
TEST_F(AlterTest, BrokenOrOverlongPolygonInTheFileChangesNothing) {
  std::string overlong = "FILL =100\n";
  for (int k = 0; k < kPolygonCapacity; ++k)
    overlong += std::to_string(k % 2 ? 30 : -30) + " " + std::to_string(k) + "\n";
  korvel::testing::write_file("long.txt", overlong);
  korvel::testing::write_file("bad.txt", "FILL =100\n-1 -1\n1 -1\n1 x\n-1 1\n");
  const V before = v_;
  korvel::testing::AnswerUi ui;
  set_dialog_ui(&ui);
  korvel::testing::Person person(rec());
  for (const char* file : {"bad.txt", "long.txt"}) {
    ui.chosen_file = file;
    person.click("Read").click("Fill").click("Done");
    gralter(x_, y_, v_, {}, -9999.0f);
    EXPECT_EQ(v_, before) << file;
    EXPECT_FALSE(gralt.lfile);
    EXPECT_FALSE(unit_is_open(kAlterUnit));
  }
  const auto& m = dialogs.messages;
  EXPECT_NE(std::find(m.begin(), m.end(), "line 4 of bad.txt is not a vertex: 1 x"), m.end());
  EXPECT_EQ(m.back(), "more than 9999 vertices in long.txt up to line 10001");
}

TEST_F(AlterTest, RandomMovesEveryValueWithinHalfTheRangeButNoData) {
  const V before = v_;
  run({"R", "4", "D"});
  int moved = 0;
  for (size_t k = 0; k < v_.size(); ++k) {
    EXPECT_LE(std::fabs(v_[k] - before[k]), 2.0f) << k;
    moved += v_[k] != before[k];
  }
  EXPECT_EQ(v_[4], -9999.0f);
  EXPECT_EQ(moved, 8);
}

}  // namespace
