// The editor's New, Alter and Move entries on small stores: lines, polygons
// and edges with interpolated heights, hole points and cross-sections on
// the output unit, the hull at its levels; operations inside a polygon and
// on all points, a file of operations, z from a table, moving one point,
// splines through breaklines, shifting and turning everything.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/editor/editor_viewer.h"
#include "sketra/ui/dialogs.h"
#include "support/editor_fixture.h"
#include "support/testdir.h"

namespace {

using namespace sketra;
using korvel::testing::read_file;

class NewTest : public korvel::testing::EditorFixture {
 protected:
  NewTest() : EditorFixture(korvel::testing::EditorOptions{.capacity = 100}) {}
  ViewRequest add(const Entries& script) { return entry(6, script); }
};

TEST_F(NewTest, LinesAndPolygonsGetTheDefaultValue) {
  add({"V", "12.5", "L", "P 0 0", "P 10 0", "P 10 10", "D"});
  EXPECT_EQ(x, (V{0, 10, 10}));
  EXPECT_EQ(z, (V{12.5f, 12.5f, 12.5f}));
  EXPECT_EQ(seg, (Edges{{1, 2}, {2, 3}}));
  EXPECT_EQ(add({"P", "P 20 0", "P 30 0", "P 30 10", "D"}), ViewRequest::repeat);
  EXPECT_EQ(seg, (Edges{{1, 2}, {2, 3}, {4, 5}, {5, 6}, {6, 4}}));
}

TEST_F(NewTest, EdgesRunBetweenExistingNodesWithNewHeightsInterpolated) {
  point(0, 0, 0), point(30, 0, 30);
  EXPECT_EQ(add({"E", "C 1 1", "N 10 0", "N 20 0", "C 29 1", "D"}), ViewRequest::repeat);
  EXPECT_EQ(z, (V{0, 30, 10, 20}));
  EXPECT_EQ(seg, (Edges{{1, 3}, {3, 4}, {4, 2}}));
  add({"E", "C 1 1", "N 10 5", "D", "D", "D"});
  EXPECT_EQ(dialogs.messages[dialogs.messages.size() - 1], "first and last edge must connect to existing nodes");
  EXPECT_EQ(x.size(), 4u);
}

TEST_F(NewTest, NothingIsAddedPastTheCapacity) {
  EditData small{x, y, z, code, seg, 2, 100};
  grscpt(Entries{"L", "P 0 0", "P 10 0", "P 10 10", "D", "D"});
  ViewContext v{-6, w, 0, 0};
  editor_entries(small)[5].run(v);
  EXPECT_TRUE(x.empty());
  EXPECT_EQ(dialogs.message_line, "no room for more points or edges");
}

TEST_F(NewTest, HolesAndSectionsGoToTheOutputUnit) {
  point(0, 0, 5), point(25, 0, 5);
  seg = {{1, 2}};
  add({"H 3 4", "7", "H 5 6", "S", "D", "D"});
  // A section every 10 m along the edge, each the same cross-section.
  const auto section = [](const char* x, const char* station) {
    return std::string("locate  ") + x + "  1200000.00 /\ncs '" + station +
           " /\n   -2.00    6.00 /\n   -1.00    5.00 /\n    1.00    5.00 /\n    2.00    6.00 /\n";
  };
  EXPECT_EQ(output(), "   7  2600003.00  1200004.00 /\n"
                      "   8  2600005.00  1200006.00 /\n" +
                          section("2600000.00", "000000'    0.000") + section("2600010.00", "000010'    0.010") +
                          section("2600020.00", "000020'    0.020"));
  add({"S", "1 0", "D", "D"});
  EXPECT_EQ(dialogs.message_line, "Spacing must be above 0");
}

TEST_F(NewTest, HullWrapsThePointsAndTheSmoothLevelTakesRightAngles) {
  point(0, 10), point(-10, 0), point(10, 0), point(0, -10), point(0, 0);
  EXPECT_EQ(concave_hull(d, -0.5f), 4);  // medium: the centre sees its edge at 90 degrees only
  EXPECT_EQ(seg, (Edges{{1, 2}, {2, 4}, {4, 3}, {3, 1}}));
  EXPECT_EQ(code, (Codes{102, 102, 102, 102, 101}));
  seg.clear();
  code = {101, 101, 101, 101, 101};
  EXPECT_EQ(add({"#8", "1 1", "D"}), ViewRequest::repeat);  // smooth
  EXPECT_EQ(seg, (Edges{{1, 5}, {2, 4}, {4, 3}, {3, 1}, {5, 2}}));
  x.resize(2), y.resize(2), z.resize(2), code.resize(2), seg.clear();
  EXPECT_EQ(concave_hull(d, 0), 0);
  EXPECT_EQ(dialogs.message_line, "a hull needs at least 3 points");
}

TEST_F(NewTest, HullFromTheBucketGridIsTheHullOfThePlainScan) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> u(0, 100);
  for (int i = 0; i < 2000; ++i) {
    const float r = u(rng), a = u(rng) * 0.0628f;  // a ring with a dense core
    point(50 + 0.5f * r * std::cos(a), 50 + 0.4f * r * std::sin(a), 0, i % 50 == 0 ? 0 : 101);
  }
  EditData big{x, y, z, code, seg, 100000, 100000};
  for (const float threshold : {0.0f, -0.5f, -1.0f}) {
    Codes c0 = code;
    seg.clear();
    const auto n = concave_hull(big, threshold);
    const Edges fast = seg;
    const Codes cf = code;
    code = c0, seg.clear();
    EXPECT_EQ(concave_hull(big, threshold, true), n);
    EXPECT_EQ(seg, fast);
    EXPECT_EQ(code, cf);
    code = c0;
  }
}

