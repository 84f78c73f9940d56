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

// The drawings of dxf_drawings_test.cpp (written by ezdxf) hold every entity
// in its common forms; the cases here are those they do not.

TEST_F(DxfTest, EdgeCasesOfTheEntities) {
  read(Dxf().line(0, 0, 10, 0).point(50, 50).line(10, 0, 20, 0).text());
  EXPECT_EQ(kinds(), (std::vector<int>{2, 3, 1, 2, 3}));  // a chain does not join across another entity
  read(Dxf().entity("CIRCLE", "C").at(10, 100, 200, 5).g(40, 10.0).text());
  EXPECT_TRUE(d.x.empty());  // circles only with the option
  read(Dxf().entity("ARC", "A").at(10, 100, 200, 7).g(40, 10.0).g(50, 0.0).g(51, 360.0).text());
  EXPECT_EQ(d.x.size(), 19u);  // a full turn: round(2 pi * 3) vertices
  read(Dxf().entity("ARC", "A").at(10, 100, 200, 7).g(40, 10.0).g(50, 10.0).g(51, 15.0).text());
  ASSERT_EQ(d.x.size(), 2u);  // a short arc still has its two ends
  EXPECT_NEAR(std::atan2(d.y[1] - 200, d.x[1] - 100), 15 * kPi / 180, 1e-9);

  Dxf mesh;  // a polyface mesh, whose faces are no vertices, and paper space
  mesh.entity("POLYLINE", "M").at(10, 0, 0, 0).g(70, 64.0);
  mesh.entity("VERTEX", "M").at(10, 5, 5, 1).g(70, 192.0);
  mesh.entity("VERTEX", "M").at(10, 0, 0, 0).g(70, 128.0).g(71, 1.0);
  mesh.entity("SEQEND", "M").entity("LINE", "FRAME").g(67, 1.0).at(10, 0, 0).at(11, 420, 297);
  read(mesh.text(), {0.5, false});
  EXPECT_EQ(d.x, (std::vector<double>{2.5}));
  EXPECT_EQ(d.z, (std::vector<float>{0.5f}));
  EXPECT_EQ(d.skipped, 1);

  // A HATCH edge path: two lines and a half circle, with a seed point.
  Dxf h;
  h.entity("HATCH", "H").at(10, 0, 0, 0).g(2, "ANSI31").g(70, 0.0).g(91, 1.0).g(92, 1.0).g(93, 3.0);
  h.g(72, 1.0).g(10, 20.0).g(20, 0.0).g(11, 30.0).g(21, 0.0);
  h.g(72, 2.0).g(10, 25.0).g(20, 0.0).g(40, 5.0).g(50, 0.0).g(51, 180.0).g(73, 1.0);
  h.g(72, 1.0).g(10, 20.0).g(20, 0.0).g(11, 20.0).g(21, 0.0);
  h.g(97, 0.0).g(75, 1.0).g(98, 1.0).g(10, 25.0).g(20, 2.0);
  read(h.text());
  // The arc from (30,0) over the top to (20,0): round(pi * 3) = 9 vertices,
  // the first of them on the line's end; the path closes on its first vertex.
  ASSERT_EQ(d.x.size(), 2u + 8);
  EXPECT_EQ(d.x[1], 30.0);
  EXPECT_NEAR(d.y[5], 5.0, 1e-9);
  EXPECT_EQ(d.x[9], 20.0);
  for (double y : d.y) EXPECT_GE(y, -1e-9) << "the seed point is no vertex";
}

TEST_F(DxfTest, RecordsWithoutALayerAreOnLayer0AndLayersBeyond200AreIgnored) {
  const std::string records = Dxf().point(1, 1).point(2, 2, 0, "0").raw() +
                              "  0\nPOINT\n 10\n4.0\n 20\n4.0\n 30\n0.0\n";  // no group 8: layer "0"
  read("  0\nSECTION\n  2\nENTITIES\n" + records + "  0\nENDSEC\n  0\nEOF\n", {}, {"0"});
  EXPECT_EQ(d.x, (std::vector<double>{1}));

  Dxf many;
  for (int i = 1; i <= 201; ++i) many.point(i, i, 0, "L" + std::to_string(i));
  read(many.text());
  EXPECT_EQ(d.x.size(), 200u);
  EXPECT_NE(out.find("unkown layer: L201 ignored\n"), std::string::npos) << out;
  EXPECT_NE(log().find(" more than 200 layers: the others are ignored\n"), std::string::npos);
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
