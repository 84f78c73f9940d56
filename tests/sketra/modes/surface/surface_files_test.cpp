// The surface viewer's Map and Write entries run from their menu entries
// with scripted answers: every written format against hand-made files, the
// 2DM read back, node files of every header kind mapped in place, Keep and
// Nearest at the boundary, and failures that must leave the node file as
// it was.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/formats/mesh2dm.h"
#include "sketra/base/script.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/surface/surface_viewer.h"
#include "sketra/ui/dialogs.h"
#include "support/answer_ui.h"
#include "support/testdir.h"
#include "support/viewer_fixture.h"

namespace {

using namespace sketra;
using korvel::testing::read_file;
using korvel::testing::write_file;

class SurfaceFilesTest : public korvel::testing::ViewerTest {
 protected:
  // A square of 10 m: z = 10 + x + y below its diagonal, z = 10 + 3x - y above.
  std::vector<float> x_{0, 10, 10, 0}, y_{0, 0, 10, 10}, v_{10, 20, 30, 0};
  std::vector<Triangle> t_{{1, 2, 3}, {1, 3, 4}};
  SurfaceView view_{SurfaceData{x_, y_, v_, t_}};
  // Runs entry k (5 Map, 7 Write) of the viewer with the script answers.
  void run(int k, std::vector<std::string> answers) {
    grscpt(answers);
    ViewContext v{-k, w_, 0, 0};
    surface_entries(view_)[std::size_t(k - 1)].run(v);
  }
  std::array<double, 4> w_{};
};

TEST_F(SurfaceFilesTest, WriteGivesEveryFormatByteForByte) {
  run(7, {"X", "all.xyz", "#2", "s.att", "S", "s.slp", "#4", "s.area", "N", "s.nodeele", "2", "s.2dm", "M", "0",
          "X", "above0.xyz", "D"});
  EXPECT_EQ(dialogs.messages.back(), "values stored on above0.xyz");
  const std::string ring = "  2600000.00  1200000.00\n  2600010.00  1200000.00\n  2600010.00  1200010.00\n"
                           "  2600000.00  1200000.00\n";
  const std::string ring2 = "  2600000.00  1200000.00\n  2600010.00  1200010.00\n  2600000.00  1200010.00\n"
                            "  2600000.00  1200000.00\n";
  EXPECT_EQ(read_file("s.att"), "4\n" + ring + "    20.000\n4\n" + ring2 + "    13.333\n");
  EXPECT_EQ(read_file("s.slp"), "4\n" + ring + "     1.414\n4\n" + ring2 + "     3.162\n");
  EXPECT_EQ(read_file("s.area"), "           2\n           1   20.0000000    \n           2   20.0000000    \n");
  EXPECT_EQ(read_file("s.nodeele"),
            "           4 2 1 1\n"
            "        1 2600000.000 1200000.000   10.000 0\n        2 2600010.000 1200000.000   20.000 0\n"
            "        3 2600010.000 1200010.000   30.000 0\n        4 2600000.000 1200010.000    0.000 0\n"
            "           2 3 0\n         1         1         2         3\n         2         1         3         4\n");
  EXPECT_EQ(read_file("s.2dm"),
            "MESH2D\nE3T        1       1       2       3   1\nE3T        2       1       3       4   1\n"
            "ND        1 0.260000000E+07 0.120000000E+07 0.1000000E+02\n"
            "ND        2 0.260001000E+07 0.120000000E+07 0.2000000E+02\n"
            "ND        3 0.260001000E+07 0.120001000E+07 0.3000000E+02\n"
            "ND        4 0.260000000E+07 0.120001000E+07 0.0000000E+00\n");
  const std::string xyz3 = "   2600000.0000000000        1200000.0000000000        10.0000000    \n"
                           "   2600010.0000000000        1200000.0000000000        20.0000000    \n"
                           "   2600010.0000000000        1200010.0000000000        30.0000000    \n";
  EXPECT_EQ(read_file("all.xyz"), xyz3 + "   2600000.0000000000        1200010.0000000000        0.00000000    \n");
  EXPECT_EQ(read_file("above0.xyz"), xyz3);  // Minimum 0 leaves out the node at 0

  // The project's own 2DM reader takes the file back node for node.
  LineReader r;
  ASSERT_TRUE(r.open("s.2dm"));
  double xo = 0, yo = 0;
  korvel::Ir2dmRequest req;
  req.max_nodes = 10, req.max_triangles = 10, req.take_origin = true;
  const korvel::Mesh2dm m = korvel::ir2dm(r, xo, yo, req);
  EXPECT_EQ(m.triangles, t_);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(double(m.x[i]) + xo, double(x_[i]) + 2600000.0);
    EXPECT_EQ(double(m.y[i]) + yo, double(y_[i]) + 1200000.0);
    EXPECT_EQ(m.z[i], v_[i]);
  }
}

