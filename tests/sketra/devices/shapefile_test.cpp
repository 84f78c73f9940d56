// Shapefile hard copies: the three-line dialog, points, arcs merged by the
// arc collector, polygons with reversed rings, and the files read back by
// shapelib and GDAL.

#include <shapefil.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "sketra/base/script.h"
#include "sketra/devices/devices.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "support/recording.h"
#include "support/run_program.h"

namespace {

using namespace sketra;

struct Shape {
  std::vector<double> x, y;
  double attribute = 0;
};

// Every object of base.shp with its attribute from base.dbf.
std::vector<Shape> read_shapes(const std::string& base, int& type) {
  std::vector<Shape> out;
  SHPHandle shp = SHPOpen((base + ".shp").c_str(), "rb");
  DBFHandle dbf = DBFOpen((base + ".dbf").c_str(), "rb");
  if (!shp || !dbf) {
    if (shp) SHPClose(shp);
    if (dbf) DBFClose(dbf);
    return out;
  }
  int n = 0;
  SHPGetInfo(shp, &n, &type, nullptr, nullptr);
  for (int i = 0; i < n; ++i) {
    SHPObject* o = SHPReadObject(shp, i);
    Shape s;
    s.x.assign(o->padfX, o->padfX + o->nVertices);
    s.y.assign(o->padfY, o->padfY + o->nVertices);
    s.attribute = DBFReadDoubleAttribute(dbf, i, 0);
    out.push_back(s);
    SHPDestroyObject(o);
  }
  SHPClose(shp);
  DBFClose(dbf);
  return out;
}

class ShapefileTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    install_file_devices();
    grvalu8("XORGR", 500000.0);
    grvalu8("YORGR", 100000.0);
    use_unit_mapping();
  }
  // Opens a shapefile of type k (1 Point, 2 Arc, 3 Polygon) named `base`.
  static void open(const std::string& base, int k) {
    grscpt(std::vector<std::string>{"1 " + base, "2 level", "3 " + std::to_string(k), "D"});
    ASSERT_EQ(grmode(kModeShape), kModeShape);
  }
  static void view() {
    grmov2(0, 0);
    grsymb(1);
    grmov2(5, 5);
    grsymb(2);
    // A ring of four segments, one of them drawn again backwards.
    grmov2(10, 10);
    grdrw2(20, 10);
    grdrw2(20, 20);
    grdrw2(10, 20);
    grdrw2(10, 10);
    grdrw2(20, 10);
    grmov2(20, 10);
    grdrw2(10, 10);
    // A contour line at level 42.5.
    grmov3(30, 0, 42.5f);
    grdrw3(40, 0, 42.5f);
    grdrw3(50, 5, 42.5f);
    const float x[] = {100, 110, 110, 100}, y[] = {100, 100, 110, 110};
    grfil2(x, y, 7);
  }
};

TEST_F(ShapefileTest, ArcsAreMergedChainsWithoutDuplicateSegments) {
  open("lines", kShapeArc);
  view();
  grmode(0);
  EXPECT_EQ(dialogs.message_line, "Shapefile done");
  int type = 0;
  const std::vector<Shape> s = read_shapes("lines", type);
  EXPECT_EQ(type, SHPT_ARC);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].x, (std::vector<double>{500010, 500020, 500020, 500010, 500010}));
  EXPECT_EQ(s[0].y, (std::vector<double>{100010, 100010, 100020, 100020, 100010}));
  EXPECT_EQ(s[1].x.size(), 3u);
  EXPECT_DOUBLE_EQ(s[1].attribute, 42.5);  // the level of the contour line
  EXPECT_EQ(shape_settings.attribute_type, kAttributeInteger);
}

TEST_F(ShapefileTest, PolygonsAreReversedClosedRingsWithTheirColour) {
  open("areas", kShapePolygon);
  view();
  grmode(0);
  int type = 0;
  const std::vector<Shape> s = read_shapes("areas", type);
  EXPECT_EQ(type, SHPT_POLYGON);
  ASSERT_EQ(s.size(), 1u);  // symbols and lines are not polygons
  EXPECT_EQ(s[0].x, (std::vector<double>{500100, 500110, 500110, 500100, 500100}));
  EXPECT_EQ(s[0].y, (std::vector<double>{100110, 100110, 100100, 100100, 100110}));
  EXPECT_EQ(s[0].attribute, 7);
}

TEST_F(ShapefileTest, PointsOnlyAndGdalReadsEachType) {
  open("marks", kShapePoint);
  view();
  grmode(0);
  int type = 0;
  const std::vector<Shape> s = read_shapes("marks", type);
  EXPECT_EQ(type, SHPT_POINT);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[1].x[0], 500005);
  open("lines", kShapeArc);
  view();
  grmode(0);
  open("areas", kShapePolygon);
  view();
  grmode(0);
  for (const auto& [file, expect] : {std::pair{"marks.shp", "Geometry: Point\nFeature Count: 2\n"},
                                      std::pair{"lines.shp", "Geometry: Line String\nFeature Count: 2\n"},
                                      std::pair{"areas.shp", "Geometry: Polygon\nFeature Count: 1\n"}}) {
    const auto info = korvel::testing::run_program({"ogrinfo", "-al", "-so", file});
    EXPECT_NE(info.out.find(expect), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("level: "), std::string::npos) << info.out;
  }
}

TEST_F(ShapefileTest, CancelBlankNameAndUnwritableFolderOpenNothing) {
  grscpt(std::vector<std::string>{"1  ", "D"});
  EXPECT_EQ(grmode(kModeShape), 0);
  EXPECT_EQ(dialogs.message_line, "Filename cannot be all blanks");
  grscpt(std::vector<std::string>{"1 no/such/dir/x", "D"});
  EXPECT_EQ(grmode(kModeShape), 0);
  EXPECT_EQ(dialogs.message_line, "DBFCreate(no/such/dir/x.dbf) failed.");
  EXPECT_EQ(grcomn.imodgr, 2);
  EXPECT_TRUE(std::filesystem::is_empty("."));
}

}  // namespace
