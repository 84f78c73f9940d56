// Inquire of the surface viewer, run through its menu entry with script
// answers: Section and Channel on a tilted plane against the plane itself,
// Slope and Volume messages, Mean, a flow path down a cone, and what is
// refused (fine spacings, empty surfaces, cancelled forms, blank names).

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/surface/surface_inquire.h"
#include "sketra/ui/dialogs.h"
#include "support/recording.h"
#include "support/testdir.h"

namespace {

using namespace sketra;
using korvel::testing::read_file;
using korvel::testing::write_file;

constexpr double kX0 = 2600000, kY0 = 1200000;

class InquireTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    set_dialog_ui(nullptr);
    ASSERT_TRUE(unit_open(40, "outp", FileStatus::unknown));
    grcomn.joutgr = 40;
    grvalu8("XORGR", kX0);
    grvalu8("YORGR", kY0);
  }
  // n x n nodes d apart from (0, 0), two triangles per cell, values f(x, y).
  template <class F>
  SurfaceData grid(int n, float d, F f) {
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i) {
        x_.push_back(float(i) * d), y_.push_back(float(j) * d);
        v_.push_back(float(f(double(i) * d, double(j) * d)));
      }
    for (int j = 0; j + 1 < n; ++j)
      for (int i = 0; i + 1 < n; ++i) {
        const std::int32_t p = j * n + i + 1;
        t_.push_back({p, p + 1, p + n + 1});
        t_.push_back({p, p + n + 1, p + n});
      }
    return SurfaceData{x_, y_, v_, t_};
  }
  static double plane(double x, double y) { return 100 + 0.1 * x + 0.05 * y; }
  // Runs Inquire with the script entries; once they are used up, the
  // person presses D (Done).
  void inquire(SurfaceView& s, const std::vector<std::string>& script) {
    grscpt(script);
    rec().set_on_idle([this] { rec().push_key('d'); });
    std::array<double, 4> w{};
    ViewContext v{-6, w, 0, 0};
    surface_entries(s)[5].run(v);
    EXPECT_FALSE(script_pending());
    unit_flush(40);
  }
  static std::vector<std::vector<double>> numbers(const std::string& text, bool skip_slash = true) {
    std::vector<std::vector<double>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
      if (skip_slash && line.starts_with("/")) continue;
      std::vector<double> row;
      std::istringstream w(line);
      for (double d; w >> d;) row.push_back(d);
      rows.push_back(row);
    }
    return rows;
  }
  std::vector<float> x_, y_, v_;
  std::vector<Triangle> t_;
};

TEST_F(InquireTest, SectionOfATiltedPlaneIsStraightAndItsDefaultLineStays) {
  SurfaceView s(grid(11, 10, plane));
  write_file("sec.xyz", "default 5 2 100\n2600010 1200010\n2600070 1200090\n");
  inquire(s, {"S", "sec.xyz", "4 river", "D", "S", "sec.txt", "D"});
  const std::string page = read_file("sec.txt");
  EXPECT_TRUE(page.starts_with("/Section river\n"));
  const auto rows = numbers(page);
  ASSERT_EQ(rows.size(), 21u);  // 100 m in 5 m steps, the end included
  for (std::size_t j = 0; j < rows.size(); ++j) {
    const double s5 = 5.0 * double(j), x = 10 + 0.6 * s5, y = 10 + 0.8 * s5;
    EXPECT_NEAR(rows[j][0], s5 * 2 + 100, 1e-3);
    EXPECT_NEAR(rows[j][1], plane(x, y), 2e-3);
  }
  EXPECT_EQ(grtrs.cspace, 5.0);
  EXPECT_EQ(grtrs.dfac, 2.0f);
  EXPECT_EQ(grtrs.dorig, 100.0f);

  // A later file without a default line keeps them; co-ordinates listed.
  write_file("sec2.xyz", "2600010 1200010\n2600020 1200010\n");
  inquire(s, {"S", "sec2.xyz", "5 +", "D", "S", "sec2.txt", "D"});
  EXPECT_EQ(read_file("sec2.txt"), "/Section\n  2600010.00  1200010.00    101.50\n  2600015.00  1200010.00    102.00\n"
                                   "  2600020.00  1200010.00    102.50\n/Section\n");

  // Spacing 0 or below: the vertices only.
  write_file("sec3.xyz", "default -1 1 0\n2600010 1200010\n2600020 1200010\n2600020 1200030\n");
  inquire(s, {"S", "sec3.xyz", "D", "S", "sec3.txt", "D"});
  EXPECT_EQ(numbers(read_file("sec3.txt")).size(), 3u);

  // A spacing far too fine is refused at once; a cancelled form or a value
  // out of range changes nothing.
  inquire(s, {"S", "sec.xyz", "1 1e-30", "D"});
  EXPECT_NE(dialogs.messages.back().find("more than 1000000 points"), std::string::npos);
  grtrs.cspace = 5;
  write_file("sec5.xyz", "default 7 3 4\n2600010 1200010\n");
  inquire(s, {"S", "sec5.xyz"});  // the form is cancelled
  inquire(s, {"S", "sec.xyz", "1 nan", "D"});
  EXPECT_EQ(grtrs.cspace, 5.0);
  EXPECT_EQ(grtrs.dfac, 2.0f);
  // A blank name returns to the submenu.
  inquire(s, {"S", " "});
}

