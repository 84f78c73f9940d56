// Shapefiles written with shapelib (multipatches, multipoints, the
// capacity, broken or unreadable files) and shapefiles of real GIS software.
#include "app/formats/shapefile.h"

#include <gtest/gtest.h>
#include <shapefil.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>

#include "support/format_fixture.h"
#include "support/load_cases.h"

namespace {

using namespace korvel;
namespace fs = std::filesystem;

struct Shape {
  std::vector<int> parts;  // part starts; empty for points
  std::vector<double> x, y, z;
};

// Writes `name`.shp/.shx with the shapes, all of `type`.
void write_shapes(const std::string& name, int type, const std::vector<Shape>& shapes) {
  SHPHandle h = SHPCreate(name.c_str(), type);
  ASSERT_NE(h, nullptr);
  for (const Shape& s : shapes) {
    std::vector<double> z = s.z.empty() ? std::vector<double>(s.x.size(), 0.0) : s.z;
    std::vector<double> m(s.x.size(), 7.5);
    std::vector<int> types(s.parts.size(), type == SHPT_MULTIPATCH ? SHPP_TRISTRIP : SHPP_RING);
    SHPObject* o = SHPCreateObject(type, -1, int(s.parts.size()), s.parts.empty() ? nullptr : s.parts.data(),
                                   types.empty() ? nullptr : types.data(), int(s.x.size()), s.x.data(), s.y.data(),
                                   z.data(), m.data());
    SHPWriteObject(h, -1, o);
    SHPDestroyObject(o);
  }
  SHPClose(h);
}

class ShapefileTest : public korvel::testing::FormatTest {
 protected:
  FileResult read(const std::string& name, std::int64_t capacity = 1000) {
    v = ShapeVertices{};
    ::testing::internal::CaptureStdout();
    FileResult r = getshape(name, capacity, v, kLog, quiet);
    out = ::testing::internal::GetCapturedStdout();
    return r;
  }
  using Marks = std::vector<std::uint8_t>;
  ShapeVertices v;
  std::string out;
};

// The shapefiles of real GIS software (below) hold points, lines, polygons
// and their Z and M forms; the cases here are those they do not.

TEST_F(ShapefileTest, MultipatchPartsAreChainsAndTheCapacityIsHeld) {
  write_shapes("patch", SHPT_MULTIPATCH, {{{0, 3}, {0, 1, 0, 5, 6, 5}, {0, 0, 1, 5, 5, 6}, {1, 2, 3, 4, 5, 6}}});
  ASSERT_TRUE(read("patch.shp  ").ok);  // trailing blanks are not part of the name
  EXPECT_EQ(v.mark, (Marks{kStartsChain, 0, 0, kStartsChain, 0, 0}));
  write_shapes("cloud", SHPT_MULTIPOINTZ, {{{}, {0, 1, 2, 3, 4, 5}, {0, 1, 0, 1, 0, 1}, {5, 6, 7, 8, 9, 10}}});
  ASSERT_TRUE(read("cloud.shp", 4).ok);
  EXPECT_EQ(v.mark, Marks(4, kSinglePoint));
  EXPECT_EQ(v.ignored, 2);
}

TEST_F(ShapefileTest, UnreadableTruncatedOrNonNumericFilesFail) {
  korvel::testing::write_file("nothing.shp", "this is no shapefile\n");
  FileResult r = read("nothing.shp");
  EXPECT_EQ(r.message, "Unable to open:nothing.shp");
  EXPECT_EQ(out, "filename:nothing.shp\nUnable to open:nothing.shp\n");
  EXPECT_NE(log().find(" shapelib: Unable to open nothing.shx or nothing.SHX."), std::string::npos);

  write_shapes("cut", SHPT_ARC, {{{0}, {0, 1}, {0, 1}, {}}, {{0}, {5, 6, 7}, {5, 6, 7}, {}}});
  std::filesystem::resize_file("cut.shp", std::filesystem::file_size("cut.shp") - 20);
  EXPECT_EQ(read("cut.shp").message, "shape 2 unreadable in cut.shp");

  const double nan = std::numeric_limits<double>::quiet_NaN();
  write_shapes("nan", SHPT_ARC, {{{0}, {0, nan}, {0, 1}, {}}});
  EXPECT_EQ(read("nan.shp").message, "shape 1 holds a coordinate that is not a number in nan.shp");
}

// ---- Shapefiles that real GIS software wrote --------------------------------------
//
// Fetched from Debian packages by the test fixture "shapefiles"
// (tests/data/fetch-shapefiles.sh): the reader's vertices, parts and chains
// against what ogrinfo reports for the same files.

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

class RealShapefileTest : public ShapefileTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    ShapefileTest::SetUp();
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
  FileResult r = read(path, 19600000);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(out, "filename:" + path + "\nShapefile Type: " + facts.at("shptypename") +
                     "   # of Shapes: " + facts.at("shapes") + "\n");
  EXPECT_EQ(v.type, fact("shptype"));
  EXPECT_EQ(v.parts, fact("parts"));
  EXPECT_EQ(std::int64_t(v.x.size()), fact("vertices"));
  EXPECT_EQ(std::count(v.mark.begin(), v.mark.end(), kContinuesChain), fact("edges"));