// ---------------------------------------------------------------- Alter and Move

class AlterMoveTest : public korvel::testing::EditorFixture {
 protected:
  AlterMoveTest() : EditorFixture(korvel::testing::EditorOptions{
                                      .capacity = 100000, .origin_x = 1000.0, .origin_y = 2000.0, .output_unit = false}) {}
  ViewRequest alter(const Entries& script) { return entry(5, script); }
  ViewRequest move(const Entries& script) { return entry(9, script); }
};

TEST_F(AlterMoveTest, OperatorAppliesInsideAPolygonAndToAllLivePoints) {
  point(5, 5, 10), point(50, 5, 10), point(6, 6, 10, 0);
  EXPECT_EQ(alter({"O", "*3", "F", "P 0 0", "P 10 0", "P 10 10", "P 0 10", "D"}), ViewRequest::repeat);
  EXPECT_EQ(z, (V{30, 10, 10}));  // the deleted point takes part in nothing
  alter({"O", "=0.5", "A"});
  EXPECT_EQ(z, (V{0.5f, 0.5f, 10}));
  alter({"O", "?4", "D"});
  EXPECT_EQ(dialogs.message_line, "unknown operation: ?4");
  EXPECT_EQ(gredst.cop, "=0.5");
}

TEST_F(AlterMoveTest, ReadAppliesEachOperationToThePolygonsAfterIt) {
  point(5, 5, 10), point(25, 5, 10), point(50, 50, 10);
  std::ofstream("ops.txt") << "FILL =1\n1000 2000\n1010 2000\n1010 2010\n1000 2010\n\n"
                              "FILL +5\n1020 2000\n1030 2000\n1030 2010\n1020 2010\n";
  alter({"R", "ops.txt"});
  EXPECT_EQ(z, (V{1, 15, 10}));
}

