// Loading bitmap backgrounds: the world file beside the image, the "create
// world file" form and what a refused image reports.

#include <gtest/gtest.h>

#include "sketra/base/script.h"
#include "sketra/devices/bitmaps.h"
#include "sketra/kernel/bitmap.h"
#include "sketra/ui/dialogs.h"
#include "support/fresh.h"
#include "support/testdir.h"

namespace {

using namespace sketra;
using korvel::testing::read_file;
using korvel::testing::write_file;
using Lines = std::vector<std::string>;

class BitmapLoadTest : public korvel::testing::FreshState {
 protected:
  void SetUp() override {
    FreshState::SetUp();
    set_dialog_ui(nullptr);
    write_file("ortho.pgm", std::string("P5 2 2 255\n") + std::string(4, '\x40'));
  }
};

TEST_F(BitmapLoadTest, FormWritesAWorldFileThatReloadsTheSameGeometry) {
  grscpt(Lines{"1 2600000.125", "2 1200000.5", "3 0.125", "4 0.25", "D"});
  ASSERT_TRUE(grbitmap(2, "ortho.pgm", 3));
  EXPECT_EQ(dialogs.messages.back(), "create world file");
  EXPECT_EQ(read_file("ortho.wld"), "   0.125\n    0.00\n    0.00\n   -0.25\n 2600000.125\n  1200000.50\n");
  ASSERT_EQ(grbmps.table.size(), 1u);
  EXPECT_EQ(grbmps.table[0].state, 3);
  // The second load finds the world file and asks nothing.
  ASSERT_TRUE(grbitmap(2, "ortho.pgm", 2));
  EXPECT_EQ(grbmps.table[1].geo.x0, 2600000.125);
  EXPECT_EQ(grbmps.table[1].geo.dx, 0.125);
  EXPECT_EQ(grbmps.pixels.size(), 8u);
  grbitmap(0);
  EXPECT_TRUE(grbmps.table.empty());
}

TEST_F(BitmapLoadTest, CancelledOrInvalidGeometryAddsNothing) {
  grscpt(Lines{"cancel"});
  EXPECT_FALSE(grbitmap(2, "ortho.pgm", 2));
  grscpt(Lines{"3 0", "D"});
  EXPECT_FALSE(grbitmap(2, "ortho.pgm", 2));
  EXPECT_EQ(dialogs.messages.back(), "invalid geometry: not added");
  grscpt(Lines{"3 wide", "D"});
  EXPECT_FALSE(grbitmap(2, "ortho.pgm", 2));
  EXPECT_TRUE(grbmps.table.empty());
  EXPECT_TRUE(grbmps.pixels.empty());
  EXPECT_FALSE(std::filesystem::exists("ortho.wld"));
}

TEST_F(BitmapLoadTest, RefusedImagesSayWhyOnStandardOutput) {
  write_file("photo.jpg", "\xFF\xD8\xFF\xE0");
  write_file("colour.ppm", "P6 1 1 255\n\x01\x02\x03");
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(grbitmap(2, "photo.jpg", 2));
  EXPECT_FALSE(grbitmap(2, "colour.ppm", 2));
  EXPECT_FALSE(grbitmap(2, "missing.pgm", 2));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            ">>error: unknown format. accepts portable\n         bitmap format (.pbm or.pgm)\n"
            ">>error: must be raw b/w or grayscale format\n"
            ">>error: unknown format. accepts portable\n         bitmap format (.pbm or.pgm)\n");
  EXPECT_EQ(dialogs.messages.back(), "format unknown (accepting raw pbm or pgm)");
}

}  // namespace
