// The editor's Alter and Move entries on small stores: operations inside a
// polygon and on all points, a file of operations, z from a table, moving
// one point, splines through breaklines, shifting and turning everything.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/editor/editor_viewer.h"
#include "sketra/ui/dialogs.h"
#include "support/editor_fixture.h"

namespace {

using namespace sketra;

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
