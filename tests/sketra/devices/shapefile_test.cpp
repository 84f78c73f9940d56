// Shapefile hard copies: the three-line dialog, points, arcs merged by the
// arc collector, polygons with reversed rings, the fills of one colour
// merged into one polygon with holes, and the files read back by shapelib
// and GDAL.

#include <shapefil.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>

#include "sketra/base/script.h"
#include "sketra/devices/devices.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/classes.h"
#include "sketra/ui/dialogs.h"
#include "support/recording.h"
#include "support/run_program.h"

namespace {

using namespace sketra;

struct Shape {
  std::vector<double> x, y;
  std::vector<int> parts;  // first vertex of each ring
  double attribute = 0;
  // Signed area of ring k (positive counter-clockwise).
  double ring_area(std::size_t k) const {
    const std::size_t end = k + 1 < parts.size() ? std::size_t(parts[k + 1]) : x.size();
    double a = 0;
    const double x0 = x[size_t(parts[k])], y0 = y[size_t(parts[k])];
    for (std::size_t i = std::size_t(parts[k]); i + 1 < end; ++i)
      a += (x[i] - x0) * (y[i + 1] - y0) - (x[i + 1] - x0) * (y[i] - y0);
    return a / 2;
  }
  double area() const {
    double a = 0;
    for (std::size_t k = 0; k < parts.size(); ++k) a -= ring_area(k);  // outer rings run clockwise
    return a;
  }
};

// Every object of base.shp with its attribute from base.dbf.
std::vector<Shape> read_shapes(const std::string& base, int& type) {
  std::vector<Shape> out;
  SHPHandle shp = SHPOpen((base + ".shp").c_str(), "rb");
  DBFHandle dbf = DBFOpen((base + ".dbf").c_str(), "rb");
  int n = 0;
  if (shp && dbf) SHPGetInfo(shp, &n, &type, nullptr, nullptr);
  for (int i = 0; i < n; ++i) {
    SHPObject* o = SHPReadObject(shp, i);
    Shape s;
    s.x.assign(o->padfX, o->padfX + o->nVertices);
    s.y.assign(o->padfY, o->padfY + o->nVertices);
    s.parts.assign(o->panPartStart, o->panPartStart + o->nParts);
    s.attribute = DBFReadDoubleAttribute(dbf, i, 0);
    out.push_back(s);
    SHPDestroyObject(o);
  }
  if (shp) SHPClose(shp);
  if (dbf) DBFClose(dbf);
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

// The test view as each type: points take the symbols only, arcs are the
// ring merged into one chain without its duplicate segments and the
// contour line with its level, polygons the closed ring reversed with its
// colour; GDAL reads each file as its type with the field.
TEST_F(ShapefileTest, EachTypeTakesItsOwnObjectsAndGdalReadsIt) {
  std::vector<Shape> s[3];
  const char* names[] = {"marks", "lines", "areas"};
  const int types[] = {SHPT_POINT, SHPT_ARC, SHPT_POLYGON};
  for (int k = 0; k < 3; ++k) {
    open(names[k], kShapePoint + k);
    view();
    grmode(0);
    EXPECT_EQ(dialogs.message_line, "Shapefile done");
    int type = 0;
    s[k] = read_shapes(names[k], type);
    EXPECT_EQ(type, types[k]);
  }
  ASSERT_EQ(s[0].size(), 2u);
  EXPECT_EQ(s[0][1].x[0], 500005);
  ASSERT_EQ(s[1].size(), 2u);
  EXPECT_EQ(s[1][0].x, (std::vector<double>{500010, 500020, 500020, 500010, 500010}));
  EXPECT_EQ(s[1][0].y, (std::vector<double>{100010, 100010, 100020, 100020, 100010}));
  EXPECT_EQ(s[1][1].x.size(), 3u);
  EXPECT_DOUBLE_EQ(s[1][1].attribute, 42.5);  // the level of the contour line
  ASSERT_EQ(s[2].size(), 1u);  // symbols and lines are not polygons
  EXPECT_EQ(s[2][0].x, (std::vector<double>{500100, 500110, 500110, 500100, 500100}));
  EXPECT_EQ(s[2][0].y, (std::vector<double>{100110, 100110, 100100, 100100, 100110}));
  EXPECT_EQ(s[2][0].attribute, 7);
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

// GDAL's validity verdict on every polygon of `base`.shp, one digit each.
std::string gdal_validity(const std::string& base) {
  const auto r = korvel::testing::run_program(
      {"ogrinfo", "-q", "-dialect", "sqlite", "-sql", "select ST_IsValid(geometry) as ok from " + base, base + ".shp"});
  std::string verdicts;
  for (std::size_t at = r.out.find("ok (Integer) = "); at != std::string::npos; at = r.out.find("ok (Integer) = ", at + 1))
    verdicts += r.out[at + 15];
  return verdicts;
}

double piece_area(std::span<const float> x, std::span<const float> y) {
  double a = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const std::size_t j = (i + 1) % x.size();
    a += double(x[i]) * y[j] - double(x[j]) * y[i];
  }
  return std::fabs(a / 2);
}

// Seven cells around a hole whose two ends touch at one corner of the
// hole: the boundary passes that vertex twice, and still comes out as one
// outer ring and its hole.
TEST_F(ShapefileTest, ARegionTouchingItselfAtAVertexKeepsItsHole) {
  open("pinch", kShapePolygon);
  for (const auto& [i, j] : std::vector<std::pair<int, int>>{{0, 1}, {0, 2}, {1, 2}, {2, 2}, {2, 1}, {2, 0}, {1, 0}}) {
    const float x0 = float(10 * i), y0 = float(10 * j);
    const float x[] = {x0, x0 + 10, x0 + 10, x0}, y[] = {y0, y0, y0 + 10, y0 + 10};
    grfil2(x, y, 3);
  }
  grmode(0);
  int type = 0;
  const std::vector<Shape> s = read_shapes("pinch", type);
  ASSERT_EQ(s.size(), 1u);
  ASSERT_EQ(s[0].parts.size(), 2u);
  EXPECT_DOUBLE_EQ(s[0].ring_area(1), 100);  // the hole
  EXPECT_DOUBLE_EQ(s[0].area(), 700);
  EXPECT_EQ(gdal_validity("pinch"), "1");
}

TEST_F(ShapefileTest, ContourFillsMergeClassByClassWithTheirAreas) {
  // A cone cut into classes at 10, 20, 30, 40: the top class lies inside
  // the one below it. One cell spans the level 20 by a hair, is filled
  // whole and meets its neighbours' cuts in the middle of its edges. Every
  // other cell is drawn the other way round.
  constexpr int n = 12;
  std::vector<float> v(n * n);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) v[size_t(j * n + i)] = 50 - 6 * std::hypot(i - 5.5f, j - 5.3f);
  for (int k : {2 * n + 2, 3 * n + 2}) v[size_t(k)] = 19.99f;
  for (int k : {2 * n + 3, 3 * n + 3}) v[size_t(k)] = 20.01f;
  const float levels[] = {10, 20, 30, 40};
  std::map<int, double> drawn;
  open("cone", kShapePolygon);
  for (int j = 0; j + 1 < n; ++j)
    for (int i = 0; i + 1 < n; ++i) {
      const int at[] = {j * n + i, j * n + i + 1, (j + 1) * n + i + 1, (j + 1) * n + i};
      float x[4], y[4], c[4];
      for (int k = 0; k < 4; ++k)
        x[k] = float(at[k] % n), y[k] = float(at[k] / n), c[k] = v[size_t(at[k])];
      class_pieces(x, y, {}, c, levels, PieceRule::fan, [&](const ClassPiece& p) {
        const std::span<const float> px(p.x.data(), size_t(p.count)), py(p.y.data(), size_t(p.count));
        drawn[p.colour] += piece_area(px, py);
        const std::vector<float> rx(px.rbegin(), px.rend()), ry(py.rbegin(), py.rend());
        if ((i + j) % 2) grfil2(rx, ry, p.colour);
        else grfil2(px, py, p.colour);
      });
    }
  grmode(0);
  int type = 0;
  const std::vector<Shape> s = read_shapes("cone", type);
  ASSERT_EQ(s.size(), drawn.size());  // one polygon per class
  for (const Shape& shape : s) EXPECT_NEAR(shape.area(), drawn[int(shape.attribute)], 1e-6) << shape.attribute;
  EXPECT_EQ(s[3].parts.size(), 2u);  // class 40 ... 50 around the top
  EXPECT_EQ(gdal_validity("cone"), std::string(s.size(), '1'));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 3);  // no spool left behind
}

}  // namespace
