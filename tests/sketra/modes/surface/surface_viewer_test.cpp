// The surface viewer through its view callback and entry table: set-up,
// the picture on the screen against every triangle drawn,
// per-triangle values, and what grtrig refuses; point in triangle (igrtri)
// and the triangle index against a scan of every triangle in stored order.
// Inquire with script answers: Section and Channel on a tilted plane, a
// flow path down a cone, and what is refused (fine
// spacings, empty surfaces, cancelled forms, blank names). Map and Write:
// every written format against hand-made files, the 2DM read back, node
// files of every header kind mapped in place, Nearest at the boundary, and
// failures that must leave the node file as it was.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <sstream>
#include <vector>

#include "app/formats/mesh2dm.h"
#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/classes.h"
#include "sketra/modes/surface/surface_inquire.h"
#include "sketra/modes/surface/surface_viewer.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/display_buffer.h"
#include "support/answer_ui.h"
#include "support/recording.h"
#include "support/surface_fixture.h"
#include "support/testdir.h"
#include "support/viewer_fixture.h"

namespace {

using namespace sketra;
using korvel::testing::read_file;
using korvel::testing::write_file;

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

TEST_F(SurfaceViewTest, SetUpReportsExtentsAndTheMinimum) {
  SurfaceView s(hill(5, 10));
  v_[3] = -9999.0f;  // no data: not the minimum
  call(s, kViewExtents);
  EXPECT_EQ(w_, (std::array<double, 4>{2600000.0, 2600040.0, 1200000.0, 1200040.0}));
  EXPECT_GT(grtrs.fmin, 400.0f);
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
  EXPECT_EQ(std::pair(grvalu8("XORGR"), grvalu8("YORGR")), std::pair(2600000.0, 1200000.0));
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

// ---------------------------------------------------------------- Inquire

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
  // The stations and values are checked against the triangles in the
  // end-to-end Inquire session.
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
  for (std::size_t i = 0; i < 5; ++i)  // from the left bank (north) southwards
    EXPECT_EQ(lines[13 + i], fmt_f(5.0 * double(i), 8, 2) + fmt_f(plane(50, 60 - 5.0 * double(i)), 8, 2) + " /");
}

TEST_F(InquireTest, FlowtraceRunsDownAConeToItsLowestNode) {
  SurfaceView s(surface(21, 5, [](double x, double y) { return 10 + std::hypot(x - 50, y - 50); }));
  v_[22] = -9999.0f;  // (5, 5), an empty node on the way: never entered
  inquire(s, {"#7 1 2"});
  const auto rows = numbers("outp");  // x, y, value, code, distance
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows.back(), (std::vector<double>{kX0 + 50, kY0 + 50, 10, 0, rows.back()[4]}));
  for (const auto& row : rows) EXPECT_FALSE(row[0] == kX0 + 5 && row[1] == kY0 + 5);
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

// ---------------------------------------------------------------- Map and Write

class SurfaceFilesTest : public korvel::testing::ViewerTest {
 protected:
  // A square of 10 m: z = 10 + x + y below its diagonal, z = 10 + 3x - y above.
  std::vector<float> x_{0, 10, 10, 0}, y_{0, 0, 10, 10}, v_{10, 20, 30, 0};
  std::vector<Triangle> t_{{1, 2, 3}, {1, 3, 4}};
  SurfaceView view_{SurfaceData{x_, y_, v_, t_}};
  // Runs entry k (5 Map, 7 Write) of the viewer with the script answers.
  void run(int k, std::vector<std::string> answers) {
    grscpt(answers);
    ViewContext v{-k, w_, 0, 0};
    surface_entries(view_)[std::size_t(k - 1)].run(v);
  }
  std::array<double, 4> w_{};
};

TEST_F(SurfaceFilesTest, WriteGivesEveryFormatByteForByte) {
  run(7, {"X", "all.xyz", "#2", "s.att", "S", "s.slp", "#4", "s.area", "N", "s.nodeele", "2", "s.2dm", "M", "0",
          "X", "above0.xyz", "D"});
  const std::string ring = "  2600000.00  1200000.00\n  2600010.00  1200000.00\n  2600010.00  1200010.00\n"
                           "  2600000.00  1200000.00\n";
  const std::string ring2 = "  2600000.00  1200000.00\n  2600010.00  1200010.00\n  2600000.00  1200010.00\n"
                            "  2600000.00  1200000.00\n";
  EXPECT_EQ(read_file("s.att"), "4\n" + ring + "    20.000\n4\n" + ring2 + "    13.333\n");
  EXPECT_EQ(read_file("s.slp"), "4\n" + ring + "     1.414\n4\n" + ring2 + "     3.162\n");
  EXPECT_EQ(read_file("s.area"), "           2\n           1   20.0000000    \n           2   20.0000000    \n");
  EXPECT_EQ(read_file("s.nodeele"),
            "           4 2 1 1\n"
            "        1 2600000.000 1200000.000   10.000 0\n        2 2600010.000 1200000.000   20.000 0\n"
            "        3 2600010.000 1200010.000   30.000 0\n        4 2600000.000 1200010.000    0.000 0\n"
            "           2 3 0\n         1         1         2         3\n         2         1         3         4\n");
  EXPECT_EQ(read_file("s.2dm"),
            "MESH2D\nE3T        1       1       2       3   1\nE3T        2       1       3       4   1\n"
            "ND        1 0.260000000E+07 0.120000000E+07 0.1000000E+02\n"
            "ND        2 0.260001000E+07 0.120000000E+07 0.2000000E+02\n"
            "ND        3 0.260001000E+07 0.120001000E+07 0.3000000E+02\n"
            "ND        4 0.260000000E+07 0.120001000E+07 0.0000000E+00\n");
  const std::string xyz3 = "   2600000.0000000000        1200000.0000000000        10.0000000    \n"
                           "   2600010.0000000000        1200000.0000000000        20.0000000    \n"
                           "   2600010.0000000000        1200010.0000000000        30.0000000    \n";
  EXPECT_EQ(read_file("all.xyz"), xyz3 + "   2600000.0000000000        1200010.0000000000        0.00000000    \n");
  EXPECT_EQ(read_file("above0.xyz"), xyz3);  // Minimum 0 leaves out the node at 0

  // The project's own 2DM reader takes the file back node for node.
  LineReader r;
  ASSERT_TRUE(r.open("s.2dm"));
  double xo = 0, yo = 0;
  korvel::Ir2dmRequest req;
  req.max_nodes = 10, req.max_triangles = 10, req.take_origin = true;
  const korvel::Mesh2dm m = korvel::ir2dm(r, xo, yo, req);
  EXPECT_EQ(m.triangles, t_);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(double(m.x[i]) + xo, double(x_[i]) + 2600000.0);
    EXPECT_EQ(double(m.y[i]) + yo, double(y_[i]) + 1200000.0);
    EXPECT_EQ(m.z[i], v_[i]);
  }
}

