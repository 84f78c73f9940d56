// The DXF reader on small drawings: each entity's vertices and kinds, the
// dialogs, the scale factor, the origin, the reports, and broken files.
#include "app/formats/dxf.h"

#include <gtest/gtest.h>

#include <cmath>

#include "sketra/base/textfmt.h"
#include "support/app_fixture.h"

namespace {

using namespace korvel;

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
  Dxf& line(double x1, double y1, double x2, double y2, const std::string& layer = "L") {
    return entity("LINE", layer).at(10, x1, y1, 1).at(11, x2, y2, 2);
  }
  Dxf& point(double x, double y, double z = 0, const std::string& layer = "P") {
    return entity("POINT", layer).at(10, x, y, z);
  }
  std::string raw() const { return s_; }
  std::string text() const { return "  0\nSECTION\n  2\nENTITIES\n" + s_ + "  0\nENDSEC\n  0\nEOF\n"; }

 private:
  std::string s_;
};

class DxfTest : public korvel::testing::AppTest {
 protected:
  // Loads the drawing; by default all layers, scale 1, no circles.
  LoadOutcome load_dxf(const std::string& text, int mode = kLoad, std::vector<std::string> answers = {"D", "D"}) {
    ::testing::internal::CaptureStdout();
    LoadOutcome r = load_text("d.dxf", text, mode, std::move(answers));
    out = ::testing::internal::GetCapturedStdout();
    return r;
  }
  static std::vector<int> codes() { return std::vector<int>(cin.code.begin(), cin.code.end()); }
  std::string out;
};

// ---- Entities ------------------------------------------------------------------------

TEST_F(DxfTest, TouchingLinesChainAndSeparateOnesStartAgain) {
  EXPECT_EQ(load_dxf(Dxf().line(0, 0, 10, 0).line(10, 0, 10, 10).text()), LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 3);
  EXPECT_EQ(cin1.nseg, 2);
  EXPECT_EQ(codes(), (std::vector<int>{2, 3, 3}));
  EXPECT_EQ(sketra::dialogs.message_line, "found         3 points");

  EXPECT_EQ(load_dxf(Dxf().line(0, 0, 10, 0).line(20, 0, 20, 10).text()), LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 4);
  EXPECT_EQ(cin1.nseg, 2);
  EXPECT_EQ(edge(2), (Edge{3, 4}));

  // Within 0.001 of squared distance a line still touches; 0.05 away it does not.
  load_dxf(Dxf().line(0, 0, 10, 0).line(10.01, 0, 20, 0).line(20.05, 0, 30, 0).text());
  EXPECT_EQ(codes(), (std::vector<int>{2, 3, 3, 2, 3}));
}

TEST_F(DxfTest, ALineChainDoesNotJoinAcrossAnotherEntity) {
  load_dxf(Dxf().line(0, 0, 10, 0).point(50, 50).line(10, 0, 20, 0).text());
  EXPECT_EQ(codes(), (std::vector<int>{2, 3, 1, 2, 3}));
  EXPECT_EQ(cin1.nseg, 2);
  EXPECT_EQ(edge(2), (Edge{4, 5}));
}

TEST_F(DxfTest, CirclesAppearOnlyWithThePlotCircleOption) {
  std::string text = Dxf().entity("CIRCLE", "C").at(10, 100, 200, 5).g(40, 10.0).text();
  load_dxf(text);
  EXPECT_EQ(cin1.np, 0);
  EXPECT_FALSE(reader.lcircle);

  load_dxf(text, kLoad, {"D", "2 x", "D"});
  ASSERT_EQ(cin1.np, 40);
  EXPECT_EQ(cin1.nseg, 39);
  EXPECT_EQ(ax(1), 110.0);
  EXPECT_EQ(ax(40), ax(1));  // the 40th vertex meets the first exactly
  EXPECT_EQ(ay(40), ay(1));
  EXPECT_EQ(z(17), 5.0f);
  for (int i = 1; i <= 40; ++i) EXPECT_NEAR(std::hypot(ax(i) - 100, ay(i) - 200), 10.0, 1e-4);
  EXPECT_NEAR(ax(2) - 100, 10 * std::cos(2 * M_PI / 39), 1e-4);

  load_dxf(text);  // once on, the option stays on
  EXPECT_EQ(cin1.np, 40);
}

