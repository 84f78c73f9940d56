// Bitmap backgrounds: reading raw PBM and PGM files (headers with comments,
// padding bits, 16-bit samples, files cut anywhere), world files, the cells
// the recording driver receives; and loading them: the world file beside
// the image, the "create world file" form and what a refused image reports.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/devices/bitmaps.h"
#include "sketra/kernel/bitmap.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "support/fresh.h"
#include "support/recording.h"
#include "support/testdir.h"

namespace {

using namespace sketra;
using korvel::testing::read_file;
using korvel::testing::write_file;
using Bytes = std::vector<std::uint8_t>;

std::string pgm(int w, int h, const Bytes& pixels, const std::string& between = " ") {
  return "P5\n# made by the test\n" + std::to_string(w) + between + std::to_string(h) + "\n# grey\n255\n" +
         std::string(pixels.begin(), pixels.end());
}

class BitmapTest : public korvel::testing::WithRecordingDriver {
 protected:
  BitmapRead read(const std::string& bytes, std::size_t room = kPixelStoreCapacity) {
    write_file("image.pgm", bytes);
    return grbmpr("image.pgm", store_, room);
  }
  // Loads `bytes` into the store at (x0, y0) with pixel size d.
  void add(const std::string& bytes, double x0, double y0, double d) {
    BitmapRead r = grbmpr((write_file("image.pgm", bytes), "image.pgm"), grbmps.pixels, grbmps.room());
    ASSERT_TRUE(r.ok);
    r.bitmap.geo = {x0, y0, d, d};
    grbmps.table.push_back(r.bitmap);
  }
  // Device rectangles drawn in each colour (palette entry g under colour
  // mode 1).
  std::map<int, std::vector<DeviceRect>> cells() {
    std::map<int, std::vector<DeviceRect>> out;
    for (const auto* c : rec().of(DriverCall::Rectangles))
      for (int g = 1; g <= 13; ++g)
        if (c->pixel == grcomn.colour.pixels[std::size_t(g)]) out[g].insert(out[g].end(), c->rects.begin(), c->rects.end());
    return out;
  }
  Bytes store_;
};

TEST_F(BitmapTest, HeadersWithCommentsPaddingBitsAndWideSamples) {
  BitmapRead r = read(pgm(3, 2, {0, 128, 255, 10, 20, 30}, "\n# between\n"));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(store_, (Bytes{0, 128, 255, 10, 20, 30}));
  // P4: ten pixels a row in two bytes; the six padding bits are dropped.
  store_.clear();
  r = read(std::string("P4 10 2\n") + std::string("\xA5\xFF\x40\x00", 4));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.bitmap.maxval, 13);
  EXPECT_EQ(store_, (Bytes{13, 6, 13, 6, 6, 13, 6, 13, 13, 13, 6, 13, 6, 6, 6, 6, 6, 6, 6, 6}));
  // 16-bit samples are read two bytes each and scaled.
  store_.clear();
  r = read(std::string("P5 2 1 65535\n") + std::string("\xFF\xFF\x80\x00", 4));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(store_, (Bytes{255, 127}));
  EXPECT_EQ(r.bitmap.maxval, 255);
}

TEST_F(BitmapTest, BadHeadersAndShortFilesNeverReadPastTheirEnd) {
  EXPECT_FALSE(read("GIF89a").ok);
  EXPECT_FALSE(read("P6 1 1 255\n\x01\x02\x03").ok);
  for (const char* bad : {"P5 0 4 255\n", "P5 4 4 0\n", "P5 4 4 70000\n", "P5 -4 4 255\n", "P5 4x 4 255\n",
                          "P5 99999999999999999999 4 255\n"}) {
    const BitmapRead r = read(bad);
    EXPECT_FALSE(r.ok) << bad;
    EXPECT_EQ(r.report, (std::vector<std::string>{">>error: bad size or grey range in bitmap header"})) << bad;
  }
  EXPECT_TRUE(store_.empty());
  // Cut at every byte: refused, or the complete rows it holds.
  const std::string whole = pgm(4, 3, Bytes(12, 7));
  for (std::size_t n = 0; n <= whole.size(); ++n) {
    store_.clear();
    const BitmapRead r = read(whole.substr(0, n));
    const std::size_t data = n > whole.size() - 12 ? n - (whole.size() - 12) : 0;
    EXPECT_EQ(r.ok, data >= 4) << n;
    if (r.ok) {
      EXPECT_EQ(r.bitmap.height, int(data / 4)) << n;
    }
    EXPECT_EQ(store_.size(), r.ok ? std::size_t(r.bitmap.height) * 4 : 0u) << n;
  }
  // Only the rows that fit into the store are kept.
  store_.clear();
  EXPECT_EQ(read(whole, 9).bitmap.height, 2);
}

