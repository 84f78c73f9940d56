// meshgen's meshes, checked by plain geometry on the files it writes:
// orientation, segments kept, domain and holes, angles, areas, refinement
// limits per old element, input vertices first, attributes interpolated;
// and its command line: switches, output names, quiet mode, exit status,
// the one-line messages for bad input, and that a failed run leaves no file.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "meshgen/meshgen.h"
#include "support/run_program.h"
#include "support/testdir.h"

// The files meshgen writes are read with a parser of their own and the
// mesh checked by plain geometry, without any of meshgen's code.
namespace meshgen_test {

struct Out {
  std::vector<std::array<double, 2>> xy;
  std::vector<std::vector<double>> attr;
  std::vector<int> marker;
  std::vector<std::array<int, 3>> tri;  // 0-based
  int first = 1;
  double x(int i) const { return xy[std::size_t(i)][0]; }
  double y(int i) const { return xy[std::size_t(i)][1]; }
};

// The lines of a file without comments and blank lines, as number streams.
inline std::vector<std::istringstream> records(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::istringstream> out;
  for (std::string line; std::getline(in, line);) {
    line = line.substr(0, line.find('#'));
    if (line.find_first_not_of(" \t\r") != std::string::npos) out.emplace_back(line);
  }
  return out;
}

// Reads <base>.node and .ele as meshgen wrote them.
inline Out read_output(const std::string& base) {
  Out m;
  auto node = records(base + ".node");
  int n = 0, dim = 0, nattr = 0, markers = 0;
  node.at(0) >> n >> dim >> nattr >> markers;
  for (int i = 0; i < n; ++i) {
    auto& r = node.at(std::size_t(i) + 1);
    int number = 0, marker = 0;
    double x = 0, y = 0;
    r >> number >> x >> y;
    if (i == 0) m.first = number;
    std::vector<double> a(std::size_t(nattr), 0.0);
    for (double& v : a) r >> v;
    r >> marker;
    m.xy.push_back({x, y});
    m.attr.push_back(a);
    m.marker.push_back(marker);
  }
  auto ele = records(base + ".ele");
  int t = 0;
  ele.at(0) >> t;
  for (int i = 0; i < t; ++i) {
    int number = 0, a = 0, b = 0, c = 0;
    ele.at(std::size_t(i) + 1) >> number >> a >> b >> c;
    m.tri.push_back({a - m.first, b - m.first, c - m.first});
  }
  return m;
}

inline double cross(double ax, double ay, double bx, double by, double cx, double cy) {
  return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

inline double area(const Out& m, const std::array<int, 3>& t) {
  return 0.5 * cross(m.x(t[0]), m.y(t[0]), m.x(t[1]), m.y(t[1]), m.x(t[2]), m.y(t[2]));
}

inline double min_angle(const Out& m, const std::array<int, 3>& t) {
  double smallest = 180;
  for (int k = 0; k < 3; ++k) {
    const int a = t[std::size_t(k)], b = t[std::size_t((k + 1) % 3)], c = t[std::size_t((k + 2) % 3)];
    const double ux = m.x(b) - m.x(a), uy = m.y(b) - m.y(a), vx = m.x(c) - m.x(a), vy = m.y(c) - m.y(a);
    smallest = std::min(smallest, std::atan2(std::abs(ux * vy - uy * vx), ux * vx + uy * vy) * 180 / M_PI);
  }
  return smallest;
}

// Even-odd point-in-polygon over any number of rings (outline and holes).
inline bool inside(const std::vector<std::vector<std::array<double, 2>>>& rings, double x, double y) {
  bool in = false;
  for (const auto& ring : rings) {
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
      const auto& p = ring[i];
      const auto& q = ring[j];
      if ((p[1] > y) != (q[1] > y) && x < (q[0] - p[0]) * (y - p[1]) / (q[1] - p[1]) + p[0]) in = !in;
    }
  }
  return in;
}

// Every triangle counter-clockwise with positive area.
inline void expect_ccw(const Out& m) {
  int bad = 0;
  for (const auto& t : m.tri) bad += !(area(m, t) > 0);
  EXPECT_EQ(bad, 0) << "triangles not counter-clockwise or degenerate";
}

// The input segment from vertex a to b (0-based) is a chain of mesh edges:
// the mesh vertices on it, in order along it, are joined by edges.
inline void expect_segment_covered(const Out& m, int a, int b) {
  std::vector<std::pair<double, int>> on;
  const double dx = m.x(b) - m.x(a), dy = m.y(b) - m.y(a), len2 = dx * dx + dy * dy;
  for (int i = 0; i < int(m.xy.size()); ++i) {
    const double c = cross(m.x(a), m.y(a), m.x(b), m.y(b), m.x(i), m.y(i));
    const double t = ((m.x(i) - m.x(a)) * dx + (m.y(i) - m.y(a)) * dy) / len2;
    if (std::abs(c) <= 1e-9 * len2 && t >= -1e-12 && t <= 1 + 1e-12) on.emplace_back(t, i);
  }
  std::sort(on.begin(), on.end());
  std::set<std::pair<int, int>> edges;
  for (const auto& t : m.tri) {
    for (int k = 0; k < 3; ++k) {
      const int p = t[std::size_t(k)], q = t[std::size_t((k + 1) % 3)];
      edges.insert({std::min(p, q), std::max(p, q)});
    }
  }
  for (std::size_t k = 1; k < on.size(); ++k) {
    const int p = on[k - 1].second, q = on[k].second;
    EXPECT_TRUE(edges.count({std::min(p, q), std::max(p, q)})) << "segment " << a << "-" << b << " is not split into edges";
  }
}

// The triangles cover exactly the region of `rings`: each centroid inside,
// and the areas add up to the region's.
inline void expect_covers(const Out& m, const std::vector<std::vector<std::array<double, 2>>>& rings,
                          double region_area) {
  double sum = 0;
  int outside = 0;
  for (const auto& t : m.tri) {
    sum += area(m, t);
    const double cx = (m.x(t[0]) + m.x(t[1]) + m.x(t[2])) / 3, cy = (m.y(t[0]) + m.y(t[1]) + m.y(t[2])) / 3;
    outside += !inside(rings, cx, cy);
  }
  EXPECT_EQ(outside, 0) << "triangles outside the domain or in a hole";
  EXPECT_NEAR(sum, region_area, 1e-9 * region_area);
}

}  // namespace meshgen_test