// Node files mapped in place: the header's own counts, comments, the
// trailer and every other field kept; Nearest outside (Keep is tried at an
// empty corner below).
struct NodeCase {
  const char* name;
  int lnear;
  const char* before;
  const char* after;
};

class NodeFileMapping : public SurfaceFilesTest, public ::testing::WithParamInterface<NodeCase> {};

TEST_P(NodeFileMapping, RewritesOnlyTheFirstAttribute) {
  const NodeCase& c = GetParam();
  grtrs.lnear = c.lnear;
  write_file("m.node", c.before);
  run(5, {"N", "m.node", "D"});
  EXPECT_EQ(dialogs.messages.back(), "node file updated");
  EXPECT_EQ(read_file("m.node"), c.after);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 2);  // m.node and outp: no scratch file
}

INSTANTIATE_TEST_SUITE_P(
    Headers, NodeFileMapping,
    ::testing::Values(
        // No attribute, no markers: one is added and the header says so.
        // (20, 5) lies outside: the nodes (10, 0) and (10, 10) are equally
        // near, the lower number wins.
        NodeCase{"NoAttributeNearest", 1,
                 "# mesh nodes\n3 2 0 0\n1 2600002.0 1200001.0\n  2  2600009.5 1200002.5 # a comment\n"
                 "3 2600020 1200005\n# trailer\n",
                 "# mesh nodes\n3 2 1 0\n1 2600002.0 1200001.0 13\n  2  2600009.5 1200002.5 22 # a comment\n"
                 "3 2600020 1200005 20\n# trailer\n"},
        // Two attributes and markers: the second attribute and the marker stay.
        // Just outside the right edge, Nearest finds the surface 0.4 back.
        NodeCase{"TwoAttributesMarkersNearest", 1, "2 2 2 1\r\n1 2600005 1200002 7.5 99 1\r\n2 2600010.1 1200005 8.0 98 0\r\n",
                 "2 2 2 1\r\n1 2600005 1200002 17 99 1\r\n2 2600010.1 1200005 25.1 98 0\r\n"},
        // A file of the old Node/Ele layout: markers announced but missing, the
        // element part after the nodes.
        NodeCase{"MarkersMissingElementsAfter", 1, "2 2 1 1\n1 2600005 1200002 0\n2 2600001 1200005 0\n1 3 0\n1 1 2 3\n",
                 "2 2 1 1\n1 2600005 1200002 17\n2 2600001 1200005 8\n1 3 0\n1 1 2 3\n"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(SurfaceFilesTest, AnEmptyCornerIsNeverBlended) {
  v_[3] = -9999.0f;  // (1, 5) lies in the triangle of this corner only
  grtrs.lnear = 0;
  write_file("m.node", "1 2 1 0\n1 2600001 1200005 7.5\n");
  run(5, {"N", "m.node", "D"});
  EXPECT_EQ(read_file("m.node"), "1 2 1 0\n1 2600001 1200005 7.5\n");
  grtrs.lnear = 1;  // the nodes (0, 0) and (0, 10) are equally near: the lower number
  run(5, {"N", "m.node", "D"});
  EXPECT_EQ(read_file("m.node"), "1 2 1 0\n1 2600001 1200005 10\n");
}

TEST_F(SurfaceFilesTest, OurOwnNodeEleFileMapsBackToItsValues) {
  run(7, {"N", "s.nodeele", "D"});
  const std::string written = read_file("s.nodeele");
  korvel::testing::AnswerUi ui;
  set_dialog_ui(&ui);
  run(5, {"N", "s.nodeele", "D"});
  set_dialog_ui(nullptr);
  EXPECT_EQ(dialogs.messages.back(), "node file updated");
  EXPECT_EQ(ui.beams_seen, std::vector<std::string>{"%1mapping nodes"});  // reading, mapping, writing: one step
  EXPECT_EQ(read_file("s.nodeele"), "           4 2 1 1\n"
                                    "        1 2600000.000 1200000.000   10 0\n        2 2600010.000 1200000.000   20 0\n"
                                    "        3 2600010.000 1200010.000   30 0\n        4 2600000.000 1200010.000    0 0\n" +
                                        written.substr(written.find("           2 3 0")));
}

TEST_F(SurfaceFilesTest, AFailedMappingLeavesTheNodeFileByteIdentical) {
  const std::string bad_line = "4 2 1 1\n1 2600005 1200002 1 0\n2 2600005 1200003 1 0\n3 2600005 x 1 0\n4 1 2 3 0\n";
  const std::string short_file = "4 2 1 1\n1 2600005 1200002 1 0\n2 2600005 1200003 1 0\n";
  for (const std::string& text : {bad_line, short_file}) {
    write_file("m.node", text);
    run(5, {"N", "m.node", "D"});
    EXPECT_EQ(read_file("m.node"), text);
    EXPECT_EQ(dialogs.messages.back().rfind("node file not changed: ", 0), 0u) << dialogs.messages.back();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 2);
  }
  EXPECT_EQ(dialogs.messages.back(), "node file not changed: m.node: 2 of 4 nodes found");
}

TEST_F(SurfaceFilesTest, AReadOnlyFolderIsReportedAndTheFileKept) {
  std::filesystem::create_directory("ro");
  write_file("ro/m.node", "1 2 1 0\n1 2600005 1200002 1\n");
  // Root writes into a folder without write permission: make it immutable.
  const int fd = ::open("ro", O_RDONLY | O_DIRECTORY);
  int flags = 0;
  const bool immutable = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                         (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
  if (!immutable) std::filesystem::permissions("ro", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  run(5, {"N", "ro/m.node", "D"});
  if (immutable) flags &= ~FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
  ::close(fd);
  std::filesystem::permissions("ro", std::filesystem::perms::owner_all);
  EXPECT_EQ(read_file("ro/m.node"), "1 2 1 0\n1 2600005 1200002 1\n");
  EXPECT_EQ(dialogs.messages.back().rfind("node file not changed: Cannot write file: ro/m.node (", 0), 0u)
      << dialogs.messages.back();
}

TEST_F(SurfaceFilesTest, UnstructPointsGetValuesAndOtherLinesStay) {
  write_file("p.dat", "xyz\n2600002 1200001 5.0\nnot a point\n-abc\nline 1\n2600005 1200002 1.0 3\n/ end\n");
  run(5, {"U", "p.dat", "D"});
  unit_close(kOutputUnit);
  EXPECT_EQ(read_file("outp").substr(read_file("outp").find("xyz\n")),
            "xyz\n 2600002.000 1200001.000   13.000 /\nnot a point\nline 1\n 2600005.000 1200002.000   17.000 3\n/ end\n");
  EXPECT_EQ(dialogs.messages.back(), "n=    2 Mean=     -12.000 Stdev=       5.657");
}

}  // namespace
