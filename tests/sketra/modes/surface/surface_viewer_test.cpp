// The surface viewer through its view callback and entry table: set-up,
// the picture on the screen against every triangle drawn, area_plot,
// per-triangle values, and what grtrig refuses; point in triangle (igrtri) and the triangle index against a scan
// of every triangle in stored order.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/classes.h"
#include "sketra/modes/surface/surface_viewer.h"
#include "sketra/ui/dialogs.h"
#include "support/recording.h"
#include "support/surface_fixture.h"
#include "support/testdir.h"

namespace {

using namespace sketra;

class SurfaceViewTest : public korvel::testing::SurfaceTest {
 protected:
  // n x n nodes d apart, a hill.
  SurfaceData hill(int n, float d) {
    const double size = double(d) * (n - 1);
    return surface(n, d, [size](double x, double y) {
      const double u = x / size - 0.4, w = y / size - 0.5;
      return 420 + 30 * std::exp(-6 * (u * u + w * w));
    });
  }
  ViewRequest call(SurfaceView& s, int code, float x = 0, float y = 0) {
    ViewContext v{code, w_, x, y};
    if (code >= 0) grtri1(v, s, levels_, word_);
    else surface_entries(s)[std::size_t(-code - 1)].run(v);
    return v.requested();
  }
  // Shows the extents in the window, as the control loop does.
  void frame(SurfaceView& s) {
    call(s, kViewExtents);
    korvel::testing::show_extents(w_);
  }
  std::vector<float> levels_;
  int word_ = kSurfaceFill + kSurfaceClasses;
};

TEST_F(SurfaceViewTest, SetUpReportsExtentsMinimumAndTheTable) {
  SurfaceView s(hill(5, 10));
  v_[3] = -9999.0f;  // no data: not the minimum
  call(s, kViewExtents);
  EXPECT_EQ(w_, (std::array<double, 4>{2600000.0, 2600040.0, 1200000.0, 1200040.0}));
  EXPECT_GT(grtrs.fmin, 400.0f);
  EXPECT_EQ(grclass.value_min, grtrs.fmin);
  EXPECT_EQ(levels_.size(), std::size_t(class_count()));
  std::fill(v_.begin(), v_.end(), -9999.0f);
  call(s, kViewExtents);
  EXPECT_EQ(grtrs.fmin, 9.0e10f);
}

TEST_F(SurfaceViewTest, ScreenShortCutsLeaveThePictureAsItIs) {
  for (int n : {12, 200}) {  // triangles of many pixels, and below a pixel
    SurfaceView s(hill(n, 1000.0f / float(n - 1)));
    levels_.clear();
    frame(s);
    if (n == 200) {  // ten times the surface's extent in view: triangles below a pixel
      auto& c = grcomn;
      grsset(c.xmingr, c.xmingr + 10 * (c.xmaxgr - c.xmingr), c.ymingr, c.ymingr + 10 * (c.ymaxgr - c.ymingr));
      c.xmxcgr = c.xmaxgr, c.ymxcgr = c.ymaxgr;
      grsfac();
    }
    const auto [fast_fills, all_fills] = expect_same_picture(grtrs.short_cuts, [&] { draw_surface(s, levels_); });
    EXPECT_TRUE(n != 200 || fast_fills < all_fills);  // fewer polygons below a pixel
  }
}

TEST_F(SurfaceViewTest, AreaPlotGivesEachNodeAThirdOfItsTrianglesSignedAreas) {
  SurfaceView s(hill(3, 10));
  t_[0] = {t_[0].a, t_[0].c, t_[0].b};  // one clockwise triangle
  EXPECT_EQ(call(s, -9), ViewRequest::original);
  EXPECT_FLOAT_EQ(v_[8], 100.0f / 3);  // corner of two counter-clockwise triangles
  EXPECT_FLOAT_EQ(v_[1], -50.0f / 3 + 50.0f / 3 + 50.0f / 3);
  EXPECT_EQ(trim_right(grcomt.subtitle), "Cell-Area [m2]");
}

TEST_F(SurfaceViewTest, PerTriangleValuesDisableTheEntriesThatWorkByNode) {
  hill(3, 10);
  std::vector<float> per(t_.size(), 7.0f);
  SurfaceView s(SurfaceData{x_, y_, per, t_, true});
  // Grid, Alter, Map, Inquire, Write and area_plot would read values by node.
  for (std::size_t k : {2, 3, 4, 5, 6, 8}) EXPECT_EQ(surface_entries(s)[k].caption[0], '-') << k;
  frame(s);
  call(s, -1, 1, 0.5f);
  EXPECT_NE(dialogs.messages.back().find(" F:     7.000"), std::string::npos);
}

TEST_F(SurfaceViewTest, GrtrigRefusesBadWordsAndBadTrianglesAndRestoresTheOrigin) {
  const SurfaceData s = hill(3, 10);
  PlotTitles titles;
  EXPECT_FALSE(grtrig(s, titles, levels_, 0, 32, {0, 0}));
  EXPECT_FALSE(grtrig(s, titles, levels_, 0, 0, {0, 0}));
  t_[2].c = 10;  // node 10 of 9
  EXPECT_FALSE(grtrig(s, titles, levels_, 0, 6, {0, 0}));
  EXPECT_EQ(dialogs.messages.back(), "surface has bad triangles");
  t_[2].c = 9;
  grscpt("X");
  EXPECT_TRUE(grtrig(s, titles, levels_, 0, 6, {5000.0, 6000.0}));
  EXPECT_EQ(grvalu8("XORGR"), 2600000.0);
  EXPECT_EQ(grvalu8("YORGR"), 1200000.0);
}

// igrtri on the triangle (0,0,z=1) (10,0,z=2) (0,10,z=4): corners give
// their number and value, edges and inside points the linear value and the
// nearest corner (equal weights: the later corner), outside points and
// degenerate triangles 0 and value 0.
TEST(Igrtri, CornersEdgesInsideOutsideAndDegenerateTriangles) {
  struct Case {
    float x, y;
    int corner;  // -1: any corner but 0
    float value;
  } cases[] = {{0, 0, 1, 1},   {10, 0, 2, 2},        {0, 10, 3, 4},       {5, 0, -1, 1.5f}, {5, 5, -1, 3},
               {2, 2, 1, 1.8f}, {4, 4, 3, 1 + 0.4f + 1.2f}, {6, 6, 0, 0}, {-0.01f, 5, 0, 0}, {NAN, 1, 0, 0}};
  for (const Case& c : cases) {
    float v = 7;
    const int k = igrtri(0, 0, 1, 10, 0, 2, 0, 10, 4, c.x, c.y, v);
    if (c.corner < 0) EXPECT_NE(k, 0) << c.x << " " << c.y;
    else EXPECT_EQ(k, c.corner) << c.x << " " << c.y;
    EXPECT_FLOAT_EQ(v, c.value) << c.x << " " << c.y;
  }
  // Three corners on a line, a triangle of one point, a corner not a number.
  float v = 7;
  EXPECT_EQ(igrtri(0, 0, 1, 5, 5, 1, 10, 10, 1, 5, 5, v), 0);
  EXPECT_EQ(igrtri(3, 3, 1, 3, 3, 1, 3, 3, 1, 3, 3, v), 0);
  EXPECT_EQ(igrtri(0, 0, 1, NAN, 0, 2, 0, 10, 4, 1, 1, v), 0);
}

// A jittered mesh with a few large triangles laid over it, so that points
// lie in several triangles and some boxes span many buckets.
struct Mesh {
  std::vector<float> x, y, z;
  std::vector<Triangle> t;
};

Mesh mesh(int n, unsigned seed) {
  Mesh m;
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> jitter(-0.3f, 0.3f);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      m.x.push_back(float(i) + jitter(rng));
      m.y.push_back(float(j) + jitter(rng));
      m.z.push_back(float(i * j % 7));
    }
  auto id = [n](int i, int j) { return std::int32_t(j * n + i + 1); };
  for (int j = 0; j + 1 < n; ++j)
    for (int i = 0; i + 1 < n; ++i) {
      m.t.push_back({id(i, j), id(i + 1, j), id(i + 1, j + 1)});
      m.t.push_back({id(i, j), id(i + 1, j + 1), id(i, j + 1)});
      if ((i * 7 + j * 3) % 97 == 0) m.t.push_back({id(0, 0), id(n - 1, j), id(i, n - 1)});
    }
  return m;
}