  const std::vector<double> first = numbers(facts.at("first")), ext = numbers(facts.at("extent"));
  ASSERT_EQ(ext.size(), 4u);
  EXPECT_EQ((std::vector<double>{v.x[0], v.y[0], v.z[0]}), first);
  auto [xmin, xmax] = std::minmax_element(v.x.begin(), v.x.end());
  auto [ymin, ymax] = std::minmax_element(v.y.begin(), v.y.end());
  const double tol = 2e-6;  // ogrinfo prints six decimals
  EXPECT_NEAR(*xmin, ext[0], tol);
  EXPECT_NEAR(*ymin, ext[1], tol);
  EXPECT_NEAR(*xmax, ext[2], tol);
  EXPECT_NEAR(*ymax, ext[3], tol);
}

INSTANTIATE_TEST_SUITE_P(Debian, RealShapefileTest,
                         ::testing::Values("nc", "olinda1", "storms_xyz", "storms_xyzm", "naturalearth_lowres",
                                           "naturalearth_cities", "nybb"));

}  // namespace

namespace {

using korvel::testing::kRejected;
using korvel::testing::LoadCase;

class ShapefileLoadTest : public korvel::testing::LoadCaseTest {};

// A .shp whose records are damaged beside a good .shx is a failed load.
TEST_F(ShapefileLoadTest, DamagedRecordsAreRejected) {
  write_shapes("good", SHPT_ARC, {{{0}, {0, 10, 20}, {0, 0, 5}, {}}, {{0}, {30, 40}, {5, 5}, {}}});  // two chains
  write_shapes("zeros", SHPT_ARC, {{{0}, {0, 10, 20}, {0, 0, 5}, {}}});
  {
    std::fstream f("zeros.shp", std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(100 + 8);  // the first record's content
    for (int i = 0; i < 80; ++i) f.put('\0');
  }
  // (Records of random bytes: ReadersFuzzTest BrokenShapefiles.)
  const std::string read_back = korvel::testing::read_file("good.shp");
  const LoadCase cases[] = {
      {"a good file", {{"good.shp", read_back}}, 7, {{3, 4}, {4, 5}, {6, 7}}, ""},
      {"records of zeros", {{"zeros.shx", korvel::testing::read_file("zeros.shx")}, {"zeros.shp", korvel::testing::read_file("zeros.shp")}},
       kRejected, {}, "not a readable shapefile: zeros.shp"},
  };
  const std::string good_shx = korvel::testing::read_file("good.shx");
  for (const LoadCase& c : cases) {
    korvel::testing::write_file("good.shx", good_shx);
    run(c);
  }
}

}  // namespace
