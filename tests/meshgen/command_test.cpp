// meshgen's command line: switches, output names, quiet mode, exit status,
// the one-line messages for bad input, and that a failed run leaves no file.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "meshgen/meshgen.h"
#include "support/run_program.h"
#include "support/testdir.h"

namespace {

namespace fs = std::filesystem;
using korvel::testing::InTempDir;
using korvel::testing::run_program;
using korvel::testing::write_file;

struct Outcome {
  int status;
  std::string out, err;
};

Outcome run(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = meshgen::run_meshgen(args, out, err);
  return {status, out.str(), err.str()};
}

// The files in the current directory whose names start with `prefix`.
int files_starting(const std::string& prefix) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(".")) n += e.path().filename().string().starts_with(prefix);
  return n;
}

TEST(MeshgenNames, OutputNameCountsUpATrailingNumberOrAppendsOne) {
  EXPECT_EQ(meshgen::next_name("river"), "river.1");
  EXPECT_EQ(meshgen::next_name("river.1"), "river.2");
  EXPECT_EQ(meshgen::next_name("river.9"), "river.10");
  EXPECT_EQ(meshgen::next_name("a.b"), "a.b.1");
  EXPECT_EQ(meshgen::next_name("d.7/river"), "d.7/river.1");
  const std::string deep(100, 'd');  // never cut
  EXPECT_EQ(meshgen::next_name(deep + "/river.12"), deep + "/river.13");
  EXPECT_EQ(meshgen::strip_suffix("river.1.poly"), "river.1");
}

TEST(MeshgenSwitches, LettersInAnyOrderWithNumbersAndUnknownLettersIgnored) {
  const meshgen::Options a = meshgen::parse_switches("Qa12.5xS200pq15");
  EXPECT_TRUE(a.poly && a.quality && a.area && a.quiet);
  EXPECT_EQ(a.max_area, 12.5);
  EXPECT_EQ(a.min_angle, 15);
  const meshgen::Options b = meshgen::parse_switches("rpqa");
  EXPECT_TRUE(b.area_file && !b.region_areas);
  EXPECT_EQ(b.min_angle, 20);
  const meshgen::Options c = meshgen::parse_switches("pq34");
  EXPECT_EQ(c.min_angle, meshgen::kMaxMinAngle);  // clamped to what the mesher is sure to reach
  EXPECT_TRUE(c.angle_clamped);
}

using MeshgenCommand = InTempDir;

const char* kSquare = "4 2 1 0\n1 0 0 1\n2 4 0 2\n3 4 4 3\n4 0 4 4\n";

TEST_F(MeshgenCommand, BinaryNamesSuccessiveMeshesAndIsQuietWithQ) {
  write_file("river.node", kSquare);
  auto quiet = run_program({MESHGEN_BINARY, "-pqa1Q", "river"});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out, "");
  EXPECT_TRUE(fs::exists("river.1.node") && fs::exists("river.1.ele") && fs::exists("river.1.poly"));
  auto talk = run_program({MESHGEN_BINARY, "-rpqa0.2", "river.1"});
  EXPECT_EQ(talk.status, 0);
  EXPECT_NE(talk.out.find("Wrote river.2.node"), std::string::npos) << talk.out;
  EXPECT_EQ(run_program({MESHGEN_BINARY, "-pq", "missing"}).status, 1);
  EXPECT_EQ(run_program({MESHGEN_BINARY}).status, 1);
  EXPECT_EQ(files_starting("river.3"), 0);
  EXPECT_EQ(files_starting("missing"), 0);
}

struct BadCase {
  const char* what;
  std::vector<std::pair<const char*, const char*>> files;
  const char* switches;
  const char* message;
};

