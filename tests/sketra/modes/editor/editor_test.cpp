// The point and line editor through its view callback and entry table on
// small hand-checked stores: the edge clean-up, Transform, Write and every
// Cut option with Undo; New: lines, polygons and edges with interpolated
// heights, hole points and cross-sections on the output unit, the hull at
// its levels; Alter and Move: operations inside a polygon and on
// all points, a file of operations, z from a table, moving one point,
// splines through breaklines, shifting and turning everything; the Filter
// operations, and Nodes, Buffer and Join against the plain scans they
// replace on random stores.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "sketra/base/index_sort.h"
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

class EditorTest : public korvel::testing::EditorFixture {
 protected:
  // Every point of these tests states its height.
  void point(float px, float py, float pz, std::int32_t c = 101) { EditorFixture::point(px, py, pz, c); }
  // Free points 1 (0,0) and 2 (100,0); a line 3-4-5 along y = 50.
  void survey() {
    point(0, 0, 10), point(100, 0, 11);
    point(0, 50, 20), point(50, 50, 21), point(100, 50, 22);
    seg = {{3, 4}, {4, 5}};
    grclne(code, seg);
  }
};

constexpr int kLabel = 2, kCut = 3, kTransform = 8, kWrite = 10;

TEST_F(EditorTest, CleanUpRedirectsMergedEndsDropsDeadEdgesAndCountsSymbols) {
  // 1-2-3 a line, 4 a junction of three edges, 5 merged into 4, 6 deleted,
  // 7 a free point, 8 a former vertex.
  code = {301, 301, 301, 301, -4, 0, 101, 305};
  x = y = z = std::vector<float>(8, 0);
  seg = {{1, 2}, {2, 3}, {3, 5}, {4, 1}, {4, 6}, {2, 2}, {5, 4}, {4, 99}};
  grclne(code, seg);
  EXPECT_EQ(seg, (Edges{{1, 2}, {2, 3}, {3, 4}, {4, 1}}));
  EXPECT_EQ(code, (Codes{303, 303, 303, 303, -4, 0, 101, 300}));
}

TEST_F(EditorTest, TransformMovesByEachValueOnItsOwnAndTurnsClockwise) {
  survey();
  // +100 in x and -100 in y add up to zero but must move the points.
  EXPECT_EQ(entry(kTransform, {"1 100", "2 -100", "D"}), ViewRequest::replot);
  EXPECT_FLOAT_EQ(x[0], 100);
  EXPECT_FLOAT_EQ(y[0], -100);
  // A quarter turn clockwise about the point (2600100, 1199900): point 3,
  // now 50 north of it, goes 50 east.
  EXPECT_EQ(entry(kTransform, {"3 90", "4 2600100", "5 1199900", "D"}), ViewRequest::replot);
  EXPECT_NEAR(x[2], 150, 1e-3);
  EXPECT_NEAR(y[2], -100, 1e-3);
  EXPECT_EQ(entry(kTransform, {"1 1e30", "D"}), ViewRequest::none);
  EXPECT_EQ(dialogs.message_line, "bad value for Xmove[m]");
  EXPECT_NEAR(x[2], 150, 1e-3);
}

// The layout of a written file (free points, then lines, deleted points
// left out) is compared in the end-to-end editor session.
TEST_F(EditorTest, WriteGivesLineVerticesUnderLinesOnly) {
  survey();
  // Every point with symbol part 1 (as just after entering): the line's
  // points still go under "lines" only.
  for (auto& c : code) c = c - c % 100 + 1;
  entry(kWrite, {"edited.dat"});
  EXPECT_EQ(dialogs.message_line, "data stored on edited.dat");
  const std::string text = read_file("edited.dat");
  EXPECT_EQ(text.find("1200050.000    20.000 /"), std::string::npos);
  EXPECT_NE(text.find("1200050.000    20.000 1 /"), std::string::npos);
}

TEST_F(EditorTest, AWriteThatCannotBeMadeSaysSoAndLeavesTheOldFile) {
  survey();
  entry(kWrite, {"no/dir/out.dat"});
  EXPECT_EQ(dialogs.message_line, "Cannot write file: no/dir/out.dat");
  std::ofstream("keep.dat") << "old\n";
  std::filesystem::create_directory("keep.dat.korvel-tmp");  // the temporary file cannot be made
  entry(kWrite, {"keep.dat", "Y"});
  EXPECT_EQ(dialogs.message_line, "Cannot write file: keep.dat");
  EXPECT_EQ(read_file("keep.dat"), "old\n");
}