// Node files mapped in place: the header's own counts, comments, the
// trailer and every other field kept; Nearest outside (Keep is tried at an
// empty corner below).
struct NodeCase {
  const char* name;
  int lnear;
  const char* before;
  const char* after;
};

class NodeFileMapping : public SurfaceFilesTest, public ::testing::WithParamInterface<NodeCase> {};

TEST_P(NodeFileMapping, RewritesOnlyTheFirstAttribute) {
  const NodeCase& c = GetParam();
  grtrs.lnear = c.lnear;
  write_file("m.node", c.before);
  run(5, {"N", "m.node", "D"});
  EXPECT_EQ(dialogs.messages.back(), "node file updated");
  EXPECT_EQ(read_file("m.node"), c.after);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 2);  // m.node and outp: no scratch file
}

INSTANTIATE_TEST_SUITE_P(
    Headers, NodeFileMapping,
    ::testing::Values(
        // No attribute, no markers: one is added and the header says so.
        // (20, 5) lies outside: the nodes (10, 0) and (10, 10) are equally
        // near, the lower number wins.
        NodeCase{"NoAttributeNearest", 1,
                 "# mesh nodes\n3 2 0 0\n1 2600002.0 1200001.0\n  2  2600009.5 1200002.5 # a comment\n"
                 "3 2600020 1200005\n# trailer\n",
                 "# mesh nodes\n3 2 1 0\n1 2600002.0 1200001.0 13\n  2  2600009.5 1200002.5 22 # a comment\n"
                 "3 2600020 1200005 20\n# trailer\n"},
        // Two attributes and markers: the second attribute and the marker stay.
        // Just outside the right edge, Nearest finds the surface 0.4 back.
        NodeCase{"TwoAttributesMarkersNearest", 1, "2 2 2 1\r\n1 2600005 1200002 7.5 99 1\r\n2 2600010.1 1200005 8.0 98 0\r\n",
                 "2 2 2 1\r\n1 2600005 1200002 17 99 1\r\n2 2600010.1 1200005 25.1 98 0\r\n"},
        // A file of the old Node/Ele layout: markers announced but missing, the
        // element part after the nodes.
        NodeCase{"MarkersMissingElementsAfter", 1, "2 2 1 1\n1 2600005 1200002 0\n2 2600001 1200005 0\n1 3 0\n1 1 2 3\n",
                 "2 2 1 1\n1 2600005 1200002 17\n2 2600001 1200005 8\n1 3 0\n1 1 2 3\n"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(SurfaceFilesTest, AnEmptyCornerIsNeverBlended) {
  v_[3] = -9999.0f;  // (1, 5) lies in the triangle of this corner only
  grtrs.lnear = 0;
  write_file("m.node", "1 2 1 0\n1 2600001 1200005 7.5\n");
  run(5, {"N", "m.node", "D"});
  EXPECT_EQ(read_file("m.node"), "1 2 1 0\n1 2600001 1200005 7.5\n");
  grtrs.lnear = 1;  // the nodes (0, 0) and (0, 10) are equally near: the lower number
  run(5, {"N", "m.node", "D"});
  EXPECT_EQ(read_file("m.node"), "1 2 1 0\n1 2600001 1200005 10\n");
}

TEST_F(SurfaceFilesTest, OurOwnNodeEleFileMapsBackToItsValues) {
  run(7, {"N", "s.nodeele", "D"});
  const std::string written = read_file("s.nodeele");
  korvel::testing::AnswerUi ui;
  set_dialog_ui(&ui);
  run(5, {"N", "s.nodeele", "D"});
  set_dialog_ui(nullptr);
  EXPECT_EQ(dialogs.messages.back(), "node file updated");
  EXPECT_EQ(ui.beams_seen, std::vector<std::string>{"%1mapping nodes"});  // reading, mapping, writing: one step
  EXPECT_EQ(read_file("s.nodeele"), "           4 2 1 1\n"
                                    "        1 2600000.000 1200000.000   10 0\n        2 2600010.000 1200000.000   20 0\n"
                                    "        3 2600010.000 1200010.000   30 0\n        4 2600000.000 1200010.000    0 0\n" +
                                        written.substr(written.find("           2 3 0")));
}

TEST_F(SurfaceFilesTest, AFailedMappingLeavesTheNodeFileByteIdentical) {
  const std::string bad_line = "4 2 1 1\n1 2600005 1200002 1 0\n2 2600005 1200003 1 0\n3 2600005 x 1 0\n4 1 2 3 0\n";
  const std::string short_file = "4 2 1 1\n1 2600005 1200002 1 0\n2 2600005 1200003 1 0\n";
  for (const std::string& text : {bad_line, short_file}) {
    write_file("m.node", text);
    run(5, {"N", "m.node", "D"});
    EXPECT_EQ(read_file("m.node"), text);
    EXPECT_EQ(dialogs.messages.back().rfind("node file not changed: ", 0), 0u) << dialogs.messages.back();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 2);
  }
  EXPECT_EQ(dialogs.messages.back(), "node file not changed: m.node: 2 of 4 nodes found");
}

TEST_F(SurfaceFilesTest, AReadOnlyFolderIsReportedAndTheFileKept) {
  std::filesystem::create_directory("ro");
  write_file("ro/m.node", "1 2 1 0\n1 2600005 1200002 1\n");
  // Root writes into a folder without write permission: make it immutable.
  const int fd = ::open("ro", O_RDONLY | O_DIRECTORY);
  int flags = 0;
  const bool immutable = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                         (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
  if (!immutable) std::filesystem::permissions("ro", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  run(5, {"N", "ro/m.node", "D"});
  if (immutable) flags &= ~FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
  ::close(fd);
  std::filesystem::permissions("ro", std::filesystem::perms::owner_all);
  EXPECT_EQ(read_file("ro/m.node"), "1 2 1 0\n1 2600005 1200002 1\n");
  EXPECT_EQ(dialogs.messages.back().rfind("node file not changed: Cannot write file: ro/m.node (", 0), 0u)
      << dialogs.messages.back();
}

TEST_F(SurfaceFilesTest, UnstructPointsGetValuesAndOtherLinesStay) {
  write_file("p.dat", "xyz\n2600002 1200001 5.0\nnot a point\n-abc\nline 1\n2600005 1200002 1.0 3\n/ end\n");
  run(5, {"U", "p.dat", "D"});
  unit_close(kOutputUnit);
  EXPECT_EQ(read_file("outp").substr(read_file("outp").find("xyz\n")),
            "xyz\n 2600002.000 1200001.000   13.000 /\nnot a point\nline 1\n 2600005.000 1200002.000   17.000 3\n/ end\n");
  EXPECT_EQ(dialogs.messages.back(), "n=    2 Mean=     -12.000 Stdev=       5.657");
}

}  // namespace
