// Moves, draws, the polyline buffer, filled polygons, texts,
// hatching, colours and drawing without an output mode, seen through the
// recording driver in device pixels. What reaches a file device is checked
// through the real devices (DxfTest, KeepFileTest, ShapefileTest).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
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
  }
  // Polylines sent so far, after a final flush.
  std::vector<Points> lines() {
    sketra::grdump();
    std::vector<Points> out;
    for (const auto* c : rec().of(DriverCall::Polyline)) out.push_back(c->points);
    return out;
  }
  static DevicePoint dev(int x, int y) { return {x, 1000 - y}; }
  static void clip_to_hundred() { sketra::grcomn.xmxcgr = sketra::grcomn.ymxcgr = 100; }
};

// One segment against the clip window 0 ... 100 on both axes: the piece
// drawn (in its direction), and whether the pen ends inside.
TEST_F(DrawTest, SegmentsAreClippedToTheWindowInTheirDirection) {
  clip_to_hundred();
  struct Case {
    const char* what;
    float x1, y1, x2, y2;
    std::vector<Points> drawn;
    bool inside;
  };
  const Case cases[] = {
      // x = 100 is crossed at y = 150, above the window: the exit is on y = 100.
      {"leaving by a corner region", 50, 50, 150, 250, {{dev(50, 50), dev(75, 100)}}, false},
      {"crossing", 150, 50, -50, 50, {{dev(100, 50), dev(0, 50)}}, false},
      {"cutting a corner", -10, 50, 50, 110, {{dev(0, 60), dev(40, 100)}}, false},
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
  sketra::grmov2(0, 0);
  for (int i = 1; i <= 99; ++i) sketra::grdrw2(float(i), 0);
  EXPECT_EQ(rec().count(DriverCall::Polyline), 0);
  sketra::grdrw2(100, 0);
  ASSERT_EQ(rec().count(DriverCall::Polyline), 1);
  const Points& first = rec().of(DriverCall::Polyline)[0]->points;
  ASSERT_EQ(first.size(), 100u);
  EXPECT_EQ(first.back(), dev(99, 0));
  sketra::grdrw2(101, 0);
  const auto all = lines();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[1], (Points{dev(99, 0), dev(100, 0), dev(101, 0)}));
}

TEST_F(DrawTest, NonFiniteCoordinatesDrawNothing) {
  sketra::grmov2(10, 10);
  sketra::grdrw2(NAN, 20);
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
  EXPECT_EQ((std::array{xs, ys, zs}), (std::array{6.0f, 8.0f, 6.0f}));
}

// ---------------------------------------------------------------- polygons

// The visible part is the rectangle 0 ... 100 x 50 ... 100: its corners
// only, each once; a polygon wholly outside is not sent.
TEST_F(DrawTest, PolygonIsClippedToTheWindowKeepingTheVisibleArea) {
  clip_to_hundred();
  const float x[] = {-50, 150, 150, -50};
  const float y[] = {50, 50, 150, 150};
  sketra::grfil2(x, y, 1);
  const float fx[] = {200, 300, 250}, fy[] = {200, 200, 300};
  sketra::grfil2(fx, fy, 1);
  ASSERT_EQ(rec().count(DriverCall::Polygon), 1);
  Points got = rec().of(DriverCall::Polygon)[0]->points;
  std::sort(got.begin(), got.end(),
            [](DevicePoint a, DevicePoint b) { return std::pair(a.x, a.y) < std::pair(b.x, b.y); });
  EXPECT_EQ(got, (Points{dev(0, 100), dev(0, 50), dev(100, 100), dev(100, 50)}));
}

