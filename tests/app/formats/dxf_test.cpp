// The DXF reader on small drawings: each entity's vertices and kinds, the
// layers, the scale factor, the reports, and broken files.
#include "app/formats/dxf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

#include "sketra/base/textfmt.h"
#include "support/format_fixture.h"

namespace {

using namespace korvel;
constexpr double kPi = std::numbers::pi;

// Builds the ENTITIES section of a drawing pair by pair.
class Dxf {
 public:
  Dxf& g(int code, const std::string& v) {
    s_ += "  " + std::to_string(code) + "\n" + v + "\n";
    return *this;
  }
  Dxf& g(int code, double v) { return g(code, sketra::list_d(v).substr(1)); }
  Dxf& entity(const std::string& name, const std::string& layer) { return g(0, name).g(8, layer); }
  Dxf& at(int base, double x, double y, double z = 0) { return g(base, x).g(base + 10, y).g(base + 20, z); }
  Dxf& line(double x1, double y1, double x2, double y2) { return entity("LINE", "L").at(10, x1, y1, 1).at(11, x2, y2, 2); }
  Dxf& point(double x, double y, double z = 0, const std::string& layer = "P") {
    return entity("POINT", layer).at(10, x, y, z);
  }
  std::string raw() const { return s_; }
  std::string text() const { return "  0\nSECTION\n  2\nENTITIES\n" + s_ + "  0\nENDSEC\n  0\nEOF\n"; }