namespace {

namespace fs = std::filesystem;
using korvel::testing::InTempDir;
using korvel::testing::run_program;
using korvel::testing::read_file;
using korvel::testing::write_file;
using meshgen_test::Out;
using Rings = std::vector<std::vector<std::array<double, 2>>>;

// Runs meshgen in-process; fails the test on a non-zero status.
void mesh(const std::string& switches, const std::string& base) {
  std::ostringstream out, err;
  ASSERT_EQ(meshgen::run_meshgen({switches, base}, out, err), 0) << err.str();
}

// A square of side 10 with a square hole (4..6) and the linear attribute
// 2x + 3y + 1 on every vertex.
const char* kSquareWithHole =
    "8 2 1 1\n"
    "1 0 0 1 5\n2 10 0 21 5\n3 10 10 51 5\n4 0 10 31 5\n"
    "5 4 4 21 0\n6 6 4 25 0\n7 6 6 31 0\n8 4 6 27 0\n"
    "8 1\n1 1 2 1\n2 2 3 1\n3 3 4 1\n4 4 1 1\n5 5 6 2\n6 6 7 2\n7 7 8 2\n8 8 5 2\n"
    "1\n1 5 5\n";
const Rings kSquareRings = {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {{4, 4}, {6, 4}, {6, 6}, {4, 6}}};

using Mesh = InTempDir;

TEST_F(Mesh, ConcavitiesOutsideTheSegmentsAreRemoved) {
  // A U shape: its notch lies inside the convex hull but outside the
  // segments (the convex hull switch is run in the end-to-end sessions).
  write_file("u.node", "8 2 0 0\n1 0 0\n2 9 0\n3 9 9\n4 6 9\n5 6 3\n6 3 3\n7 3 9\n8 0 9\n");
  write_file("u.poly", "0 2 0 0\n8 0\n1 1 2\n2 2 3\n3 3 4\n4 4 5\n5 5 6\n6 6 7\n7 7 8\n8 8 1\n0\n");
  mesh("-pqQ", "u");
  const Rings u = {{{0, 0}, {9, 0}, {9, 9}, {6, 9}, {6, 3}, {3, 3}, {3, 9}, {0, 9}}};
  const Out m = meshgen_test::read_output("u.1");
  meshgen_test::expect_ccw(m);
  meshgen_test::expect_covers(m, u, 81.0 - 18.0);
}

TEST_F(Mesh, CrossingBreaklinesAreSplitAtTheirIntersection) {
  write_file("x.node", "6 2 1 0\n0 0 0 0\n1 10 0 10\n2 10 10 20\n3 0 10 10\n4 2 2 4\n5 8 8 16\n");
  write_file("x.poly", "0 2\n2 0\n0 4 5\n1 3 1\n0\n");
  mesh("-pcqQ", "x");
  const Out m = meshgen_test::read_output("x.1");
  EXPECT_EQ(m.first, 0);  // numbering follows the input
  meshgen_test::expect_ccw(m);
  meshgen_test::expect_segment_covered(m, 4, 5);
  meshgen_test::expect_segment_covered(m, 3, 1);
  bool crossing = false;
  for (std::size_t i = 6; i < m.xy.size(); ++i) {
    if (std::abs(m.xy[i][0] - 5) < 1e-12 && std::abs(m.xy[i][1] - 5) < 1e-12) {
      crossing = true;
      EXPECT_NEAR(m.attr[i][0], 10, 1e-9);  // x + y along both lines
    }
  }
  EXPECT_TRUE(crossing);
}

// A coarse quality mesh refined with limits per old element: the refined
// mesh keeps the domain, the hole, the segments and the angles.
TEST_F(Mesh, RefinementKeepsDomainHoleSegmentsAndAnglesAndHonoursLimitsPerOldElement) {
  write_file("sq.poly", kSquareWithHole);
  mesh("-pqQ", "sq");
  const Out old = meshgen_test::read_output("sq.1");
  // Old elements left of x = 5 get 0.02, the others no limit.
  std::string area = std::to_string(old.tri.size()) + "\n";
  std::vector<double> limit;
  for (std::size_t e = 0; e < old.tri.size(); ++e) {
    const auto& t = old.tri[e];
    const double cx = (old.x(t[0]) + old.x(t[1]) + old.x(t[2])) / 3;
    limit.push_back(cx < 5 ? 0.02 : -1);
    area += std::to_string(e + 1) + " " + (cx < 5 ? "0.02" : "-1") + "\n";
  }
  write_file("sq.1.area", area);
  mesh("-rpqaQ", "sq.1");
  const Out m = meshgen_test::read_output("sq.2");
  ASSERT_GT(m.tri.size(), 1000u);
  meshgen_test::expect_ccw(m);
  meshgen_test::expect_covers(m, kSquareRings, 96.0);
  for (int s = 0; s < 4; ++s) {
    meshgen_test::expect_segment_covered(m, s, (s + 1) % 4);
    meshgen_test::expect_segment_covered(m, 4 + s, 4 + (s + 1) % 4);
  }
  int violations = 0;
  double worst_angle = 180;
  for (const auto& t : m.tri) {
    worst_angle = std::min(worst_angle, meshgen_test::min_angle(m, t));
    const double cx = (m.x(t[0]) + m.x(t[1]) + m.x(t[2])) / 3, cy = (m.y(t[0]) + m.y(t[1]) + m.y(t[2])) / 3;
    for (std::size_t e = 0; e < old.tri.size(); ++e) {
      const auto& o = old.tri[e];
      const Rings tri = {{old.xy[std::size_t(o[0])], old.xy[std::size_t(o[1])], old.xy[std::size_t(o[2])]}};
      if (meshgen_test::inside(tri, cx, cy) && limit[e] > 0) violations += meshgen_test::area(m, t) > limit[e];
    }
  }
  EXPECT_EQ(violations, 0);
  EXPECT_GE(worst_angle, 20.0);
  // The old vertices come first, with their numbers and attributes; new
  // vertices carry the attribute interpolated linearly (2x + 3y + 1 exactly).
  for (std::size_t i = 0; i < old.xy.size(); ++i) ASSERT_EQ(m.xy[i], old.xy[i]);
  EXPECT_EQ(m.first, 1);
  EXPECT_EQ(m.attr[2][0], 51);
  EXPECT_EQ(m.marker[4], 1);  // on the hole's boundary
  for (std::size_t i = 8; i < m.xy.size(); ++i) {
    ASSERT_NEAR(m.attr[i][0], 2 * m.xy[i][0] + 3 * m.xy[i][1] + 1, 1e-9) << "vertex " << i;
  }
}

TEST_F(Mesh, SevenDigitCoordinatesRoundTripToTheMillimetre) {
  write_file("g.node",
             "4 2 1 0\n1 2600128.123 1200345.678 427.615\n2 2600228.001 1200345.679 427.1\n"
             "3 2600228.999 1200445.5 428\n4 2600128.124 1200445.321 426.999\n");
  mesh("-qa50Q", "g");
  const std::string text = read_file("g.1.node");
  EXPECT_NE(text.find("1  2600128.123  1200345.678  427.615"), std::string::npos) << text.substr(0, 200);
  EXPECT_NE(text.find("4  2600128.124  1200445.321  426.999"), std::string::npos);
  meshgen_test::expect_ccw(meshgen_test::read_output("g.1"));
}

// ---------------------------------------------------------------- the command line

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

// Output names count up a trailing number or append one ("river" to
// "river.1" and "river.1" to "river.2" are run in the binary's test below);
// switches are letters in any order with numbers, unknown letters ignored.
TEST(MeshgenCommandLine, OutputNamesAndSwitches) {
  EXPECT_EQ(meshgen::next_name("river.9"), "river.10");
  EXPECT_EQ(meshgen::next_name("d.7/river"), "d.7/river.1");
  const std::string deep(100, 'd');  // never cut
  EXPECT_EQ(meshgen::next_name(deep + "/river.12"), deep + "/river.13");
  const meshgen::Options a = meshgen::parse_switches("Qa12.5xS200pq15");
  EXPECT_TRUE(a.poly && a.quality && a.area && a.quiet && a.max_area == 12.5 && a.min_angle == 15);
  const meshgen::Options c = meshgen::parse_switches("pq34");
  EXPECT_EQ(c.min_angle, meshgen::kMaxMinAngle);  // clamped to what the mesher is sure to reach
  EXPECT_TRUE(c.angle_clamped);
}

const char* kFourCorners = "4 2 1 0\n1 0 0 1\n2 4 0 2\n3 4 4 3\n4 0 4 4\n";

TEST_F(Mesh, BinaryNamesSuccessiveMeshesAndIsQuietWithQ) {
  write_file("river.node", kFourCorners);
  auto quiet = run_program({MESHGEN_BINARY, "-pqa1Q", "river"});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out, "");
  EXPECT_TRUE(fs::exists("river.1.node") && fs::exists("river.1.ele") && fs::exists("river.1.poly"));
  auto talk = run_program({MESHGEN_BINARY, "-rpqa0.2", "river.1.node"});  // the suffix is dropped
  EXPECT_EQ(talk.status, 0);
  EXPECT_NE(talk.out.find("Wrote river.2.node"), std::string::npos) << talk.out;
  EXPECT_EQ(run_program({MESHGEN_BINARY}).status, 1);
  EXPECT_EQ(files_starting("river.3"), 0);
}