// ---------------------------------------------------------------- Cut
// (Inside on a survey is also compared in the end-to-end editor session.)

TEST_F(EditorTest, CutInsideAndOutsideRemovePointsAndTheirEdgesUntilUndo) {
  survey();
  // A polygon around points 1 and 4 ("P" clicks a vertex, "U" takes the
  // last one back, "D" ends it).
  EXPECT_EQ(entry(kCut, {"I", "P -10 -10", "P 60 -10", "P 60 60", "P -10 60", "D"}),
            ViewRequest::repeat);
  EXPECT_TRUE(seg.empty());
  // The right button undoes: codes and edges come back in their order.
  EXPECT_EQ(entry(kCut, {"#10"}), ViewRequest::repeat);
  EXPECT_EQ(code, (Codes{101, 101, 102, 103, 102}));
  EXPECT_EQ(seg, (Edges{{3, 4}, {4, 5}}));
  // Outside keeps only the points inside; the vertex taken back held point 2.
  entry(kCut, {"O", "P 40 40", "P 100 -10", "U", "P 110 40", "P 110 60", "P 40 60", "D"});
  EXPECT_EQ(code, (Codes{0, 0, 0, 103, 102}));
  EXPECT_EQ(seg, (Edges{{4, 5}}));
}

TEST_F(EditorTest, CutNodeVertexEdgeAndArcEachTakeTheirOwnKind) {
  survey();
  entry(kCut, {"N 51 49", "D"});  // the nearest point is a vertex: refused
  EXPECT_EQ(dialogs.message_line, "invalid node");
  entry(kCut, {"N 1 1"});
  entry(kCut, {"V 51 49"});
  EXPECT_EQ(code[3], 0);
  EXPECT_TRUE(seg.empty());
  // The node's cut was committed when the vertex cut began: it stays.
  entry(kCut, {"U"});
  EXPECT_EQ(code[0], 0);
  EXPECT_EQ(code[3], 103);
  EXPECT_EQ(seg, (Edges{{3, 4}, {4, 5}}));
  // An edge keeps its points; an arc takes the whole line.
  entry(kCut, {"E 80 52"});
  EXPECT_EQ(seg, (Edges{{3, 4}}));
  EXPECT_EQ(code, (Codes{0, 101, 102, 103, 102}));  // symbols follow at the clean-up
  entry(kCut, {"U"});
  entry(kCut, {"A 80 52"});
  EXPECT_TRUE(seg.empty());
  EXPECT_EQ(code, (Codes{0, 101, 0, 0, 0}));
}

TEST_F(EditorTest, CutAllAsksFirstAndAllSegmentsKeepsTheVerticesAsNodes) {
  survey();
  entry(kCut, {"#7", "n", "D"});
  EXPECT_EQ(code[0], 101);
  entry(kCut, {"#7", "y"});
  entry(kCut, {"#9"});
  EXPECT_TRUE(seg.empty());
  EXPECT_EQ(code, (Codes{0, 0, 101, 101, 101}));
  entry(kCut, {"#10"});
  entry(kCut, {"#8", "Y"});
  EXPECT_EQ(code, (Codes{0, 0, 0, 0, 0}));
}

TEST_F(EditorTest, CommittedCutWritesItsEdgesAsLineRecords) {
  survey();
  entry(kCut, {"#9"});
  EXPECT_EQ(entry(kCut, {"D"}), ViewRequest::replot);
  // Another entry commits a cut that Cut did not (left during its redraw).
  entry(kCut, {"N 1 1"});
  entry(kLabel);
  EXPECT_EQ(code[0], 0);
  EXPECT_EQ(output(),
            " 2600000.000 1200050.000    20.000 1 /\n"
            " 2600050.000 1200050.000    21.000 0 /\n"
            " 2600100.000 1200050.000    22.000 0 /\n");
}

