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

// One segment against the clip window 0 ... 100 on both axes: the piece
// drawn (in its direction), and whether the pen ends inside.
TEST_F(DrawTest, SegmentsAreClippedToTheWindowInTheirDirection) {
  struct Case {
    const char* what;
    float x1, y1, x2, y2;
    std::vector<Points> drawn;
    bool inside;
  };
  const Case cases[] = {
      {"inside", 10, 10, 50, 50, {{dev(10, 10), dev(50, 50)}}, true},
      {"leaving", 50, 50, 150, 50, {{dev(50, 50), dev(100, 50)}}, false},
      // x = 100 is crossed at y = 150, above the window: the exit is on y = 100.
      {"leaving by a corner region", 50, 50, 150, 250, {{dev(50, 50), dev(75, 100)}}, false},
      {"entering", -50, 50, 50, 50, {{dev(0, 50), dev(50, 50)}}, true},
      {"crossing", 150, 50, -50, 50, {{dev(100, 50), dev(0, 50)}}, false},
      {"cutting a corner", -10, 50, 50, 110, {{dev(0, 60), dev(40, 100)}}, false},
      {"below", -50, -50, 150, -10, {}, false},
      {"past the corner", -50, 60, 60, 150, {}, false},  // its box overlaps the window
      {"on the bounds", 0, 0, 100, 100, {{dev(0, 0), dev(100, 100)}}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    rec().clear_calls();
    sketra::grmov2(c.x1, c.y1);
    sketra::grdrw2(c.x2, c.y2);
    EXPECT_EQ(lines(), c.drawn);
    EXPECT_EQ(sketra::grcomn.pen.inside, c.inside);
  }
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

TEST_F(DrawTest, NonFiniteCoordinatesDrawNothing) {
  sketra::grmov2(10, 10);
  sketra::grdrw2(NAN, 20);
  EXPECT_FALSE(sketra::grcomn.pen.inside);
  sketra::grdrw2(20, 20);  // from a point that is not a number: a fresh start
  sketra::grdrw2(30, 20);
  EXPECT_EQ(lines(), (std::vector<Points>{{dev(20, 20), dev(30, 20)}}));
}

TEST_F(DrawTest, ProjectionSendsThreeDimensionalDrawsThroughTheMatrix) {
  auto& t = sketra::grcomn.trangr;
  t[2][1] = 1;  // screen y = y + z
  t[3][0] = 5;  // shifted 5 to the right
  sketra::grmov3(10, 10, 20);  // not projected: flag off
  sketra::grcomn.projection = true;
  sketra::grdrw3(10, 10, 20);
  EXPECT_EQ(lines(), (std::vector<Points>{{dev(10, 10), dev(15, 30)}}));
  t[3][3] = 2;  // vertical exaggeration scales z before the matrix
  float xs = 0, ys = 0, zs = 0;
  sketra::grtran(1, 2, 3, xs, ys, zs);
  EXPECT_FLOAT_EQ(xs, 6);
  EXPECT_FLOAT_EQ(ys, 8);
  EXPECT_FLOAT_EQ(zs, 6);
}

// ---------------------------------------------------------------- polygons

TEST_F(DrawTest, PolygonIsClippedToTheWindowKeepingTheVisibleArea) {
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
  // The visible part is the rectangle 0 ... 100 x 50 ... 100.
  long twice_area = 0;
  for (size_t i = 0; i < got.size(); ++i) {
    const DevicePoint& a = got[i];
    const DevicePoint& b = got[(i + 1) % got.size()];
    twice_area += long(a.x) * b.y - long(b.x) * a.y;
  }
  EXPECT_EQ(std::abs(twice_area), 2 * 100 * 50);
  const float fx[] = {200, 300, 250}, fy[] = {200, 200, 300};
  sketra::grfil2(fx, fy, 1);  // wholly outside: not sent
  EXPECT_EQ(rec().count(DriverCall::Polygon), 1);
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

// ---------------------------------------------------------------- outlines

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

TEST_F(DrawTest, NearestNodeIsFoundOnTheScreenFirstVisitedWinningTies) {
  // A 3 x 2 node array stored with leading dimension 4.
  const float x[] = {10, 20, 30, 0, 10, 20, 30, 0};
  const float y[] = {10, 10, 10, 0, 30, 30, 30, 0};
  sketra::grcomn.xcrsgr = 19;
  sketra::grcomn.ycrsgr = 28;
  int i = 0, j = 0;
  sketra::grnear(x, y, 3, 2, 4, i, j);
  EXPECT_EQ(i, 2);
  EXPECT_EQ(j, 2);
  EXPECT_EQ(sketra::grcomn.pen.x, 20);  // marked
  EXPECT_EQ(sketra::grcomn.pen.y, 30);
  sketra::grcomn.xcrsgr = 20;
  sketra::grcomn.ycrsgr = 10;
  const float tx[] = {10, 30}, ty[] = {10, 10};
  sketra::grnear(tx, ty, 2, 1, 2, i, j);
  EXPECT_EQ(i, 1);  // a tie: the first visited
  sketra::grnear(tx, ty, 5, 5, 5, i, j);  // indices beyond the arrays are ignored
  EXPECT_EQ(i, 1);
  sketra::grnear({}, {}, 1, 1, 1, i, j);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(j, 0);
}

}  // namespace