TEST_F(MeshgenCommand, BadInputGivesOneLineNamingFileAndLineStatusOneAndNoFiles) {
  const char* node3 = "3 2 0 0\n1 0 0\n2 1 0\n3 0 1\n";
  const char* mesh_ele = "1 3 0\n1 1 2 3\n";
  const std::vector<BadCase> cases = {
      {"truncated", {{"t.node", "4 2 0 0\n1 0 0\n# comment\n2 1 0\n"}}, "-q",
       "t.node:5: the file ends before vertex 3 of 4"},
      {"count too small", {{"t.node", "2 2 0 0\n1 0 0\n2 1 0\n3 1 1\n"}}, "-q",
       "t.node:4: more records than the 2 vertices counted"},
      {"no vertex", {{"t.node", node3}, {"t.poly", "0 2 0 0\n1 0\n1 1 9\n"}}, "-pq",
       "t.poly:3: segment 1 names vertex 9, which does not exist"},
      {"duplicate", {{"t.node", "3 2 0 0\n1 0 0\n2 1 0 # x\n3 0 0\n"}}, "-q",
       "t.node:4: vertex 3 repeats the position of vertex 1"},
      {"nan", {{"t.node", "3 2 0 0\n1 0 0\n2 nan 0\n3 0 1\n"}}, "-q", "t.node:3: x 'nan' is not a finite number"},
      {"sequence", {{"t.node", "3 2 0 0\n1 0 0\n3 1 0\n4 0 1\n"}}, "-q",
       "t.node:3: vertex number 3 is out of sequence (expected 2)"},
      {"area count", {{"t.node", node3}, {"t.ele", mesh_ele}, {"t.area", "2\n1 0.1\n2 0.1\n"}}, "-rqa",
       "t.area:1: the count 2 differs from the 1 elements of the mesh"},
      {"element corner", {{"t.node", node3}, {"t.ele", "1 3 0\n1 1 2 4\n"}}, "-rq",
       "t.ele:2: element 1 names vertex 4, which does not exist"},
      {"missing", {}, "-pq", "t.node: cannot open the file"},
      {"dimension", {{"t.node", "3 3 0 0\n"}}, "-q", "t.node:1: dimension 3 is not 2"},
      {"range", {{"t.node", "3 2 0 0\n1 0 0\n2 1e16 0\n3 0 1\n"}}, "-q",
       "t.node:3: co-ordinates beyond 1e15 are out of range"},
      {"on a line", {{"t.node", "3 2 0 0\n1 0 0\n2 1 1\n3 2 2\n"}}, "-q", "t: the vertices all lie on one line"},
      {"runaway", {{"t.node", node3}}, "-qa0.000000000001", "t: the area limit would make a mesh of more than 60000000 triangles"},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& e : fs::directory_iterator(".")) fs::remove(e.path());
    for (const auto& [name, text] : c.files) write_file(name, text);
    const Outcome r = run({c.switches, "t"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::string("meshgen: ") + c.message + "\n");
    EXPECT_EQ(files_starting("t.1"), 0);
  }
}

TEST_F(MeshgenCommand, FilesCutAtEveryByteNeverCrashAndFailCleanly) {
  const std::string poly =
      "0 2 0 1\n5 1\n1 1 2 1\n2 2 3 1\n3 3 4 1\n4 4 1 1\n5 1 3 0\n1\n1 3.5 0.5\n1\n1 1 3 7 0.5\n";
  const std::vector<std::pair<std::string, std::string>> files = {
      {"c.node", kSquare}, {"c.poly", poly}, {"c.ele", "2 3 0\n1 1 2 3\n2 1 3 4\n"}, {"c.area", "2\n1 0.5\n2 -1\n"}};
  for (const char* switches : {"-pqAaQ", "-rpqaQ"}) {
    for (const auto& [cut_name, cut_text] : files) {
      for (std::size_t cut = 0; cut <= cut_text.size(); ++cut) {
        for (const char* suffix : {".node", ".ele", ".poly"}) fs::remove(std::string("c.1") + suffix);
        for (const auto& [name, text] : files) write_file(name, name == cut_name ? text.substr(0, cut) : text);
        const Outcome r = run({switches, "c"});
        ASSERT_TRUE(r.status == 0 || r.status == 1);
        if (r.status == 1) {
          EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
          EXPECT_EQ(files_starting("c.1"), 0) << cut_name << " cut at " << cut;
        }
      }
    }
  }
}

TEST_F(MeshgenCommand, AFailedWriteLeavesNoOutputFile) {
  write_file("w.node", kSquare);
  fs::create_directory("w.1.ele");  // the .ele cannot take its name
  const Outcome r = run({"-qa1", "w"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("w.1.ele"), std::string::npos) << r.err;
  EXPECT_EQ(files_starting("w.1."), 1);  // only the directory in the way
}

}  // namespace