TEST_F(AlterMoveTest, FunctionTakesZFromTheTableOfAbsoluteX) {
  point(0, 0, 1), point(5, 3, 1), point(40, 0, 1), point(5, 0, 7, 0);
  std::ofstream("table.txt") << "1000 100\n1010 200\n1020 300\nend\n1030 999\n";
  alter({"#7", "table.txt"});
  EXPECT_EQ(z, (V{100, 150, 300, 7}));  // outside the table: its end value
  std::ofstream("empty.txt") << "# nothing\n1 2\n";
  alter({"#7", "empty.txt", "D"});
  EXPECT_EQ(dialogs.message_line, "no table rows in empty.txt: nothing changed");
  EXPECT_EQ(z, (V{100, 150, 300, 7}));
}

TEST_F(AlterMoveTest, MovePointsByHandAndByNumbers) {
  point(0, 0, 1), point(10, 0, 2);
  alter({"M 9 1", "P 20 20"});
  EXPECT_EQ(x, (V{0, 20}));
  EXPECT_EQ(y, (V{0, 20}));
  alter({"#9 1 1", "1 1005", "2 2006", "3 42", "D"});
  EXPECT_EQ(x, (V{5, 20}));
  EXPECT_EQ(y, (V{6, 20}));
  EXPECT_EQ(z, (V{42, 2}));
}

TEST_F(AlterMoveTest, SplineSamplesChainsKeepingTheirVerticesAndSkipsTurningBack) {
  // y = x^2 / 100 at x = 0, 10, 20, 30 (three edges of 10 to 11.2 m), and
  // a short chain that stays as it is.
  for (int i = 0; i < 4; ++i) point(float(10 * i), float(i * i), float(i));
  point(100, 0), point(110, 0);
  seg = {{1, 2}, {2, 3}, {3, 4}, {5, 6}};
  EXPECT_EQ(alter({"S", "1 5", "D"}), ViewRequest::repeat);
  // Two 5 m steps per segment: one new point in each; the vertices keep
  // their numbers and every segment still ends at its own end vertex.
  ASSERT_EQ(x.size(), 9u);
  EXPECT_EQ(seg, (Edges{{1, 7}, {7, 2}, {2, 8}, {8, 3}, {3, 9}, {9, 4}, {5, 6}}));
  EXPECT_FLOAT_EQ(x[6], 5);
  EXPECT_FLOAT_EQ(z[6], 0.5f);
  EXPECT_NEAR(y[7], 2.25, 0.1);  // the parabola gives 2.25 at x = 15
  // A chain that turns back in x is left alone and named.
  x = {0, 10, 5, 20}, y = {0, 0, 5, 0}, z = {0, 0, 0, 0}, code = {101, 101, 101, 101};
  seg = {{1, 2}, {2, 3}, {3, 4}};
  alter({"S", "1 1", "D", "D"});
  EXPECT_EQ(seg, (Edges{{1, 2}, {2, 3}, {3, 4}}));
  EXPECT_EQ(dialogs.message_line, "       1 chain(s) left: x not strictly monotone");
  alter({"S", "1 0", "D", "D"});
  EXPECT_EQ(dialogs.message_line, "maximum distance must be above 0");
}

TEST_F(AlterMoveTest, ShiftAndRotateAboutTheCentreUseTheQuadrantCorrectAngle) {
  point(10, 0), point(0, 0);
  EXPECT_EQ(move({"S", "P 0 0", "P 5 -5"}), ViewRequest::repeat);
  EXPECT_EQ(x, (V{15, 5}));
  EXPECT_EQ(y, (V{-5, -5}));
  move({"R", "D"});
  EXPECT_EQ(dialogs.message_line, "set the center of rotation first");
  move({"C", "P 5 -5"});
  // From east of the centre to west of it: half a turn (the plain
  // arctangent of dy / dx would see no turn at all).
  EXPECT_EQ(move({"R", "P 6 -5", "P 4 -5"}), ViewRequest::repeat);
  EXPECT_NEAR(x[0], -5, 1e-4);
  EXPECT_NEAR(y[0], -5, 1e-4);
  move({"R", "P 5 -5", "P 4 -5", "D"});
  EXPECT_EQ(dialogs.message_line, "a click on the center gives no angle");
}

}  // namespace
