// The mesh store, reading a mesh whole or not at all, and the Mesh menu with
// the real generator and with stand-ins that fail. (The next name is
// meshgen's: tests/meshgen/command_test.cpp.)
#include "app/mesh/mesh.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <tuple>

#include "sketra/base/script.h"
#include "sketra/control/control.h"
#include "sketra/kernel/plot.h"
#include "support/app_fixture.h"

namespace {

using namespace korvel;
using korvel::testing::write_file;

// A 40 m by 20 m reach with its rim as segments, far from the origin.
const char* kSurveyNode =
    "6 2 1 0\n"
    "1 700000 5300000 1.0\n"
    "2 700040 5300000 2.0\n"
    "3 700040 5300020 3.0\n"
    "4 700000 5300020 4.0\n"
    "5 700020 5300010 5.0\n"
    "6 700010 5300005 6.0\n";
const char* kSurveyPoly = "0 2 0 0\n4 0\n1 1 2\n2 2 3\n3 3 4\n4 4 1\n0\n";

// The window is open on the recording driver: keys pushed to rec() reach
// the generator's progress bar.
class MeshMenuTest : public korvel::testing::AppWindowTest {
 protected:
  void SetUp() override {
    AppWindowTest::SetUp();
    mesher(MESHGEN_BINARY);
    write_file("river.node", kSurveyNode);
    write_file("river.poly", kSurveyPoly);
  }
  void TearDown() override {
    unsetenv("KORVEL_TRIANGLE");
    AppWindowTest::TearDown();
  }
  static void mesher(const std::string& program) { setenv("KORVEL_TRIANGLE", program.c_str(), 1); }

  // A stand-in generator: a shell script of `body`.
  static std::string stand_in(const std::string& name, const std::string& body) {
    write_file(name, "#!/bin/sh\n" + body + "\n");
    ::chmod(name.c_str(), 0755);
    return (std::filesystem::current_path() / name).string();
  }

