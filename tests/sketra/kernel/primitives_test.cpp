// Moves, draws, the polyline buffer, filled polygons and outlines, seen
// through the recording driver in device pixels.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sketra/kernel/plot.h"
#include "support/recording.h"

namespace {

using sketra::DevicePoint;
using sketra::DriverCall;
using Points = std::vector<DevicePoint>;

class DrawTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    use_unit_mapping();
    sketra::grcomn.xmxcgr = sketra::grcomn.ymxcgr = 100;  // clip window 0 ... 100
  }
  // Polylines sent so far, after a final flush.
  std::vector<Points> lines() {
    sketra::grdump();
    std::vector<Points> out;
    for (const auto* c : rec().of(DriverCall::Polyline)) out.push_back(c->points);
    return out;
  }
  static DevicePoint dev(int x, int y) { return {x, 1000 - y}; }
};

TEST_F(DrawTest, SegmentInsideIsDrawnAsIs) {
  sketra::grmov2(10, 10);
  sketra::grdrw2(50, 50);
  EXPECT_EQ(lines(), (std::vector<Points>{{dev(10, 10), dev(50, 50)}}));
  EXPECT_TRUE(sketra::grcomn.pen.inside);
}

TEST_F(DrawTest, LeavingSegmentEndsAtTheExitPoint) {
  sketra::grmov2(50, 50);
  sketra::grdrw2(150, 50);
  EXPECT_EQ(lines(), (std::vector<Points>{{dev(50, 50), dev(100, 50)}}));
  EXPECT_FALSE(sketra::grcomn.pen.inside);
}

TEST_F(DrawTest, LeavingThroughTheCornerRegionClipsXThenY) {
  // From (50, 50) towards (150, 250): x = 100 is crossed at y = 150, still
  // above the window, so the exit is where the line meets y = 100.
  sketra::grmov2(50, 50);
  sketra::grdrw2(150, 250);
  EXPECT_EQ(lines(), (std::vector<Points>{{dev(50, 50), dev(75, 100)}}));
}

TEST_F(DrawTest, EnteringSegmentStartsANewPolylineAtTheEntryPoint) {
  sketra::grmov2(10, 10);
  sketra::grdrw2(20, 10);
  sketra::grmov2(-50, 50);
  sketra::grdrw2(50, 50);
  EXPECT_EQ(lines(), (std::vector<Points>{{dev(10, 10), dev(20, 10)}, {dev(0, 50), dev(50, 50)}}));
  EXPECT_TRUE(sketra::grcomn.pen.inside);
}

TEST_F(DrawTest, SegmentCrossingTheWholeWindowDrawsItsVisiblePieceInItsDirection) {
  sketra::grmov2(150, 50);
  sketra::grdrw2(-50, 50);
  EXPECT_EQ(lines(), (std::vector<Points>{{dev(100, 50), dev(0, 50)}}));
  EXPECT_FALSE(sketra::grcomn.pen.inside);
}

TEST_F(DrawTest, SegmentCuttingACornerDrawsOnlyThePieceInside) {
  sketra::grmov2(-10, 50);
  sketra::grdrw2(50, 110);
  EXPECT_EQ(lines(), (std::vector<Points>{{dev(0, 60), dev(40, 100)}}));
}

TEST_F(DrawTest, SegmentsMissingTheWindowDrawNothing) {
  sketra::grmov2(-50, -50);
  sketra::grdrw2(150, -10);  // below the window
  sketra::grmov2(-50, 60);
  sketra::grdrw2(60, 150);   // its box overlaps the window, the line passes the corner
  EXPECT_TRUE(lines().empty());
  EXPECT_FALSE(sketra::grcomn.pen.inside);
}

TEST_F(DrawTest, ClipBoundsAreInclusive) {
  sketra::grmov2(0, 0);
  sketra::grdrw2(100, 100);
  EXPECT_EQ(lines(), (std::vector<Points>{{dev(0, 0), dev(100, 100)}}));
  EXPECT_TRUE(sketra::grcomn.pen.inside);
}