TEST_F(InquireTest, ChannelCrossSectionsLieAcrossTheAxis) {
  SurfaceView s(grid(11, 10, plane));
  write_file("axis.xyz", "2600010 1200050\n2600090 1200050\n");
  // Every 40 m, 20 m wide, a point every 5 m, from km 1 with factor 1.
  inquire(s, {"C", "axis.xyz", "1 40", "2 20", "3 5", "4 1", "D"});
  const std::string out = read_file("outp");
  std::istringstream in(out);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 3u * 9u);  // stations 0, 40, 80: four lines and five points each
  for (int k = 0; k < 3; ++k) {
    const double sx = 10 + 40 * k;
    const std::size_t at = std::size_t(k) * 9;
    EXPECT_EQ(lines[at], fmt_i(k + 1, 6));
    EXPECT_EQ(lines[at + 1], "locate" + fmt_f(kX0 + sx, 12, 2) + fmt_f(kY0 + 50, 12, 2) + "   180.0");
    EXPECT_EQ(lines[at + 2], "cs 'C0000" + std::to_string(k + 1) + "' " + fmt_f(1 + 0.04 * k, 8, 3) + " /");
    EXPECT_TRUE(lines[at + 3].starts_with("    5 axis.xyz"));
    for (int i = 0; i < 5; ++i)  // from the left bank (north) southwards
      EXPECT_EQ(lines[at + 4 + std::size_t(i)], fmt_f(5.0 * i, 8, 2) + fmt_f(plane(sx, 60 - 5.0 * i), 8, 2) + " /");
  }
}

TEST_F(InquireTest, SlopeVolumeAndMeanReportWhatTheFormulasGive) {
  SurfaceView s(grid(11, 10, plane));
  inquire(s, {"#4 10 10", ". 40 10", ". 40 50"});
  const auto& m = dialogs.messages;
  ASSERT_GE(m.size(), 2u);
  EXPECT_EQ(m[m.size() - 2], "distance=   30.00 m slope= -10.00% m slope(local)= -10.00%");
  EXPECT_EQ(m.back(), "distance=   70.00 m slope=  -7.14% m slope(local)=  -5.00%");

  // The cells of 20 <= x <= 60, 20 <= y <= 50; the plane wholly below 200.
  inquire(s, {"V", ". 20 20", ". 60 20", ". 60 50", ". 20 50", "D", "200", "S", "vol.txt", "D"});
  EXPECT_EQ(read_file("vol.txt"), "Area        [m2]=       1200.\nVolume below[m3]=     113100.\n"
                                  "Volume above[m3]=          0.\n");
  EXPECT_EQ(grtrs.rvalue, 200.0f);
  // A level through the middle: the volumes above and below balance.
  const VolumeSums v = surface_volume(s.data, [] {
    Polygon p;
    p.x = {20, 60, 60, 20}, p.y = {20, 20, 50, 50};
    return p;
  }(), float(plane(40, 35)), -9999);
  EXPECT_NEAR(v.below, v.above, 1.0);

  write_file("poly.xyz", "2600015 1200015\n2600035 1200015\n2600035 1200035\n2600015 1200035\n");
  inquire(s, {"M", "poly.xyz"});
  // Nodes (20, 20), (30, 20), (20, 30), (30, 30): values 103, 104, 103.5, 104.5
  EXPECT_EQ(dialogs.messages.back(), "n=    4 Mean=     103.750 Stdev=       0.645");
}

