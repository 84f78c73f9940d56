// The values of a triangulated surface at grid nodes (against barycentric
// interpolation computed here in double precision, the later-triangle rule,
// the band of a fifth of a cell outside the surface, grids that cannot be
// filled), and Map from the main menu and for the Grid menu's Tin: the
// surface over the points of the node file or 2DM mesh loaded last, its
// element file and the viewer. (The values of a grid set: TinValues above
// and tests/e2e/test_surface.sh.)
#include "app/mapping/mapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <random>
#include <vector>

#include "app/grid.h"
#include "app/map.h"
#include "sketra/control/control.h"
#include "support/answer_ui.h"
#include "support/app_fixture.h"

namespace {

using namespace korvel;
using Entries = std::vector<std::string>;
using korvel::testing::write_file;

constexpr float kNodata = -9999.0f;

struct Grid {
  std::vector<float> gx, gy;
  GridGeometry geo;
  GridTarget target() const { return {gx, gy, geo, kNodata}; }
};

// Node columns by repeated addition, as the gridding writes them.
Grid grid(float x0, float y0, float dx, float dy, int nx, int ny) {
  Grid g;
  g.geo = GridGeometry{x0, y0, dx, dy, nx, ny, 0};
  float y = y0;
  for (int j = 0; j < ny; ++j, y += dy) {
    float x = x0;
    for (int i = 0; i < nx; ++i, x += dx) g.gx.push_back(x), g.gy.push_back(y);
  }
  return g;
}

struct Surface {
  std::vector<float> x, y, z;
  std::vector<Triangle> t;
  Tin tin() { return Tin{x, y, z, t}; }
  std::int32_t add(float px, float py, float pz) {
    x.push_back(px), y.push_back(py), z.push_back(pz);
    return std::int32_t(x.size());
  }
};

// The value of the last triangle that holds (px, py), by area ratios in
// double precision; nullopt when none holds it with a margin of `margin`.
std::optional<double> barycentric(const Surface& s, double px, double py, double margin) {
  std::optional<double> v;
  for (const Triangle& t : s.t) {
    const std::size_t a = std::size_t(t.a - 1), b = std::size_t(t.b - 1), c = std::size_t(t.c - 1);
    auto area = [](double x1, double y1, double x2, double y2, double x3, double y3) {
      return 0.5 * ((x2 - x1) * (y3 - y1) - (x3 - x1) * (y2 - y1));
    };
    const double whole = area(s.x[a], s.y[a], s.x[b], s.y[b], s.x[c], s.y[c]);
    const double la = area(px, py, s.x[b], s.y[b], s.x[c], s.y[c]) / whole;
    const double lb = area(s.x[a], s.y[a], px, py, s.x[c], s.y[c]) / whole;
    const double lc = 1 - la - lb;
    if (la >= margin && lb >= margin && lc >= margin) v = la * s.z[a] + lb * s.z[b] + lc * s.z[c];
  }
  return v;
}

TEST(TinValues, MatchBarycentricInterpolationInsideTheSurface) {
  Surface s;
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> jitter(-0.35f, 0.35f);
  const int n = 21;
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const float x = float(i) + (i > 0 && i < n - 1 ? jitter(rng) : 0.0f);
      const float y = float(j) + (j > 0 && j < n - 1 ? jitter(rng) : 0.0f);
      s.add(x, y, 400.0f + std::sin(x) * 3.0f + 0.2f * x * y);
    }
  for (int j = 0; j + 1 < n; ++j)
    for (int i = 0; i + 1 < n; ++i) {
      const std::int32_t p = std::int32_t(j * n + i + 1);
      s.t.push_back({p, p + 1, p + n + 1});
      s.t.push_back({p, p + n + 1, p + n});
    }
  const Grid g = grid(0.1f, 0.05f, 0.37f, 0.41f, 60, 52);
  std::vector<float> values(60 * 52, 0.0f);
  ASSERT_TRUE(tin_values(s.tin(), g.target(), values));
  int compared = 0;
  for (std::size_t m = 0; m < values.size(); ++m) {
    const auto want = barycentric(s, g.gx[m], g.gy[m], 1e-4);
    if (!want) continue;
    EXPECT_NEAR(values[m], *want, 2e-3) << "node " << m;
    ++compared;
  }
  EXPECT_GT(compared, 2300);  // (nodes beyond the surface: LaterTrianglesWinAndNodesAFifth... below)
}