TEST_F(DrawTest, MoveOutsideLeavesTheBufferAndClearsTheFlag) {
  sketra::grmov2(10, 10);
  sketra::grdrw2(20, 20);
  sketra::grmov2(500, 500);
  EXPECT_FALSE(sketra::grcomn.pen.inside);
  EXPECT_EQ(sketra::grcomn.polyline.count, 2);
}

TEST_F(DrawTest, DrawToTheSamePixelAddsNoPoint) {
  sketra::grmov2(10.2f, 10.2f);
  sketra::grdrw2(10.7f, 10.4f);
  EXPECT_EQ(sketra::grcomn.polyline.count, 1);
  EXPECT_TRUE(lines().empty());
  sketra::grdrw2(12, 10.4f);
  sketra::grdrw2(12.5f, 10.1f);
  EXPECT_EQ(lines(), (std::vector<Points>{{{10, 989}, {12, 989}}}));
}

TEST_F(DrawTest, FullBufferIsSentAtTheHundredthDrawAndContinuesFromItsLastPoint) {
  sketra::grcomn.xmxcgr = 1000;
  sketra::grmov2(0, 0);
  for (int i = 1; i <= 99; ++i) sketra::grdrw2(float(i), 0);
  EXPECT_EQ(rec().count(DriverCall::Polyline), 0);
  sketra::grdrw2(100, 0);
  ASSERT_EQ(rec().count(DriverCall::Polyline), 1);
  const Points& first = rec().of(DriverCall::Polyline)[0]->points;
  ASSERT_EQ(first.size(), 100u);
  EXPECT_EQ(first.front(), dev(0, 0));
  EXPECT_EQ(first.back(), dev(99, 0));
  sketra::grdrw2(101, 0);
  const auto all = lines();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[1], (Points{dev(99, 0), dev(100, 0), dev(101, 0)}));
}

TEST_F(DrawTest, MoveFlushesALineButReplacesALonePoint) {
  sketra::grmov2(10, 10);
  sketra::grmov2(20, 20);
  EXPECT_EQ(rec().count(DriverCall::Polyline), 0);
  sketra::grdrw2(30, 30);
  sketra::grmov2(40, 40);
  EXPECT_EQ(rec().count(DriverCall::Polyline), 1);
  EXPECT_EQ(lines(), (std::vector<Points>{{dev(20, 20), dev(30, 30)}}));
}

TEST_F(DrawTest, NonFiniteCoordinatesDrawNothing) {
  sketra::grmov2(10, 10);
  sketra::grdrw2(NAN, 20);
  EXPECT_FALSE(sketra::grcomn.pen.inside);
  sketra::grdrw2(20, 20);  // from a point that is not a number: a fresh start
  sketra::grdrw2(30, 20);
  EXPECT_EQ(lines(), (std::vector<Points>{{dev(20, 20), dev(30, 20)}}));
}

TEST_F(DrawTest, ProjectionFlagSendsThreeDimensionalDrawsThroughTheMatrix) {
  auto& t = sketra::grcomn.trangr;
  t[2][1] = 1;  // screen y = y + z
  t[3][0] = 5;  // shifted 5 to the right
  sketra::grmov3(10, 10, 20);  // not projected: flag off
  sketra::grcomn.projection = true;
  sketra::grdrw3(10, 10, 20);
  EXPECT_EQ(lines(), (std::vector<Points>{{dev(10, 10), dev(15, 30)}}));
}

TEST_F(DrawTest, VerticalExaggerationScalesZBeforeTheMatrix) {
  auto& t = sketra::grcomn.trangr;
  t[2][1] = 1;
  t[3][3] = 2;
  float xs = 0, ys = 0, zs = 0;
  sketra::grtran(1, 2, 3, xs, ys, zs);
  EXPECT_FLOAT_EQ(xs, 1);
  EXPECT_FLOAT_EQ(ys, 8);
  EXPECT_FLOAT_EQ(zs, 6);
}

