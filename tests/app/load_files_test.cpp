// The loader's side of the node, text triangle and DXF readers: what reaches
// the store, the messages, the dialogs, and files rejected as a whole. (2DM:
// Mesh2dmTest and MapTest; shapefiles: ShapefileLoadTest.)
#include "app/load_files.h"

#include <gtest/gtest.h>

#include "support/app_fixture.h"

namespace {

using namespace korvel;
using korvel::testing::write_file;

class LoadFilesTest : public korvel::testing::AppTest {
 protected:
  // Writes `text` to `name` and loads it with standard output captured.
  LoadOutcome quietly(const std::string& name, const std::string& text, int mode = kLoad,
                      std::vector<std::string> answers = {"D"}) {
    write_file(name, text);
    ::testing::internal::CaptureStdout();
    LoadOutcome r = load_file(name, mode, std::move(answers));
    ::testing::internal::GetCapturedStdout();
    return r;
  }
  static std::string message(std::size_t back) {
    const auto& m = sketra::dialogs.messages;
    return m.size() > back ? m[m.size() - 1 - back] : std::string();
  }
};

const char* kNodes = "4 2 1 1\n1 2600100.5 1200200.25 401.5 1\n2 2600110.5 1200200.25 402 0\n"
                     "3 2600110.5 1200210.25 403 1\n4 2600100.5 1200210.25 404 0\n";
const char* kPoly = "0 2 1 0\n3 1\n1 1 2 1\n2 2 3 1\n3 4 1 1\n0\n";

TEST_F(LoadFilesTest, NodeFilesBringThePolyEdgesNumberedAfterThePointsThere) {
  write_file("river.poly", kPoly);
  EXPECT_EQ(load_text("river.node", kNodes, kLoad, {}), LoadOutcome::loaded);
  EXPECT_EQ(cin1.xorig, 2600100.5);
  EXPECT_EQ(ay(3), 1200210.25);
  EXPECT_EQ(code(1), 0);  // no finishing step: the code is icol, colour 0
  EXPECT_EQ(message(1), "found         4 points");
  EXPECT_EQ(message(0), "found         3 edges");
  EXPECT_EQ(load_text("river.node", kNodes, kAdd, {}), LoadOutcome::loaded);
  EXPECT_EQ(edge(6), (Edge{8, 5}));
  EXPECT_EQ(load_text("m.node", "1 2 0 0\n1 10 20\n", kLoad, {}), LoadOutcome::loaded);
  EXPECT_EQ(message(0), "no poly file found");
  write_file("v.poly", "2 2 0 0\n1 0 0\n2 1 1\n1 0\n1 1 2\n");
  EXPECT_EQ(load_text("v.node", "2 2 0 0\n1 0 0\n2 1 1\n", kLoad, {}), LoadOutcome::loaded);
  EXPECT_EQ(cin1.nseg, 0);
  EXPECT_EQ(message(0), "expecting nodes on node file");
}

TEST_F(LoadFilesTest, ABrokenOrOversizedNodeFileLeavesTheStoreAsItWas) {
  load_text("a.xyz", "7 8 9\n10 11 12\n");
  write_file("n.poly", "0 2 0 0\n2 0\n1 1 2\n");
  EXPECT_EQ(load_text("n.node", "2 2 0 0\n1 0 0\n2 1 0\n", kAdd, {}), LoadOutcome::rejected);
  EXPECT_EQ(message(1), "n.poly: 1 of 2 edges found");
  EXPECT_EQ(message(0), "load failed: n.node");
  cin1.maxp = 4;
  EXPECT_EQ(load_text("big.node", "3 2 0 0\n1 0 0\n2 1 0\n3 2 0\n", kAdd, {}), LoadOutcome::rejected);
  EXPECT_EQ(message(1), "too many nodes found");
  EXPECT_EQ(cin1.np, 2);
  EXPECT_EQ(cin1.nseg, 0);
  EXPECT_EQ(cin1.xorig, 7.0);
  EXPECT_TRUE(store_consistent());
}

TEST_F(LoadFilesTest, TextTrianglesGetTheFinishingStepAndTheirNotes) {
  EXPECT_EQ(load_text("t.3ds", "2600000 1200000 400\n2600010 1200000 401\n2600000 1200010 402\n"), LoadOutcome::loaded);
  EXPECT_EQ(cin1.xorig, 2600000.0);
  EXPECT_EQ(edge(3), (Edge{3, 1}));
  EXPECT_EQ(code(3), 1);
  EXPECT_EQ(message(0), "found        3 points (        3 edges)");
  EXPECT_EQ(load_text("k.unstruct", ">>unstruct\ncolor 2\ntriangles\n0 0 1\n10 0 1\n0 10 1\n5 5 1\nxyz\n20 20 3\n",
                      kLoad, {}),
            LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 4);
  EXPECT_EQ(code(4), 201);
  EXPECT_NE(log().find(" incomplete triangle ignored\n"), std::string::npos);
  cin1.maxp = 5;
  load_text("f.3ds", "0 0 1\n1 0 1\n0 1 1\n5 5 5\n6 5 5\n5 6 5\n");
  EXPECT_NE(log().find(" ignored triangles (store full):         1\n"), std::string::npos);
}

// ---- DXF -------------------------------------------------------------------------------

std::string dxf(const std::string& entities) { return "  0\nSECTION\n  2\nENTITIES\n" + entities + "  0\nENDSEC\n  0\nEOF\n"; }
const std::string kLines = dxf(
    "  0\nLINE\n  8\nA\n 10\n2601400.5\n 20\n1199600.25\n 30\n1\n 11\n2601410\n 21\n1199600\n 31\n2\n"
    "  0\nLINE\n  8\nA\n 10\n2601410\n 20\n1199600\n 30\n2\n 11\n2601410\n 21\n1199610\n 31\n3\n");

TEST_F(LoadFilesTest, DxfVerticesKeepTheirKindsWithEdgesAndTheLowerLeftOrigin) {
  EXPECT_EQ(quietly("d.dxf", kLines, kLoad, {"D", "D"}), LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 3);
  EXPECT_EQ(cin.code, (std::vector<std::int32_t>{2, 3, 3}));
  EXPECT_EQ(cin.seg, (std::vector<Edge>{{1, 2}, {2, 3}}));
  EXPECT_EQ(cin1.xorig, double(float(2601400.5)));
  EXPECT_EQ(cin1.yorig, double(float(1199600.0)));
  EXPECT_EQ(message(0), "found         3 points");
  load_text("a.xyz", "2601000.5 1199000.25 400\n");
  EXPECT_EQ(quietly("d.dxf", kLines, kAdd, {"D", "D"}), LoadOutcome::loaded);
  EXPECT_EQ(cin1.xorig, 2601000.5);
  EXPECT_EQ(edge(1), (Edge{2, 3}));
}

TEST_F(LoadFilesTest, DxfDialogsSetTheScaleAndCircles) {
  const std::string circle = dxf("  0\nCIRCLE\n  8\nC\n 10\n1000\n 20\n2000\n 30\n5\n 40\n100\n");
  quietly("c.dxf", circle, kLoad, {"D", "1 0.01", "2 x", "D"});
  EXPECT_EQ(reader.sfac, 0.01);
  EXPECT_TRUE(reader.lcircle);
  EXPECT_EQ(cin1.np, 40);
  EXPECT_EQ(cin1.nseg, 39);
  EXPECT_EQ(ax(1), 11.0);
  quietly("c.dxf", circle, kLoad, {"D", "1 0", "D"});
  EXPECT_EQ(message(1), "Scaling factor not read: 0");
  EXPECT_EQ(reader.sfac, 0.01);  // the previous factor stays
  quietly("c.dxf", circle, kLoad, {});
  EXPECT_EQ(reader.sfac, 1.0);  // cancelled dialogs: every layer at scale 1
  EXPECT_EQ(ax(1), 1100.0);
}

TEST_F(LoadFilesTest, DxfLimitsAndCutDrawings) {
  load_text("a.xyz", "0 0 1\n1 1 1\n");
  cin1.maxp = 4;
  EXPECT_EQ(quietly("d.dxf", kLines + kLines, kAdd, {"D", "D"}), LoadOutcome::loaded);
  EXPECT_EQ(message(1), "more than       2 vertices:         1 ignored");
  cin1.maxp = 100;
  std::string cut = kLines.substr(0, kLines.find("2601410\n 21\n1199610"));
  EXPECT_EQ(quietly("d.dxf", cut, kAdd, {"D", "D"}), LoadOutcome::loaded);
  EXPECT_EQ(message(1), "the file ends inside an entity, which is ignored: d.dxf");
  EXPECT_TRUE(store_consistent());
}

}  // namespace
