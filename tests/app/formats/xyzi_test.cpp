// XYZI lines: assembling records into lines, densifying and thinning,
// clipping, and the breaklines of the grid viewer read back as lines.
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

TEST_F(XyziTest, TheFirstRecordsMarkerStartsEachLineAndSinglePointsAreDropped) {
  read("0 0 1 1\n1 0 1 0\n2 0 1 0\n0 5 1 1\n1 5 1 0\n");
  EXPECT_EQ(sink.x.size(), 5u);
  EXPECT_EQ(sink.edges, (std::vector<Edge>{{1, 2}, {2, 3}, {4, 5}}));
  EXPECT_EQ(sink.origin.y, 5.0);  // the record read last when the first line was stored
  sink = {};
  read("0 0 1 0\n1 0 1 1\n5 5 1 0\n9 9 1 0\n10 9 1 1\n");  // reversed markers
  EXPECT_EQ(sink.x, (std::vector<double>{0, 1, 9, 10}));   // (5,5) alone is dropped
  EXPECT_EQ(sink.edges.size(), 2u);
}

TEST_F(XyziTest, MinDistanceThinsAndMaxDistanceDensifies) {
  LineOptions o;
  o.dmean = 5;
  std::string eleven;
  for (int i = 0; i < 11; ++i) eleven += std::to_string(i) + " 0 0 " + (i == 0 ? "1" : "0") + "\n";
  read(eleven, o);
  EXPECT_EQ(sink.x, (std::vector<double>{0, 5, 10}));  // every fifth metre and the last
  sink = {};
  o = {};
  o.distmax = 10;
  o.code = 300;
  read("0 0 0 1\n25 0 3 0\n", o);
  ASSERT_EQ(sink.x.size(), 4u);
  EXPECT_NEAR(sink.x[1], 25.0 / 3, 1e-12);
  EXPECT_NEAR(sink.z[2], 2.0f, 1e-6f);
  EXPECT_EQ(sink.code, (std::vector<std::int32_t>{0, 300, 300, 0}));
  EXPECT_EQ(sink.edges.size(), 3u);
}

TEST_F(XyziTest, RecordsOutsideTheClipWindowEndTheLine) {
  LineOptions o;
  o.clip.xmin = 0;
  o.clip.xmax = 10;
  o.clip.on = true;
  read("0 1 0 1\n2 1 0 0\n20 1 0 0\n4 1 0 0\n6 1 0 0\n", o);
  EXPECT_EQ(sink.edges, (std::vector<Edge>{{1, 2}, {3, 4}}));
  sink = {};
  read("1 1 0 1\n50 1 0 0\n3 1 0 0\n5 1 0 0\n", o);  // a line of one point joins the next part
  EXPECT_EQ(sink.edges.size(), 2u);
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
