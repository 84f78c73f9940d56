#include "app/export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "support/app_fixture.h"

namespace {

using korvel::testing::read_file;
using korvel::testing::write_file;
using namespace korvel;

class ExportTest : public korvel::testing::AppTest {
 protected:
  // Sets the origin; points added afterwards are placed by absolute X, Y.
  static void origin(double x, double y) {
    cin1.xorig = x;
    cin1.yorig = y;
  }
  static void point(double X, double Y, float z, int code) {
    store_add_point(float(X - cin1.xorig), float(Y - cin1.yorig), z, code);
  }

  // Grid set 1 with the given geometry and values, named `name`.
  static void grid(int nx, int ny, float x0, float y0, float dx, float dy, std::vector<float> values,
                   const std::string& name = "depth") {
    GridGeometry& g = cin1.set(1);
    g = GridGeometry{x0, y0, dx, dy, nx, ny, 0};
    cin.value[0] = std::move(values);
    cpch.set_name[0].set(name);
    cplot.nsets = 1;
    store_grid_nodes(1);
  }

  // The lines of a file.
  static std::vector<std::string> lines_of(const std::string& path) {
    std::vector<std::string> out;
    std::istringstream in(read_file(path));
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
  }

  // Loads a file, the load dialog applied as preset.
  LoadOutcome reload(const std::string& name) { return load_file(name, kLoad, {"D"}); }
};

// ---- Node and poly files --------------------------------------------------------

// Boundary markers are the two lowest bits of the code; hole files short of
// their count or without one still give a readable poly file; a poly name
// that is the node file is refused.
TEST_F(ExportTest, MarkersHoleFilesAndPolyNamesOfNodePoly) {
  origin(0, 0);
  for (int c : {0, 4, 100, 1, 2, 3, 101}) point(1, 1, 0, c);
  store_add_edge(1, 2);
  ASSERT_TRUE(export_to(ExportFormat::node_poly, "m.node"));
  const auto l = lines_of("m.node");
  std::string markers;
  for (std::size_t i = 1; i <= 7; ++i) markers += l[i].back();
  EXPECT_EQ(markers, "1110000");
  write_file("a.hole", "3\n1 5 5\n");  // promises three holes, holds one
  ASSERT_TRUE(export_to(ExportFormat::node_poly, "a.node"));
  auto a = lines_of("a.poly");
  ASSERT_EQ(a.size(), 6u);
  EXPECT_EQ(a[3], "           1");
  EXPECT_EQ(a[4], " 1 5 5");

  write_file("b.hole", "\n\n");
  ASSERT_TRUE(export_to(ExportFormat::node_poly, "b.node"));
  EXPECT_EQ(lines_of("b.poly")[3], "           0");
  EXPECT_EQ(sketra::dialogs.message_line, "no hole count in b.hole");

  EXPECT_FALSE(export_to(ExportFormat::node_poly, "x.poly"));
  EXPECT_EQ(sketra::dialogs.message_line, "write failed: x.poly (it is the node file)");
  EXPECT_EQ(lines_of("x.poly").front(), "         7  2  1  1 ");  // the node file stays
}

// ---- Unstruct ------------------------------------------------------------------------

TEST_F(ExportTest, UnstructRoundTripKeepsTheLinesSection) {
  origin(2600000.0, 1200000.0);
  // A closed ring, a line branching from its second vertex, a free point.
  point(2600000.0, 1200000.0, 400.0f, 2);
  point(2600100.25, 1200000.5, 401.5f, 4);
  point(2600100.0, 1200080.75, 399.25f, 2);
  point(2600180.5, 1200010.0, 398.0f, 2);
  point(2600050.0, 1200040.0, 402.0f, 1);
  store_add_edge(1, 2);
  store_add_edge(2, 3);
  store_add_edge(3, 1);
  store_add_edge(2, 4);
  ASSERT_TRUE(export_to(ExportFormat::unstruct, "first.unstruct"));
  auto first = lines_of("first.unstruct");

  ASSERT_EQ(reload("first.unstruct"), LoadOutcome::loaded);
  EXPECT_EQ(cin1.np, 7);  // the ring's start and the branch point come back as separate points
  EXPECT_EQ(cin1.nseg, 4);
  ASSERT_TRUE(export_to(ExportFormat::unstruct, "second.unstruct"));
  auto second = lines_of("second.unstruct");

  // A loaded file gives every point symbol 1, line vertices too; they stay
  // under "lines" only, so the second file is the first.
  EXPECT_EQ(first.end() - std::find(first.begin(), first.end(), "xyz /"), 2);  // the last section: only the free point
  EXPECT_EQ(second, first);
}

// ---- Grid and XYZ ------------------------------------------------------------------------

TEST_F(ExportTest, XyzWithDefaultTolWritesEveryNodeAbsolute) {
  origin(2600000.0, 1200000.0);
  grid(2, 2, 10.0f, 20.0f, 0.5f, 1.0f, {1.5f, -9999.0f, 0.0f, 2.0f});
  ASSERT_TRUE(export_to(ExportFormat::xyz, "g.xyz"));
  EXPECT_EQ(read_file("g.xyz"),
            "item 'depth'\n"
            "/ X    Y   Z\n"
            "   2600010.0000000000        1200020.0000000000        1.50000000    \n"
            "   2600010.5000000000        1200020.0000000000       -9999.00000    \n"
            "   2600010.0000000000        1200021.0000000000        0.00000000    \n"
            "   2600010.5000000000        1200021.0000000000        2.00000000    \n");
}

// ---- Failures ----------------------------------------------------------------------

TEST_F(ExportTest, FullDiskIsReportedNotClaimedAsSuccess) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  origin(0, 0);
  for (int i = 0; i < 50000; ++i) point(i, i, 1, 1);  // several blocks of text
  EXPECT_FALSE(export_to(ExportFormat::unstruct, "/dev/full"));
  EXPECT_EQ(sketra::dialogs.message_line, std::string("write failed: /dev/full (") + std::strerror(ENOSPC) + ")");
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));  // only regular files are removed
  EXPECT_FALSE(sketra::unit_is_open(cunit.data));

  sketra::grscpt(std::vector<std::string>{"/dev/full", "y"});
  EXPECT_EQ(export_action(2), ExportAction::failed);
}

}  // namespace
