// Cell location on regular, rotated and curvilinear grids: node and
// corner positions, edges, outside points, the order in which cells win,
// and the bucket index against the plain scan.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/grid/grid_viewer.h"
#include "support/testdir.h"

namespace {

using namespace sketra;
using V = std::vector<float>;

// A grid of nx x ny nodes: spacing d, turned by `degrees` about the first
// node, values 2x + 3y (a plane, so interpolation is exact everywhere).
struct TestGrid {
  V x, y, v;
  GridData g;
  TestGrid(int nx, int ny, float d, float degrees, float wobble = 0) {
    const double a = degrees * 3.14159265358979 / 180;
    std::mt19937 gen(9);
    std::uniform_real_distribution<float> w(-wobble, wobble);
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i) {
        const double u = i * d + (wobble > 0 ? w(gen) : 0), s = j * d + (wobble > 0 ? w(gen) : 0);
        x.push_back(float(u * std::cos(a) - s * std::sin(a)));
        y.push_back(float(u * std::sin(a) + s * std::cos(a)));
        v.push_back(2 * x.back() + 3 * y.back());
      }
    g = GridData{x, y, v, nx, nx, ny, -9999.0f};
  }
};

// Points of a regular 5 x 4 grid: the cell (i, j) and the plane's value;
// a point on an edge or node shared by cells goes to the first cell in
// scan order (i the outer loop); outside every cell: zeros.
TEST(GridLocation, CellsAndValuesOfARegularGridEdgesToTheFirstCellInScanOrder) {
  TestGrid t(5, 4, 10, 0);
  struct Case {
    float x, y;
    int i, j;
  } cases[] = {{12.5f, 27.5f, 2, 3}, {0, 0, 1, 1}, {40, 30, 4, 3}, {40, 15, 4, 2},  // inside, corners, outer edge
               {20, 15, 2, 2},       {15, 20, 2, 2}, {20, 20, 2, 2},                   // shared edges and node
               {-1, 5, 0, 0},        {41, 5, 0, 0},  {5, 30.01f, 0, 0}, {1e9f, 1e9f, 0, 0}};
  for (const Case& c : cases) {
    const GridHit h = grloct_at(t.g, c.x, c.y);
    EXPECT_EQ(std::pair(h.i, h.j), std::pair(c.i, c.j)) << c.x << " " << c.y;
    if (c.i == 0) EXPECT_EQ(h.value, 0.0f) << c.x << " " << c.y;
    else EXPECT_NEAR(h.value, 2 * c.x + 3 * c.y, 1e-4) << c.x << " " << c.y;
  }
}

// Empty nodes are never blended into values: every point of a cell with an
// empty corner is empty, by the scan and by the bucket index alike, while
// the cells beside it keep their plane.
TEST(GridLocation, CellsWithAnEmptyCornerGiveNoData) {
  TestGrid t(5, 4, 10, 0);
  t.v[std::size_t(2 + 5 * 1)] = -9999.0f;  // node (3, 2)
  const GridLocator where(t.g);
  for (const auto& [px, py] : {std::pair{12.5f, 12.5f}, {27.5f, 17.5f}, {25.0f, 5.0f}, {29.0f, 11.0f}}) {
    const GridHit h = grloct_at(t.g, px, py);
    EXPECT_TRUE(h.found()) << px << " " << py;
    EXPECT_EQ(h.value, -9999.0f) << px << " " << py;
    EXPECT_EQ(where.locate(px, py).value, -9999.0f) << px << " " << py;
  }
  EXPECT_NEAR(grloct_at(t.g, 35, 25).value, 2 * 35 + 3 * 25, 1e-4);
  EXPECT_NEAR(where.locate(5, 25).value, 2 * 5 + 3 * 25, 1e-4);
}

TEST(GridLocation, RotatedAndMirroredGrids) {
  for (float degrees : {30.0f, -65.0f, 180.0f}) {
    TestGrid t(6, 5, 10, degrees);
    const double a = degrees * 3.14159265358979 / 180;
    // The middle of cell (3, 2) in grid co-ordinates (25, 15).
    const float px = float(25 * std::cos(a) - 15 * std::sin(a)), py = float(25 * std::sin(a) + 15 * std::cos(a));
    const GridHit h = grloct_at(t.g, px, py);
    EXPECT_EQ(h.i, 3) << degrees;
    EXPECT_EQ(h.j, 2) << degrees;
    EXPECT_NEAR(h.value, 2 * px + 3 * py, 1e-3) << degrees;
    // A point just beyond the last row is outside.
    const float qx = float(25 * std::cos(a) - 41 * std::sin(a)), qy = float(25 * std::sin(a) + 41 * std::cos(a));
    EXPECT_FALSE(grloct_at(t.g, qx, qy).found()) << degrees;
  }
  // Rows running downwards (a grid stored north to south): the orientation
  // of the first cell is clockwise, and cells are still found.
  V x, y, v;
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) x.push_back(float(10 * i)), y.push_back(float(-10 * j)), v.push_back(float(i + j));
  const GridData g{x, y, v, 3, 3, 3, -9999.0f};
  const GridHit h = grloct_at(g, 15, -5);
  EXPECT_EQ(h.i, 2);
  EXPECT_EQ(h.j, 1);
  EXPECT_NEAR(h.value, 1.5f + 0.5f, 1e-5);
}

TEST(GridLocation, BucketIndexGivesTheSameAnswersAsTheScan) {
  std::mt19937 gen(4);
  for (const TestGrid& t : {TestGrid(40, 30, 3, 0), TestGrid(25, 35, 2, 33, 0), TestGrid(30, 30, 5, 10, 1.2f)}) {
    const GridLocator where(t.g);
    std::uniform_real_distribution<float> px(-120, 180), py(-120, 180);
    for (int k = 0; k < 3000; ++k) {
      const float x = px(gen), y = py(gen);
      const GridHit a = grloct_at(t.g, x, y), b = where.locate(x, y);
      ASSERT_EQ(a.i, b.i) << x << " " << y;
      ASSERT_EQ(a.j, b.j);
      ASSERT_EQ(a.value, b.value);
    }
    // Every node, exactly.
    for (size_t k = 0; k < t.x.size(); ++k) {
      const GridHit a = grloct_at(t.g, t.x[k], t.y[k]), b = where.locate(t.x[k], t.y[k]);
      ASSERT_EQ(a.i, b.i);
      ASSERT_EQ(a.j, b.j);
    }
  }
}

}  // namespace
