// The DXF reader on small drawings (the entities' edge cases, layers, scale,
// capacity, broken files) and on drawings of a real DXF writer.
#include "app/formats/dxf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <set>
#include <sstream>

#include "sketra/base/textfmt.h"
#include "support/format_fixture.h"
#include "support/load_cases.h"
#include "support/run_program.h"

namespace {

using namespace korvel;
using korvel::testing::kRejected;
using korvel::testing::LoadCase;
using korvel::testing::LoadCaseTest;
namespace fs = std::filesystem;
constexpr double kPi = std::numbers::pi;

// Builds the ENTITIES section of a drawing pair by pair.
class Dxf {
 public:
  Dxf& g(int code, const std::string& v) {
    s_ += "  " + std::to_string(code) + "\n" + v + "\n";
    return *this;
  }
  Dxf& g(int code, double v) { return g(code, sketra::list_d(v).substr(1)); }
  Dxf& entity(const std::string& name, const std::string& layer) { return g(0, name).g(8, layer); }
  Dxf& at(int base, double x, double y, double z = 0) { return g(base, x).g(base + 10, y).g(base + 20, z); }
  Dxf& line(double x1, double y1, double x2, double y2) { return entity("LINE", "L").at(10, x1, y1, 1).at(11, x2, y2, 2); }
  Dxf& point(double x, double y, double z = 0, const std::string& layer = "P") {
    return entity("POINT", layer).at(10, x, y, z);
  }
  std::string raw() const { return s_; }
  std::string text() const { return "  0\nSECTION\n  2\nENTITIES\n" + s_ + "  0\nENDSEC\n  0\nEOF\n"; }

