// Shapefiles written with shapelib: every shape type, the part structure,
// the reports on standard output, and broken or unreadable files.
#include "app/formats/shapefile.h"

#include <gtest/gtest.h>
#include <shapefil.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "support/app_fixture.h"

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
    ASSERT_NE(o, nullptr);
    SHPWriteObject(h, -1, o);
    SHPDestroyObject(o);
  }
  SHPClose(h);
}

class ShapefileTest : public korvel::testing::AppTest {
 protected:
  LoadOutcome load_shp(const std::string& name, int mode = kLoad) {
    ::testing::internal::CaptureStdout();
    LoadOutcome r = load_file(name, mode);
    out = ::testing::internal::GetCapturedStdout();
    return r;
  }
  std::string out;
};

TEST_F(ShapefileTest, TwoPolylinesOfThreeAndTwoVerticesGiveFivePointsAndThreeEdges) {
  write_shapes("rivers", SHPT_ARC,
               {{{0}, {2600000, 2600010, 2600020}, {1200000, 1200005, 1200000}, {}},
                {{0}, {2600100, 2600110}, {1200100, 1200100}, {}}});
  EXPECT_EQ(load_shp("rivers.shp"), LoadOutcome::loaded);
  ASSERT_EQ(cin1.np, 5);
  ASSERT_EQ(cin1.nseg, 3);
  EXPECT_EQ(edge(1), (Edge{1, 2}));
  EXPECT_EQ(edge(2), (Edge{2, 3}));
  EXPECT_EQ(edge(3), (Edge{4, 5}));
  EXPECT_EQ(cin1.xorig, 2600000.0);
  EXPECT_EQ(ax(4), 2600100.0);
  EXPECT_EQ(code(5), 1);  // the finishing step ran
  EXPECT_EQ(out, "filename:rivers.shp\nShapefile Type: Arc   # of Shapes: 2\n");
  EXPECT_NE(log().find("filename:rivers.shp\nShapefile Type: Arc   # of Shapes: 2\n"), std::string::npos);
  EXPECT_EQ(sketra::dialogs.messages.back(), "found        5 points (        3 edges)");
}

TEST_F(ShapefileTest, PolygonRingsAreClosedChainsOnePerPart) {
  Shape lake{{0, 5},
             {0, 10, 10, 0, 0, 4, 6, 6, 4},
             {0, 0, 10, 10, 0, 4, 4, 6, 4},
             {}};
  Shape pond{{0}, {20, 22, 21, 20}, {0, 0, 2, 0}, {}};
  write_shapes("lakes", SHPT_POLYGON, {lake, pond});
  EXPECT_EQ(load_shp("lakes.shp"), LoadOutcome::loaded);
  ASSERT_EQ(cin1.np, 13);
  EXPECT_EQ(cin1.nseg, 13 - 3);
  // No edge joins a ring to the one before it.
  for (const Edge& e : cin.seg) EXPECT_TRUE(e.a != 5 && e.a != 9) << e.a << "-" << e.b;
  EXPECT_EQ(ax(5), ax(1));
  EXPECT_EQ(ay(9), ay(6));
}

TEST_F(ShapefileTest, PointsAndMultipointsKeepTheirZAndGetNoEdges) {
  write_shapes("spots", SHPT_POINTZ,
               {{{}, {10}, {20}, {401.5}}, {{}, {11}, {21}, {402.5}}, {{}, {12}, {22}, {403.5}}});
  EXPECT_EQ(load_shp("spots.shp"), LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 3);
  EXPECT_EQ(cin1.nseg, 0);
  EXPECT_EQ(z(3), 403.5f);
  EXPECT_NE(out.find("Shapefile Type: PointZ   # of Shapes: 3\n"), std::string::npos);

  write_shapes("cloud", SHPT_MULTIPOINTZ, {{{}, {0, 1, 2, 3}, {0, 1, 0, 1}, {5, 6, 7, 8}}});
  EXPECT_EQ(load_shp("cloud.shp"), LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 4);
  EXPECT_EQ(cin1.nseg, 0);
  EXPECT_EQ(z(4), 8.0f);
}

TEST_F(ShapefileTest, MeasuredLinesHaveNoZAndMultipatchPartsAreChains) {
  write_shapes("track", SHPT_ARCM, {{{0}, {0, 1, 2}, {0, 0, 0}, {}}});
  EXPECT_EQ(load_shp("track.shp"), LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 3);
  EXPECT_EQ(cin1.nseg, 2);
  EXPECT_EQ(z(2), 0.0f);

  write_shapes("patch", SHPT_MULTIPATCH, {{{0, 3}, {0, 1, 0, 5, 6, 5}, {0, 0, 1, 5, 5, 6}, {1, 2, 3, 4, 5, 6}}});
  ShapeVertices v;
  ::testing::internal::CaptureStdout();
  ASSERT_TRUE(getshape("patch.shp   ", kMaxPoints, v, cunit.log).ok);  // trailing blanks are not part of the name
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(v.type, SHPT_MULTIPATCH);
  EXPECT_EQ(v.parts, 2);
  EXPECT_EQ(v.mark, (std::vector<std::uint8_t>{kStartsChain, kContinuesChain, kContinuesChain, kStartsChain,
                                               kContinuesChain, kContinuesChain}));
  EXPECT_EQ(v.z[5], 6.0);
}

