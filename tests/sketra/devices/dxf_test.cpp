// DXF and ArcPolygon hard copies: names, entity layouts, the SOLID corner
// order and polygons cut into SOLIDs covering them. ezdxf's audit and GDAL's
// count of a whole view's DXF run in e2e test_hardcopy.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "sketra/base/script.h"
#include "sketra/devices/devices.h"
#include "sketra/kernel/plot.h"
#include "support/recording.h"
#include "support/testdir.h"

namespace {

using korvel::testing::read_file;
using namespace sketra;

// One entity of a DXF file: its kind and its group values in order.
struct Entity {
  std::string kind;
  std::vector<std::pair<std::string, std::string>> groups;
  std::string get(const std::string& code) const {
    for (const auto& [c, v] : groups)
      if (c == code) return v;
    return {};
  }
  double num(const std::string& code) const { return std::stod(get(code)); }
};

// The entities section as code/value line pairs.
std::vector<Entity> entities(const std::string& text) {
  std::istringstream in(text.substr(text.find("\nENTITIES\n") + 10));
  std::vector<Entity> out;
  for (std::string code, value; std::getline(in, code) && std::getline(in, value);) {
    if (code == "0") {
      out.push_back({value, {}});
    } else if (!out.empty()) {
      out.back().groups.emplace_back(code, value);
    }
  }
  return out;
}

class DxfTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    install_file_devices();
    grvalu8("XORGR", 2600000.0);
    grvalu8("YORGR", 1200000.0);
    use_unit_mapping();
  }
  static void square(float x0, float y0, int colour) {
    const float x[] = {x0, x0 + 10, x0 + 10, x0}, y[] = {y0, y0, y0 + 10, y0 + 10};
    grfil2(x, y, colour);
  }
  // A view of every kind of entity.
  static void test_view() {
    grcolr(2);
    grmov2(10, 20);
    grdrw2(3000, 40);  // far outside the clip window: files are not clipped
    grdrw3(50, 60, 7.25f);
    grsymb(103);
    granot("~~Gauge 1", 0);
    grano2("km", 0, 12);
    square(100, 100, 3);
    const float tx[] = {200, 220, 210}, ty[] = {200, 200, 220};
    grfil2(tx, ty, 0);
    // An L-shaped hexagon (non-convex) of area 300.
    const float hx[] = {300, 320, 320, 310, 310, 300}, hy[] = {300, 300, 310, 310, 320, 320};
    grfil2(hx, hy, 25);
  }
  static std::string dxf_of_view(const std::string& answer) {
    grscpt(std::vector<std::string>{answer});
    EXPECT_EQ(grmode(kModeDxf), kModeDxf);
    test_view();
    grmode(0);
    return read_file("plan.dxf");
  }
};

// A copy of a turned (3-D) view leaves the view turned.
TEST_F(DxfTest, PlanAndPlanDxfNameTheSameFileAndTheViewStaysTurned) {
  grcomn.projection = true;
  dxf_of_view("plan");
  EXPECT_TRUE(grcomn.projection);
  EXPECT_TRUE(std::filesystem::exists("plan.dxf"));
  dxf_of_view("plan.dxf");
  EXPECT_FALSE(std::filesystem::exists("plan.dxf.dxf"));
}

TEST_F(DxfTest, EntitiesAreAbsoluteAndSolidsCoverEveryPolygon) {
  const std::string text = dxf_of_view("plan");
  const std::string head = "999\nDXF created from SketraV3\n0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1006\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  const std::vector<Entity> e = entities(text);

  const Entity& line = e[1];  // the 3-D draw
  EXPECT_EQ(line.get("10"), " 2603000.00");
  EXPECT_EQ(line.get("21"), " 1200060.00");
  EXPECT_EQ(line.get("31"), "     7.250");
  const Entity& label = e[3];
  EXPECT_EQ(label.get("1"), "Gauge 1");
  EXPECT_EQ(label.get("40"), "    3.00");
  EXPECT_EQ(label.get("10"), "2600050.00");  // texts stand where they were drawn
  EXPECT_EQ(e[4].get("40"), "    3.00");      // size 12 * 0.25

  // The square: layer fill03, corners 1, 2, 4, 3.
  const Entity& sq = e[5];
  EXPECT_EQ(sq.get("8"), "fill03");
  const std::vector<double> corners = {sq.num("10"), sq.num("11"), sq.num("12"), sq.num("22"), sq.num("13"), sq.num("23")};
  EXPECT_EQ(corners, (std::vector<double>{2600100, 2600110, 2600100, 1200110, 2600110, 1200110}));
  // The triangle repeats its first corner; colour 0 keeps layer "fill".
  const Entity& tri = e[6];
  EXPECT_EQ(tri.get("8"), "fill");
  EXPECT_EQ(tri.get("10"), tri.get("12"));
  EXPECT_EQ(tri.get("20"), tri.get("22"));
  // The hexagon: triangles on layer fill05 whose areas add up to 300.
  double area = 0;
  for (std::size_t k = 7; k < e.size() && e[k].kind == "SOLID"; ++k) {
    EXPECT_EQ(e[k].get("8"), "fill05");
    const double ax = e[k].num("10"), ay = e[k].num("20"), bx = e[k].num("11"), by = e[k].num("21");
    const double cx = e[k].num("13"), cy = e[k].num("23");
    area += std::fabs((bx - ax) * (cy - ay) - (by - ay) * (cx - ax)) / 2;
  }
  EXPECT_NEAR(area, 300, 1e-6);
}

TEST_F(DxfTest, ArcPolygonHoldsFilledPolygonsOnly) {
  grscpt(std::vector<std::string>{"areas.txt"});
  ASSERT_EQ(grmode(kModeArcPolygon), kModeArcPolygon);
  test_view();
  grmode(0);
  const std::string text = read_file("areas.txt");
  EXPECT_EQ(text.substr(0, text.find("END\n") + 4),
            "           3\n"
            " 2600100.000 1200100.000\n"
            " 2600110.000 1200100.000\n"
            " 2600110.000 1200110.000\n"
            " 2600100.000 1200110.000\n"
            " 2600100.000 1200100.000\n"
            "END\n");
  EXPECT_EQ(text.substr(text.size() - 8), "END\nEND\n");
}

}  // namespace