 private:
  std::string s_;
};

class DxfTest : public korvel::testing::FormatTest {
 protected:
  // Reads the drawing with every layer but those in `off`.
  FileResult read(const std::string& text, DxfOptions o = {}, const std::set<std::string>& off = {},
                  std::int64_t capacity = kMaxDxfVertices) {
    d = DxfDrawing{};
    sketra::LineReader& r = open("d.dxf", text);
    ::testing::internal::CaptureStdout();
    read_dxf_layers(r, 100, kLog, quiet, d);
    for (DxfLayer& l : d.layers) l.chosen = !off.count(l.name);
    FileResult res = read_dxf_entities(r, "d.dxf", 100, capacity, o, kLog, quiet, d);
    out = ::testing::internal::GetCapturedStdout();
    return res;
  }
  std::vector<int> kinds() const { return std::vector<int>(d.kind.begin(), d.kind.end()); }
  DxfDrawing d;
  std::string out;
};

// The drawings of a real writer (below) hold every entity in its common
// forms; the cases here are those they do not.

TEST_F(DxfTest, EdgeCasesLayersCapacityAndBrokenFiles) {
  read(Dxf().line(0, 0, 10, 0).point(50, 50).line(10, 0, 20, 0).text());
  EXPECT_EQ(kinds(), (std::vector<int>{2, 3, 1, 2, 3}));  // a chain does not join across another entity
  read(Dxf().entity("CIRCLE", "C").at(10, 100, 200, 5).g(40, 10.0).text());
  EXPECT_TRUE(d.x.empty());  // circles only with the option
  read(Dxf().entity("ARC", "A").at(10, 100, 200, 7).g(40, 10.0).g(50, 0.0).g(51, 360.0).text());
  EXPECT_EQ(d.x.size(), 19u);  // a full turn: round(2 pi * 3) vertices
  read(Dxf().entity("ARC", "A").at(10, 100, 200, 7).g(40, 10.0).g(50, 10.0).g(51, 15.0).text());
  ASSERT_EQ(d.x.size(), 2u);  // a short arc still has its two ends
  EXPECT_NEAR(std::atan2(d.y[1] - 200, d.x[1] - 100), 15 * kPi / 180, 1e-9);

  Dxf mesh;  // a polyface mesh, whose faces are no vertices, and paper space
  mesh.entity("POLYLINE", "M").at(10, 0, 0, 0).g(70, 64.0);
  mesh.entity("VERTEX", "M").at(10, 5, 5, 1).g(70, 192.0);
  mesh.entity("VERTEX", "M").at(10, 0, 0, 0).g(70, 128.0).g(71, 1.0);
  mesh.entity("SEQEND", "M").entity("LINE", "FRAME").g(67, 1.0).at(10, 0, 0).at(11, 420, 297);
  read(mesh.text(), {0.5, false});
  EXPECT_EQ(d.x, (std::vector<double>{2.5}));
  EXPECT_EQ(d.z, (std::vector<float>{0.5f}));
  EXPECT_EQ(d.skipped, 1);

  // A HATCH edge path: two lines and a half circle, with a seed point.
  Dxf h;
  h.entity("HATCH", "H").at(10, 0, 0, 0).g(2, "ANSI31").g(70, 0.0).g(91, 1.0).g(92, 1.0).g(93, 3.0);
  h.g(72, 1.0).g(10, 20.0).g(20, 0.0).g(11, 30.0).g(21, 0.0);
  h.g(72, 2.0).g(10, 25.0).g(20, 0.0).g(40, 5.0).g(50, 0.0).g(51, 180.0).g(73, 1.0);
  h.g(72, 1.0).g(10, 20.0).g(20, 0.0).g(11, 20.0).g(21, 0.0);
  h.g(97, 0.0).g(75, 1.0).g(98, 1.0).g(10, 25.0).g(20, 2.0);
  read(h.text());
  // The arc from (30,0) over the top to (20,0): round(pi * 3) = 9 vertices,
  // the first of them on the line's end; the path closes on its first vertex.
  ASSERT_EQ(d.x.size(), 2u + 8);
  EXPECT_EQ(d.x[1], 30.0);
  EXPECT_NEAR(d.y[5], 5.0, 1e-9);
  EXPECT_EQ(d.x[9], 20.0);  // and the seed point is no vertex
  const std::string records = Dxf().point(1, 1).point(2, 2, 0, "0").raw() +
                              "  0\nPOINT\n 10\n4.0\n 20\n4.0\n 30\n0.0\n";  // no group 8: layer "0"
  read("  0\nSECTION\n  2\nENTITIES\n" + records + "  0\nENDSEC\n  0\nEOF\n", {}, {"0"});
  EXPECT_EQ(d.x, (std::vector<double>{1}));

  Dxf many;
  for (int i = 1; i <= 201; ++i) many.point(i, i, 0, "L" + std::to_string(i));
  read(many.text());
  EXPECT_EQ(d.x.size(), 200u);
  EXPECT_NE(log().find(" more than 200 layers: the others are ignored\n"), std::string::npos);
  read(Dxf().line(0, 0, 1, 0).line(1, 0, 2, 0).point(9, 9).text(), {}, {}, 2);
  EXPECT_EQ(d.x.size(), 2u);
  EXPECT_EQ(d.refused, 2);
  read(Dxf().point(1e300, 1).point(5, 6).text(), {1e10, false});
  EXPECT_EQ(d.x, (std::vector<double>{5e10}));
  EXPECT_EQ(d.invalid, 1);

  std::string cut = "  0\nSECTION\n  2\nENTITIES\n" + Dxf().point(5, 5).line(0, 0, 1, 1).raw();
  ASSERT_TRUE(read(cut.substr(0, cut.size() - 12)).ok);  // ends inside the line's end point
  EXPECT_EQ(d.x.size(), 1u);
  EXPECT_TRUE(d.truncated);

  FileResult r = read("  0\nSECTION\n  2\nENTITIES\n  0\nPOINT\n  8\nP\n 10\nabc\n 20\n1.0\n  0\nEOF\n");
  EXPECT_EQ(r.message, "not a number at line 10 of d.dxf");
  EXPECT_FALSE(read("  0\nPOINT\n 10\nnan\n  0\nEOF\n").ok);
  // Flags, counts and edge types beyond the integer range (found by fuzz_dxf).
  r = read(Dxf().entity("HATCH", "H").g(91, "1").g(92, "2.88889e+31").text());
  EXPECT_EQ(r.message, "not a number at line 12 of d.dxf");
  EXPECT_FALSE(read(Dxf().entity("LWPOLYLINE", "B").g(70, "-3e9").at(10, 0, 0).text()).ok);
  EXPECT_FALSE(read(Dxf().entity("HATCH", "H").g(91, "1").g(92, "1").g(93, "1").g(72, "1e20").text()).ok);

  ASSERT_TRUE(read("  0\r\nSECTION\r\nxx\r\nskipped\r\n  0\r\nPOINT\r\n  8\r\nP\r\n 10\r\n3.5\r\n 20\r\n4.5\r\n"
                   " 30\r\n5.5\r\n  0\r\nEOF\r\n")
                  .ok);
  EXPECT_EQ(d.x, (std::vector<double>{3.5}));  // odd code lines skipped, Windows line ends read
  EXPECT_EQ(out, "unknown codes:\n  SECTION                         (1)\n");
}

// ---- Drawings of a real writer ----------------------------------------------------

struct V3 {
  double x = 0, y = 0, z = 0;
};

struct ExpectEntity {
  std::string where, layer, type;
  std::vector<V3> v;
  bool closed = false;
  double radius = 0, a0 = 0, a1 = 0;
};

struct Expect {
  std::vector<std::string> layers;
  std::vector<std::pair<std::string, int>> unknown;
  std::vector<ExpectEntity> entities;
};

// The facts of a .expect file that the reader's answer depends on.
Expect read_expect(const fs::path& path) {
  Expect e;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    std::istringstream s(line);
    std::string key, rest;
    int n = 0;
    s >> key;
    ExpectEntity* last = e.entities.empty() ? nullptr : &e.entities.back();
    if (key == "layer") {
      s >> n;
      std::getline(s, rest);
      e.layers.push_back(rest.empty() ? rest : rest.substr(1));
    } else if (key == "unknown") {
      s >> rest >> n;
      e.unknown.emplace_back(rest, n);
    } else if (key == "entity") {
      ExpectEntity x;
      s >> n >> x.where >> x.layer >> x.type;
      e.entities.push_back(x);
    } else if (key == "v") {
      V3 p;
      s >> p.x >> p.y >> p.z;
      last->v.push_back(p);
    } else if (key == "closed") {
      s >> n;
      last->closed = n == 1;
    } else if (key == "radius") {
      s >> last->radius;
    } else if (key == "angles") {
      s >> last->a0 >> last->a1;
    }
  }
  return e;
}

