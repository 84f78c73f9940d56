// The loader: plain and keyword files, the load dialog, grids, value tables
// (in the section viewer at the end of their load), refusals and
// capacities; and its side of the node, text triangle and DXF readers: what
// reaches the store, the messages, the dialogs, and files rejected as a
// whole. (2DM: MeshFilesTest and MapTest; shapefiles: ShapefileLoadTest.)
#include "app/loader.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "app/load_files.h"
#include "sketra/modes/section/section_viewer.h"
#include "support/answer_ui.h"
#include "support/app_fixture.h"

namespace {

using namespace korvel;
using korvel::testing::example_path;
using korvel::testing::write_file;

class LoaderTest : public korvel::testing::AppTest {
 protected:
  // Loads b.xyz with script `answers` that the load dialog cannot use: the
  // person, who answers the form with `form`, is asked once.
  void expect_person_asked(const std::vector<std::string>& answers, std::vector<std::string> form, int mode = kAdd) {
    korvel::testing::AnswerUi person;
    person.form_answers = {std::move(form)};
    sketra::set_dialog_ui(&person);
    EXPECT_EQ(load_text("b.xyz", "4 5 6\n", mode, answers), LoadOutcome::loaded) << answers[0];
    EXPECT_EQ(person.forms_seen.size(), 1u) << answers[0];
    sketra::set_dialog_ui(nullptr);
  }
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

// ---- Plain scan ------------------------------------------------------------------

TEST_F(LoaderTest, PlainFilesTakeTheOriginFromTheFirstPointLinesBecomeEdgesAndTheDialogSetsCodes) {
  EXPECT_EQ(load_text("survey.xyz", "2600123.456 1200456.789 401.25\n2600130.0 1200460.5 402\n2600140 1200470 -9999\n"),
            LoadOutcome::loaded);
  ASSERT_EQ(cin1.np, 2);
  EXPECT_DOUBLE_EQ(cin1.xorig, 2600123.456);
  EXPECT_EQ(z(1), 401.25f);
  EXPECT_EQ(code(2), code(1));  // the dialog set both, after "color 3" above
  EXPECT_EQ(sketra::dialogs.messages.back(), "found        2 points (        0 edges)");
  EXPECT_EQ(published_origin.x, 2600123.456);
  // Each plain layout: the points kept and the edges between consecutive
  // points of a line.
  struct Case {
    const char* what;
    const char* name;
    const char* text;
    int np;
    std::vector<Edge> edges;
  };
  const Case cases[] = {
      {"commas, a comment between records", "c.xyz", "1,2,3\n# pause\n4 5 6\n", 2, {}},
      {"lines after plain points", "mix.dat", "0 0 1\n10 0 2\nlines\n0 10 3 1\n5 10 3 0\n", 4, {{3, 4}}},
      // The first record's I value is the start marker, whatever it is; the
      // one-point line at (5, 5) joins the line that starts after it.
      {"xyzi reversed markers", "r.xyzi", "0 0 1 0\n1 0 1 1\n5 5 1 0\n9 9 1 0\n10 9 1 1\n", 5,
       {{1, 2}, {3, 4}, {4, 5}}},
      {"blt codes above 21 join", "river.blt", "100 200 1 0\n110 200 2 22\n120 200 3 22\n130 210 4 0\n", 4,
       {{1, 2}, {2, 3}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(load_text(c.name, c.text), LoadOutcome::loaded);
    ASSERT_EQ(cin1.np, c.np);
    EXPECT_EQ(cin.seg, c.edges);
    EXPECT_EQ(parser.errors, 0);
  }
  EXPECT_EQ(sketra::dialogs.message_line, "found         4 points");  // the BLT count
  // The load dialog: cancelled, the points stay without codes; answered, it
  // sets colour, symbol and the lowest value read.
  EXPECT_EQ(load_text("c.xyz", "1 2 3\n", kLoad, {}), LoadOutcome::cancelled);
  EXPECT_EQ(code(1), 0);
  load_text("col.xyz", "1 2 3\n4 5 -20000\n", kLoad, {"6 4", "7 2", "8 -99999", "D"});
  EXPECT_EQ(cin1.np, 1);  // read with the default zmin of -9998
  EXPECT_EQ(code(1), 402);
  EXPECT_EQ(cplot.zmin, -99999.0f);
  EXPECT_EQ(cplot.clip, 0);  // -99999 is not above -99998
  load_text("col2.xyz", "1 2 3\n4 5 -20000\n", kLoad, {"D"});
  EXPECT_EQ(cin1.np, 2);  // now the low z passes
  EXPECT_EQ(code(2), 402);
}

// ---- Keyword mode -------------------------------------------------------------------

// Keywords and load-dialog answers that place the points: the running
// distance of "xy" as z, chosen columns of records that span lines, "move"
// (applied only above a sum of 1) with the dialog's shift and z factor, and
// "rotate" about the absolute origin.
TEST_F(LoaderTest, KeywordsAndDialogAnswersPlaceThePointsAndTheCrossSections) {
  const struct {
    const char* text;
    std::vector<std::string> answers;
    std::vector<std::array<double, 3>> points;  // absolute x, y, z
  } cases[] = {
      // X' = X cos a + Y sin a, Y' = Y cos a - X sin a with a = 90 * 0.017453,
      // which is 2.6e-5 short of a right angle: 26 mm at 1000 m.
      {">>unstruct\nrotate 90\nxyz\n1000 0 0\n1000 10 0\n", {"D"}, {{0.0263, -1000, 0}, {10.0263, -1000, 0}}},
      {">>unstruct\nxy\n0 0\n3 4\n6 8\n", {"D"}, {{0, 0, 0}, {3, 4, 5}, {6, 8, 10}}},
      {">>unstruct\nxyz 3 1 2\n7 10\n20\n8 11 21 99\n", {"D"}, {{20, 7, 10}, {21, 8, 11}}},
      {"1 1 2\n", {"5 1.5", "D"}, {{1, 1, 2}}},  // |1.5 - 1 + 0| is not above 1
      {">>unstruct\nmove 100 0\nxyz\n1 1 2\n", {"5 3", "2 5", "D"}, {{101, 6, 6}}},  // z: 3 * 2 + 0
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    restart();  // the reader's settings stay from file to file
    ASSERT_EQ(load_text("p.txt", c.text, kLoad, c.answers), LoadOutcome::loaded);
    ASSERT_EQ(cin1.np, int(c.points.size()));
    for (int i = 1; i <= cin1.np; ++i) {
      EXPECT_NEAR(ax(i), c.points[std::size_t(i - 1)][0], 1e-3) << i;
      EXPECT_NEAR(ay(i), c.points[std::size_t(i - 1)][1], 1e-3) << i;
      EXPECT_NEAR(z(i), c.points[std::size_t(i - 1)][2], 1e-3) << i;
    }
  }
  // Cross-sections placed by "locate", and without it.
  restart();
  load_text("cs.txt",
            ">>unstruct\nlocate 2600500 1200300 90\ncs 'P1' 1.5 0.5\n0 10\n10 12\ncs P2 2.0 0\n4 1\n");
  EXPECT_EQ(cin1.xorig, 2600000.0);
  ASSERT_EQ(cin1.np, 3);
  EXPECT_NEAR(ax(1), 2600500.0, 1e-3);
  EXPECT_NEAR(ax(2), 2600490.0, 1e-3);  // x0 - sin(90 deg) * 10
  EXPECT_NEAR(ay(2), 1200300.0, 1e-2);
  EXPECT_EQ(z(2), 12.5f);
  EXPECT_NEAR(ax(3), 2600000.0 - 2000.0, 1e-3);  // without locate: x0 = -1000 km
  EXPECT_NEAR(ay(3), 1200000.0 - 4.0, 1e-3);
}

TEST_F(LoaderTest, MinDistanceThinsLinesAndTheClipWindowSplitsThem) {
  std::string twelve = ">>unstruct\nmin_distance 5\nlines\n";
  for (int i = 0; i < 12; ++i) twelve += std::to_string(i) + " 0 0 " + (i == 0 ? "1" : "0") + "\n";
  load_text("twelve.txt", twelve);
  ASSERT_EQ(cin1.np, 4);
  EXPECT_EQ((std::vector<double>{ax(1), ax(2), ax(3), ax(4)}), (std::vector<double>{0, 5, 10, 11}));
  EXPECT_EQ(cin1.nseg, 3);  // the edges follow the points kept
  restart();  // the reader's settings stay from file to file
  load_text("clip.txt",
            ">>unstruct\nxclip 0 10\nxyz\n5 0 1\n15 0 1\n-1 0 1\n"
            "lines\n0 1 0 1\n2 1 0 0\n20 1 0 0\n4 1 0 0\n6 1 0 0\n");
  // Points: only x = 5. Line: (0,1),(2,1) | (4,1),(6,1) after the dropped record.
  ASSERT_EQ(cin1.np, 5);
  EXPECT_EQ(cin1.nseg, 2);
  EXPECT_EQ(edge(1), (Edge{2, 3}));
  EXPECT_EQ(edge(2), (Edge{4, 5}));
}

// With the window open, value tables go to the section viewer at the end
// of their load, without the load dialog: at their own co-ordinates
// whatever survey was loaded before, and the store keeps what the viewer
// changed. (Their factors: the Stat page of tests/e2e/test_section_viewer.sh.)
class TableViewerTest : public korvel::testing::AppWindowTest {};

TEST_F(TableViewerTest, RatingCurvesShowAtTheirOwnValuesAndKeepTheirChanges) {
  ASSERT_EQ(load_text("a.xyz", "2600000 1200000 400\n"), LoadOutcome::loaded);
  sketra::grvalu8("XORGR", 2600000.0);
  // Stat of the second curve, closed; then its last node moved 1 m up; leave.
  ASSERT_EQ(load_file(example_path("river_table.unstruct").string(), kAdd,
                      {"#22 363.706 422.3", "D", "A", ". 363.706 422.3", ". 363.706 423.3", "D", "X"}),
            LoadOutcome::loaded);
  const auto& e = sketra::ctrl.extents;
  EXPECT_NEAR(e[0], 0.442, 1e-3);
  EXPECT_NEAR(e[3], 426.9, 1e-3);
  EXPECT_FLOAT_EQ(cin.y[48], 423.3f);  // the last value of the second table
  EXPECT_EQ(sketra::grcomn.xorgr, 2600000.0);
}

TEST_F(LoaderTest, WordsThatDoNotReadRejectTheFileAndLeaveTheEarlierLoad) {
  load_text("a.xyz", "1 2 3\n");
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(load_text("t.txt", ">>unstruct\ntable 1 2 x\n1 2\n", kAdd), LoadOutcome::rejected);
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(cin1.np, 1);
  EXPECT_TRUE(tables.empty());
  // A word where a keyword or a number belongs rejects the file, plain or
  // keyword, Load or Add, and leaves the earlier load as it was; lines that
  // only look numeric end in the error, not in a loop.
  const struct {
    const char* text;
    int mode;
    const char* word;
  } cases[] = {
      {">>unstruct\nxyz\n1 2 3\nbogus\n", kLoad, "bogus"},
      {"X Y Z\n4 5 6\n", kAdd, "X"},
      {"1 2 3\na1 b2 c3\n-x1 2 3 4\n", kLoad, "-x1"},
      {"1 2\n", kLoad, "1"},  // two numbers are no record
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    load_text("a.xyz", "10 20 30\n11 21 31\n");
    EXPECT_EQ(load_text("bad.txt", c.text, c.mode), LoadOutcome::rejected);
    EXPECT_EQ(cin1.np, 2);
    EXPECT_EQ(cin1.xorig, 10.0);
    EXPECT_EQ(code(2), 1);
    EXPECT_TRUE(store_consistent());
    EXPECT_NE(log().find("**error: keyword unknown> " + std::string(c.word) + "\n"), std::string::npos) << log();
  }
}

// colour * 100 + symbol is a point code: colours above 200 and symbols
// outside 0 ... 99 never reach the arithmetic. A file is rejected; the load
// dialog refuses such a script answer and hands the dialog to the person,
// who is asked once.
TEST_F(LoaderTest, ColoursSymbolsAndMovesOutOfRangeAreRefused) {
  load_text("a.xyz", "1 2 3\n");
  for (const char* c : {"2147483647", "99999999", "201"}) {
    EXPECT_EQ(load_text("c.txt", std::string(">>unstruct\ncolor ") + c + "\nxyz\n1 2 3\n", kAdd),
              LoadOutcome::rejected) << c;
    EXPECT_EQ(cin1.np, 1) << c;
  }
  for (const std::vector<std::string>& bad : {std::vector<std::string>{"6 2147483647", "D"}, {"7 2147483647", "D"},
                                            {"6 -3", "D"}, {"7 100", "D"}}) {
    expect_person_asked(bad, {"", "", "", "", "", "3", "2", ""});
    EXPECT_EQ(code(cin1.np), 302) << bad[0];
  }
  EXPECT_NE(log().find("Color must be 0 ... 200 and Node symbol 0 ... 99"), std::string::npos);
  // A move, rotation or z factor that would take points beyond the range of
  // numbers is refused: in the load dialog it is asked again, in a file the
  // file is rejected.
  for (const std::vector<std::string>& bad : {std::vector<std::string>{"5 1e38", "3 1e38", "D"}, {"1 1e308", "D"}}) {
    reader = ReaderSettings{};
    expect_person_asked(bad, {"0", "", "0", "", "1", "", "", ""}, kLoad);
    EXPECT_TRUE(std::isfinite(cin.x[0]) && std::isfinite(cin.z[0])) << bad[0];
  }
  reader = ReaderSettings{};
  EXPECT_EQ(load_text("m.txt", ">>unstruct\ncolor 3\nmove 1e300 0\nxyz\n4 5 6\n", kAdd), LoadOutcome::rejected);
  EXPECT_EQ(cin1.np, 1);
}

TEST_F(LoaderTest, StoreFullIgnoresSurplusPointsAndAGridTooLargeIsRejected) {
  cin1.maxp = 3;
  load_text("full.xyz", "1 1 1\n2 2 2\n3 3 3\n4 4 4\n5 5 5\n");
  EXPECT_EQ(cin1.np, 3);
  EXPECT_EQ(ax(3), 3.0);
  EXPECT_NE(log().find(" ignored points (store full):         2\n"), std::string::npos);
  load_text("more.xyzi", "0 0 0 1\n1 1 1 0\n", kAdd);
  EXPECT_EQ(cin1.np, 3);
  EXPECT_EQ(cin1.nseg, 0);
  EXPECT_TRUE(store_consistent());
  load_text("g.asc", "ncols 2\nnrows 1\ncellsize 1\n7 8\n");
  cin1.maxp = 10;
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(load_text("big.asc", "ncols 4\nnrows 4\ncellsize 1\n1\n", kAdd), LoadOutcome::rejected);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), " iigrid nxy           16  maximum is           10\n");
  EXPECT_EQ(cplot.nsets, 1);
  EXPECT_EQ(cin.value[0], (std::vector<float>{7, 8}));
  EXPECT_EQ(cin1.set(1).nx, 2);
}

// ---- Grids --------------------------------------------------------------------------------

// A grid added to a store with points is placed by their origin, and keeps
// its absolute place when a later load moves the origin.
TEST_F(LoaderTest, AGridKeepsItsAbsolutePlaceWhateverTheOrigin) {
  load_text("a.xyz", "1 2 3\n");
  EXPECT_EQ(load_text("dem.asc",
                      "ncols 3\nnrows 2\nxllcorner 2600000\nyllcorner 1200000\ncellsize 25\n"
                      "NODATA_value -9999\n1 2 3\n4 5 -9999\n",
                      kAdd),
            LoadOutcome::loaded);
  auto expect_in_place = [] {
    EXPECT_EQ(double(cin1.set(1).x0) + cin1.xorig, 2600000.0);
    EXPECT_EQ(double(cin.gx[2]) + cin1.xorig, 2600050.0);
    EXPECT_EQ(double(cin.gy[3]) + cin1.yorig, 1200025.0);
  };
  expect_in_place();
  load_text("p.xyz", "3500 3000 1\n", kLoad);
  ASSERT_EQ(cin1.xorig, 3500.0);
  expect_in_place();
}

// Regression: a keyword file ended at a ">>grid" command, so the grid after
// the unstruct section was left unread while the load reported success. Both
// sections load, and the load dialog is not asked again for the grid.
TEST_F(LoaderTest, AGridSectionAfterAnUnstructSectionIsRead) {
  EXPECT_EQ(load_text("both.txt", ">>unstruct\ncolor 3\nxyz\n1 2 3\n>>grid\nnx 2\nny 1\ndx 1\ndy 1\n5 6\n", kLoad, {}),
            LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 1);
  EXPECT_EQ(code(1), 301);
  EXPECT_EQ(cplot.nsets, 1);
  EXPECT_EQ(cin.value[0], (std::vector<float>{5, 6}));
  // Points, then a nested unstruct section: one dialog for all of them.
  EXPECT_EQ(load_text("nested.txt", "1 2 3\n>>unstruct\nxyz\n4 5 6\n", kLoad, {"D"}), LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 2);
  EXPECT_EQ(code(2), code(1));  // the dialog set both, after "color 3" above
}

// Regression: the corner used to be stored as an absolute single-precision
// value while later points were stored relative to their own origin, so the
// grid and the points drifted apart by the whole origin.
TEST_F(LoaderTest, PointsAddedAfterAGridShareItsOriginExactly) {
  load_text("dem.asc", "ncols 2\nnrows 1\nxllcenter 2600128.37\nyllcenter 1198868.61\ncellsize 2\n7 8\n", kLoad, {});
  load_text("p.xyz", "2600130.37 1198868.61 5\n", kAdd);
  ASSERT_EQ(cin1.np, 1);
  // The second grid node and the point lie at the same absolute place.
  EXPECT_EQ(cin.gx[1], cin.x[0]);
  EXPECT_EQ(cin.gy[1], cin.y[0]);
  EXPECT_NEAR(double(cin1.set(1).x0) + cin1.xorig, 2600128.37, 1e-9);
}

// A sixth error rejects the file at once, before the keyword list, and the
// next file is read afresh.
TEST_F(LoaderTest, ASixthErrorRejectsTheFileAtOnce) {
  load_text("b.txt", "0 0 1\n1 0 1\n5 5 5\n");
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(load_text("bad.txt", ">>unstruct\na\nb\nc\nd\ne\nf\nxyz\n1 2 3\n", kAdd), LoadOutcome::rejected);
  EXPECT_NE(::testing::internal::GetCapturedStdout().find(">>program aborted after 5 errors\n"), std::string::npos);
  EXPECT_EQ(cin1.np, 3);
  EXPECT_EQ(load_text("c.xyz", "1 1 1\n", kAdd), LoadOutcome::loaded);  // read afresh
  EXPECT_EQ(cin1.np, 4);
  const std::string log = this->log();
  const std::size_t sixth = log.find("**error: keyword unknown> f\n");
  ASSERT_NE(sixth, std::string::npos) << log;
  EXPECT_EQ(log.find("* available keywords are:", sixth), std::string::npos) << log;
  // A warning alone keeps the file.
  sketra::igrerr(1, "just a note", cunit.log);
  EXPECT_EQ(load_text("d.xyz", "4 5 6\n", kAdd), LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 5);
  EXPECT_NE(this->log().find(" >>errors/ 0/  >>warnings/ 1/\n"), std::string::npos);
}

const char* kNodes = "4 2 1 1\n1 2600100.5 1200200.25 401.5 1\n2 2600110.5 1200200.25 402 0\n"
                     "3 2600110.5 1200210.25 403 1\n4 2600100.5 1200210.25 404 0\n";
const char* kPoly = "0 2 1 0\n3 1\n1 1 2 1\n2 2 3 1\n3 4 1 1\n0\n";

TEST_F(LoaderTest, NodeFilesBringThePolyEdgesAndABrokenOneLeavesTheStore) {
  write_file("river.poly", kPoly);
  EXPECT_EQ(load_text("river.node", kNodes, kLoad, {}), LoadOutcome::loaded);
  EXPECT_EQ(code(1), 0);  // no finishing step: the code is icol, colour 0
  EXPECT_EQ(message(0), "found         3 edges");
  EXPECT_EQ(load_text("river.node", kNodes, kAdd, {}), LoadOutcome::loaded);
  EXPECT_EQ(edge(6), (Edge{8, 5}));
  EXPECT_EQ(load_text("m.node", "1 2 0 0\n1 10 20\n", kLoad, {}), LoadOutcome::loaded);
  EXPECT_EQ(message(0), "no poly file found");
  write_file("v.poly", "2 2 0 0\n1 0 0\n2 1 1\n1 0\n1 1 2\n");
  EXPECT_EQ(load_text("v.node", "2 2 0 0\n1 0 0\n2 1 1\n", kLoad, {}), LoadOutcome::loaded);
  EXPECT_EQ(cin1.nseg, 0);
  EXPECT_EQ(message(0), "expecting nodes on node file");
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

TEST_F(LoaderTest, TextTrianglesGetTheFinishingStepAndTheirNotes) {
  EXPECT_EQ(load_text("t.3ds", "2600000 1200000 400\n2600010 1200000 401\n2600000 1200010 402\n"), LoadOutcome::loaded);
  EXPECT_EQ(edge(3), (Edge{3, 1}));
  EXPECT_EQ(code(3), 1);
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

TEST_F(LoaderTest, DxfVerticesKeepTheirKindsEdgesAndTheLowerLeftOriginAndDialogsSetScaleAndCircles) {
  EXPECT_EQ(quietly("d.dxf", kLines, kLoad, {"D", "D"}), LoadOutcome::loaded);
  EXPECT_EQ(cin.code, (std::vector<std::int32_t>{2, 3, 3}));
  EXPECT_EQ(cin.seg, (std::vector<Edge>{{1, 2}, {2, 3}}));
  EXPECT_EQ(cin1.yorig, double(float(1199600.0)));
  load_text("a.xyz", "2601000.5 1199000.25 400\n");
  EXPECT_EQ(quietly("d.dxf", kLines, kAdd, {"D", "D"}), LoadOutcome::loaded);
  EXPECT_EQ(cin1.xorig, 2601000.5);
  EXPECT_EQ(edge(1), (Edge{2, 3}));
  // Room for two more vertices. (Cut drawings: DxfTest EdgeCasesLayersCapacityAndBrokenFiles, ReadersFuzzTest.)
  cin1.maxp = 6;
  EXPECT_EQ(quietly("d.dxf", kLines + kLines, kAdd, {"D", "D"}), LoadOutcome::loaded);
  EXPECT_EQ(message(1), "more than       2 vertices:         1 ignored");
  EXPECT_TRUE(store_consistent());
  // The dialogs set the scale and circles.
  restart();
  const std::string circle = dxf("  0\nCIRCLE\n  8\nC\n 10\n1000\n 20\n2000\n 30\n5\n 40\n100\n");
  quietly("c.dxf", circle, kLoad, {"D", "1 0.01", "2 x", "D"});
  EXPECT_EQ(reader.sfac, 0.01);
  EXPECT_EQ(cin1.np, 40);  // the circle, taken
  EXPECT_EQ(ax(1), 11.0);
  quietly("c.dxf", circle, kLoad, {"D", "1 0", "D"});
  EXPECT_EQ(message(1), "Scaling factor not read: 0");
  EXPECT_EQ(reader.sfac, 0.01);  // the previous factor stays
  quietly("c.dxf", circle, kLoad, {});
  EXPECT_EQ(reader.sfac, 1.0);  // cancelled dialogs: every layer at scale 1
  EXPECT_EQ(ax(1), 1100.0);
}

}  // namespace