// ---------------------------------------------------------------- New

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
  point(0, 0, 1), point(10, 0, 2), point(9, 1, 7, 0);  // the deleted point is never picked
  alter({"M 9 1", "P 20 20"});
  EXPECT_EQ(x, (V{0, 20, 9}));
  EXPECT_EQ(y, (V{0, 20, 1}));
  alter({"#9 1 1", "1 1005", "2 2006", "3 42", "D"});
  EXPECT_EQ(x, (V{5, 20, 9}));
  EXPECT_EQ(y, (V{6, 20, 1}));
  EXPECT_EQ(z, (V{42, 2, 7}));
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

// ---------------------------------------------------------------- Filter

class FilterTest : public korvel::testing::EditorFixture {
 protected:
  FilterTest() : EditorFixture(korvel::testing::EditorOptions{
                                   .capacity = 1000000, .output_unit = false, .unit_mapping = false}) {}
  // The Filter entry (cell 4 of the mode) with `script` queued.
  ViewRequest filter(const Entries& script) { return entry(4, script); }
  // A clustered random store: points, some deleted, chains of edges.
  void random_store(std::mt19937& rng, int n) {
    std::uniform_real_distribution<float> u(0, 100), small(-0.3f, 0.3f);
    for (int i = 0; i < n; ++i) {
      const bool near = i > 0 && rng() % 3 == 0;  // many near an earlier point
      const int k = near ? int(rng() % unsigned(i)) : 0;
      x.push_back(near ? x[size_t(k)] + small(rng) : u(rng));
      y.push_back(near ? y[size_t(k)] + small(rng) : u(rng));
      z.push_back(u(rng));
      code.push_back(rng() % 20 == 0 ? 0 : 101);
    }
    for (int c = 0; c < n / 20; ++c) {
      int a = int(rng() % unsigned(n)) + 1;
      for (int k = 0; k < 5; ++k) {
        const int b = int(rng() % unsigned(n)) + 1;
        seg.push_back({a, b});
        a = b;
      }
    }
    grclne(code, seg);
  }
};

TEST_F(FilterTest, BufferRemovesFreePointsOnBothSidesOfAnEdge) {
  point(0, 0), point(100, 0);
  seg = {{1, 2}};
  point(50, 0.5f), point(50, -0.5f), point(50, 2), point(101.5f, 0), point(100.5f, 0.5f);
  EXPECT_EQ(filter({"B", "1.0"}), ViewRequest::repeat);
  EXPECT_EQ(dialogs.message_line, "BUFFERED     3 NODE(S)");
  EXPECT_EQ(code, (Codes{102, 102, 0, 0, 101, 101, 0}));
  filter({"B", "-1", "D"});
  EXPECT_EQ(dialogs.message_line, "bad value for Size of buffer [m]");
}

TEST_F(FilterTest, HolesWritesClosedRunsAndAPointInsideEach) {
  point(0, 0), point(10, 0), point(10, 10), point(0, 10), point(50, 50), point(60, 50);
  seg = {{1, 2}, {2, 3}, {3, 4}, {4, 1}, {5, 6}};
  ASSERT_TRUE(unit_open(40, "holes.txt", FileStatus::unknown));
  grcomn.joutgr = 40;
  filter({"H", "D"});
  EXPECT_EQ(dialogs.messages[dialogs.messages.size() - 1], "FOUND    1 POLYGONS");
  unit_close(40);
  EXPECT_EQ(read_file("holes.txt"),
            "VERTICES\n"
            "  2600000.00  1200000.00 /\n"
            "  2600010.00  1200000.00 /\n"
            "  2600010.00  1200010.00 /\n"
            "  2600000.00  1200010.00 /\n"
            "END\n"
            "\n"
            "HOLES\n"
            "   1  2600005.50  1200005.50 /\n");
}

TEST_F(FilterTest, SplitEdgeAddsEvenlySpacedPointsOrRefusesWithoutRoom) {
  point(0, 0, 0), point(25, 0, 5), point(0, 5, 0);
  seg = {{1, 2}, {2, 3}};
  EXPECT_TRUE(filter_split(d, 10));
  ASSERT_EQ(x.size(), 7u);  // two on each edge
  EXPECT_FLOAT_EQ(x[3], 25.0f / 3);
  EXPECT_FLOAT_EQ(z[3], 5.0f / 3);
  EXPECT_EQ(seg, (Edges{{1, 4}, {4, 5}, {5, 2}, {2, 6}, {6, 7}, {7, 3}}));
  EditData small{x, y, z, code, seg, 20, 100};
  EXPECT_FALSE(filter_split(small, 1));
  EXPECT_EQ(x.size(), 7u);
  EXPECT_EQ(seg.size(), 6u);
  filter({"S", "1 0", "D"});
  EXPECT_EQ(dialogs.message_line, "max_distance must be above 0");
}

