// Shapefiles that real GIS software wrote (fetched from Debian packages by
// the test fixture "shapefiles", tests/data/fetch-shapefiles.sh): korvel's
// vertices, parts and edges against what ogrinfo reports for the same files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/formats/shapefile.h"
#include "support/app_fixture.h"
#include "support/testdir.h"

namespace {

using namespace korvel;
namespace fs = std::filesystem;

const fs::path kDir = fs::path(KORVEL_TESTDATA_DIR) / "shapefiles";

// "NAME KEY VALUE..." lines of expected.txt, by name and key.
std::map<std::string, std::map<std::string, std::string>> read_expected() {
  std::map<std::string, std::map<std::string, std::string>> facts;
  std::ifstream in(kDir / "expected.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    std::string name, key, rest;
    s >> name >> key;
    std::getline(s, rest);
    facts[name][key] = rest.empty() ? rest : rest.substr(1);
  }
  return facts;
}

std::vector<double> numbers(const std::string& text) {
  std::istringstream s(text);
  std::vector<double> v;
  double d;
  while (s >> d) v.push_back(d);
  return v;
}

class RealShapefileTest : public korvel::testing::AppTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    if (fs::exists(kDir / "UNAVAILABLE"))
      GTEST_SKIP() << "sample shapefiles could not be downloaded (no Debian mirror reachable): "
                   << korvel::testing::read_file(kDir / "UNAVAILABLE");
    ASSERT_TRUE(fs::exists(kDir / "expected.txt"))
        << "sample shapefiles missing: run ctest (fixture testdata.fetch_shapefiles) or "
           "tests/data/fetch-shapefiles.sh "
        << KORVEL_TESTDATA_DIR;
    auto all = read_expected();
    if (!all.count(GetParam())) GTEST_SKIP() << GetParam() << ".shp is not shipped by this Debian release";
    facts = all[GetParam()];
    path = (kDir / (std::string(GetParam()) + ".shp")).string();
  }
  long fact(const std::string& key) { return std::stol(facts.at(key)); }

  std::map<std::string, std::string> facts;
  std::string path;
};

TEST_P(RealShapefileTest, VerticesPartsAndEdgesMatchOgrinfo) {
  ::testing::internal::CaptureStdout();
  LoadOutcome r = load_file(path);
  std::string out = ::testing::internal::GetCapturedStdout();
  ASSERT_EQ(r, LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, fact("vertices"));
  EXPECT_EQ(cin1.nseg, fact("edges"));
  EXPECT_TRUE(store_consistent());
  EXPECT_NE(out.find("filename:" + path + "\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Shapefile Type: " + facts.at("shptypename") + "   # of Shapes: " + facts.at("shapes") + "\n"),
            std::string::npos)
      << out;

  // The origin is the first vertex, exactly.
  std::vector<double> first = numbers(facts.at("first"));
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(ax(1), first[0]);
  EXPECT_EQ(ay(1), first[1]);
  EXPECT_EQ(z(1), float(first[2]));

  // The extent, within single precision of the relative co-ordinates.
  std::vector<double> ext = numbers(facts.at("extent"));
  ASSERT_EQ(ext.size(), 4u);
  double xmin = 1e300, ymin = 1e300, xmax = -1e300, ymax = -1e300;
  for (std::int32_t i = 1; i <= cin1.np; ++i) {
    xmin = std::min(xmin, ax(i));
    xmax = std::max(xmax, ax(i));
    ymin = std::min(ymin, ay(i));
    ymax = std::max(ymax, ay(i));
  }
  double tol = 2e-6 + 2e-7 * (ext[2] - ext[0] + ext[3] - ext[1] + std::fabs(first[0]) + std::fabs(first[1]));
  EXPECT_NEAR(xmin, ext[0], tol);
  EXPECT_NEAR(ymin, ext[1], tol);
  EXPECT_NEAR(xmax, ext[2], tol);
  EXPECT_NEAR(ymax, ext[3], tol);
}

TEST_P(RealShapefileTest, GetshapeCountsThePartsAndPolygonRingsClose) {
  ShapeVertices v;
  ::testing::internal::CaptureStdout();
  ReadResult r = getshape(path, kMaxPoints, v, cunit.log);
  ::testing::internal::GetCapturedStdout();
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(v.type, fact("shptype"));
  EXPECT_EQ(v.shapes, fact("shapes"));
  EXPECT_EQ(v.parts, fact("parts"));
  EXPECT_EQ(std::int64_t(v.x.size()), fact("vertices"));
  EXPECT_EQ(v.ignored, 0);
  if (facts.at("geometry") != "Polygon") return;
  // Every ring ends on its first vertex.
  std::size_t start = 0;
  for (std::size_t i = 1; i <= v.x.size(); ++i) {
    if (i < v.x.size() && v.mark[i] != kStartsChain) continue;
    EXPECT_EQ(v.x[start], v.x[i - 1]) << "ring from vertex " << start;
    EXPECT_EQ(v.y[start], v.y[i - 1]) << "ring from vertex " << start;
    start = i;
  }
}

INSTANTIATE_TEST_SUITE_P(Debian, RealShapefileTest,
                         ::testing::Values("nc", "olinda1", "storms_xyz", "storms_xyzm", "naturalearth_lowres",
                                           "naturalearth_cities", "nybb"));

}  // namespace
