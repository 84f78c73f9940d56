// Marker symbols and texts.

#include <gtest/gtest.h>

#include <vector>

#include "sketra/kernel/plot.h"
#include "support/recording.h"

namespace {

using sketra::DevicePoint;
using sketra::DriverCall;
using Points = std::vector<DevicePoint>;
using Lines = std::vector<Points>;

class SymbolTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    use_unit_mapping();
    sketra::grcomn.symfgr = 1;  // one pixel per table unit
  }
  // Polylines of marker `code` drawn at device (500, 500), as offsets from
  // the centre (x right, y down).
  Lines marker(int code) {
    sketra::grmov2(500, 500);
    rec().clear_calls();
    sketra::grsymb(code);
    sketra::grdump();
    Lines out;
    for (const auto* c : rec().of(DriverCall::Polyline)) {
      Points p;
      for (const DevicePoint& q : c->points) p.push_back({q.x - 500, q.y - 500});
      out.push_back(p);
    }
    return out;
  }
};

TEST_F(SymbolTest, CodeSelectsShapeAndColour) {
  const auto& pal = sketra::grcomn.colour.palette;
  sketra::grsymb(0);  // establish nothing
  EXPECT_EQ(marker(250), marker(15));            // shapes 16 ... 99 draw shape 15
  sketra::grcolr(5);
  marker(250);
  EXPECT_EQ(rec().foreground(), pal[size_t(sketra::palette_index(2))]);
  marker(7);
  EXPECT_EQ(rec().foreground(), pal[20]);  // colour 0: black
  marker(-702);
  EXPECT_EQ(rec().foreground(), pal[size_t(sketra::palette_index(-7))]);
  EXPECT_EQ(sketra::grcomn.current_colour, -7);
}

TEST_F(SymbolTest, NoMarkerOutsideTheClipWindow) {
  sketra::grcomn.xmxcgr = 100;
  sketra::grmov2(500, 500);
  rec().clear_calls();
  sketra::grsymb(2);
  sketra::grdump();
  EXPECT_EQ(rec().count(DriverCall::Polyline), 0);
}

TEST_F(SymbolTest, MarkerStrokesObeyTheHundredPointRule) {
  sketra::grmov2(500, 500);
  for (int i = 0; i < 30; ++i) sketra::grsymb(2);  // 6 points each, one polyline per marker
  sketra::grdump();
  for (const auto* c : rec().of(DriverCall::Polyline)) EXPECT_LE(c->points.size(), 100u);
  EXPECT_EQ(rec().count(DriverCall::Polyline), 30);
}

// ---------------------------------------------------------------- texts

TEST_F(SymbolTest, TextFollowsThePendingLine) {
  sketra::grmov2(100, 200);
  sketra::grdrw2(150, 200);
  sketra::granot("end", 0);
  const auto& calls = rec().calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2].kind, DriverCall::Polyline);
  EXPECT_EQ(calls.back().kind, DriverCall::Text);
  EXPECT_EQ(calls.back().points[0], (DevicePoint{150, 800}));
}

}  // namespace