TEST(TriangleIndex, FindsTheLowestNumberedTriangleAsAScanDoes) {
  Mesh m = mesh(40, 3);
  SurfaceData s{m.x, m.y, m.z, m.t};
  const TriangleIndex index(s);
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> pos(-2.0f, 42.0f);
  int found = 0;
  for (int q = 0; q < 3000; ++q) {
    const float px = pos(rng), py = pos(rng);
    std::int64_t scan = -1;
    float scan_value = 0;
    for (std::size_t k = 0; k < m.t.size() && scan < 0; ++k) {
      const Triangle& t = m.t[k];
      auto X = [&](int n) { return m.x[std::size_t(n - 1)]; };
      auto Y = [&](int n) { return m.y[std::size_t(n - 1)]; };
      auto Z = [&](int n) { return m.z[std::size_t(n - 1)]; };
      if (igrtri(X(t.a), Y(t.a), Z(t.a), X(t.b), Y(t.b), Z(t.b), X(t.c), Y(t.c), Z(t.c), px, py, scan_value) != 0)
        scan = std::int64_t(k);
    }
    const auto hit = index.find(px, py);
    ASSERT_EQ(hit.triangle, scan) << px << " " << py;
    if (scan >= 0) {
      EXPECT_EQ(hit.value, scan_value);
      ++found;
    }
  }
  EXPECT_GT(found, 2000);
}

TEST(TriangleIndex, PerTriangleValuesAreTheFoundTrianglesOwn) {
  Mesh m = mesh(5, 1);
  std::vector<float> per(m.t.size());
  for (std::size_t k = 0; k < per.size(); ++k) per[k] = float(k);
  SurfaceData s{m.x, m.y, per, m.t, true};
  const auto hit = TriangleIndex(s).find(m.x[0], m.y[0]);
  ASSERT_TRUE(hit.found());
  EXPECT_EQ(hit.value, float(hit.triangle));
}

}  // namespace