TEST_F(DxfTest, ArcsRunCounterclockwiseWithThreeVerticesPerRadian) {
  load_dxf(Dxf().entity("ARC", "A").at(10, 100, 200, 7).g(40, 10.0).g(50, 0.0).g(51, 90.0).text());
  ASSERT_EQ(cin1.np, 5);
  EXPECT_EQ(cin1.nseg, 4);
  EXPECT_NEAR(ax(1), 110.0, 1e-9);
  EXPECT_NEAR(ay(1), 200.0, 1e-9);
  EXPECT_NEAR(ax(5), 100.0, 1e-4);
  EXPECT_NEAR(ay(5), 210.0, 1e-4);
  EXPECT_NEAR(ax(3) - 100, 10 * std::cos(M_PI / 4), 1e-4);
  EXPECT_EQ(z(3), 7.0f);

  // Across 0 degrees: 270 to 45 sweeps 135 degrees, 2.356 rad: 7 vertices.
  load_dxf(Dxf().entity("ARC", "A").at(10, 0, 0).g(40, 4.0).g(50, 270.0).g(51, 45.0).text());
  ASSERT_EQ(cin1.np, 7);
  EXPECT_NEAR(ay(1), -4.0, 1e-5);
  EXPECT_NEAR(ax(7), 4 * std::cos(M_PI / 4), 1e-5);

  // A full turn, 0 to 360 degrees: round(2 pi * 3) = 19 vertices.
  load_dxf(Dxf().entity("ARC", "A").at(10, 0, 0).g(40, 4.0).g(50, 0.0).g(51, 360.0).text());
  ASSERT_EQ(cin1.np, 19);
  EXPECT_NEAR(ax(19), ax(1), 1e-5);

  // A short arc still has its two ends.
  load_dxf(Dxf().entity("ARC", "A").at(10, 0, 0).g(40, 4.0).g(50, 10.0).g(51, 15.0).text());
  ASSERT_EQ(cin1.np, 2);
  EXPECT_TRUE(std::isfinite(ax(2)));
  EXPECT_NEAR(std::atan2(ay(2), ax(2)), 15 * M_PI / 180, 1e-5);
}

TEST_F(DxfTest, FacesCloseOnTheirFirstCornerAndKeepADistinctFourth) {
  load_dxf(Dxf().entity("3DFACE", "F").at(10, 0, 0, 1).at(11, 6, 0, 2).at(12, 3, 6, 3).at(13, 3, 6, 3).text());
  ASSERT_EQ(cin1.np, 4);
  EXPECT_EQ(cin1.nseg, 3);
  EXPECT_EQ(codes(), (std::vector<int>{2, 3, 3, 3}));
  EXPECT_EQ(ax(4), ax(1));
  EXPECT_EQ(z(4), 1.0f);

  load_dxf(Dxf().entity("3DFACE", "F").at(10, 0, 0, 1).at(11, 6, 0, 2).at(12, 6, 6, 3).at(13, 0, 6, 4).text());
  ASSERT_EQ(cin1.np, 5);
  EXPECT_EQ(cin1.nseg, 4);
  EXPECT_EQ(z(4), 4.0f);
}

TEST_F(DxfTest, ClosedPolylinesEndOnTheirFirstVertexAndFlatOnesTakeTheirElevation) {
  Dxf d;
  d.entity("POLYLINE", "P").g(66, 1.0).at(10, 0, 0, 412.5).g(70, 1.0);
  for (auto [x, y] : {std::pair{0.0, 0.0}, {4.0, 0.0}, {4.0, 4.0}}) d.entity("VERTEX", "P").at(10, x, y, 0);
  d.entity("SEQEND", "P");
  d.entity("POLYLINE", "P").at(10, 0, 0, 0).g(70, 8.0);
  for (double x : {10.0, 11.0}) d.entity("VERTEX", "P").at(10, x, 0, x);
  d.entity("SEQEND", "P");
  d.entity("LWPOLYLINE", "W").g(90, 3.0).g(70, 1.0).g(38, 425.5).g(10, 20.0).g(20, 0.0).g(10, 24.0).g(20, 0.0).g(10, 24.0).g(20, 4.0);
  load_dxf(d.text());
  ASSERT_EQ(cin1.np, 4 + 2 + 4);
  EXPECT_EQ(codes(), (std::vector<int>{2, 3, 3, 3, 2, 3, 2, 3, 3, 3}));
  EXPECT_EQ(ax(4), ax(1));
  EXPECT_EQ(z(2), 412.5f);  // the 2-D polyline's elevation
  EXPECT_EQ(z(6), 11.0f);   // a 3-D polyline keeps its vertices' z
  EXPECT_EQ(ax(10), ax(7));
  EXPECT_EQ(z(9), 425.5f);
  EXPECT_EQ(cin1.nseg, 3 + 1 + 3);
}

