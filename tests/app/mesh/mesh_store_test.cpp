// The mesh store: reading a mesh whole or not at all. (The next name is
// meshgen's: tests/meshgen/command_test.cpp.)

#include <gtest/gtest.h>

#include "app/mesh/mesh.h"
#include "support/app_fixture.h"

namespace {

using korvel::testing::write_file;
using namespace korvel;

// Four nodes far from the origin, two triangles, the four rim segments.
const char* kNode =
    "4 2 1 1\n"
    "1 500000.0 6000000.0 1.5 1\n"
    "2 500010.0 6000000.0 2.5 1\n"
    "3 500010.0 6000010.0 3.5 1\n"
    "4 500000.0 6000010.0 4.5 1\n";
const char* kPoly = "0 2 0 1\n4 1\n1 1 2 1\n2 2 3 1\n3 3 4 1\n4 4 1 1\n0\n";
const char* kEle = "2 3 0\n1 1 2 3\n2 1 3 4\n";

class MeshStoreTest : public korvel::testing::AppTest {
 protected:
  void river() {
    write_file("river.node", kNode);
    write_file("river.poly", kPoly);
    write_file("river.ele", kEle);
  }
  FileResult read(const std::string& base, MeshStore& m) {
    NoProgress none;
    return read_mesh(base, m, none);
  }
};

TEST_F(MeshStoreTest, ReadsNodesSegmentsAndElementsRelativeToTheFirstNode) {
  river();
  MeshStore m;
  ASSERT_TRUE(read("river", m).ok);
  EXPECT_DOUBLE_EQ(m.ynorig, 6000000.0);
  EXPECT_EQ(m.xn, (std::vector<float>{0, 10, 10, 0}));
  EXPECT_EQ(m.yn, (std::vector<float>{0, 0, 10, 10}));
  EXPECT_EQ(m.zn, (std::vector<float>{1.5f, 2.5f, 3.5f, 4.5f}));
  EXPECT_EQ(m.iele, (std::vector<Triangle>{{1, 2, 3}, {1, 3, 4}}));
  EXPECT_EQ(m.isegm, (std::vector<std::int32_t>{1, 2, 2, 3, 3, 4, 4, 1}));
  write_file("river.ele", "1 6\n1 1 2 3 1 2 3\n");  // six-node elements are no triangles
  ASSERT_TRUE(read("river", m).ok);
  EXPECT_EQ(m.nele, 0);
  EXPECT_TRUE(m.iele.empty());
}

TEST_F(MeshStoreTest, BadFilesAreNamedWithTheirLine) {
  struct Case {
    const char* file;
    const char* text;
    const char* message;
  } cases[] = {
      // (the node and poly readers' other refusals: triangle_files_test)
      {"river.node", "0 2 0 0\n", "no nodes in river.node"},
      {"river.ele", "2 3\n1 1 2 3\n2 1 3\n", "short element line at line 3 of river.ele"},
      {"river.ele", "2 3\n1 1 2 3\n2 1 3 5\n", "node number out of range at line 3 of river.ele"},
      {"river.ele", "2 3\n1 1 2 3\n2 0 3 4\n", "node number out of range at line 3 of river.ele"},
      {"river.ele", "2 3\n1 1 2 3\n", "river.ele: 1 of 2 elements found"},
  };
  for (const Case& c : cases) {
    river();
    write_file(c.file, c.text);
    MeshStore m;
    FileResult res = read("river", m);
    EXPECT_FALSE(res.ok) << c.text;
    EXPECT_EQ(res.message, c.message);
    EXPECT_EQ(res.file, c.file);
  }
}

TEST_F(MeshStoreTest, OpenReadsTheChosenFileAndAFailedReadChangesNothing) {
  river();
  sketra::grscpt(std::vector<std::string>{"river.node"});
  ASSERT_TRUE(mesh_read());
  EXPECT_EQ(mod_mesh.mesh_name, "river");
  EXPECT_EQ(sketra::dialogs.message_line, "found         2 elements");

  write_file("river.ele", "2 3\n1 1 2 3\n2 1 3 7\n");  // the re-read of the same name fails
  mod_mesh.i_mesh = 4;
  EXPECT_FALSE(mesh_read());
  EXPECT_EQ(sketra::dialogs.message_line, "node number out of range at line 3 of river.ele");
  EXPECT_EQ(mod_mesh.nele, 2);
  EXPECT_EQ(mod_mesh.node, 4);
  EXPECT_EQ(mod_mesh.i_mesh, 4);
  EXPECT_EQ(mod_mesh.iele.size(), 2u);

  // A node file of the same count under another name gives that name.
  write_file("other.node", kNode);
  mod_mesh.mesh_name = "gone";
  sketra::grscpt(std::vector<std::string>{"other.node"});
  ASSERT_TRUE(mesh_read());
  EXPECT_EQ(mod_mesh.mesh_name, "other");
  EXPECT_EQ(mod_mesh.nele, 0);
}

}  // namespace
