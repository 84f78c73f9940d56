// Inquire of the surface viewer, run through its menu entry with script
// answers: Section and Channel on a tilted plane, the Slope message, Mean,
// a flow path down a cone, and what is refused (fine spacings, empty
// surfaces, cancelled forms, blank names).

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
#include "sketra/ui/display_buffer.h"
#include "support/surface_fixture.h"
#include "support/testdir.h"

namespace {

using namespace sketra;
using korvel::testing::read_file;
using korvel::testing::write_file;

constexpr double kX0 = 2600000, kY0 = 1200000;

class InquireTest : public korvel::testing::SurfaceTest {
 protected:
  static double plane(double x, double y) { return 100 + 0.1 * x + 0.05 * y; }
  // Runs Inquire with the script entries; once they are used up, the
  // person presses D (Done).
  void inquire(SurfaceView& s, const std::vector<std::string>& script) {
    grscpt(script);
    rec().set_on_idle([this] { rec().push_key('d'); });
    ViewContext v{-6, w_};
    surface_entries(s)[5].run(v);
    unit_flush(40);
  }
  // The numbers of each line of a file that does not start with "/".
  static std::vector<std::vector<double>> numbers(const std::string& file) {
    std::vector<std::vector<double>> rows;
    std::istringstream in(read_file(file));
    for (std::string line; std::getline(in, line);) {
      if (line.starts_with("/")) continue;
      std::vector<double> row;
      std::istringstream w(line);
      for (double d; w >> d;) row.push_back(d);
      rows.push_back(row);
    }
    return rows;
  }
};

TEST_F(InquireTest, SectionKeepsItsDefaultLineAndRefusesWhatItCannotDo) {
  SurfaceView s(surface(11, 10, plane));
  write_file("sec.xyz", "default 5 2 100\n2600010 1200010\n2600070 1200090\n");
  inquire(s, {"S", "sec.xyz", "4 river", "D", "S", "sec.txt", "D"});
  const auto rows = numbers("sec.txt");
  // 100 m in 5 m steps, the end included (the values are checked against
  // the triangles in the end-to-end Inquire session).
  ASSERT_EQ(rows.size(), 21u);
  EXPECT_NEAR(rows[20][1], plane(70, 90), 2e-3);
  EXPECT_TRUE(grtrs.cspace == 5 && grtrs.dfac == 2 && grtrs.dorig == 100);

  // A later file without a default line keeps them; co-ordinates listed.
  write_file("sec2.xyz", "2600010 1200010\n2600020 1200010\n");
  inquire(s, {"S", "sec2.xyz", "5 +", "D", "S", "sec2.txt", "D"});
  EXPECT_EQ(read_file("sec2.txt"), "/Section\n  2600010.00  1200010.00    101.50\n  2600015.00  1200010.00    102.00\n"
                                   "  2600020.00  1200010.00    102.50\n/Section\n");

  // Spacing 0 or below: the vertices only.
  write_file("sec3.xyz", "default -1 1 0\n2600010 1200010\n2600020 1200010\n2600020 1200030\n");
  inquire(s, {"S", "sec3.xyz", "D", "S", "sec3.txt", "D"});
  EXPECT_EQ(numbers("sec3.txt").size(), 3u);

  // A spacing far too fine is refused at once; a cancelled form or a value
  // out of range changes nothing.
  inquire(s, {"S", "sec.xyz", "1 1e-30", "D"});
  EXPECT_NE(dialogs.messages.back().find("more than 1000000 points"), std::string::npos);
  grtrs.cspace = 5;
  write_file("sec5.xyz", "default 7 3 4\n2600010 1200010\n");
  inquire(s, {"S", "sec5.xyz"});  // the form is cancelled
  inquire(s, {"S", "sec.xyz", "1 nan", "D"});
  EXPECT_TRUE(grtrs.cspace == 5 && grtrs.dfac == 2);
  inquire(s, {"S", " "});  // a blank name: back to the submenu
  // Escape stops a long section: no page, and Inquire is left at once.
  rec().push_key(0xFF1B);
  inquire(s, {"S", "sec.xyz", "1 0.001", "D"});
  EXPECT_EQ(dialogs.messages.back(), "interrupted");
  EXPECT_TRUE(display_buffer.lines.empty());
}

TEST_F(InquireTest, ChannelCrossSectionsLieAcrossTheAxis) {
  SurfaceView s(surface(11, 10, plane));
  write_file("axis.xyz", "2600010 1200050\n2600090 1200050\n");
  // Every 40 m, 20 m wide, a point every 5 m, from km 1 with factor 1.
  inquire(s, {"C", "axis.xyz", "1 40", "2 20", "3 5", "4 1", "D"});
  std::istringstream in(read_file("outp"));
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 3u * 9u);  // stations 0, 40, 80: four lines and five points each
  EXPECT_EQ(lines[9], "     2");  // the second, at x = 50
  EXPECT_EQ(lines[10], "locate  2600050.00  1200050.00   180.0");
  EXPECT_EQ(lines[11], "cs 'C00002'    1.040 /");
  EXPECT_TRUE(lines[12].starts_with("    5 axis.xyz"));
  for (std::size_t i = 0; i < 5; ++i)  // from the left bank (north) southwards
    EXPECT_EQ(lines[13 + i], fmt_f(5.0 * double(i), 8, 2) + fmt_f(plane(50, 60 - 5.0 * double(i)), 8, 2) + " /");
}

