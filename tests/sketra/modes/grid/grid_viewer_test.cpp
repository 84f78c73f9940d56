// The grid viewer: cell location on regular, rotated and curvilinear grids
// (the bucket index against the plain scan), set-up through the view
// callback, the picture on the screen against every cell drawn on its own,
// the menu entries answered from the script queue, and when Write may offer
// the ESRI grid.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/devices/devices.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/classes.h"
#include "sketra/modes/grid/grid_viewer.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"
#include "support/recording.h"
#include "support/testdir.h"
#include "support/viewer_fixture.h"

namespace {

using namespace sketra;
using korvel::testing::read_file;
using V = std::vector<float>;
using Entries = std::vector<std::string>;

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
               {20, 15, 2, 2},       {20, 20, 2, 2},                                   // shared edge and node
               {41, 5, 0, 0},        {5, 30.01f, 0, 0}, {1e9f, 1e9f, 0, 0}};
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

// Turned and curvilinear grids are checked by the bucket index test below
// against the scan, which takes cells of either orientation.
TEST(GridLocation, MirroredGridsAreFound) {
  // Rows running downwards (a grid stored north to south): the orientation
  // of the first cell is clockwise, and cells are still found.
  V x, y, v;
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) x.push_back(float(10 * i)), y.push_back(float(-10 * j)), v.push_back(float(i + j));
  const GridData g{x, y, v, 3, 3, 3, -9999.0f};
  const GridHit h = grloct_at(g, 15, -5);
  EXPECT_EQ(std::pair(h.i, h.j), std::pair(2, 1));
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

class ContourViewTest : public korvel::testing::ViewerTest {
 protected:
  // A smooth hill over nx x ny nodes of spacing d; node 1 empty.
  GridData hill(int nx, int ny, float d) {
    x_.clear(), y_.clear(), v_.clear();
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i) {
        x_.push_back(float(i) * d), y_.push_back(float(j) * d);
        const float u = float(i) / float(nx - 1) - 0.4f, w = float(j) / float(ny - 1) - 0.5f;
        v_.push_back(420 + 30 * std::exp(-6 * (u * u + w * w)) + 3 * std::sin(9 * u));
      }
    v_[0] = -9999.0f;
    return GridData{x_, y_, v_, nx, nx, ny, -9999.0f};
  }
  // Calls the view with code >= 0, or runs entry -code of the mode's
  // table; returns what was requested of the loop.
  ViewRequest call(int code, const GridData& g, float x = 0, float y = 0) {
    grcomn.xcrsgr = x;
    grcomn.ycrsgr = y;
    ViewContext v{code, w_, x, y};
    if (code >= 0 || code == -99) grcon1(v, g, levels_, word_);
    else contour_entries(g)[size_t(-code - 1)].run(v);
    return v.requested();
  }
  // Shows the grid's extents in the window, as the control loop does.
  void frame(const GridData& g) {
    call(kViewExtents, g);
    korvel::testing::show_extents(w_);
  }
  std::string out() {
    unit_flush(kOutputUnit);
    return read_file("outp");
  }
  V x_, y_, v_;
  std::vector<float> levels_;
  std::array<double, 4> w_{};
  int word_ = kContourFill + kContourClasses;
};

// ---------------------------------------------------------------- the picture

TEST_F(ContourViewTest, ScreenShortCutsLeaveThePictureAsItIs) {
  for (int n : {30, 240}) {  // cells of several pixels, and cells below a pixel
    const GridData g = hill(n, n * 2 / 3, 1000.0f / float(n));
    for (int i = 0; i < n; ++i) y_[size_t(n * n / 3 + i)] += float(i % 2) * 600.0f / float(n);  // a bent row of nodes
    levels_.clear();
    word_ = kContourFill + kContourClasses;
    frame(g);
    const auto [fast_fills, all_fills] = expect_same_picture(grcnt.short_cuts, [&] { draw_grid(g, levels_); });
    EXPECT_LT(fast_fills, all_fills) << n;  // fewer polygons
  }
}

// A Polygon shapefile joins the fills of one colour, so the viewer hands
// it runs of cells whose shared straight stretches skip the nodes. The
// files must be those of every cell filled on its own: over empty nodes,
// a bent row of nodes, a cell spanning a level by a hair (filled whole,
// its neighbours cut in the middle of its edges), the whole grid and a
// view of part of it.
TEST_F(ContourViewTest, JoinedRunsWriteTheShapefileOfSingleCells) {
  install_file_devices();
  const GridData g = hill(60, 45, 10);
  v_[700] = v_[1500] = -9999.0f;
  for (int i = 0; i < 60; ++i) y_[size_t(20 * 60 + i)] += 0.5f * float(i % 3);
  frame(g);
  const float level = levels_[3], hair = 0.001f * (levels_[1] - levels_[0]);
  for (int k : {10 * 60 + 45, 10 * 60 + 46}) v_[size_t(k)] = level - hair, v_[size_t(k + 60)] = level + hair;
  for (const std::array<double, 4>& view : {w_, std::array<double, 4>{2600100, 2600400, 1200150, 1200350}}) {
    korvel::testing::show_extents(view);
    std::string files[2];
    for (int k = 0; k < 2; ++k) {
      grcnt.short_cuts = k == 0;
      const std::string base = "view" + std::to_string(k);
      grscpt(std::vector<std::string>{"1 " + base, "2 level", "3 3", "D"});
      ASSERT_EQ(grmode(kModeShape), kModeShape);
      draw_grid(g, levels_);
      grmode(0);
      files[k] = read_file(base + ".shp") + read_file(base + ".dbf");
    }
    grcnt.short_cuts = true;
    EXPECT_GT(files[0].size(), 2000u);
    EXPECT_EQ(files[0], files[1]) << view[0];
  }
}