// ---------------------------------------------------------------- polygons

TEST_F(DrawTest, PolygonInsideIsFilledWithItsVertices) {
  const float x[] = {10, 50, 30};
  const float y[] = {10, 10, 40};
  sketra::grfil2(x, y, 3);
  ASSERT_EQ(rec().count(DriverCall::Polygon), 1);
  const auto* p = rec().of(DriverCall::Polygon)[0];
  EXPECT_EQ(p->points, (Points{dev(10, 10), dev(50, 10), dev(30, 40)}));
  EXPECT_EQ(p->pixel, sketra::grcomn.colour.palette[size_t(sketra::palette_index(3))]);
}

TEST_F(DrawTest, PolygonIsClippedToTheWindow) {
  const float x[] = {-50, 150, 150, -50};
  const float y[] = {50, 50, 150, 150};
  sketra::grfil2(x, y, 1);
  ASSERT_EQ(rec().count(DriverCall::Polygon), 1);
  Points got = rec().of(DriverCall::Polygon)[0]->points;
  for (const DevicePoint& p : got) {
    EXPECT_GE(p.x, 0);
    EXPECT_LE(p.x, 100);
    EXPECT_GE(p.y, 900);
    EXPECT_LE(p.y, 950);
  }
  // The visible part is the rectangle 0 ... 100 x 50 ... 100: its area by
  // the shoelace formula.
  long twice_area = 0;
  for (size_t i = 0; i < got.size(); ++i) {
    const DevicePoint& a = got[i];
    const DevicePoint& b = got[(i + 1) % got.size()];
    twice_area += long(a.x) * b.y - long(b.x) * a.y;
  }
  EXPECT_EQ(std::abs(twice_area), 2 * 100 * 50);
}

TEST_F(DrawTest, PolygonOutsideTheWindowIsNotSent) {
  const float x[] = {200, 300, 250};
  const float y[] = {200, 200, 300};
  sketra::grfil2(x, y, 1);
  EXPECT_EQ(rec().count(DriverCall::Polygon), 0);
}

TEST_F(DrawTest, LongPolygonsAreFilledUpToNineThousandVertices) {
  sketra::grcomn.xmxcgr = sketra::grcomn.ymxcgr = 1000;
  std::vector<float> x, y;
  for (int i = 0; i < 9500; ++i) {
    const double a = 2 * M_PI * i / 9500;
    x.push_back(float(500 + 400 * std::cos(a)));
    y.push_back(float(500 + 400 * std::sin(a)));
  }
  sketra::grfil2(x, y, 2);
  ASSERT_EQ(rec().count(DriverCall::Polygon), 1);
  EXPECT_EQ(rec().of(DriverCall::Polygon)[0]->points.size(), 9000u);
}

TEST_F(DrawTest, ColourModeFourSuppressesFillsFromColourFive) {
  sketra::grcomn.colour.mode = 4;
  const float x[] = {10, 50, 30};
  const float y[] = {10, 10, 40};
  sketra::grfil2(x, y, 5);
  EXPECT_EQ(rec().count(DriverCall::Polygon), 0);
  sketra::grfil2(x, y, 4);
  EXPECT_EQ(rec().count(DriverCall::Polygon), 1);
}

TEST_F(DrawTest, FilledPolygonIsDrawnAfterThePendingLine) {
  sketra::grcolr(3);
  sketra::grmov2(10, 10);
  sketra::grdrw2(20, 20);
  const float x[] = {10, 50, 30};
  const float y[] = {10, 10, 40};
  sketra::grfil2(x, y, 3);
  const auto& calls = rec().calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2].kind, DriverCall::Polyline);
  EXPECT_EQ(calls.back().kind, DriverCall::Polygon);
}