TEST_F(ShapefileTest, AddedShapesFollowThePointsWithoutJoiningThem) {
  load_text("a.xyz", "500 600 7\n");
  write_shapes("r", SHPT_ARCZ, {{{0}, {510, 520}, {600, 600}, {1, 2}}});
  EXPECT_EQ(load_shp("r.shp", kAdd), LoadOutcome::loaded);
  ASSERT_EQ(cin1.np, 3);
  ASSERT_EQ(cin1.nseg, 1);
  EXPECT_EQ(edge(1), (Edge{2, 3}));
  EXPECT_EQ(cin1.xorig, 500.0);
  EXPECT_EQ(z(3), 2.0f);
}

TEST_F(ShapefileTest, AFullStoreKeepsTheFirstVerticesAndOverwritesNothing) {
  write_shapes("long", SHPT_ARC, {{{0}, {0, 1, 2, 3, 4, 5}, {0, 0, 0, 0, 0, 0}, {}}});
  cin1.maxp = 4;
  EXPECT_EQ(load_shp("long.shp"), LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 4);
  EXPECT_EQ(cin1.nseg, 3);
  EXPECT_EQ(ax(4), 3.0);
  EXPECT_NE(log().find(" ignored vertices (store full):         2\n"), std::string::npos);
  EXPECT_TRUE(store_consistent());
}

TEST_F(ShapefileTest, AnUnreadableShapefileIsRejectedWithItsName) {
  load_text("a.xyz", "1 2 3\n");
  korvel::testing::write_file("nothing.shp", "this is no shapefile\n");
  EXPECT_EQ(load_shp("nothing.shp", kAdd), LoadOutcome::rejected);
  EXPECT_EQ(out, "filename:nothing.shp\nUnable to open:nothing.shp\n");
  EXPECT_EQ(sketra::dialogs.messages[sketra::dialogs.messages.size() - 2], "Unable to open:nothing.shp");
  EXPECT_EQ(sketra::dialogs.message_line, "load failed: nothing.shp");
  EXPECT_NE(log().find(" shapelib: Unable to open nothing.shx or nothing.SHX."), std::string::npos);

  write_shapes("noindex", SHPT_ARC, {{{0}, {0, 1}, {0, 1}, {}}});
  std::filesystem::remove("noindex.shx");
  EXPECT_EQ(load_shp("noindex.shp", kAdd), LoadOutcome::rejected);
  EXPECT_EQ(cin1.np, 1);
  EXPECT_EQ(cin1.xorig, 1.0);
}

TEST_F(ShapefileTest, TruncatedOrNonNumericShapesRejectTheLoad) {
  load_text("a.xyz", "1 2 3\n");
  write_shapes("cut", SHPT_ARC, {{{0}, {0, 1}, {0, 1}, {}}, {{0}, {5, 6, 7}, {5, 6, 7}, {}}});
  auto size = std::filesystem::file_size("cut.shp");
  std::filesystem::resize_file("cut.shp", size - 20);
  EXPECT_EQ(load_shp("cut.shp", kAdd), LoadOutcome::rejected);
  EXPECT_EQ(sketra::dialogs.messages[sketra::dialogs.messages.size() - 2], "shape 2 unreadable in cut.shp");

  const double nan = std::numeric_limits<double>::quiet_NaN();
  write_shapes("nan", SHPT_ARC, {{{0}, {0, nan}, {0, 1}, {}}});
  EXPECT_EQ(load_shp("nan.shp", kAdd), LoadOutcome::rejected);
  EXPECT_EQ(sketra::dialogs.messages[sketra::dialogs.messages.size() - 2],
            "shape 1 holds a coordinate that is not a number in nan.shp");
  EXPECT_EQ(cin1.np, 1);
  EXPECT_EQ(cin1.nseg, 0);
}

TEST_F(ShapefileTest, AShapefileWithoutShapesLoadsNothing) {
  write_shapes("empty", SHPT_POLYGON, {});
  EXPECT_EQ(load_shp("empty.shp"), LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 0);
  EXPECT_NE(out.find("Shapefile Type: Polygon   # of Shapes: 0\n"), std::string::npos);
}

}  // namespace
