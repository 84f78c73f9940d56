// Broken files for every reader: valid files cut at every kind of place and
// with bytes changed, and random keyword files built from the format's own
// words. Every load ends; afterwards the store is consistent, and a
// rejected load has left it exactly as it was.
#include <gtest/gtest.h>
#include <shapefil.h>

#include <random>

#include "support/app_fixture.h"

namespace {

using namespace korvel;
using korvel::testing::read_file;
using korvel::testing::write_file;

const char* kDxf =
    "  0\nSECTION\n  2\nENTITIES\n"
    "  0\nLINE\n  8\nA\n 10\n100.0\n 20\n200.0\n 30\n1.0\n 11\n110.0\n 21\n200.0\n 31\n2.0\n"
    "  0\nLWPOLYLINE\n  8\nB\n 90\n3\n 70\n1\n 38\n5.0\n 10\n0.0\n 20\n0.0\n 10\n4.0\n 20\n0.0\n 10\n4.0\n 20\n4.0\n"
    "  0\nPOLYLINE\n  8\nB\n 66\n1\n 10\n0.0\n 20\n0.0\n 30\n0.0\n 70\n9\n"
    "  0\nVERTEX\n  8\nB\n 10\n1.0\n 20\n1.0\n 30\n1.0\n  0\nVERTEX\n  8\nB\n 10\n2.0\n 20\n1.0\n 30\n1.0\n"
    "  0\nSEQEND\n  8\nB\n"
    "  0\nHATCH\n  8\nC\n 10\n0.0\n 20\n0.0\n 30\n0.0\n  2\nSOLID\n 91\n1\n 92\n2\n 93\n3\n"
    " 10\n0.0\n 20\n0.0\n 10\n5.0\n 20\n0.0\n 10\n5.0\n 20\n5.0\n 97\n0\n 75\n0\n 98\n1\n 10\n1.0\n 20\n1.0\n"
    "  0\nARC\n  8\nA\n 10\n50.0\n 20\n50.0\n 30\n0.0\n 40\n5.0\n 50\n0.0\n 51\n270.0\n"
    "  0\nCIRCLE\n  8\nA\n 10\n60.0\n 20\n50.0\n 30\n0.0\n 40\n5.0\n"
    "  0\n3DFACE\n  8\nA\n 10\n0.0\n 20\n0.0\n 30\n0.0\n 11\n1.0\n 21\n0.0\n 31\n0.0\n 12\n1.0\n 22\n1.0\n 32\n0.0\n"
    "  0\nENDSEC\n  0\nEOF\n";

const char* kNode = "5 2 1 1\n1 0 0 1 1\n2 10 0 2 1\n3 10 10 3 1\n4 0 10 4 1\n5 5 5 5 0\n";
const char* kPoly = "0 2 0 1\n4 1\n1 1 2 1\n2 2 3 1\n3 3 4 1\n4 4 1 1\n0\n";
const char* k2dm = "MESH2D\nND 1 0 0 1\nND 2 10 0 2\nND 3 10 10 3\nND 4 0 10 4\nE4Q 1 1 2 3 4 1\n";
const char* k3ds = "0 0 1\n10 0 2\n0 10 3\n10 0 2\n10 10 4\n0 10 3\n";

class ReadersFuzzTest : public korvel::testing::AppTest {
 protected:
  // Loads `name` (under Add unless `mode` says Load) after a small survey
  // and checks the store, the parser and the units of data and includes.
  void check_load(const std::string& name, const std::string& what, int mode = kAdd) {
    if (cin1.np < 2 || cin1.np > 20000) reset_store();
    std::int32_t np = cin1.np, nseg = cin1.nseg;
    double xorig = cin1.xorig;
    float x2 = cin.x[1];
    ::testing::internal::CaptureStdout();
    LoadOutcome r = load_file(name, mode, {"D", "D", "D"});
    ::testing::internal::GetCapturedStdout();
    ASSERT_TRUE(store_consistent()) << what;
    const bool kept = r != LoadOutcome::loaded && r != LoadOutcome::cancelled;
    if (kept) {
      ASSERT_EQ(cin1.np, np) << what;
      ASSERT_EQ(cin1.nseg, nseg) << what;
      ASSERT_EQ(cin1.xorig, xorig) << what;
    }
    if (kept || mode == kAdd) {
      ASSERT_EQ(cin.x[1], x2) << what;
    }
    ASSERT_GE(parser.level, 0);
    ASSERT_FALSE(parser.aborted);
    ASSERT_FALSE(sketra::unit_is_open(cunit.data));
    for (int u = 45; u <= 94; ++u) ASSERT_FALSE(sketra::unit_is_open(u)) << what;
  }
  void reset_store() {
    sketra::scriptq.reset();
    load_text("survey.xyz", "2600000 1200000 400\n2600010 1200010 401\n");
  }
  // Every cut of `text`, and random changes of its bytes.
  void mutate(const std::string& name, const std::string& text, std::mt19937& rng) {
    reset_store();
    for (std::size_t cut = 0; cut < text.size(); cut += 1 + text.size() / 60) {
      write_file(name, text.substr(0, cut));
      check_load(name, "cut at " + std::to_string(cut));
    }
    const char junk[] = {'0', '9', '-', '.', ' ', '\n', 'x', '#', '/', 'E', '\0', '\r', char(0xff)};
    std::uniform_int_distribution<std::size_t> at(0, text.size() - 1), pick(0, sizeof junk - 1);
    for (int round = 0; round < 80; ++round) {
      std::string t = text;
      for (int k = 0; k < 3; ++k) t[at(rng)] = junk[pick(rng)];
      write_file(name, t);
      check_load(name, t);
    }
  }
};

TEST_F(ReadersFuzzTest, BrokenDxfNodePolyTwoDmAndTriangleFiles) {
  std::mt19937 rng(5);
  mutate("f.dxf", kDxf, rng);
  write_file("g.poly", kPoly);
  mutate("g.node", kNode, rng);
  mutate("g.poly", kPoly, rng);  // loaded through its node file below
  write_file("g.node", kNode);
  for (int round = 0; round < 40; ++round) {
    std::string t = kPoly;
    t[std::uniform_int_distribution<std::size_t>(0, t.size() - 1)(rng)] = "9x \n-"[round % 5];
    write_file("g.poly", t);
    check_load("g.node", t);
  }
  mutate("f.2dm", k2dm, rng);
  mutate("f.3ds", k3ds, rng);
}

TEST_F(ReadersFuzzTest, BrokenShapefiles) {
  SHPHandle h = SHPCreate("s", SHPT_POLYGONZ);
  ASSERT_NE(h, nullptr);
  double x[] = {0, 10, 10, 0, 0, 2, 4, 4, 2}, y[] = {0, 0, 10, 10, 0, 2, 2, 4, 2}, z[] = {1, 2, 3, 4, 1, 5, 5, 5, 5};
  int parts[] = {0, 5};
  for (int k = 0; k < 3; ++k) {
    SHPObject* o = SHPCreateObject(SHPT_POLYGONZ, -1, 2, parts, nullptr, 9, x, y, z, nullptr);
    SHPWriteObject(h, -1, o);
    SHPDestroyObject(o);
  }
  SHPClose(h);
  const std::string shp = read_file("s.shp"), shx = read_file("s.shx");
  std::mt19937 rng(11);
  reset_store();
  for (std::size_t cut = 0; cut < shp.size(); cut += 7) {
    write_file("s.shp", shp.substr(0, cut));
    check_load("s.shp", "shp cut at " + std::to_string(cut));
  }
  write_file("s.shp", shp);
  for (std::size_t cut = 0; cut < shx.size(); cut += 5) {
    write_file("s.shx", shx.substr(0, cut));
    check_load("s.shp", "shx cut at " + std::to_string(cut));
  }
  std::uniform_int_distribution<std::size_t> at(0, shp.size() - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  write_file("s.shx", shx);
  for (int round = 0; round < 300; ++round) {
    std::string t = shp;
    for (int k = 0; k < 2; ++k) t[at(rng)] = char(byte(rng));
    write_file("s.shp", t);
    check_load("s.shp", "shp round " + std::to_string(round));
  }
}

const char* kWords[] = {">>unstruct", ">>grid", ">>", "xyz", "xy", "lines", "bedlevel", "cs", "table", "locate",
                        "move", "rotate", "color", "item", "xclip", "zclip", "max_distance", "min_distance",
                        "boundary", "nx", "ny", "cellsize", "ncols", "{", "{a", "|", "}", "/", "#", "**",
                        "include", "self.txt", "'q'", ",", "1", "2.5", "-3", "1e3", "1.5D2", "2*4", "-9999",
                        "1000000", "0.001", "abc", "3.", ".5", "\t", "\r"};

// Up to 40 lines of up to 7 words each, the file including itself now and then.
TEST_F(ReadersFuzzTest, RandomKeywordFiles) {
  std::mt19937 rng(2020);
  std::uniform_int_distribution<int> lines(1, 40), words(0, 7), pick(0, int(std::size(kWords)) - 1);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (int i = lines(rng); i > 0; --i) {
      for (int j = words(rng); j > 0; --j) text += std::string(kWords[pick(rng)]) + ' ';
      text += '\n';
    }
    write_file("self.txt", text);
    check_load("self.txt", text, round % 3 == 0 ? kLoad : kAdd);
  }
}

}  // namespace