TEST_F(DrawTest, ThreeDimensionalPolygonIsProjected) {
  sketra::grcomn.trangr[3][0] = 10;
  const float x[] = {10, 50, 30};
  const float y[] = {10, 10, 40};
  const float z[] = {0, 0, 0};
  sketra::grfil3(x, y, z, 3);
  ASSERT_EQ(rec().count(DriverCall::Polygon), 1);
  EXPECT_EQ(rec().of(DriverCall::Polygon)[0]->points, (Points{dev(20, 10), dev(60, 10), dev(40, 40)}));
}

// ---------------------------------------------------------------- outlines

TEST_F(DrawTest, FrameIsClosedAndSolid) {
  const float x[] = {10, 50, 50, 10};
  const float y[] = {10, 10, 40, 40};
  sketra::grdash(3);
  sketra::grfram(x, y, 2);
  EXPECT_EQ(rec().of(DriverCall::Dash).back()->value, 1);
  EXPECT_EQ(lines(), (std::vector<Points>{{dev(10, 10), dev(50, 10), dev(50, 40), dev(10, 40), dev(10, 10)}}));
}

TEST_F(DrawTest, RaisedBevelIsDarkOnTheFirstHalfAndLightOnTheRest) {
  const float x[] = {10, 50, 50, 10};
  const float y[] = {10, 10, 40, 40};
  sketra::grfram(x, y, sketra::kBevelRaised);
  const auto ls = rec().of(DriverCall::Polyline);
  ASSERT_EQ(ls.size(), 1u);  // the colour change flushed the first half
  sketra::grdump();
  const auto all = rec().of(DriverCall::Polyline);
  ASSERT_EQ(all.size(), 2u);
  const auto& pal = sketra::grcomn.colour.palette;
  EXPECT_EQ(all[0]->points, (Points{dev(10, 10), dev(50, 10), dev(50, 40)}));
  EXPECT_EQ(all[0]->pixel, pal[10]);  // colour -4, middle grey
  EXPECT_EQ(all[1]->points, (Points{dev(50, 40), dev(10, 40), dev(10, 10)}));
  EXPECT_EQ(all[1]->pixel, pal[1]);   // colour -2, light grey
}

TEST_F(DrawTest, SunkenBevelSwapsTheTwoGreys) {
  const float x[] = {10, 50, 50, 10};
  const float y[] = {10, 10, 40, 40};
  sketra::grfram(x, y, sketra::kBevelSunken);
  sketra::grdump();
  const auto all = rec().of(DriverCall::Polyline);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0]->pixel, sketra::grcomn.colour.palette[1]);
  EXPECT_EQ(all[1]->pixel, sketra::grcomn.colour.palette[10]);
}

TEST_F(DrawTest, RectangleIsFilledAndFramed) {
  sketra::grect(10, 20, 30, 40, -1, 2);
  ASSERT_EQ(rec().count(DriverCall::Polygon), 1);
  EXPECT_EQ(rec().of(DriverCall::Polygon)[0]->points,
            (Points{dev(10, 20), dev(40, 20), dev(40, 60), dev(10, 60)}));
  EXPECT_EQ(rec().of(DriverCall::Polygon)[0]->pixel, 0xFFFFFFu);
  EXPECT_EQ(lines().size(), 1u);
}

TEST_F(DrawTest, RectangleWithoutFrameDrawsNoLine) {
  sketra::grect(10, 20, 30, 40, 3, 0);
  EXPECT_TRUE(lines().empty());
}