TEST_F(InquireTest, FlowtraceRunsDownAConeToItsLowestNode) {
  SurfaceView s(grid(21, 5, [](double x, double y) { return 10 + std::hypot(x - 50, y - 50); }));
  v_[5] = -9999.0f;  // an empty node on the way is never entered
  inquire(s, {"#7 1 2"});
  const auto rows = numbers(read_file("outp"));
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows.front()[0], kX0);
  EXPECT_EQ(rows.front()[3], 1);
  EXPECT_EQ(rows.back()[0], kX0 + 50);
  EXPECT_EQ(rows.back()[1], kY0 + 50);
  EXPECT_NEAR(rows.back()[2], 10, 1e-6);
  for (std::size_t k = 1; k < rows.size(); ++k) {
    EXPECT_LT(rows[k][2], rows[k - 1][2]);
    EXPECT_EQ(rows[k][3], 0);
    EXPECT_NEAR(rows[k][4] - rows[k - 1][4], std::hypot(rows[k][0] - rows[k - 1][0], rows[k][1] - rows[k - 1][1]),
                0.011);
  }
  // A pit: the trace jumps to the nearest lower node within 100 m.
  std::vector<float> px = {0, 10, 0, 50, 30}, py = {0, 0, 10, 50, 30}, pv = {5, 6, 7, 1, 8};
  std::vector<Triangle> pt = {{1, 2, 3}};
  const auto path = flow_path(SurfaceData{px, py, pv, pt}, 0, -9999);
  ASSERT_EQ(path.size(), 2u);
  EXPECT_EQ(path[1].node, 3u);
  EXPECT_NEAR(path[1].distance, std::hypot(50.0, 50.0), 1e-9);
}

TEST_F(InquireTest, SurfacesWithoutAreaAreReported) {
  std::vector<float> x = {0, 1, 2}, y = {5, 5, 5}, v = {1, 2, 3};
  std::vector<Triangle> t = {{1, 2, 3}};
  SurfaceView flat(SurfaceData{x, y, v, t});
  grscpt("#9");
  std::array<double, 4> w{};
  ViewContext c{-6, w};
  surface_entries(flat)[5].run(c);
  EXPECT_EQ(dialogs.messages.back(), "the surface has no width: all nodes lie on one line");
  SurfaceView none(SurfaceData{x, y, v, {}});
  surface_entries(none)[5].run(c);
  EXPECT_EQ(dialogs.messages.back(), "the surface has no elements");
  script_drop();
}

TEST(PolygonTest, AnswersAsIgpolyDoes) {
  Polygon p;  // a star of 400 vertices
  for (int k = 0; k < 400; ++k) {
    const double a = k * 2 * M_PI / 400, r = k % 2 ? 40 : 100;
    p.x.push_back(float(r * std::cos(a))), p.y.push_back(float(r * std::sin(a)));
  }
  const PolygonTest test(p);
  std::mt19937 gen(7);
  std::uniform_real_distribution<float> u(-110, 110);
  for (int i = 0; i < 20000; ++i) {
    const float x = u(gen), y = u(gen);
    ASSERT_EQ(test.inside(x, y), igpoly(p.x, p.y, x, y) > 0) << x << " " << y;
  }
  for (std::size_t k = 0; k < p.x.size(); ++k) {  // vertices and edge midpoints
    const std::size_t m = (k + 1) % p.x.size();
    const float mx = (p.x[k] + p.x[m]) / 2, my = (p.y[k] + p.y[m]) / 2;
    EXPECT_EQ(test.inside(p.x[k], p.y[k]), igpoly(p.x, p.y, p.x[k], p.y[k]) > 0);
    EXPECT_EQ(test.inside(mx, my), igpoly(p.x, p.y, mx, my) > 0);
  }
}

}  // namespace