TEST_F(FilterTest, AnInterruptedOperationLeavesTheStoreAsItWas) {
  for (int i = 0; i < 40; ++i) point(float(i % 7), float(i / 7) * 0.05f, float(i));
  for (int i = 1; i < 30; i += 2) seg.push_back({i, i + 1});
  seg.push_back({2, 3});
  grclne(code, seg);
  const V z0 = z;
  const Codes c0 = code;
  const Edges s0 = seg;
  auto stop_at_once = [] { return StopCheck{[] { return true; }}; };
  StopCheck a = stop_at_once(), b = stop_at_once(), c = stop_at_once(), e = stop_at_once(), h = stop_at_once();
  filter_nodes(d, 1.0f, NodeValue::maximum, &a);
  filter_buffer(d, 5.0f, &b);
  filter_join(d, &c);
  filter_weed(d, 10.0f, 1.0f, &e);
  EXPECT_EQ(concave_hull(d, 0, false, &h), 0);
  for (const StopCheck* s : {&a, &b, &c, &e, &h}) EXPECT_TRUE(s->stopped);
  EXPECT_EQ(z, z0);
  EXPECT_EQ(code, c0);
  EXPECT_EQ(seg, s0);
}

// ---------------------------------------------------------------- against the plain scans

TEST_F(FilterTest, NodesBufferAndJoinGiveThePlainScansResults) {
  std::mt19937 rng(7);
  for (int round = 0; round < 3; ++round) {
    clear();
    random_store(rng, 3000);
    const V x0 = x, y0 = y, z0 = z;
    const Codes c0 = code;
    const Edges s0 = seg;
    // Nodes: the sorted scan.
    filter_nodes(d, 0.2f, NodeValue::maximum);
    {
      V zz = z0;
      Codes cc = c0;
      std::vector<std::int32_t> ord;
      grqsrt(ord, std::span<const float>(x0));
      for (size_t i = 0; i < ord.size(); ++i) {
        const int p = ord[i];
        if (cc[size_t(p)] <= 0) continue;
        for (size_t j = i + 1; j < ord.size() && double(x0[size_t(ord[j])]) - x0[size_t(p)] <= 0.2f; ++j) {
          const int q = ord[j];
          const double dx = double(x0[size_t(q)]) - x0[size_t(p)], dy = double(y0[size_t(q)]) - y0[size_t(p)];
          if (cc[size_t(q)] <= 0 || dx * dx + dy * dy > double(0.2f) * double(0.2f)) continue;
          zz[size_t(p)] = std::max(zz[size_t(p)], zz[size_t(q)]);
          cc[size_t(q)] = -(p + 1);
        }
      }
      Edges ss = s0;
      grclne(cc, ss);
      EXPECT_EQ(code, cc);
      EXPECT_EQ(z, zz);
      EXPECT_EQ(seg, ss);
    }
    // Buffer: every edge against every free point.
    const Codes c1 = code;
    filter_buffer(d, 1.5f);
    {
      Codes cc = c1;
      for (const Edge& e : seg)
        for (size_t p = 0; p < cc.size(); ++p)
          if (cc[p] > 0 && cc[p] % 100 == 1 &&
              std::fabs(rgdist(x[size_t(e.a - 1)], y[size_t(e.a - 1)], x[size_t(e.b - 1)], y[size_t(e.b - 1)], x[p],
                               y[p], 1)) < 1.5f)
            cc[p] = 0;
      EXPECT_EQ(code, cc);
    }
    // Join: the first later edge at the end point, found by a scan.
    Edges ss = seg;
    filter_join(d);
    for (size_t i = 0; i + 1 < ss.size(); ++i) {
      const int p = ss[i].b;
      for (size_t j = i + 1; j < ss.size(); ++j) {
        if (ss[j].a != p && ss[j].b != p) continue;
        Edge e = ss[j];
        if (e.a != p) std::swap(e.a, e.b);
        ss[j] = ss[i + 1];
        ss[i + 1] = e;
        break;
      }
    }
    EXPECT_EQ(seg, ss);
  }
}

}  // namespace
