// DXF drawings written by a real DXF writer (ezdxf, through
// tests/data/make_dxf.py) in R12 and R2000: the reader's vertices and
// vertex kinds against what ezdxf reads back from the same files. The expected
// vertices are built here from ezdxf's entities with the reader's rules, a
// second route to the same answer.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <set>
#include <sstream>

#include "app/formats/dxf.h"
#include "sketra/base/textfmt.h"
#include "support/format_fixture.h"
#include "support/run_program.h"

namespace {

using namespace korvel;
namespace fs = std::filesystem;

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
      arc(x.v[0], x.radius, 0.0, 2 * std::numbers::pi, 40);
    } else if (t == "ARC") {
      double a0 = x.a0 * std::numbers::pi / 180, a1 = x.a1 * std::numbers::pi / 180;
      double sweep = a1 - a0 < 0 ? a1 - a0 + 2 * std::numbers::pi : a1 - a0;
      arc(x.v[0], x.radius, a0, sweep, std::max(2, int(std::lround(sweep * 3))));
    } else if (t == "3DFACE") {
      std::vector<V3> v{x.v[0], x.v[1], x.v[2]};
      if (x.v[3].x != x.v[2].x || x.v[3].y != x.v[2].y) v.push_back(x.v[3]);
      chain(v, true);
    }
  }
  return out;
}

class DxfDrawingTest : public korvel::testing::FormatTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    FormatTest::SetUp();
    auto r = korvel::testing::run_program(
        {"/usr/bin/python3", korvel::testing::source_path("tests/data/make_dxf.py").string(), tmp().string()});
    ASSERT_EQ(r.status, 0) << "make_dxf.py (needs python3-ezdxf) failed";
    name = std::string(GetParam()) + ".dxf";
    expect = read_expect(tmp() / (std::string(GetParam()) + ".expect"));
    ASSERT_FALSE(expect.entities.empty());
  }

  // Reads the drawing with circles, every layer but those in `off`.
  void read(const std::set<std::string>& off) {
    sketra::LineReader r;
    ASSERT_TRUE(r.open(name));
    ::testing::internal::CaptureStdout();
    read_dxf_layers(r, 1000, kLog, quiet, d);
    for (DxfLayer& l : d.layers) l.chosen = !off.count(l.name);
    FileResult res = read_dxf_entities(r, name, 1000, kMaxDxfVertices, {1.0, true}, kLog, quiet, d);
    out = ::testing::internal::GetCapturedStdout();
    ASSERT_TRUE(res.ok) << res.message;
  }

  // Compares the drawing with the expected vertices: positions and kinds.
  void check(const std::vector<Vertex>& want) {
    ASSERT_EQ(d.x.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
      EXPECT_NEAR(d.x[i], want[i].p.x, 1e-6) << "vertex " << i;
      EXPECT_NEAR(d.y[i], want[i].p.y, 1e-6) << "vertex " << i;
      EXPECT_NEAR(d.z[i], want[i].p.z, 1e-4) << "vertex " << i;
      EXPECT_EQ(d.kind[i], want[i].kind) << "vertex " << i;
    }
  }

  std::string name, out;
  Expect expect;
  DxfDrawing d;
};

TEST_P(DxfDrawingTest, WhatTheWriterDrewOnTheChosenLayers) {
  const std::set<std::string> off{"POINTS", "LINES", "OUTLINES"};
  read(off);
  check(expected_vertices(expect, off, true));
  d = DxfDrawing{};
  read({});
  check(expected_vertices(expect, {}, true));
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

}  // namespace
