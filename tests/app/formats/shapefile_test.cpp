// Shapefiles written with shapelib: multipatches, multipoints, the
// capacity, and broken or unreadable files.
#include "app/formats/shapefile.h"

#include <gtest/gtest.h>
#include <shapefil.h>

#include <filesystem>
#include <limits>

#include "support/format_fixture.h"

namespace {

using namespace korvel;

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

// Shapefiles of real GIS software (shapefile_real_test.cpp) hold points,
// lines, polygons and their Z and M forms; the cases here are those they do
// not.

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

}  // namespace