// (Written and read back: BitmapLoadTest.FormWritesAWorldFile...)
TEST_F(BitmapTest, WorldFilesAreFoundInOrderAndReadOnlyWhenComplete) {
  write_file("ortho.wld", "2\n0\n0\n-2\n10\n20\n");
  write_file("ortho.tfw", "0.5\n0.0\n0.0\n-0.25\n2600000.0\n1200000.0\n");
  EXPECT_EQ(find_world_file("ortho.pgm"), "ortho.tfw");
  const auto g = read_world_file("ortho.tfw");
  ASSERT_TRUE(g);
  EXPECT_EQ(g->dy, 0.25);
  // A pixel size of 0 or a short file is no geometry.
  write_file("flat.wld", "0\n0\n0\n-1\n0\n0\n");
  EXPECT_FALSE(read_world_file("flat.wld"));
  write_file("short.wld", "1\n0\n0\n");
  EXPECT_FALSE(read_world_file("short.wld"));
}

TEST_F(BitmapTest, LargeImagesAreSampledAndTheSamplesFollowThePan) {
  use_unit_mapping();
  // 3000 x 10 pixels of one unit, alternating black and white columns:
  // the window of 1000 units takes every 2nd pixel, all of them black.
  Bytes px(30000);
  for (std::size_t i = 0; i < px.size(); ++i) px[i] = (i % 3000) % 2 ? 255 : 0;
  add(pgm(3000, 10, px), 0, 999, 1);
  // Panned by an odd number of units the samples stay on the even (black)
  // pixels: sampling from the window's edge would find white ones.
  grcomn.xmingr = grcomn.xmncgr = 3, grcomn.xmaxgr = grcomn.xmxcgr = 1003;
  rec().clear_calls();
  draw_bitmaps(kBitmapBackground);
  auto c = cells();
  ASSERT_EQ(c.size(), 1u);
  ASSERT_FALSE(c[13].empty());
  const DeviceRect first = c[13].front();
  EXPECT_EQ((std::array<int, 3>{first.x, first.w, first.h}), (std::array<int, 3>{0, 1001, 2}));  // one run
}

class BitmapLoadTest : public korvel::testing::FreshState {
 protected:
  void SetUp() override {
    FreshState::SetUp();
    set_dialog_ui(nullptr);
    write_file("ortho.pgm", std::string("P5 2 2 255\n") + std::string(4, '\x40'));
  }
};

TEST_F(BitmapLoadTest, FormWritesAWorldFileThatReloadsTheSameGeometry) {
  grscpt(std::vector<std::string>{"1 2600000.125", "2 1200000.5", "3 0.125", "4 0.25", "D"});
  ASSERT_TRUE(grbitmap(2, "ortho.pgm", 3));
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
  grscpt(std::vector<std::string>{"cancel"});
  EXPECT_FALSE(grbitmap(2, "ortho.pgm", 2));
  grscpt(std::vector<std::string>{"3 0", "D"});
  EXPECT_FALSE(grbitmap(2, "ortho.pgm", 2));
  EXPECT_EQ(dialogs.messages.back(), "invalid geometry: not added");
  grscpt(std::vector<std::string>{"3 wide", "D"});
  EXPECT_FALSE(grbitmap(2, "ortho.pgm", 2));
  EXPECT_TRUE(grbmps.table.empty());
  EXPECT_TRUE(grbmps.pixels.empty());
  EXPECT_FALSE(std::filesystem::exists("ortho.wld"));
}

TEST_F(BitmapLoadTest, RefusedImagesAreReportedAndAddNothing) {
  write_file("colour.ppm", "P6 1 1 255\n\x01\x02\x03");
  EXPECT_FALSE(grbitmap(2, "colour.ppm", 2));
  EXPECT_FALSE(grbitmap(2, "missing.pgm", 2));
  EXPECT_EQ(dialogs.messages.back(), "format unknown (accepting raw pbm or pgm)");
  EXPECT_TRUE(grbmps.table.empty());
}

}  // namespace
