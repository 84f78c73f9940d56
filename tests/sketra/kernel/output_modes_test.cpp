// Output modes and the double-buffered surface. What reaches a file device
// is checked through the real devices (DxfTest, KeepFileTest, ShapefileTest).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sketra/kernel/device.h"
#include "sketra/kernel/plot.h"
#include "support/recording.h"

namespace {

using sketra::DriverCall;

class OutputTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    use_unit_mapping();
  }
};

TEST_F(OutputTest, UnsupportedModesAreReportedAndLeaveTheOutputAlone) {
  std::vector<std::string> shown;
  sketra::set_message_handler([&](std::string_view m) { shown.emplace_back(m); });
  for (int mode : {7, 12, -1}) EXPECT_EQ(sketra::grmode(mode), 0);
  EXPECT_EQ(sketra::grcomn.imodgr, 2);
  EXPECT_EQ(shown, std::vector<std::string>(3, "Mode not currently supported"));
  sketra::set_message_handler(nullptr);
}

TEST_F(OutputTest, DoubleBufferingDrawsIntoThePixmapUntilTheFlip) {
  sketra::grcler(1);
  sketra::grmov2(10, 10);
  sketra::grdrw2(20, 20);
  sketra::grflip();
  sketra::grmov2(30, 30);
  sketra::grdrw2(40, 40);
  sketra::grdump();
  const auto& calls = rec().calls();
  std::vector<DriverCall::Kind> kinds;
  for (const auto& c : calls) kinds.push_back(c.kind);
  EXPECT_EQ(kinds, (std::vector<DriverCall::Kind>{DriverCall::UsePixmap, DriverCall::Clear,
                                                  DriverCall::SetPixel, DriverCall::Polyline,
                                                  DriverCall::Flip, DriverCall::Polyline}));
  EXPECT_TRUE(calls[3].to_pixmap);
  EXPECT_FALSE(calls[5].to_pixmap);
  EXPECT_EQ(calls[3].pixel, 0u);  // grcler sets colour 0
}

TEST_F(OutputTest, WithoutAnOpenModeNothingIsDrawnAndNothingWiped) {
  sketra::grmode(0);
  rec().clear_calls();
  sketra::grcomn.clean_areas.push_back({1, 2, 3, 4});
  sketra::grcler(1);
  sketra::grmov2(10, 10);
  for (int i = 0; i < 300; ++i) sketra::grdrw2(float(i), float(i % 7));
  sketra::grsymb(2);
  sketra::granot("text", 0);
  const float x[] = {0, 10, 5};
  sketra::grfil2(x, x, 3);
  sketra::grflip();
  EXPECT_TRUE(rec().calls().empty());
  EXPECT_LE(sketra::grcomn.polyline.count, sketra::kPolylineCapacity);
  EXPECT_EQ(sketra::grcomn.clean_areas.size(), 1u);
}

}  // namespace