struct Vertex {
  V3 p;
  int kind = 0;
};

// What the reader should give for the model-space entities of the chosen
// layers, built from ezdxf's description with the reader's rules.
std::vector<Vertex> expected_vertices(const Expect& e, const std::set<std::string>& off, bool circles) {
  std::vector<Vertex> out;
  std::ptrdiff_t line_end = -2;
  auto chain = [&](std::vector<V3> v, bool closed) {
    if (closed && v.size() >= 2 && (v.front().x != v.back().x || v.front().y != v.back().y)) v.push_back(v.front());
    for (std::size_t i = 0; i < v.size(); ++i) out.push_back({v[i], i == 0 ? 2 : 3});
  };
  auto arc = [&](V3 c, double r, double a0, double sweep, int n) {
    std::vector<V3> v;
    for (int k = 0; k < n; ++k) {
      double a = a0 + sweep * k / (n - 1);
      v.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a), c.z});
    }
    chain(v, false);
  };
  for (const ExpectEntity& x : e.entities) {
    if (x.where != "model" || off.count(x.layer)) continue;
    const std::string& t = x.type;
    if (t == "POINT" || t == "INSERT" || t == "MTEXT") {
      out.push_back({x.v[0], 1});
    } else if (t == "LINE") {
      const V3& a = x.v[0];
      bool touch = false;
      if (line_end == std::ptrdiff_t(out.size()) - 1) {
        double dx = a.x - out.back().p.x, dy = a.y - out.back().p.y;
        touch = dx * dx + dy * dy < 0.001;
      }
      if (!touch) out.push_back({a, 2});
      out.push_back({x.v[1], 3});
      line_end = std::ptrdiff_t(out.size()) - 1;
    } else if (t == "POLYLINE" || t == "LWPOLYLINE" || t == "HATCH") {
      chain(x.v, x.closed);
    } else if (t == "CIRCLE" && circles) {
      arc(x.v[0], x.radius, 0.0, 2 * kPi, 40);
    } else if (t == "ARC") {
      double a0 = x.a0 * kPi / 180, a1 = x.a1 * kPi / 180;
      double sweep = a1 - a0 < 0 ? a1 - a0 + 2 * kPi : a1 - a0;
      arc(x.v[0], x.radius, a0, sweep, std::max(2, int(std::lround(sweep * 3))));
    } else if (t == "3DFACE") {
      std::vector<V3> v{x.v[0], x.v[1], x.v[2]};
      if (x.v[3].x != x.v[2].x || x.v[3].y != x.v[2].y) v.push_back(x.v[3]);
      chain(v, true);
    }
  }
  return out;
}