TEST_F(DrawTest, LongPolygonsAreFilledUpToNineThousandVertices) {
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

// The nearest node of a grid (e2e test_contour's Nearest) in the edge
// cases: a tie, sizes beyond the arrays, no nodes.
TEST_F(DrawTest, NearestNodeIsFoundOnTheScreenFirstVisitedWinningTies) {
  sketra::grcomn.xcrsgr = 20;
  sketra::grcomn.ycrsgr = 10;
  int i = 0, j = 0;
  const float tx[] = {10, 30}, ty[] = {10, 10};
  sketra::grnear(tx, ty, 2, 1, 2, i, j);
  EXPECT_EQ(i, 1);  // a tie: the first visited
  sketra::grnear(tx, ty, 5, 5, 5, i, j);  // indices beyond the arrays are ignored
  EXPECT_EQ(i, 1);
  sketra::grnear({}, {}, 1, 1, 1, i, j);
  EXPECT_EQ(std::pair(i, j), std::pair(0, 0));
}

// Two vertices, a vertex that is not a number or no style bit hatch
// nothing; a U shape is hatched by the even-odd rule.
TEST_F(DrawTest, ConcavePolygonIsHatchedByTheEvenOddRuleDegenerateOnesNot) {
  const float dx[] = {100, 200, 150}, dy[] = {100, 100, NAN};
  sketra::grhtch(std::span(dx, 2), std::span(dy, 2), 1, 15, 10);
  sketra::grhtch(dx, dy, 1, 15, 10);
  sketra::grhtch(dx, dx, 1, 0, 10);
  EXPECT_TRUE(lines().empty());
  // A U shape: the hatch line through the notch has two pieces.
  const float x[] = {0, 300, 300, 200, 200, 100, 100, 0};
  const float y[] = {0, 0, 300, 300, 100, 100, 300, 300};
  sketra::grhtch(x, y, 1, 1, 50);
  int split = 0;
  for (const auto& line : lines()) {
    const int a = std::min(line[0].x, line.back().x), b = std::max(line[0].x, line.back().x);
    const int wy = 1000 - line[0].y;
    if (wy > 100 && wy < 300) {
      ++split;
      EXPECT_TRUE((a == 0 && b == 100) || (a == 200 && b == 300)) << a << " " << b << " at " << wy;
    }
  }
  EXPECT_EQ(split, 6);  // y = 150, 200, 250: two pieces each
}

// ---------------------------------------------------------------- colours

TEST_F(DrawTest, ColourNumbersOutsideTheTablesStayInsideThePalette) {
  using sketra::palette_index;
  EXPECT_EQ(palette_index(201), palette_index(1));  // colours repeat every 200
  for (int c : {-12, -1000000, std::numeric_limits<int>::min()}) EXPECT_EQ(palette_index(c), palette_index(-11)) << c;
  auto& s = sketra::grcomn.colour;
  s.bank = 57;
  EXPECT_EQ(palette_index(3), 183);
  s.bank = -4;
  EXPECT_EQ(palette_index(3), 3);
  s.mode = 3;
  s.bank = 7;
  EXPECT_EQ(palette_index(15), 187);  // rows stop at 9
  s.bank = 99;
  EXPECT_LE(palette_index(20), 200);
}

// The foreground follows the colour and its bank. A text, a dash style or
// a new colour first sends the pending line, in the old colour, from where
// the text then stands; the same colour again sends nothing.
TEST_F(DrawTest, ColourChangesFollowTheBankAndStateChangesSendThePendingLineFirst) {
  const auto& palette = sketra::grcomn.colour.palette;
  const int bank = sketra::grcomn.colour.bank;
  sketra::grcolr(1);
  EXPECT_EQ(rec().foreground(), palette[101]);
  sketra::grcomn.colour.bank = 0;
  sketra::grcolr(1);
  EXPECT_EQ(rec().foreground(), palette[1]);
  sketra::grcomn.colour.bank = bank;
  const std::pair<DriverCall::Kind, void (*)()> changes[] = {{DriverCall::Text, [] { sketra::granot("end", 0); }},
                                                             {DriverCall::Dash, [] { sketra::grdash(2); }},
                                                             {DriverCall::SetPixel, [] { sketra::grcolr(3); }}};
  for (const auto& [kind, change] : changes) {
    rec().clear_calls();
    sketra::grcolr(2);
    sketra::grmov2(100, 200);
    sketra::grdrw2(150, 200);
    sketra::grcolr(2);
    rec().clear_calls();
    change();
    const auto& calls = rec().calls();
    ASSERT_EQ(calls.size(), 2u) << kind;
    EXPECT_EQ(calls[0].kind, DriverCall::Polyline);
    EXPECT_EQ(calls[0].pixel, palette[102]);
    EXPECT_EQ(calls[1].kind, kind);
    if (kind == DriverCall::Text) {
      EXPECT_EQ(calls[1].points[0], dev(150, 200));  // where the line ended
    }
  }
}

TEST_F(DrawTest, WithoutAnOpenModeNothingIsDrawnAndNothingWiped) {
  sketra::grmode(0);
  rec().clear_calls();
  sketra::grcomn.clean_areas.push_back({1, 2, 3, 4});
  sketra::grcler(1);
  sketra::grmov2(10, 10);
  for (int i = 0; i < 300; ++i) sketra::grdrw2(float(i), float(i % 7));
  sketra::grsymb(2);
  sketra::granot("text", 0);
  const float x[] = {0, 10, 5};
  sketra::grfil2(x, x, 3);
  sketra::grflip();
  EXPECT_TRUE(rec().calls().empty());
  EXPECT_LE(sketra::grcomn.polyline.count, sketra::kPolylineCapacity);
  EXPECT_EQ(sketra::grcomn.clean_areas.size(), 1u);
}

}  // namespace
