// A real screen shot of a display mode: Hardcopy -> PNG runs the capture
// program on the window and leaves a PNG of the window's size.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "sketra/base/script.h"
#include "sketra/control/control.h"
#include "sketra/control/settings.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "sketra/x11/x11_driver.h"
#include "support/fresh.h"
#include "support/test_mode.h"

namespace {

using namespace sketra;

// Width and height from the IHDR chunk of a PNG file; {0, 0} when the file
// is not a PNG.
std::pair<std::uint32_t, std::uint32_t> png_size(const std::string& bytes) {
  static const std::string magic("\x89PNG\r\n\x1a\n", 8);
  if (bytes.size() < 24 || bytes.compare(0, 8, magic) != 0 || bytes.compare(12, 4, "IHDR") != 0) return {0, 0};
  auto be32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
  };
  return {be32(16), be32(20)};
}

class ScreenShotTest : public korvel::testing::FreshState {
 protected:
  void SetUp() override {
    FreshState::SetUp();
    previous_ = set_driver(x11::make_driver());
  }
  void TearDown() override {
    grmode(kModeNone);
    FreshState::TearDown();
    set_driver(std::move(previous_));
  }

 private:
  std::unique_ptr<Driver> previous_;
};

TEST_F(ScreenShotTest, HardcopyPngCapturesTheWindow) {
  grinit(5, 4, "sketra-shot-test", false);
  grvalu8("XORGR", 2600000.0);
  grvalu8("YORGR", 1200000.0);
  const int width = grcomn.wndwgr[2], height = grcomn.wndwgr[3];
  korvel::testing::TestMode mode;
  PlotTitles titles{"Screen shot", "", "[m]", "[m]"};
  ctrl.shot.crop = false;
  grscpt(std::vector<std::string>{"H", "P", "X", "X"});
  grctrl(mode.callback(), 0, titles);
  ASSERT_TRUE(std::filesystem::exists("gr0000.png")) << dialogs.message_line;
  EXPECT_EQ(dialogs.messages.back(), "screen shot to gr0000.png");
  const auto size = png_size(korvel::testing::read_file("gr0000.png"));
  EXPECT_EQ(size.first, std::uint32_t(width));
  EXPECT_EQ(size.second, std::uint32_t(height));
}

}  // namespace