TEST_F(DrawTest, CircleHasFortyPointsOnItsRadius) {
  sketra::grcrcl(50, 50, 30, 2, -1);
  ASSERT_EQ(rec().count(DriverCall::Polygon), 1);
  const Points& p = rec().of(DriverCall::Polygon)[0]->points;
  ASSERT_EQ(p.size(), 40u);
  EXPECT_NEAR(p.front().x, p.back().x, 1);  // the 40th point repeats the first
  EXPECT_NEAR(p.front().y, p.back().y, 1);
  for (const DevicePoint& q : p)
    EXPECT_NEAR(std::hypot(q.x - 50, (1000 - q.y) - 50), 30, 1.5);
  EXPECT_TRUE(lines().empty());  // frame -1: no outline
}

TEST_F(DrawTest, CircleWithFillBelowMinusTwoIsOnlyOutlined) {
  sketra::grcrcl(50, 50, 30, -3, 0);
  EXPECT_EQ(rec().count(DriverCall::Polygon), 0);
  const auto all = lines();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_GE(all[0].size(), 39u);
  EXPECT_LE(all[0].size(), 41u);
  EXPECT_EQ(all[0].front(), all[0].back());  // closed by the draw back to the first point
}

// ---------------------------------------------------------------- intersection and search

TEST_F(DrawTest, SegmentIntersectionCodes) {
  float xs = 0, ys = 0;
  EXPECT_EQ(sketra::igsect(0, 0, 10, 10, 0, 10, 10, 0, xs, ys), 1);
  EXPECT_FLOAT_EQ(xs, 5);
  EXPECT_FLOAT_EQ(ys, 5);
  EXPECT_EQ(sketra::grcomn.pen.x, 5);  // a proper crossing moves the pen
  EXPECT_EQ(sketra::igsect(0, 0, 10, 0, 0, 5, 10, 5, xs, ys), 0);  // parallel
  EXPECT_EQ(xs, 0);
  EXPECT_EQ(sketra::igsect(0, 0, 1, 1, 0, 10, 10, 0, xs, ys), 2);   // beyond the first segment
  EXPECT_EQ(sketra::igsect(0, 0, 10, 10, 0, 10, 1, 9, xs, ys), 3);  // beyond the second
  EXPECT_EQ(sketra::igsect(0, 0, 1, 1, 0, 10, 1, 9, xs, ys), 4);    // beyond both
  EXPECT_EQ(sketra::igsect(0, 0, 10, 10, 5, 0, 5, 10, xs, ys), 1);  // vertical second segment
  EXPECT_FLOAT_EQ(ys, 5);
}

TEST_F(DrawTest, NearestNodeIsFoundOnTheScreenAndMarked) {
  // A 3 x 2 node array stored with leading dimension 4.
  const float x[] = {10, 20, 30, 0, 10, 20, 30, 0};
  const float y[] = {10, 10, 10, 0, 30, 30, 30, 0};
  sketra::grcomn.xcrsgr = 19;
  sketra::grcomn.ycrsgr = 28;
  int i = 0, j = 0;
  sketra::grnear(x, y, 3, 2, 4, i, j);
  EXPECT_EQ(i, 2);
  EXPECT_EQ(j, 2);
  EXPECT_EQ(sketra::grcomn.pen.x, 20);
  EXPECT_EQ(sketra::grcomn.pen.y, 30);
  EXPECT_EQ(sketra::grcomn.current_colour, -7);  // marker -702
}

TEST_F(DrawTest, NearestNodeTiesGoToTheFirstVisited) {
  const float x[] = {10, 30};
  const float y[] = {10, 10};
  sketra::grcomn.xcrsgr = 20;
  sketra::grcomn.ycrsgr = 10;
  int i = 0, j = 0;
  sketra::grnear(x, y, 2, 1, 2, i, j);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(j, 1);
}

TEST_F(DrawTest, NearestNodeIgnoresIndicesBeyondTheArrays) {
  const float x[] = {10, 20};
  const float y[] = {10, 10};
  int i = -1, j = -1;
  sketra::grnear(x, y, 5, 5, 5, i, j);
  EXPECT_EQ(i, 1);
  sketra::grnear({}, {}, 1, 1, 1, i, j);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(j, 0);
}

}  // namespace