// Neighbours that meet along x = y with different heights: the node on the
// edge takes the later one's value; so does a node inside overlapping
// triangles (below).
TEST(TinValues, LaterTrianglesWinAndNodesAFifthOfACellOutsideAreExtrapolated) {
  Surface t;
  const auto p = t.add(0, 0, 5), q = t.add(4, 0, 5), r = t.add(4, 4, 5);
  const auto u = t.add(0, 0, 7), w = t.add(4, 4, 7), k = t.add(0, 4, 7);
  t.t = {{p, q, r}, {u, w, k}};
  const Grid h = grid(0, 0, 1, 1, 5, 5);
  std::vector<float> hv(25);
  ASSERT_TRUE(tin_values(t.tin(), h.target(), hv));
  EXPECT_EQ(hv[2 * 5 + 2], 7.0f);  // (2, 2)
  EXPECT_EQ(hv[0 * 5 + 3], 5.0f);  // (3, 0): first triangle only

  Surface s;
  const auto a = s.add(0, 0, 0), b = s.add(10, 0, 10), c = s.add(0, 10, 20);  // z = x + 2y
  s.t = {{a, b, c}};
  // Column 1 lies 0.15 left of the surface, row 1 0.3 below it.
  const Grid g = grid(-0.15f, -0.3f, 1, 1, 12, 12);
  std::vector<float> v(144);
  ASSERT_TRUE(tin_values(s.tin(), g.target(), v));
  // (1, 2) at (-0.15, 0.7): the shift to the right reaches x = 0.05.
  EXPECT_NEAR(v[1 * 12 + 0], 0.05f + 2 * 0.7f, 1e-4);
  EXPECT_NEAR(v[3 * 12 + 4], 3.85f + 2 * 2.7f, 1e-4);  // inside
  for (int i = 0; i < 12; ++i) EXPECT_EQ(v[std::size_t(i)], kNodata) << i;  // row 1
  EXPECT_EQ(v[11 * 12 + 11], kNodata);  // far beyond the hypotenuse

  // A node reached by a shift keeps the first triangle's value against a
  // later triangle that reaches it by a shift too, but not against one
  // that holds it.
  const auto d = s.add(0, 0, 100), e = s.add(10, 0, 100), f = s.add(0, 10, 100);
  s.t = {{a, b, c}, {d, e, f}};
  ASSERT_TRUE(tin_values(s.tin(), g.target(), v));
  EXPECT_NEAR(v[1 * 12 + 0], 1.45f, 1e-4);
  EXPECT_EQ(v[3 * 12 + 4], 100.0f);
}

TEST(TinValues, RefusesGridsItCannotFillAndStopsWhenAsked) {
  Surface s;
  s.t = {{s.add(0, 0, 1), s.add(4, 0, 1), s.add(0, 4, 1)}};
  std::vector<float> v(16, 3.0f);
  EXPECT_FALSE(tin_values(s.tin(), grid(0, 0, 1, 1, 1, 1).target(), v));  // one node
  EXPECT_FALSE(tin_values(s.tin(), grid(0, 0, 0, 1, 4, 4).target(), v));  // no spacing
  Grid short_columns = grid(0, 0, 1, 1, 4, 4);
  short_columns.gx.resize(10);
  EXPECT_FALSE(tin_values(s.tin(), short_columns.target(), v));
  EXPECT_FALSE(tin_values(s.tin(), grid(0, 0, 1, 1, 4, 5).target(), v));  // too few values
  const auto stop = [](std::int64_t, std::int64_t) { return false; };
  EXPECT_FALSE(tin_values(s.tin(), grid(0, 0, 1, 1, 4, 4).target(), v, stop));
  // A triangle with a corner outside the points is passed over.
  s.t.push_back({1, 2, 9});
  EXPECT_TRUE(tin_values(s.tin(), grid(0, 0, 1, 1, 4, 4).target(), v));
  EXPECT_EQ(v[0], 1.0f);
}