// Volume pages are checked against the triangles in the end-to-end Inquire
// session.
TEST_F(InquireTest, SlopeAndMeanReportWhatTheFormulasGive) {
  SurfaceView s(surface(11, 10, plane));
  inquire(s, {"#4 10 10", ". 40 10", ". 40 50"});
  const auto& m = dialogs.messages;
  ASSERT_GE(m.size(), 2u);
  EXPECT_EQ(m[m.size() - 2], "distance=   30.00 m slope= -10.00% m slope(local)= -10.00%");
  EXPECT_EQ(m.back(), "distance=   70.00 m slope=  -7.14% m slope(local)=  -5.00%");

  write_file("poly.xyz", "2600015 1200015\n2600035 1200015\n2600035 1200035\n2600015 1200035\n");
  inquire(s, {"M", "poly.xyz"});
  // Nodes (20, 20), (30, 20), (20, 30), (30, 30): values 103, 104, 103.5, 104.5
  EXPECT_EQ(dialogs.messages.back(), "n=    4 Mean=     103.750 Stdev=       0.645");
}

TEST_F(InquireTest, FlowtraceRunsDownAConeToItsLowestNode) {
  SurfaceView s(surface(21, 5, [](double x, double y) { return 10 + std::hypot(x - 50, y - 50); }));
  v_[22] = -9999.0f;  // (5, 5), an empty node on the way: never entered
  inquire(s, {"#7 1 2"});
  const auto rows = numbers("outp");  // x, y, value, code, distance
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows.front(), (std::vector<double>{kX0, kY0, 80.71, 1, 0}));
  EXPECT_EQ(rows.back(), (std::vector<double>{kX0 + 50, kY0 + 50, 10, 0, rows.back()[4]}));
  for (std::size_t k = 1; k < rows.size(); ++k)
    EXPECT_TRUE(!(rows[k][0] == kX0 + 5 && rows[k][1] == kY0 + 5) &&
                std::fabs(rows[k][4] - rows[k - 1][4] - std::hypot(rows[k][0] - rows[k - 1][0], rows[k][1] - rows[k - 1][1])) < 0.011);
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
  SurfaceView flat(SurfaceData{x, y, v, t}), none(SurfaceData{x, y, v, {}});
  inquire(flat, {});
  EXPECT_EQ(dialogs.messages.back(), "the surface has no width: all nodes lie on one line");
  inquire(none, {});
  EXPECT_EQ(dialogs.messages.back(), "the surface has no elements");
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
  std::vector<std::pair<float, float>> at;  // random points, vertices and points on edges
  for (int i = 0; i < 20000; ++i) at.emplace_back(u(gen), u(gen));
  for (std::size_t k = 0; k < 400; ++k)
    at.emplace_back(p.x[k], p.y[k]), at.emplace_back((p.x[k] + p.x[(k + 1) % 400]) / 2, (p.y[k] + p.y[(k + 1) % 400]) / 2);
  for (const auto& [x, y] : at) ASSERT_EQ(test.inside(x, y), igpoly(p.x, p.y, x, y) > 0) << x << " " << y;
}

}  // namespace
