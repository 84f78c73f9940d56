// Output modes, surfaces, dash styles and the file-device hook.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "sketra/base/fatal.h"
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

// ---------------------------------------------------------------- file devices

// Records what the primitives hand to a file device.
struct Log {
  std::vector<std::string> lines;
  bool closed = false;
};

class LoggingDevice final : public sketra::FileDevice {
 public:
  LoggingDevice(Log& log, int projection) : log_(log), projection_(projection) {}
  int projection_while_open() const override { return projection_; }
  std::string close() override {
    log_.closed = true;
    return "file done";
  }
  void move(const sketra::FileVertex& to, bool three_d) override {
    add(three_d ? "move3" : "move", {to.x, to.y, to.z});
  }
  void draw(const sketra::FileVertex& from, const sketra::FileVertex& to, bool three_d) override {
    add(three_d ? "draw3" : "draw", {from.x, from.y, from.z, to.x, to.y, to.z});
  }
  void fill(std::span<const float> x, std::span<const float> y, int colour) override {
    std::vector<float> v;
    for (size_t i = 0; i < x.size(); ++i) v.insert(v.end(), {x[i], y[i]});
    v.push_back(float(colour));
    add("fill", v);
  }
  void fill3(std::span<const float> x, std::span<const float>, std::span<const float>, int colour) override {
    add("fill3", {float(x.size()), float(colour)});
  }
  void symbol(int code, const sketra::FileVertex& at) override { add("symbol", {float(code), at.x, at.y, at.z}); }
  void text(std::string_view text, const sketra::FileVertex&, float height) override {
    add("text " + std::string(text), {height});
  }
  void colour(int colour) override { add("colour", {float(colour)}); }
  void dash(int style) override { add("dash", {float(style)}); }

 private:
  void add(const std::string& what, const std::vector<float>& v) {
    std::ostringstream s;
    s << what;
    for (float f : v) s << ' ' << f;
    log_.lines.push_back(s.str());
  }
  Log& log_;
  int projection_;
};

class FileDeviceTest : public OutputTest {
 protected:
  void TearDown() override {
    for (int m = 8; m <= 11; ++m) sketra::set_file_device_opener(m, nullptr);
    sketra::set_message_handler(nullptr);
    OutputTest::TearDown();
  }
  void install(int mode, int projection = -1) {
    sketra::set_file_device_opener(mode, [this, projection] {
      return std::make_unique<LoggingDevice>(log, projection);
    });
  }
  Log log;
};

TEST_F(FileDeviceTest, PrimitivesReachTheDeviceInsteadOfTheWindow) {
  install(sketra::kModeDxf);
  sketra::grcolr(3);
  ASSERT_EQ(sketra::grmode(sketra::kModeDxf), sketra::kModeDxf);
  rec().clear_calls();
  sketra::grcolr(3);
  sketra::grcolr(3);
  sketra::grdash(2);
  sketra::grmov2(5000, 6000);  // far outside the clip window: files are not clipped
  sketra::grdrw2(7000, 8000);
  sketra::grdrw3(1, 2, 3);
  sketra::grsymb(1203);
  sketra::granot("~~label", 0);
  sketra::grano2("big", 0, 20);
  const float x[] = {1, 2, 3}, y[] = {4, 5, 6};
  sketra::grfil2(x, y, 7);
  EXPECT_TRUE(rec().calls().empty());
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           "colour 3", "dash 2", "move 5000 6000 0", "draw 5000 6000 0 7000 8000 0",
                           "draw3 7000 8000 0 1 2 3", "symbol 1203 1 2 3", "text ~~label 3",
                           "text big 5", "fill 1 4 2 5 3 6 7"}));
}

// Closing a file device returns to the screen and shows its message; a
// missing opener, or one that is cancelled, opens nothing.
TEST_F(FileDeviceTest, ClosingReturnsToTheScreenAndMissingOrCancelledOpenersOpenNothing) {
  EXPECT_EQ(sketra::grmode(sketra::kModeArcPolygon), 0);
  sketra::set_file_device_opener(sketra::kModeDxf, [] { return std::unique_ptr<sketra::FileDevice>(); });
  EXPECT_EQ(sketra::grmode(sketra::kModeDxf), 0);
  EXPECT_EQ(sketra::grcomn.imodgr, 2);
  install(sketra::kModeArcPolygon);
  std::vector<std::string> shown;
  sketra::set_message_handler([&](std::string_view m) { shown.emplace_back(m); });
  sketra::grcomn.projection = true;
  sketra::grmode(sketra::kModeArcPolygon);
  EXPECT_TRUE(sketra::grcomn.pen.inside);
  rec().clear_calls();
  sketra::grmode(0);
  EXPECT_TRUE(log.closed);
  EXPECT_EQ(sketra::grcomn.imodgr, 2);
  EXPECT_FALSE(sketra::grcomn.pen.inside);
  EXPECT_TRUE(sketra::grcomn.projection);
  EXPECT_EQ(shown, (std::vector<std::string>{"file done"}));
  EXPECT_EQ(rec().count(DriverCall::Bell), 1);
  EXPECT_EQ(sketra::active_file_device(), nullptr);
}

}  // namespace
