// Text triangle lists and BLT lines.
#include "app/formats/text_triangles.h"

#include <gtest/gtest.h>

#include "app/formats/blt.h"
#include "support/format_fixture.h"

namespace {

using namespace korvel;
using korvel::testing::VectorSink;

class TextTrianglesTest : public korvel::testing::FormatTest {
 protected:
  VectorSink sink;
};

TEST_F(TextTrianglesTest, ThreeLinesMakeATriangleUntilALineDoesNotRead) {
  sketra::LineReader& r = open("t.3ds", "0 0 1\n10 0 2\n0 10 3\n\n10 0 2\n10 10 4\n0 10 3\n5 5 1\n6 6 1\nxyz\n");
  sink.x.push_back(99);  // a point already there
  const TrianglesRead t = read_text_triangles(r, 4, sink);
  EXPECT_TRUE(t.incomplete);
  EXPECT_EQ(sink.x.size(), 7u);
  EXPECT_EQ(sink.edges, (std::vector<Edge>{{2, 3}, {3, 4}, {4, 2}, {5, 6}, {6, 7}, {7, 5}}));
  EXPECT_EQ(sink.code.back(), 4);
  std::string_view l;
  ASSERT_TRUE(r.next(l));
  EXPECT_EQ(l, "xyz");  // left for the keyword parser
}

TEST_F(TextTrianglesTest, ABltLineThatDoesNotReadFailsTheFile) {
  FileResult r = read_blt(open("b.blt", "1 2 3 0\n1 2 x 0\n"), "b.blt", 3, sink);
  EXPECT_EQ(r.message, "bad BLT line at line 2 of b.blt");
}

}  // namespace