TEST_F(ContourViewTest, DrawingStopsWhenInterrupted) {
  const GridData g = hill(40, 40, 10);
  frame(g);
  rec().clear_calls();
  EXPECT_TRUE(draw_grid(g, levels_, [] { return false; }));
  const int all = rec().count(DriverCall::Polygon);
  rec().push_key(0xFF1B);  // Escape, seen by the view's first look at the input
  rec().clear_calls();
  call(kViewDraw, g);
  EXPECT_LT(rec().count(DriverCall::Polygon), all);
  EXPECT_FALSE(script_pending());  // nothing queued for the loop
}

// ---------------------------------------------------------------- entries

TEST_F(ContourViewTest, InquireInputNodeAndSection) {
  const GridData g = hill(11, 11, 10);
  korvel::testing::write_file("pts.txt", "2600015 1200025\n2600500 1200500\n");
  korvel::testing::write_file("sec.txt", "2600000 1200050\n2600030 1200050\n2600030 1200090\n");
  grscpt(Entries{"I", "1 2600015", "2 1200025", "D", "N", "pts.txt", "A", "5", "S", "sec.txt", "S", "table.txt", "X",
                 "D"});
  call(-5, g);
  const GridHit h = grloct_at(g, 15, 25);
  EXPECT_EQ(dialogs.messages[0], "(X,Y):  2600015.00  1200025.00 F:" + fmt_f(h.value, 12, 3));
  const std::string o = out();
  // Node: the point outside the grid gets grloct's 0.
  EXPECT_NE(o.find("  2600015.00  1200025.00" + fmt_f(h.value, 9, 3) + "\n"), std::string::npos) << o;
  EXPECT_NE(o.find("  2600500.00  1200500.00    0.000\n"), std::string::npos);
  // Section at 5 m spacing: 6 samples on the first segment, 8 on the
  // second, and the end vertex at station 70.
  EXPECT_NE(o.find("       25.00" + fmt_f(grloct_at(g, 25, 50).value, 12, 3)), std::string::npos) << o;
  EXPECT_NE(o.find("       70.00" + fmt_f(grloct_at(g, 30, 90).value, 12, 3)), std::string::npos);
  // The page after the section is the section's own table, not the sum
  // curve of the grid.
  const std::string table = read_file("table.txt");
  EXPECT_EQ(table.substr(0, 27), "SUM CURVE\nVALUE[ ]  SUM[-]\n") << table;
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 32);
}

TEST_F(ContourViewTest, ASectionOfTooManySamplesIsRefusedBeforeTheWork) {
  const GridData g = hill(11, 11, 10);
  korvel::testing::write_file("sec.txt", "2600000 1200050\n2600030 1200050\n2600030 1200090\n");
  grscpt(Entries{"A", "0.000001", "S", "sec.txt", "D"});
  call(-5, g);
  EXPECT_EQ(dialogs.message_line, "the section would take more than 10000000 samples: choose a larger spacing");
  EXPECT_EQ(out().find("        0.00"), std::string::npos);  // no sample written
}

// Values 1, 2, 3 and 9.5: the defaults are minimum 1, maximum 10 and
// spacing 0.09, which makes 101 classes; the first 100 keep the spacing
// (level k = k * 0.09 + 1), so 2 lies in class 12 at level 2.08.
TEST_F(ContourViewTest, SumCurveKeepsTheSpacingOfItsDialog) {
  x_ = {0, 10, 0, 10}, y_ = {0, 0, 10, 10}, v_ = {1, 2, 3, 9.5f};
  const GridData g{x_, y_, v_, 2, 2, 2, -9999.0f};
  grscpt(Entries{"D", "S", "frac.txt", "X", "S", "area.txt"});
  call(-6, g);
  const std::string frac = read_file("frac.txt");
  EXPECT_EQ(std::count(frac.begin(), frac.end(), '\n'), 102);
  EXPECT_NE(frac.find("\n    2.08   0.500\n"), std::string::npos) << frac;
  // A spacing far finer than the values: 1 lies in the first class, the
  // others beyond the 100th and are counted in it.
  grscpt(Entries{"3 1e-30", "D", "S", "fine.txt", "X", "X"});
  call(-6, g);
  const std::string fine = read_file("fine.txt");
  EXPECT_EQ(fine.rfind("SUM CURVE\nLEVEL[M]   AREA[-]\n    1.00   0.250\n", 0), 0u) << fine;
}

// A turned grid with equal cells cannot be written as ESRI grid either.
TEST_F(ContourViewTest, OnlyEqualUnturnedCellsAllowTheGridFormat) {
  x_ = {0, 10, 0, 10};
  y_ = {0, 0, 12, 12};
  v_ = {1, 2, 3, 4};
  EXPECT_FALSE(equal_cells(GridData{x_, y_, v_, 2, 2, 2, -9999.0f}));
  y_ = {0, 0, 10.005f, 10.005f};
  EXPECT_TRUE(equal_cells(GridData{x_, y_, v_, 2, 2, 2, -9999.0f}));
  x_ = {0, 8.66f, -5, 3.66f};
  y_ = {0, 5, 8.66f, 13.66f};
  EXPECT_FALSE(equal_cells(GridData{x_, y_, v_, 2, 2, 2, -9999.0f}));
}

}  // namespace
