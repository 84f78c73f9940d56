// TRIANGLE element files: a round trip, the numbering base of the node
// file, and every way a file can be wrong, including a file cut at every
// byte.

#include "app/formats/element_file.h"

#include <gtest/gtest.h>

#include "support/format_fixture.h"

namespace {

using namespace korvel;
using korvel::testing::FormatTest;
using korvel::testing::read_file;

class ElementFileTest : public FormatTest {
 protected:
  ElementFile read(const std::string& text, std::int64_t base = 1, std::int64_t count = 5,
                   std::int64_t capacity = 39200000) {
    return read_element_file(open("m.ele", text), capacity, base, count, quiet);
  }
};

// What the writer wrote comes back; a file of nodes numbered from 0 with
// comments and attributes is read as well.
TEST_F(ElementFileTest, RoundTripAndNodesNumberedFromZero) {
  const std::vector<Triangle> tri = {{1, 2, 3}, {2, 4, 3}, {4, 5, 3}};
  TextOut o = out("m.ele");
  ASSERT_TRUE(write_element_file(o, tri, quiet).ok);
  ElementFile e = read(read_file("m.ele"));
  ASSERT_EQ(e.status, ElementStatus::ok);
  EXPECT_EQ(e.triangles, tri);
  e = read("# mesh\n2 3 1\n\n0 0 1 2 7.5\n1 1 3 2 # last\n", 0, 4);
  ASSERT_EQ(e.status, ElementStatus::ok);
  EXPECT_EQ(e.triangles, (std::vector<Triangle>{{1, 2, 3}, {2, 4, 3}}));
}

TEST_F(ElementFileTest, BadFilesSayWhy) {
  EXPECT_EQ(read("").status, ElementStatus::bad_header);
  EXPECT_EQ(read("2 6 0\n").status, ElementStatus::bad_header);  // second-order triangles
  EXPECT_EQ(read("two 3\n").status, ElementStatus::bad_header);
  EXPECT_EQ(read("4 3 0\n", 1, 5, 3).status, ElementStatus::too_many);
  ElementFile e = read("3 3 0\n1 1 2 3\n2 2 x 3\n3 1 2 3\n");
  EXPECT_EQ(e.status, ElementStatus::bad_line);
  EXPECT_EQ(e.bad_line, 2);
  EXPECT_TRUE(e.triangles.empty());
  // A node number the node file does not have (numbered 1 ... 5).
  e = read("2 3 0\n1 1 2 3\n2 2 6 3\n");
  EXPECT_EQ(e.status, ElementStatus::bad_line);
  EXPECT_EQ(e.bad_line, 2);
  EXPECT_EQ(read("2 3 0\n1 0 2 3\n2 2 4 3\n").status, ElementStatus::bad_line);
  e = read("3 3 0\n1 1 2 3\n");
  EXPECT_EQ(e.status, ElementStatus::short_file);
  EXPECT_EQ(e.expected, 3);
  EXPECT_EQ(e.triangles.size(), 1u);
}

TEST_F(ElementFileTest, AFileCutAtAnyByteIsRefusedOrComplete) {
  const std::string whole = "3 3 0\n1 1 2 3\n2 2 4 3\n3 4 5 3\n";
  for (std::size_t n = 0; n < whole.size(); ++n) {
    const ElementFile e = read(whole.substr(0, n));
    if (e.status == ElementStatus::ok) {
      EXPECT_EQ(e.triangles.size(), 3u) << n;  // only the last line end is missing
    } else {
      EXPECT_TRUE(e.triangles.empty() || e.status == ElementStatus::short_file) << n;
    }
  }
}

}  // namespace
