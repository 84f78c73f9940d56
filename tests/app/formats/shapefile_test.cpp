// Shapefiles written with shapelib: every shape type, the part structure,
// the reports, and broken or unreadable files.
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

TEST_F(ShapefileTest, EveryPartOfALineOrPolygonStartsAChain) {
  write_shapes("rivers", SHPT_ARC, {{{0}, {2600000, 2600010, 2600020}, {1200000, 1200005, 1200000}, {}},
                                    {{0}, {2600100, 2600110}, {1200100, 1200100}, {}}});
  ASSERT_TRUE(read("rivers.shp   ").ok);  // trailing blanks are not part of the name
  EXPECT_EQ(out, "filename:rivers.shp\nShapefile Type: Arc   # of Shapes: 2\n");
  EXPECT_NE(log().find(out), std::string::npos);
  EXPECT_EQ(v.mark, (Marks{kStartsChain, kContinuesChain, kContinuesChain, kStartsChain, kContinuesChain}));
  EXPECT_EQ(v.x[3], 2600100.0);

  // A lake with an island: two rings, each closed by its repeated first vertex.
  write_shapes("lakes", SHPT_POLYGON, {{{0, 5}, {0, 10, 10, 0, 0, 4, 6, 6, 4}, {0, 0, 10, 10, 0, 4, 4, 6, 4}, {}}});
  ASSERT_TRUE(read("lakes.shp").ok);
  EXPECT_EQ(v.parts, 2);
  EXPECT_EQ(v.mark[5], kStartsChain);
  EXPECT_EQ(v.x[4], v.x[0]);

  write_shapes("patch", SHPT_MULTIPATCH, {{{0, 3}, {0, 1, 0, 5, 6, 5}, {0, 0, 1, 5, 5, 6}, {1, 2, 3, 4, 5, 6}}});
  ASSERT_TRUE(read("patch.shp").ok);
  EXPECT_EQ(v.mark, (Marks{kStartsChain, kContinuesChain, kContinuesChain, kStartsChain, kContinuesChain,
                           kContinuesChain}));
  EXPECT_EQ(v.z[5], 6.0);
}

TEST_F(ShapefileTest, PointsAreSinglePointsWithTheirZAndMeasuresGiveNoZ) {
  write_shapes("spots", SHPT_POINTZ, {{{}, {10}, {20}, {401.5}}, {{}, {11}, {21}, {402.5}}});
  ASSERT_TRUE(read("spots.shp").ok);
  EXPECT_EQ(v.mark, (Marks{kSinglePoint, kSinglePoint}));
  EXPECT_EQ(v.z[1], 402.5);
  EXPECT_EQ(out, "filename:spots.shp\nShapefile Type: PointZ   # of Shapes: 2\n");
  write_shapes("cloud", SHPT_MULTIPOINTZ, {{{}, {0, 1, 2}, {0, 1, 0}, {5, 6, 7}}});
  ASSERT_TRUE(read("cloud.shp").ok);
  EXPECT_EQ(v.mark, (Marks{kSinglePoint, kSinglePoint, kSinglePoint}));
  write_shapes("track", SHPT_ARCM, {{{0}, {0, 1, 2}, {0, 0, 0}, {}}});
  ASSERT_TRUE(read("track.shp").ok);
  EXPECT_EQ(v.z, (std::vector<double>{0, 0, 0}));
  write_shapes("empty", SHPT_POLYGON, {});
  ASSERT_TRUE(read("empty.shp").ok);
  EXPECT_TRUE(v.x.empty());
}

TEST_F(ShapefileTest, VerticesBeyondTheCapacityAreCountedNotKept) {
  write_shapes("long", SHPT_ARC, {{{0}, {0, 1, 2, 3, 4, 5}, {0, 0, 0, 0, 0, 0}, {}}});
  ASSERT_TRUE(read("long.shp", 4).ok);
  EXPECT_EQ(v.x, (std::vector<double>{0, 1, 2, 3}));
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