 private:
  std::string s_;
};

class DxfTest : public korvel::testing::FormatTest {
 protected:
  // Reads the drawing with every layer but those in `off`.
  FileResult read(const std::string& text, DxfOptions o = {}, const std::set<std::string>& off = {},
                  std::int64_t capacity = kMaxDxfVertices) {
    d = DxfDrawing{};
    sketra::LineReader& r = open("d.dxf", text);
    ::testing::internal::CaptureStdout();
    read_dxf_layers(r, 100, kLog, quiet, d);
    for (DxfLayer& l : d.layers) l.chosen = !off.count(l.name);
    FileResult res = read_dxf_entities(r, "d.dxf", 100, capacity, o, kLog, quiet, d);
    out = ::testing::internal::GetCapturedStdout();
    return res;
  }
  std::vector<int> kinds() const { return std::vector<int>(d.kind.begin(), d.kind.end()); }
  DxfDrawing d;
  std::string out;
};

TEST_F(DxfTest, TouchingLinesChainAndOthersStartAgain) {
  read(Dxf().line(0, 0, 10, 0).line(10, 0, 10, 10).text());
  EXPECT_EQ(kinds(), (std::vector<int>{2, 3, 3}));
  EXPECT_EQ(d.z, (std::vector<float>{1, 2, 2}));
  // Within 0.001 of squared distance a line still touches; 0.05 away it does not.
  read(Dxf().line(0, 0, 10, 0).line(10.01, 0, 20, 0).line(20.05, 0, 30, 0).text());
  EXPECT_EQ(kinds(), (std::vector<int>{2, 3, 3, 2, 3}));
  // Nor does a chain join across another entity.
  read(Dxf().line(0, 0, 10, 0).point(50, 50).line(10, 0, 20, 0).text());
  EXPECT_EQ(kinds(), (std::vector<int>{2, 3, 1, 2, 3}));
}

TEST_F(DxfTest, CirclesWithTheOptionAndArcsCounterclockwise) {
  const std::string circle = Dxf().entity("CIRCLE", "C").at(10, 100, 200, 5).g(40, 10.0).text();
  read(circle);
  EXPECT_TRUE(d.x.empty());
  read(circle, {1.0, true});
  ASSERT_EQ(d.x.size(), 40u);
  EXPECT_EQ(d.x[39], d.x[0]);  // the 40th vertex meets the first exactly
  EXPECT_EQ(d.y[39], d.y[0]);
  EXPECT_NEAR(d.x[1] - 100, 10 * std::cos(2 * kPi / 39), 1e-9);

  auto arc = [&](double a0, double a1) {
    read(Dxf().entity("ARC", "A").at(10, 100, 200, 7).g(40, 10.0).g(50, a0).g(51, a1).text());
  };
  arc(0, 90);  // 1.5708 * 3 rounds to 5 vertices
  ASSERT_EQ(d.x.size(), 5u);
  EXPECT_NEAR(d.x[0], 110.0, 1e-9);
  EXPECT_NEAR(d.y[4], 210.0, 1e-9);
  EXPECT_EQ(kinds(), (std::vector<int>{2, 3, 3, 3, 3}));
  arc(270, 45);  // across 0 degrees: 135 degrees, 7 vertices
  ASSERT_EQ(d.x.size(), 7u);
  EXPECT_NEAR(d.y[0], 190.0, 1e-9);
  arc(0, 360);  // a full turn: 19 vertices
  EXPECT_EQ(d.x.size(), 19u);
  arc(10, 15);  // a short arc still has its two ends
  ASSERT_EQ(d.x.size(), 2u);
  EXPECT_NEAR(std::atan2(d.y[1] - 200, d.x[1] - 100), 15 * kPi / 180, 1e-9);
}

TEST_F(DxfTest, FacesPolylinesAndSinglePoints) {
  Dxf f;
  f.entity("3DFACE", "F").at(10, 0, 0, 1).at(11, 6, 0, 2).at(12, 3, 6, 3).at(13, 3, 6, 3);  // triangle
  f.entity("3DFACE", "F").at(10, 0, 0, 1).at(11, 6, 0, 2).at(12, 6, 6, 3).at(13, 0, 6, 4);  // quadrilateral
  read(f.text());
  EXPECT_EQ(kinds(), (std::vector<int>{2, 3, 3, 3, 2, 3, 3, 3, 3}));
  EXPECT_EQ(d.x[3], d.x[0]);
  EXPECT_EQ(d.z[7], 4.0f);

  Dxf p;
  p.entity("POLYLINE", "P").g(66, 1.0).at(10, 0, 0, 412.5).g(70, 1.0);  // closed, 2-D at an elevation
  for (auto [x, y] : {std::pair{0.0, 0.0}, {4.0, 0.0}, {4.0, 4.0}}) p.entity("VERTEX", "P").at(10, x, y, 0);
  p.entity("SEQEND", "P");
  p.entity("POLYLINE", "P").at(10, 0, 0, 0).g(70, 8.0);  // 3-D
  for (double x : {10.0, 11.0}) p.entity("VERTEX", "P").at(10, x, 0, x);
  p.entity("SEQEND", "P");
  p.entity("POLYLINE", "M").at(10, 0, 0, 0).g(70, 64.0);  // polyface mesh: faces are no vertices
  p.entity("VERTEX", "M").at(10, 5, 5, 1).g(70, 192.0);
  p.entity("VERTEX", "M").at(10, 0, 0, 0).g(70, 128.0).g(71, 1.0);
  p.entity("SEQEND", "M");
  p.entity("LWPOLYLINE", "W").g(90, 3.0).g(70, 1.0).g(38, 425.5).g(10, 20.0).g(20, 0.0).g(10, 24.0).g(20, 0.0);
  p.g(10, 24.0).g(20, 4.0);
  p.point(1, 2, 3).entity("INSERT", "I").g(2, "MARK").at(10, 4, 5, 6).entity("MTEXT", "T").at(10, 7, 8, 9);
  read(p.text());
  EXPECT_EQ(kinds(), (std::vector<int>{2, 3, 3, 3, 2, 3, 2, 2, 3, 3, 3, 1, 1, 1}));
  EXPECT_EQ(d.x[3], d.x[0]);
  EXPECT_EQ(d.z[1], 412.5f);  // the 2-D polyline's elevation
  EXPECT_EQ(d.z[5], 11.0f);   // a 3-D polyline keeps its vertices' z
  EXPECT_EQ(d.x[6], 5.0);     // the mesh vertex
  EXPECT_EQ(d.x[10], 20.0);
  EXPECT_EQ(d.z[9], 425.5f);
  EXPECT_EQ(d.z[13], 9.0f);
}

TEST_F(DxfTest, HatchBoundariesCloseWhateverFollowsThem) {
  Dxf d2;
  // A polyline path without seed points, at an elevation.
  d2.entity("HATCH", "H").at(10, 0, 0, 3.5).g(2, "SOLID").g(70, 1.0).g(91, 1.0).g(92, 2.0).g(72, 0.0).g(73, 1.0);
  d2.g(93, 3.0).g(10, 0.0).g(20, 0.0).g(10, 8.0).g(20, 0.0).g(10, 8.0).g(20, 6.0).g(97, 0.0).g(75, 0.0).g(98, 0.0);
  // An edge path: two lines and a half circle, with a seed point.
  d2.entity("HATCH", "H").at(10, 0, 0, 0).g(2, "ANSI31").g(70, 0.0).g(91, 1.0).g(92, 1.0).g(93, 3.0);
  d2.g(72, 1.0).g(10, 20.0).g(20, 0.0).g(11, 30.0).g(21, 0.0);
  d2.g(72, 2.0).g(10, 25.0).g(20, 0.0).g(40, 5.0).g(50, 0.0).g(51, 180.0).g(73, 1.0);
  d2.g(72, 1.0).g(10, 20.0).g(20, 0.0).g(11, 20.0).g(21, 0.0);
  d2.g(97, 0.0).g(75, 1.0).g(98, 1.0).g(10, 25.0).g(20, 2.0);
  read(d2.text());
  // The arc from (30,0) over the top to (20,0): round(pi * 3) = 9 vertices,
  // the first of them on the line's end; then the path is closed.
  ASSERT_EQ(d.x.size(), 4u + 2 + 8);
  EXPECT_EQ(d.x[3], 0.0);  // closed on the first vertex
  EXPECT_EQ(d.z[3], 3.5f);
  EXPECT_EQ(d.kind[4], kDxfFirst);
  EXPECT_NEAR(d.y[9], 5.0, 1e-9);
  EXPECT_NEAR(d.x[13], 20.0, 1e-9);
  for (double y : d.y) EXPECT_GE(y, -1e-9) << "the seed point is no vertex";
}

TEST_F(DxfTest, BlocksAndPaperSpaceArePassedOverAndTheScaleAppliesToAll) {
  const std::string text =
      "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  8\n0\n  2\nMARK\n 10\n0.0\n 20\n0.0\n"
      "  0\nPOINT\n  8\n0\n 10\n0.0\n 20\n0.0\n 30\n0.0\n  0\nENDBLK\n  8\n0\n  0\nENDSEC\n"
      "  0\nSECTION\n  2\nENTITIES\n" +
      Dxf().entity("INSERT", "POINTS").g(2, "MARK").at(10, 2601405123.0, 1199605456.0, 422375.0).raw() +
      Dxf().entity("LINE", "FRAME").g(67, 1.0).at(10, 0, 0).at(11, 420, 297).raw() +
      Dxf().entity("CIRCLE", "C").at(10, 2601400000.0, 1199600000.0, 0).g(40, 5000.0).raw() +
      "  0\nENDSEC\n  0\nEOF\n";
  read(text, {0.001, true});
  ASSERT_EQ(d.x.size(), 41u);
  EXPECT_EQ(d.skipped, 2);
  EXPECT_NEAR(d.x[0], 2601405.123, 1e-6);
  EXPECT_NEAR(d.z[0], 422.375f, 1e-4f);
  EXPECT_NEAR(d.x[1], 2601405.0, 1e-6);  // centre 2601400 plus a radius of 5
}

TEST_F(DxfTest, LayersInOrderOfAppearanceAndUnchosenOnesStayOut) {
  const std::string records = Dxf().point(1, 1).point(2, 2, 0, "0").point(3, 3, 0, "Q").raw() +
                              "  0\nPOINT\n 10\n4.0\n 20\n4.0\n 30\n0.0\n";  // no group 8: layer "0"
  read("  0\nSECTION\n  2\nENTITIES\n" + records + "  0\nENDSEC\n  0\nEOF\n", {}, {"0", "Q"});
  ASSERT_EQ(d.layers.size(), 3u);
  EXPECT_EQ(d.layers[1].name, "0");
  EXPECT_EQ(d.x, (std::vector<double>{1}));

  Dxf many;
  for (int i = 1; i <= 201; ++i) many.point(i, i, 0, "L" + std::to_string(i));
  read(many.text());
  EXPECT_EQ(d.x.size(), 200u);
  EXPECT_NE(out.find("unkown layer: L201 ignored\n"), std::string::npos) << out;
  EXPECT_NE(log().find(" more than 200 layers: the others are ignored\n"), std::string::npos);
}

TEST_F(DxfTest, UnknownEntitiesAreListedWithTheirCounts) {
  read(Dxf().entity("TEXT", "T").at(10, 1, 1).entity("SOLID", "T").entity("TEXT", "T").point(1, 1).text());
  const std::string list =
      "unknown codes:\n"
      "  SECTION                         (1)\n"
      "  TEXT                            (2)\n"
      "  SOLID                           (1)\n"
      "  ENDSEC                          (1)\n";
  EXPECT_EQ(out, list);
  EXPECT_NE(log().find(list), std::string::npos);
}

TEST_F(DxfTest, CapacityOverflowAndBrokenFiles) {
  read(Dxf().line(0, 0, 1, 0).line(1, 0, 2, 0).point(9, 9).text(), {}, {}, 2);
  EXPECT_EQ(d.x.size(), 2u);
  EXPECT_EQ(d.refused, 2);
  read(Dxf().point(1e300, 1).point(5, 6).text(), {1e10, false});
  EXPECT_EQ(d.x, (std::vector<double>{5e10}));
  EXPECT_EQ(d.invalid, 1);

  std::string cut = "  0\nSECTION\n  2\nENTITIES\n" + Dxf().point(5, 5).line(0, 0, 1, 1).raw();
  ASSERT_TRUE(read(cut.substr(0, cut.size() - 12)).ok);  // ends inside the line's end point
  EXPECT_EQ(d.x.size(), 1u);
  EXPECT_TRUE(d.truncated);

  FileResult r = read("  0\nSECTION\n  2\nENTITIES\n  0\nPOINT\n  8\nP\n 10\nabc\n 20\n1.0\n  0\nEOF\n");
  EXPECT_EQ(r.message, "not a number at line 10 of d.dxf");
  EXPECT_EQ(r.line, 10);
  EXPECT_FALSE(read("  0\nPOINT\n 10\nnan\n  0\nEOF\n").ok);

  ASSERT_TRUE(read("  0\r\nSECTION\r\nxx\r\nskipped\r\n  0\r\nPOINT\r\n  8\r\nP\r\n 10\r\n3.5\r\n 20\r\n4.5\r\n"
                   " 30\r\n5.5\r\n  0\r\nEOF\r\n")
                  .ok);
  EXPECT_EQ(d.x, (std::vector<double>{3.5}));  // odd code lines skipped, Windows line ends read
  EXPECT_EQ(out, "unknown codes:\n  SECTION                         (1)\n");
}

}  // namespace
