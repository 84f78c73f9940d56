// Shapefiles that real GIS software wrote (fetched from Debian packages by
// the test fixture "shapefiles", tests/data/fetch-shapefiles.sh): the
// reader's vertices, parts and chains against what ogrinfo reports for the
// same files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/formats/shapefile.h"
#include "support/format_fixture.h"

namespace {

using namespace korvel;
namespace fs = std::filesystem;

const fs::path kDir = fs::path(KORVEL_TESTDATA_DIR) / "shapefiles";

// The "NAME KEY VALUE..." lines of expected.txt about `name`, by key.
std::map<std::string, std::string> read_expected(const std::string& name) {
  std::map<std::string, std::string> facts;
  std::ifstream in(kDir / "expected.txt");
  for (std::string line, n, key, rest; std::getline(in, line);) {
    std::istringstream s(line);
    if (s >> n >> key && n == name && std::getline(s, rest)) facts[key] = rest.substr(1);
  }
  return facts;
}

std::vector<double> numbers(const std::string& text) {
  std::istringstream s(text);
  std::vector<double> v;
  for (double d; s >> d;) v.push_back(d);
  return v;
}

class RealShapefileTest : public korvel::testing::FormatTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    FormatTest::SetUp();
    if (fs::exists(kDir / "UNAVAILABLE"))
      GTEST_SKIP() << "sample shapefiles could not be downloaded (no Debian mirror reachable): "
                   << korvel::testing::read_file(kDir / "UNAVAILABLE");
    ASSERT_TRUE(fs::exists(kDir / "expected.txt"))
        << "sample shapefiles missing: run ctest (fixture testdata.fetch_shapefiles) or "
           "tests/data/fetch-shapefiles.sh "
        << KORVEL_TESTDATA_DIR;
    facts = read_expected(GetParam());
    if (facts.empty()) GTEST_SKIP() << GetParam() << ".shp is not shipped by this Debian release";
  }
  long fact(const std::string& key) { return std::stol(facts.at(key)); }
  std::map<std::string, std::string> facts;
};

TEST_P(RealShapefileTest, VerticesPartsChainsAndExtentMatchOgrinfo) {
  const std::string path = (kDir / (std::string(GetParam()) + ".shp")).string();
  ShapeVertices v;
  ::testing::internal::CaptureStdout();
  FileResult r = getshape(path, 19600000, v, kLog, quiet);
  const std::string out = ::testing::internal::GetCapturedStdout();
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(out, "filename:" + path + "\nShapefile Type: " + facts.at("shptypename") +
                     "   # of Shapes: " + facts.at("shapes") + "\n");
  EXPECT_EQ(v.type, fact("shptype"));
  EXPECT_EQ(v.parts, fact("parts"));
  EXPECT_EQ(std::int64_t(v.x.size()), fact("vertices"));
  EXPECT_EQ(std::count(v.mark.begin(), v.mark.end(), kContinuesChain), fact("edges"));

  const std::vector<double> first = numbers(facts.at("first")), ext = numbers(facts.at("extent"));
  ASSERT_EQ(first.size(), 3u);
  ASSERT_EQ(ext.size(), 4u);
  EXPECT_EQ(v.x[0], first[0]);
  EXPECT_EQ(v.y[0], first[1]);
  EXPECT_EQ(v.z[0], first[2]);
  auto [xmin, xmax] = std::minmax_element(v.x.begin(), v.x.end());
  auto [ymin, ymax] = std::minmax_element(v.y.begin(), v.y.end());
  const double tol = 2e-6;  // ogrinfo prints six decimals
  EXPECT_NEAR(*xmin, ext[0], tol);
  EXPECT_NEAR(*ymin, ext[1], tol);
  EXPECT_NEAR(*xmax, ext[2], tol);
  EXPECT_NEAR(*ymax, ext[3], tol);

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