class MapTest : public korvel::testing::AppWindowTest {
 protected:
  void SetUp() override {
    AppWindowTest::SetUp();
    sketra::set_dialog_ui(&ui_);
  }
  // Three points first (the store origin at 1000, 2000), then a node file
  // of four nodes numbered from 0 Added after them: z = 10 + x + y on the
  // first triangle.
  void points_then_nodes(const std::string& ele) {
    ASSERT_EQ(load_text("pts.xyz", "1000 2000 1\n1001 2001 2\n1002 2002 3\n"), LoadOutcome::loaded);
    write_file("tin.node", "4 2 1 0\n0 1000 2000 10\n1 1010 2000 20\n2 1010 2010 30\n3 1000 2010 40\n");
    write_file("tin.ele", ele);
    ASSERT_EQ(load_file("tin.node", kAdd, {}), LoadOutcome::loaded);
    ASSERT_EQ(cin1.np, 7);
  }
  int run(const Entries& script, int g = -1) {
    sketra::scriptq.reset();
    sketra::grscpt(script);
    map(g);
    return g;
  }
  korvel::testing::AnswerUi ui_;
};

constexpr const char* kTwoTriangles = "2 3 0\n1 0 1 2\n2 0 2 3\n";

TEST_F(MapTest, ViewsTheSurfaceOfANodeFileNumberedFromZeroOrOfA2dmMesh) {
  points_then_nodes(kTwoTriangles);
  run({"E 5 2", "X"});  // the viewer: Examine at (5, 2)
  const std::string out = log();
  EXPECT_NE(out.find("(X,Y):     1005.00     2002.00  F:       17.00"), std::string::npos) << out;
  // The plot origin is back where it was.
  EXPECT_EQ(sketra::grvalu8("XORGR"), 1000.0);
  write_file("m.2dm",
             "MESH2D\nND 1 0 0 1\nND 2 10 0 2\nND 3 10 10 3\nND 4 0 10 4\nND 5 20 0 5\n"
             "E4Q 1 1 2 3 4 1\nE3T 2 2 5 3 1\n");
  ASSERT_EQ(load_file("m.2dm", kLoad, {"D"}), LoadOutcome::loaded);
  run({"X"});
  EXPECT_NE(log().find(" found         3 triangles"), std::string::npos) << log();
}

TEST_F(MapTest, ElementFilesThatDoNotFitOrAreMissingMapAndStoreNothing) {
  // A node number beyond the node file's (numbered 0 ... 3).
  points_then_nodes("2 3 0\n1 0 1 2\n2 0 4 3\n");
  run({});
  EXPECT_EQ(sketra::ctrl.view_calls, 0);
  ASSERT_EQ(ui_.pages.size(), 1u);
  EXPECT_EQ(ui_.pages[0], (Entries{"error in element file. line number:", "           2"}));
  // No element file: a help page, then the choice again (cancelled). (A
  // list too short: MeshFilesTest ElementsRoundTrip...AndBadFilesSayWhy.)
  write_file("tin.ele", "nodes 1 2\n");
  run({});
  EXPECT_EQ(ui_.pages.size(), 2u);
  EXPECT_EQ(sketra::ctrl.view_calls, 0);
  // Grid -> Tin without an element file stores nothing. (A finished Tin
  // stored as a set: tests/e2e/test_surface.sh.)
  std::filesystem::remove("tin.ele");
  sketra::grscpt(Entries{"D"});
  EXPECT_EQ(grid_action(4), GridResult::cancelled);
  EXPECT_EQ(cplot.nsets, 0);
  EXPECT_TRUE(cin.value[0].empty());
}

}  // namespace
