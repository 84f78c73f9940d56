// The point and line editor through its view callback and entry table on
// small hand-checked stores: the edge clean-up, nearest point, Transform,
// Write and every Cut option with Undo.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

TEST_F(EditorTest, NearestPointIsMeasuredOnTheScreenAndSkipsDeadPoints) {
  point(10, 10, 1), point(20, 10, 2, 0), point(10, 10, 3, -1), point(12, 10, 4), point(10, 10, 5);
  grcomn.xcrsgr = 19, grcomn.ycrsgr = 10;
  EXPECT_EQ(igrnear(d, 0), 4);
  grcomn.xcrsgr = 10;
  EXPECT_EQ(igrnear(d, 0), 1);  // of equally near points the lowest number
  EXPECT_EQ(igrnear(d, 2), 0);
  EXPECT_EQ(dialogs.message_line, "invalid node");
  x.clear(), y.clear(), z.clear(), code.clear();
  EXPECT_EQ(igrnear(d, 0), 0);
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
  EXPECT_EQ(entry(kTransform, {"3 0", "D"}), ViewRequest::none);  // nothing to do
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
  // A polygon around points 1 and 4 ("P" clicks a vertex, "D" ends it).
  EXPECT_EQ(entry(kCut, {"I", "P -10 -10", "P 60 -10", "P 60 60", "P -10 60", "D"}),
            ViewRequest::repeat);
  EXPECT_TRUE(seg.empty());
  // The right button undoes: codes and edges come back in their order.
  EXPECT_EQ(entry(kCut, {"#10"}), ViewRequest::repeat);
  EXPECT_EQ(code, (Codes{101, 101, 102, 103, 102}));
  EXPECT_EQ(seg, (Edges{{3, 4}, {4, 5}}));
  EXPECT_TRUE(gredst.cut.empty());
  // Outside keeps only the points inside.
  entry(kCut, {"O", "P 40 40", "P 110 40", "P 110 60", "P 40 60", "D"});
  EXPECT_EQ(code, (Codes{0, 0, 0, 103, 102}));
  EXPECT_EQ(seg, (Edges{{4, 5}}));
}

TEST_F(EditorTest, CutNodeTakesOnlyFreePointsAndVertexOnlyLineVertices) {
  survey();
  entry(kCut, {"N 51 49", "D"});  // the nearest point is a vertex: refused
  EXPECT_EQ(dialogs.message_line, "invalid node");
  entry(kCut, {"N 1 1"});
  EXPECT_EQ(code[0], 0);
  entry(kCut, {"V 51 49"});
  EXPECT_EQ(code[3], 0);
  EXPECT_TRUE(seg.empty());
  // The node's cut was committed when the vertex cut began: it stays.
  entry(kCut, {"U"});
  EXPECT_EQ(code[0], 0);
  EXPECT_EQ(code[3], 103);
  EXPECT_EQ(seg, (Edges{{3, 4}, {4, 5}}));
}

TEST_F(EditorTest, CutEdgeKeepsThePointsAndArcTakesTheWholeLine) {
  survey();
  entry(kCut, {"E 80 52"});
  EXPECT_EQ(seg, (Edges{{3, 4}}));
  EXPECT_EQ(code, (Codes{101, 101, 102, 103, 102}));  // symbols follow at the clean-up
  entry(kCut, {"U"});
  entry(kCut, {"A 80 52"});
  EXPECT_TRUE(seg.empty());
  EXPECT_EQ(code, (Codes{101, 101, 0, 0, 0}));
}

TEST_F(EditorTest, CutAllAsksFirstAndAllSegmentsKeepsTheVerticesAsNodes) {
  survey();
  entry(kCut, {"#7", "n", "D"});
  EXPECT_EQ(code[0], 101);
  entry(kCut, {"#7", "y"});
  EXPECT_EQ(code[0], 0);
  EXPECT_EQ(code[1], 0);
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
  EXPECT_TRUE(gredst.cut.empty());
  // Another entry commits a cut that Cut did not (left during its redraw).
  entry(kCut, {"N 1 1"});
  entry(kLabel);
  EXPECT_TRUE(gredst.cut.empty());
  EXPECT_EQ(code[0], 0);
  EXPECT_EQ(output(),
            " 2600000.000 1200050.000    20.000 1 /\n"
            " 2600050.000 1200050.000    21.000 0 /\n"
            " 2600100.000 1200050.000    22.000 0 /\n");
}

}  // namespace
