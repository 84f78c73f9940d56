// Point in polygon on edges and vertices, polygon files with captions,
// separators and capacity, cursor digitising answered by the script;
// operations, the random number generator and the Alter dialog answered
// from the script queue.

#include "sketra/modes/common/alter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/polygons.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"
#include "support/answer_ui.h"
#include "support/fresh.h"
#include "support/person.h"
#include "support/testdir.h"
#include "support/viewer_fixture.h"

namespace {

using namespace sketra;
using V = std::vector<float>;
using Entries = std::vector<std::string>;

const V kSqX = {0, 10, 10, 0}, kSqY = {0, 0, 10, 10};

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
  for (const Case& c : cases) EXPECT_EQ(igpoly(kSqX, kSqY, c.x, c.y), c.inside) << c.x << " " << c.y;
  EXPECT_EQ(igpoly(V{}, V{}, 0, 0), 0);
}

TEST(PointInPolygon, TestSegmentThroughAVertexCountsItOnce) {
  // (1.9, 1.1) seen from R = (-19, -11) lies right behind the corner
  // (0, 0): both edges at the corner would count and make it outside.
  EXPECT_EQ(igpoly(kSqX, kSqY, 1.9f, 1.1f), 1);
  EXPECT_EQ(igpoly(kSqX, kSqY, 9.5f, 5.5f), 1);
  // Lattice points of a concave (L-shaped) polygon whose corners lie on the
  // same lattice: every interior point is inside, every exterior point
  // outside.
  const V x = {0, 32, 32, 16, 16, 0}, y = {0, 0, 48, 48, 16, 16};
  for (int i = -2; i <= 34; ++i)
    for (int j = -2; j <= 50; ++j) {
      const bool on_edge = (j == 0 && i >= 0 && i <= 32) || (i == 32 && j >= 0 && j <= 48) ||
                           (j == 48 && i >= 16 && i <= 32) || (i == 16 && j >= 16 && j <= 48) ||
                           (j == 16 && i >= 0 && i <= 16) || (i == 0 && j >= 0 && j <= 16);
      if (on_edge) continue;
      const bool in = (i > 0 && i < 32 && j > 0 && j < 16) || (i > 16 && i < 32 && j >= 16 && j < 48);
      EXPECT_EQ(igpoly(x, y, float(i), float(j)), in ? 1 : 0) << i << " " << j;
    }
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
                              "5 5\n");
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
  EXPECT_EQ(p.count(), 2);
  EXPECT_FLOAT_EQ(p.x[0], 200);
  std::string_view line;
  ASSERT_TRUE(unit_read(20, line));
  EXPECT_EQ(line, "FILL +1");  // left for the next reader
  EXPECT_EQ(igplyf(20, p, kPolygonCapacity), 0);  // end of file
  EXPECT_EQ(p.count(), 1);
}

TEST_F(PolygonFileTest, SeparatorsOfEveryKind) {
  korvel::testing::write_file("s.txt", "1 1\n\n2 2\n# comment\n3 3\n>>next\n4 4\nEND\n");
  ASSERT_TRUE(unit_open(20, "s.txt", FileStatus::old_file));
  Polygon p;
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(igplyf(20, p, 100), 2) << k;
    ASSERT_EQ(p.count(), 1);
    EXPECT_FLOAT_EQ(p.x[0], float(k));
  }
  EXPECT_EQ(igplyf(20, p, 100), 0);
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

class DigitiseTest : public korvel::testing::ViewerTest {};

TEST_F(DigitiseTest, ClicksUndoAndDoneWriteTheVertices) {
  grsset(0, 100, 0, 100);
  grsfac();
  // "P x y" is a click in the plot (P is no entry), "U" undoes, "D" is Done.
  grscpt(Entries{"P 10 20", "P 30 20", "P 99 99", "U", "P 30 40", "D"});
  Polygon p;
  EXPECT_EQ(igplyp(p, kPolygonCapacity, kOutputUnit), 1);
  EXPECT_EQ(p.x, (V{10, 30, 30}));
  EXPECT_EQ(p.y, (V{20, 20, 40}));
  unit_close(kOutputUnit);
  EXPECT_EQ(korvel::testing::read_file("outp"),
            " 2600010.000 1200020.000 /\n"
            " 2600030.000 1200020.000 /\n"
            " 2600030.000 1200040.000 /\n");
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
  for (int unknown : {0, 8}) {
    EXPECT_EQ(valoper(10, 3, unknown, s), 10.0f);
    EXPECT_EQ(s, 2);
  }
}

TEST(RandomNumbers, MinimalStandardSequenceFromAFixedSeed) {
  int seed = 1;
  EXPECT_FLOAT_EQ(rgrand(seed), 16807 * 4.656613e-10f);
  // The published check value: the 10000th seed from 1.
  for (int k = 1; k < 10000; ++k) rgrand(seed);
  EXPECT_EQ(seed, 1043618065);
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
  std::string output() {
    unit_close(kOutputUnit);
    return korvel::testing::read_file("outp");
  }
  V x_, y_, v_;
};

TEST_F(AlterTest, AllAppliesTheOperationAndLeavesNoDataAloneAnUnparsableOneNothing) {
  run({"O", "two", "A", "D"});
  EXPECT_EQ(v_[0], 1.0f);
  EXPECT_EQ(dialogs.messages[0], "Operation not defined");
  EXPECT_EQ(gralt.iop, kOpNone);
  EXPECT_EQ(run({"O", "*2", "A", "D"}), 8);
  EXPECT_EQ(v_, (V{2, 4, 6, 8, -9999, 12, 14, 16, 18}));
  EXPECT_EQ(dialogs.messages.back(), "Operation: *      2.0000");
  EXPECT_EQ(gralt.cop, "*2");
}

TEST_F(AlterTest, ReadTakesOperationsAndPolygonsFromAFile) {
  korvel::testing::write_file("ops.txt",
                              "FILL =100\n"
                              "-1 -1\n1 -1\n1 1\n-1 1\n"
                              "end\n"
                              "19 19\n21 19\n21 21\n19 21\n"
                              "FILL +1\n"
                              "9 -1\n11 -1\n11 1\n9 1\n");
  korvel::testing::AnswerUi ui;
  ui.chosen_file = "ops.txt";
  set_dialog_ui(&ui);
  korvel::testing::Person person(rec());
  person.click("Read").click("Fill").click("Done");  // Read has no hot key of its own
  gralter(x_, y_, v_, {}, -9999.0f);
  EXPECT_FLOAT_EQ(v_[0], 100);  // node (0, 0)
  EXPECT_FLOAT_EQ(v_[8], 100);  // node (20, 20): the next polygon, same operation
  EXPECT_FLOAT_EQ(v_[1], 2);
  run({"F", "D"});
  EXPECT_FLOAT_EQ(v_[1], 3);  // node (10, 0) + 1
  EXPECT_TRUE(gralt.lfile);
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
