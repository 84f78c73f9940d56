// XYZI lines: the breaklines of the grid viewer read back as lines (the
// loader's tests cover assembling, thinning and clipping).
#include "app/formats/xyzi.h"

#include <gtest/gtest.h>

#include "support/format_fixture.h"

namespace {

using namespace korvel;
using korvel::testing::read_file;
using korvel::testing::VectorSink;

class XyziTest : public korvel::testing::FormatTest {
 protected:
  void read(const std::string& text, LineOptions o = {}) { read_lines(open("l.xyzi", text), o, sink); }
  VectorSink sink;
};

TEST_F(XyziTest, PointsThatDensifyingInsertsGetTheirOwnCode) {
  LineOptions o;
  o.distmax = 10;
  o.code = 300;
  read("0 0 0 1\n25 0 3 0\n", o);
  EXPECT_EQ(sink.code, (std::vector<std::int32_t>{0, 300, 300, 0}));
  EXPECT_NEAR(sink.x[1], 25.0 / 3, 1e-12);
  EXPECT_EQ(sink.edges, (std::vector<Edge>{{1, 2}, {2, 3}, {3, 4}}));
}

TEST_F(XyziTest, BreaklinesReadBackAsOneLinePerColumn) {
  const std::vector<float> x{0, 10, 0, 10}, y{0, 0, 10, 10}, v{1, 2, 3, 4};
  TextOut o = out("b.txt");
  ASSERT_TRUE(write_grid_breaklines(o, {x, y, v, 2, 2, 2, -9999.0f}, {2600000.0, 1200000.0}, quiet).ok);
  EXPECT_EQ(read_file("b.txt"),
            "  2600000.00  1200000.00        1.00 1\n"
            "  2600000.00  1200010.00        3.00 0\n"
            "  2600010.00  1200000.00        2.00 1\n"
            "  2600010.00  1200010.00        4.00 0\n");
  read(read_file("b.txt"));
  EXPECT_EQ(sink.y, (std::vector<double>{1200000, 1200010, 1200000, 1200010}));
  EXPECT_EQ(sink.z, (std::vector<float>{1, 3, 2, 4}));
  EXPECT_EQ(sink.edges, (std::vector<Edge>{{1, 2}, {3, 4}}));
}

}  // namespace