TEST_F(DxfTest, FacesOfAPolyfaceMeshAreNoVertices) {
  Dxf d;
  d.entity("POLYLINE", "M").at(10, 0, 0, 0).g(70, 64.0);
  d.entity("VERTEX", "M").at(10, 5, 5, 1).g(70, 192.0);
  d.entity("VERTEX", "M").at(10, 6, 5, 1).g(70, 192.0);
  d.entity("VERTEX", "M").at(10, 0, 0, 0).g(70, 128.0).g(71, 1.0).g(72, 2.0);
  d.entity("SEQEND", "M");
  load_dxf(d.text());
  EXPECT_EQ(cin1.np, 2);
  EXPECT_EQ(cin1.xorig, 5.0);
}

TEST_F(DxfTest, PointsInsertsAndTextsGiveSinglePoints) {
  load_dxf(Dxf().point(1, 2, 3).entity("INSERT", "I").g(2, "MARK").at(10, 4, 5, 6).entity("MTEXT", "T").at(10, 7, 8, 9)
               .g(1, "Pegel").text());
  EXPECT_EQ(codes(), (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(cin1.nseg, 0);
  EXPECT_EQ(ax(2), 4.0);
  EXPECT_EQ(z(3), 9.0f);
}

TEST_F(DxfTest, HatchBoundariesCloseWhateverFollowsThem) {
  Dxf d;
  // A polyline path without seed points, at an elevation.
  d.entity("HATCH", "H").at(10, 0, 0, 3.5).g(2, "SOLID").g(70, 1.0).g(91, 1.0).g(92, 2.0).g(72, 0.0).g(73, 1.0)
      .g(93, 3.0).g(10, 0.0).g(20, 0.0).g(10, 8.0).g(20, 0.0).g(10, 8.0).g(20, 6.0).g(97, 0.0).g(75, 0.0).g(76, 1.0)
      .g(98, 0.0);
  // An edge path: two lines and a half circle, with a seed point.
  d.entity("HATCH", "H").at(10, 0, 0, 0).g(2, "ANSI31").g(70, 0.0).g(91, 1.0).g(92, 1.0).g(93, 3.0)
      .g(72, 1.0).g(10, 20.0).g(20, 0.0).g(11, 30.0).g(21, 0.0)
      .g(72, 2.0).g(10, 25.0).g(20, 0.0).g(40, 5.0).g(50, 0.0).g(51, 180.0).g(73, 1.0)
      .g(72, 1.0).g(10, 20.0).g(20, 0.0).g(11, 20.0).g(21, 0.0)
      .g(97, 0.0).g(75, 1.0).g(76, 1.0).g(98, 1.0).g(10, 25.0).g(20, 2.0);
  load_dxf(d.text());
  ASSERT_GE(cin1.np, 4);
  EXPECT_EQ(ax(3), 8.0);
  EXPECT_EQ(ay(3), 6.0);
  EXPECT_EQ(ax(4), 0.0);  // closed on the first vertex
  EXPECT_EQ(z(4), 3.5f);
  EXPECT_EQ(code(5), 2);
  EXPECT_EQ(ax(5), 20.0);
  EXPECT_EQ(ax(6), 30.0);
  // The arc from (30,0) over the top to (20,0): round(pi * 3) = 9 vertices,
  // the first of them on the line's end; then the path is closed.
  ASSERT_EQ(cin1.np, 4 + 2 + 8);
  EXPECT_NEAR(ay(10), 5.0, 1e-5);
  EXPECT_NEAR(ax(14), 20.0, 1e-5);
  for (int i = 1; i <= cin1.np; ++i) EXPECT_GE(ay(i), -1e-6) << "the seed point is no vertex";
}

TEST_F(DxfTest, BlockDefinitionsAndPaperSpaceArePassedOver) {
  std::string text =
      "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  8\n0\n  2\nMARK\n 10\n0.0\n 20\n0.0\n"
      "  0\nPOINT\n  8\n0\n 10\n0.0\n 20\n0.0\n 30\n0.0\n  0\nENDBLK\n  8\n0\n  0\nENDSEC\n"
      "  0\nSECTION\n  2\nENTITIES\n" +
      Dxf().entity("INSERT", "POINTS").g(2, "MARK").at(10, 2601405, 1199605, 422).raw() +
      Dxf().entity("LINE", "FRAME").g(67, 1.0).at(10, 0, 0).at(11, 420, 297).raw() +
      Dxf().entity("POLYLINE", "FRAME").g(67, 1.0).entity("VERTEX", "FRAME").at(10, 0, 0).entity("VERTEX", "FRAME")
          .at(10, 420, 0).entity("SEQEND", "FRAME").raw() +
      "  0\nENDSEC\n  0\nEOF\n";
  load_dxf(text);
  ASSERT_EQ(cin1.np, 1);
  EXPECT_EQ(cin1.xorig, 2601405.0);
  EXPECT_EQ(ax(1), 2601405.0);
  EXPECT_NE(log().find(" entities of block definitions and paper space passed over:         6\n"), std::string::npos);
}

// ---- Dialogs, scale and origin -----------------------------------------------------------

TEST_F(DxfTest, ScaleFactorTurnsMillimetresIntoMetres) {
  std::string text = Dxf().point(2601400123.0, 1199600456.0, 421375.0).entity("CIRCLE", "C")
                         .at(10, 2601400000.0, 1199600000.0, 0).g(40, 5000.0).text();
  load_dxf(text, kLoad, {"D", "1 0.001", "2 x", "D"});
  EXPECT_EQ(reader.sfac, 0.001);
  ASSERT_EQ(cin1.np, 41);
  EXPECT_NEAR(ax(1), 2601400.123, 1e-4);
  EXPECT_NEAR(ay(1), 1199600.456, 1e-4);
  EXPECT_NEAR(z(1), 421.375f, 1e-4f);
  EXPECT_NEAR(ax(2), 2601405.0, 1e-4);
  // The origin is the smallest x and y, in single precision.
  EXPECT_EQ(cin1.xorig, double(float(2601395.0)));
  EXPECT_EQ(cin1.yorig, double(float(1199595.0)));
}

TEST_F(DxfTest, CancelledDialogsTakeEveryLayerAtScaleOne) {
  reader.sfac = 0.5;
  load_dxf(Dxf().point(10, 20).point(30, 40, 0, "Q").text(), kLoad, {});
  EXPECT_EQ(reader.sfac, 1.0);
  EXPECT_EQ(cin1.np, 2);
  EXPECT_EQ(ax(2), 30.0);
}

TEST_F(DxfTest, AScaleFactorThatDoesNotReadKeepsThePreviousOne) {
  reader.sfac = 0.5;
  load_dxf(Dxf().point(10, 20).text(), kLoad, {"D", "1 0", "D"});
  EXPECT_EQ(reader.sfac, 0.5);
  EXPECT_EQ(ax(1), 5.0);
  EXPECT_EQ(sketra::dialogs.messages[sketra::dialogs.messages.size() - 2], "Scaling factor not read: 0");
}

TEST_F(DxfTest, UnchosenLayersAndRecordsWithoutLayerFollowTheDialog) {
  // The layers in order of appearance: P, 0, Q. Script entries can only
  // switch toggles on, so a dialog switches "0" and "Q" off.
  class Ui : public sketra::DialogUi {
   public:
    void message(std::string_view) override {}
    bool prompt(std::string_view, std::string&) override { return false; }
    bool form(std::span<std::string> p, std::span<std::string> v) override {
      for (std::size_t i = 0; i < p.size(); ++i)
        if (p[i] == "0" || p[i] == "Q") v[i][0] = '_';
      return true;
    }
    bool choose_file(std::string&, std::string&) override { return false; }
    void text_page(std::span<const std::string>) override {}
    void plate(std::span<const std::string>) override {}
    void beam(int, std::string_view) override {}
  } ui;
  sketra::set_dialog_ui(&ui);
  std::string text = Dxf().point(1, 1).point(2, 2, 0, "0").point(3, 3, 0, "Q").raw() +
                     "  0\nPOINT\n 10\n4.0\n 20\n4.0\n 30\n0.0\n";  // no group 8: layer "0"
  load_dxf("  0\nSECTION\n  2\nENTITIES\n" + text + "  0\nENDSEC\n  0\nEOF\n", kLoad, {});
  sketra::set_dialog_ui(nullptr);
  ASSERT_EQ(cin1.np, 1);
  EXPECT_EQ(ax(1), 1.0);
}

// ---- Reports ---------------------------------------------------------------------------

TEST_F(DxfTest, UnknownEntitiesAreListedWithTheirCounts) {
  load_dxf(Dxf().entity("TEXT", "T").at(10, 1, 1).entity("SOLID", "T").entity("TEXT", "T").point(1, 1).text());
  EXPECT_EQ(out,
            "unknown codes:\n"
            "  SECTION                         (1)\n"
            "  TEXT                            (2)\n"
            "  SOLID                           (1)\n"
            "  ENDSEC                          (1)\n");
  EXPECT_NE(log().find("unknown codes:\n  SECTION"), std::string::npos);
  EXPECT_EQ(cin1.np, 1);
}

TEST_F(DxfTest, EntitiesBeyondTwoHundredLayersAreReportedAndIgnored) {
  Dxf d;
  for (int i = 1; i <= 201; ++i) d.point(i, i, 0, "L" + std::to_string(i));
  std::vector<std::string> answers(1, "D");
  answers.push_back("D");
  load_dxf(d.text(), kLoad, answers);
  EXPECT_EQ(cin1.np, 200);
  EXPECT_NE(out.find("unkown layer: L201 ignored\n"), std::string::npos) << out;
  EXPECT_NE(log().find(" more than 200 layers: the others are ignored\n"), std::string::npos);
}

// ---- Capacities and broken files ----------------------------------------------------------

TEST_F(DxfTest, VerticesBeyondTheCapacityAreRefusedNotOverwritten) {
  load_text("a.xyz", "0 0 1\n1 1 1\n");
  cin1.maxp = 7;
  load_dxf(Dxf().line(0, 0, 1, 0).line(1, 0, 2, 0).line(2, 0, 3, 0).line(3, 0, 4, 0).point(9, 9).text(), kAdd);
  ASSERT_EQ(cin1.np, 7);
  EXPECT_EQ(ax(7), 4.0);  // the chain kept its first five vertices; the point was refused
  EXPECT_EQ(cin1.nseg, 4);
  EXPECT_EQ(sketra::dialogs.messages[sketra::dialogs.messages.size() - 2], "more than       5 vertices:         1 ignored");
  EXPECT_TRUE(store_consistent());
}

TEST_F(DxfTest, AFileEndingInsideAnEntityKeepsWhatCameBefore) {
  std::string text = "  0\nSECTION\n  2\nENTITIES\n" + Dxf().point(5, 5).line(0, 0, 1, 1).raw();
  text = text.substr(0, text.size() - 12);  // cut inside the line's end point
  load_dxf(text);
  EXPECT_EQ(cin1.np, 1);
  EXPECT_EQ(sketra::dialogs.messages[sketra::dialogs.messages.size() - 2],
            "the file ends inside an entity, which is ignored: d.dxf");
}

TEST_F(DxfTest, ANonNumberWhereANumberBelongsRejectsTheFile) {
  load_text("a.xyz", "1 2 3\n");
  EXPECT_EQ(load_dxf("  0\nSECTION\n  2\nENTITIES\n  0\nPOINT\n  8\nP\n 10\nabc\n 20\n1.0\n  0\nEOF\n", kAdd),
            LoadOutcome::rejected);
  EXPECT_EQ(sketra::dialogs.messages[sketra::dialogs.messages.size() - 2], "not a number at line 10 of d.dxf");
  EXPECT_EQ(load_dxf("  0\nPOINT\n 10\nnan\n  0\nEOF\n", kAdd), LoadOutcome::rejected);
  EXPECT_EQ(cin1.np, 1);
  EXPECT_EQ(cin1.xorig, 1.0);
}

TEST_F(DxfTest, OddCodeLinesAreSkippedAndWindowsLineEndsRead) {
  std::string text = "  0\r\nSECTION\r\nxx\r\nskipped\r\n  0\r\nPOINT\r\n  8\r\nP\r\n 10\r\n3.5\r\n 20\r\n4.5\r\n"
                     " 30\r\n5.5\r\n  0\r\nEOF\r\n";
  load_dxf(text);
  ASSERT_EQ(cin1.np, 1);
  EXPECT_EQ(ax(1), 3.5);
  EXPECT_EQ(z(1), 5.5f);
  EXPECT_EQ(out, "unknown codes:\n  SECTION                         (1)\n");
}

TEST_F(DxfTest, CoordinatesThatOverflowWithTheScaleAreLeftOut) {
  load_dxf(Dxf().point(1e300, 1).point(5, 6).text(), kLoad, {"D", "1 1e10", "D"});
  ASSERT_EQ(cin1.np, 1);
  EXPECT_EQ(ax(1), 5e10);
  EXPECT_NE(log().find(" vertices beyond the range of numbers ignored:         1\n"), std::string::npos);
}

TEST_F(DxfTest, GarbageLoadsNothingAndLeavesTheStore) {
  load_text("a.xyz", "1 2 3\n");
  EXPECT_EQ(load_dxf("this is\nno drawing\n\x01\x02\x03\n", kAdd, {"D"}), LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 1);
  EXPECT_EQ(cin1.xorig, 1.0);
  EXPECT_EQ(load_dxf("  0\n", kAdd, {"D"}), LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 1);
  EXPECT_TRUE(store_consistent());
}

}  // namespace