struct BadCase {
  const char* what;
  std::vector<std::pair<const char*, const char*>> files;
  const char* switches;
  const char* message;
};

TEST_F(Mesh, BadInputGivesOneLineNamingFileAndLineStatusOneAndNoFiles) {
  const char* node3 = "3 2 0 0\n1 0 0\n2 1 0\n3 0 1\n";
  const char* mesh_ele = "1 3 0\n1 1 2 3\n";
  const std::vector<BadCase> cases = {
      {"no vertex", {{"t.node", node3}, {"t.poly", "0 2 0 0\n1 0\n1 1 9\n"}}, "-pq",
       "t.poly:3: segment 1 names vertex 9, which does not exist"},
      {"duplicate", {{"t.node", "3 2 0 0\n1 0 0\n2 1 0 # x\n3 0 0\n"}}, "-q",
       "t.node:4: vertex 3 repeats the position of vertex 1"},
      {"nan", {{"t.node", "3 2 0 0\n1 0 0\n2 nan 0\n3 0 1\n"}}, "-q", "t.node:3: x 'nan' is not a finite number"},
      {"area count", {{"t.node", node3}, {"t.ele", mesh_ele}, {"t.area", "2\n1 0.1\n2 0.1\n"}}, "-rqa",
       "t.area:1: the count 2 differs from the 1 elements of the mesh"},
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

TEST_F(Mesh, FilesCutAtEveryByteNeverCrashAndFailCleanly) {
  const std::string poly =
      "0 2 0 1\n5 1\n1 1 2 1\n2 2 3 1\n3 3 4 1\n4 4 1 1\n5 1 3 0\n1\n1 3.5 0.5\n1\n1 1 3 7 0.5\n";
  const std::vector<std::pair<std::string, std::string>> files = {
      {"c.node", kFourCorners}, {"c.poly", poly}, {"c.ele", "2 3 0\n1 1 2 3\n2 1 3 4\n"}, {"c.area", "2\n1 0.5\n2 -1\n"}};
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

TEST_F(Mesh, AFailedWriteLeavesNoOutputFile) {
  write_file("w.node", kFourCorners);
  fs::create_directory("w.1.ele");  // the .ele cannot take its name
  const Outcome r = run({"-qa1", "w"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("w.1.ele"), std::string::npos) << r.err;
  EXPECT_EQ(files_starting("w.1."), 1);  // only the directory in the way
}

TEST_F(Mesh, RegionsGiveAttributesAndAreaLimitsAndTheNeighbourFileIsWritten) {
  // A square cut along its diagonal; the region below it is limited to 0.1.
  write_file("reg.poly",
             "4 2 0 0\n1 0 0\n2 4 0\n3 4 4\n4 0 4\n5 0\n1 1 2\n2 2 3\n3 3 4\n4 4 1\n5 1 3\n0\n"
             "2\n1 3 1 7 0.1\n2 1 3 9 -1\n");
  mesh("-pqAaenQ", "reg");
  const Out m = meshgen_test::read_output("reg.1");
  auto ele = meshgen_test::records("reg.1.ele");
  EXPECT_EQ(meshgen_test::records("reg.1.neigh").size(), m.tri.size() + 1);  // written, one line a triangle
  for (std::size_t i = 0; i < m.tri.size(); ++i) {
    int number = 0, a = 0, b = 0, c = 0;
    double attribute = 0;
    ele[i + 1] >> number >> a >> b >> c >> attribute;
    const auto& t = m.tri[i];
    const bool below = m.y(t[0]) + m.y(t[1]) + m.y(t[2]) < m.x(t[0]) + m.x(t[1]) + m.x(t[2]);
    EXPECT_EQ(attribute, below ? 7 : 9);
    if (below) {
      EXPECT_LE(meshgen_test::area(m, t), 0.1 * (1 + 1e-12));
    }
  }
}

}  // namespace