// Drawings written by a real DXF writer (ezdxf, through tests/data/make_dxf.py)
// in R12 and R2000: the reader's vertices and kinds against what ezdxf reads
// back from the same files. The expected vertices are built from ezdxf's
// entities with the reader's rules, a second route to the same answer.
class DxfDrawingTest : public DxfTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    DxfTest::SetUp();
    auto r = korvel::testing::run_program(
        {"/usr/bin/python3", korvel::testing::source_path("tests/data/make_dxf.py").string(), tmp().string()});
    ASSERT_EQ(r.status, 0) << "make_dxf.py (needs python3-ezdxf) failed";
    text = korvel::testing::read_file(std::string(GetParam()) + ".dxf");
    expect = read_expect(tmp() / (std::string(GetParam()) + ".expect"));
    ASSERT_FALSE(expect.entities.empty());
  }
  // Reads the drawing with circles, every layer but those in `off`, and
  // compares it with the expected vertices: positions and kinds.
  void check(const std::set<std::string>& off) {
    ASSERT_TRUE(read(text, {1.0, true}, off).ok);
    const std::vector<Vertex> want = expected_vertices(expect, off, true);
    ASSERT_EQ(d.x.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
      EXPECT_NEAR(d.x[i], want[i].p.x, 1e-6) << "vertex " << i;
      EXPECT_NEAR(d.y[i], want[i].p.y, 1e-6) << "vertex " << i;
      EXPECT_NEAR(d.z[i], want[i].p.z, 1e-4) << "vertex " << i;
      EXPECT_EQ(d.kind[i], want[i].kind) << "vertex " << i;
    }
  }
  std::string text;
  Expect expect;
};

TEST_P(DxfDrawingTest, WhatTheWriterDrewOnTheChosenLayers) {
  check({"POINTS", "LINES", "OUTLINES"});
  check({});
  std::vector<std::string> layers;
  for (const DxfLayer& l : d.layers) layers.push_back(l.name);
  EXPECT_EQ(layers, expect.layers);
  // The unknown names with their counts, in order of first use.
  std::string list = "unknown codes:\n";
  for (const auto& [n, c] : expect.unknown) list += "  " + sketra::fmt_a(n, 32) + "(" + std::to_string(c) + ")\n";
  EXPECT_NE(out.find(list), std::string::npos) << out;
  EXPECT_EQ(out.find("unkown layer"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Versions, DxfDrawingTest, ::testing::Values("r12", "r2000"));


// A file that is no readable drawing is a failed load, not "found 0 points".
TEST_F(LoadCaseTest, DxfFilesThatAreNoDrawingAreRejected) {
  std::string noise;
  for (int i = 0; i < 600; ++i) noise += char((i * 37 + 11) % 251 + 1);
  const std::string header = "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n  0\nENDSEC\n";
  const std::vector<std::string> answers = {"D", "D"};
  const LoadCase cases[] = {
      {"an empty drawing", {{"e.dxf", Dxf().text()}}, 2, {}, "", answers},
      {"random bytes", {{"r.dxf", noise}}, kRejected, {}, "not a readable DXF file: r.dxf", answers},
      {"cut before its entities", {{"c.dxf", header}}, kRejected, {}, "not a readable DXF file: c.dxf", answers},
  };
  for (const LoadCase& c : cases) run(c);
}

}  // namespace
