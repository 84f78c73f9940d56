// The surface viewer through its view callback and entry table: set-up,
// the picture on the screen against every triangle drawn, shading, the
// entries Nearest, Examine and area_plot, per-triangle values, and what
// grtrig refuses.

#include <gtest/gtest.h>

#include <cmath>
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

TEST_F(SurfaceViewTest, GreyShadingClassesTrianglesByTheirSlopeToTheLight) {
  SurfaceView s(hill(20, 10));
  frame(s);
  grclass.scale = ScaleType::grey;
  grcomn.display.shading = 1;
  rec().clear_calls();
  draw_surface(s, levels_);
  // The flat triangles face the light alike; the hill's flanks do not.
  std::set<unsigned long> pixels;
  for (const auto* c : rec().of(DriverCall::Polygon)) pixels.insert(c->pixel);
  EXPECT_GE(pixels.size(), 3u);
  EXPECT_EQ(grcomn.colour.bank, 5);  // the bank is restored after the pass
}

TEST_F(SurfaceViewTest, NearestAndExamineReportOnTheTriangleAtTheCursor) {
  SurfaceView s(hill(5, 10));
  frame(s);
  call(s, -1, 12, 3);  // Nearest: node 2 at (10, 0)
  EXPECT_EQ(dialogs.messages.back(),
            "(X,Y): 2600010.00 1200000.00 (I):       2 F:" + fmt_f(v_[1], 10, 3));
  call(s, -2, 12, 3);
  float f = 0;
  igrtri(x_[1], y_[1], v_[1], x_[7], y_[7], v_[7], x_[6], y_[6], v_[6], 12, 3, f);  // triangle (2, 8, 7)
  EXPECT_EQ(dialogs.messages.back(), "(X,Y):  2600012.00  1200003.00  F:" + fmt_f(f, 12, 2));
  unit_flush(40);
  EXPECT_NE(korvel::testing::read_file("outp").find(" /"), std::string::npos);
  const std::size_t n = dialogs.messages.size();
  call(s, -2, -50, -50);  // outside: nothing
  EXPECT_EQ(dialogs.messages.size(), n);
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
  std::vector<std::string> captions;
  for (const auto& e : surface_entries(s)) captions.emplace_back(e.caption);
  EXPECT_EQ(captions, (std::vector<std::string>{"<NNearest", "<EExamine", "-GGrid", "-AAlter", "-MMap",
                                                "-IInquire", "-WWrite", " SShading", "- area_plot", " ??"}));
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

}  // namespace