  static void choose(int entry, std::vector<std::string> answers) {
    sketra::grscpt(answers);
    mesh_action(entry);
  }
  static void open_river() {
    choose(1, {"river.node"});
    ASSERT_EQ(mod_mesh.node, 6);
  }
};

TEST_F(MeshMenuTest, AFailedRunEscapeAndBadParametersKeepTheMesh) {
  open_river();
  struct Case {
    std::string program;
    std::string message;
  } cases[] = {
      {stand_in("fails.sh", "exit 3"), "*** Trouble running fails.sh: exit status 3***"},
      {stand_in("junk.sh", "echo junk > \"$2.1.node\"; echo junk > \"$2.1.ele\""),
       "*** Trouble running junk.sh: bad node header at line 1 of river.1.node***"},
      {(std::filesystem::current_path() / "no-such-program").string(),
       "*** Trouble running no-such-program: the program could not be run***"},
  };
  for (const Case& c : cases) {
    mesher(c.program);
    choose(2, {"D"});
    EXPECT_EQ(sketra::dialogs.message_line, c.message);
    EXPECT_EQ(std::tuple(mod_mesh.mesh_name, mod_mesh.i_mesh, mod_mesh.node, mod_mesh.nele),
              std::tuple("river", 0, 6, 0));
  }

  // Files of the next name left from before do not count as written.
  write_file("river.1.node", kSurveyNode);
  write_file("river.1.ele", "1 3\n1 1 2 3\n");
  mesher(stand_in("idle2.sh", "exit 0"));
  choose(2, {"D"});
  EXPECT_EQ(sketra::dialogs.message_line, "*** Trouble running idle2.sh: river.1.node not written***");
  EXPECT_EQ(mod_mesh.nele, 0);
  // Escape stops Refine with the last complete mesh; parameters that do not
  // read or make no progress and a missing wave file are refused before any
  // run. (Mesh and Remesh under the next names: tests/e2e/test_mesh.sh.)
  mesher(MESHGEN_BINARY);
  choose(2, {"4 12 x", "D", "4 12.5", "D"});
  EXPECT_TRUE(said("Area[m2] not read: 12 x"));
  ASSERT_EQ(mod_mesh.mesh_name, "river.1");
  const int cells = mod_mesh.nele;
  write_file("wave.xyz", "700010 5300010 0.5\n");
  rec().push_key(0xFF1B);  // Escape, pending when the first pass begins
  choose(3, {"1 4", "D"});
  EXPECT_EQ(sketra::dialogs.message_line, "Refine stopped at river.1");
  EXPECT_EQ(mod_mesh.mesh_name, "river.1");
  EXPECT_EQ(mod_mesh.nele, cells);
  EXPECT_FALSE(std::filesystem::exists("river.2.node"));

  std::filesystem::remove("wave.xyz");
  int runs = 0;
  sketra::set_command_runner([&](const std::vector<std::string>&) { return ++runs, 0; });
  choose(3, {"3 1", "D"});
  EXPECT_EQ(sketra::dialogs.message_line, "refine factor must be greater than 1");
  choose(3, {"1 0", "D"});
  EXPECT_EQ(sketra::dialogs.message_line, "min_area [m2] must be greater than 0");
  choose(3, {"D"});
  EXPECT_EQ(sketra::dialogs.message_line, "File not found: wave.xyz");
  EXPECT_FALSE(std::filesystem::exists("wave.xyz"));
  EXPECT_EQ(runs, 0);
}

// ---- The mesh store --------------------------------------------------------------

const char* kSurveyEle = "2 3 0\n1 1 2 3\n2 1 3 4\n";

TEST_F(MeshMenuTest, TheStoreReadsRelativeToTheFirstNodeAndAFailedReadChangesNothing) {
  write_file("river.ele", kSurveyEle);
  MeshStore m;
  NoProgress none;
  ASSERT_TRUE(read_mesh("river", m, none).ok);
  EXPECT_DOUBLE_EQ(m.ynorig, 5300000.0);
  EXPECT_EQ(m.xn, (std::vector<float>{0, 40, 40, 0, 20, 10}));
  EXPECT_EQ(m.yn, (std::vector<float>{0, 0, 20, 20, 10, 5}));
  EXPECT_EQ(m.zn, (std::vector<float>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(m.iele, (std::vector<Triangle>{{1, 2, 3}, {1, 3, 4}}));
  EXPECT_EQ(m.isegm, (std::vector<std::int32_t>{1, 2, 2, 3, 3, 4, 4, 1}));
  write_file("river.ele", "1 6\n1 1 2 3 1 2 3\n");  // six-node elements are no triangles
  ASSERT_TRUE(read_mesh("river", m, none).ok);
  EXPECT_EQ(m.nele, 0);
  EXPECT_TRUE(m.iele.empty());
  write_file("river.ele", kSurveyEle);
  open_river();
  EXPECT_EQ(mod_mesh.mesh_name, "river");
  EXPECT_EQ(sketra::dialogs.message_line, "found         2 elements");

  write_file("river.ele", "2 3\n1 1 2 3\n2 1 3 7\n");  // the re-read of the same name fails
  mod_mesh.i_mesh = 4;
  EXPECT_FALSE(mesh_read());
  EXPECT_EQ(sketra::dialogs.message_line, "node number out of range at line 3 of river.ele");
  write_file("river.node", "0 2 0 0\n");
  EXPECT_FALSE(mesh_read());
  EXPECT_EQ(sketra::dialogs.message_line, "no nodes in river.node");
  EXPECT_EQ(mod_mesh.nele, 2);
  EXPECT_EQ(mod_mesh.node, 6);
  EXPECT_EQ(mod_mesh.i_mesh, 4);
  EXPECT_EQ(mod_mesh.iele.size(), 2u);
}

}  // namespace
