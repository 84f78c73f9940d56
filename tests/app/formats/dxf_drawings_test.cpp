// DXF drawings written by a real DXF writer (ezdxf, through
// tests/data/make_dxf.py) in R12 and R2000: korvel's points, vertex kinds
// and edges against what ezdxf reads back from the same files. The expected
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

#include "sketra/base/textfmt.h"
#include "support/app_fixture.h"
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
  double elevation = 0, radius = 0, a0 = 0, a1 = 0;
};

struct Expect {
  std::vector<std::string> layers;
  std::vector<std::pair<std::string, int>> unknown;
  std::vector<ExpectEntity> entities;
};

Expect read_expect(const fs::path& path) {
  Expect e;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    std::string key;
    s >> key;
    if (key == "layer") {
      int n = 0;
      s >> n;
      std::string rest;
      std::getline(s, rest);
      e.layers.push_back(rest.empty() ? rest : rest.substr(1));
    } else if (key == "unknown") {
      std::string name;
      int n = 0;
      s >> name >> n;
      e.unknown.emplace_back(name, n);
    } else if (key == "entity") {
      ExpectEntity x;
      int seq = 0, nv = 0;
      s >> seq >> x.where >> x.layer >> x.type >> nv;
      e.entities.push_back(x);
    } else if (key == "v") {
      V3 p;
      s >> p.x >> p.y >> p.z;
      e.entities.back().v.push_back(p);
    } else if (key == "closed") {
      int c = 0;
      s >> c;
      e.entities.back().closed = c == 1;
    } else if (key == "elevation") {
      s >> e.entities.back().elevation;
    } else if (key == "radius") {
      s >> e.entities.back().radius;
    } else if (key == "angles") {
      s >> e.entities.back().a0 >> e.entities.back().a1;
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

// Answers the layer dialog by switching off the named layers; records the
// prompts it was shown.
class LayerUi : public sketra::DialogUi {
 public:
  std::set<std::string> off;
  std::vector<std::vector<std::string>> forms;
  void message(std::string_view) override {}
  bool prompt(std::string_view, std::string&) override { return false; }
  bool form(std::span<std::string> prompts, std::span<std::string> values) override {
    forms.emplace_back(prompts.begin(), prompts.end());
    for (std::size_t i = 0; i < prompts.size(); ++i)
      if (off.count(prompts[i])) values[i][0] = '_';
    if (forms.size() == 2) values[1][0] = '+';  // option dialog: circles on
    return true;
  }
  bool choose_file(std::string&, std::string&) override { return false; }
  void text_page(std::span<const std::string>) override {}
  void plate(std::span<const std::string>) override {}
  void beam(int, std::string_view) override {}
};

class DxfDrawingTest : public korvel::testing::AppTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    auto r = korvel::testing::run_program(
        {"/usr/bin/python3", korvel::testing::source_path("tests/data/make_dxf.py").string(), tmp().string()});
    ASSERT_EQ(r.status, 0) << "make_dxf.py (needs python3-ezdxf) failed";
    name = std::string(GetParam()) + ".dxf";
    expect = read_expect(tmp() / (std::string(GetParam()) + ".expect"));
    ASSERT_FALSE(expect.entities.empty());
  }
  void TearDown() override {
    sketra::set_dialog_ui(nullptr);
    AppTest::TearDown();
  }

  // Compares the store with the expected vertices: positions, kinds, edges.
  void check_store(const std::vector<Vertex>& want) {
    ASSERT_EQ(cin1.np, std::int32_t(want.size()));
    double xmin = 1e300, ymin = 1e300;
    for (const Vertex& v : want) {
      xmin = std::min(xmin, v.p.x);
      ymin = std::min(ymin, v.p.y);
    }
    EXPECT_EQ(cin1.xorig, double(float(xmin)));
    EXPECT_EQ(cin1.yorig, double(float(ymin)));
    std::vector<Edge> edges;
    for (std::size_t i = 0; i < want.size(); ++i) {
      const auto n = std::int32_t(i + 1);
      EXPECT_NEAR(ax(n), want[i].p.x, 1e-4) << "point " << n;
      EXPECT_NEAR(ay(n), want[i].p.y, 1e-4) << "point " << n;
      EXPECT_NEAR(z(n), want[i].p.z, 1e-4) << "point " << n;
      EXPECT_EQ(code(n), want[i].kind) << "point " << n;
      if (want[i].kind == 3) edges.push_back({n - 1, n});
    }
    EXPECT_EQ(cin.seg, edges);
    EXPECT_TRUE(store_consistent());
  }

  std::string name;
  Expect expect;
};

TEST_P(DxfDrawingTest, EveryLayerWithCirclesGivesWhatTheWriterDrew) {
  ::testing::internal::CaptureStdout();
  LoadOutcome r = load_file(name, kLoad, {"D", "2 x", "D"});
  std::string out = ::testing::internal::GetCapturedStdout();
  ASSERT_EQ(r, LoadOutcome::loaded);
  std::vector<Vertex> want = expected_vertices(expect, {}, true);
  check_store(want);
  EXPECT_EQ(sketra::dialogs.message_line, "found" + sketra::fmt_i(std::int64_t(want.size()), 10) + " points");

  // The unknown names with their counts, in order of first use.
  std::string list = "unknown codes:\n";
  for (const auto& [n, c] : expect.unknown) list += "  " + sketra::fmt_a(n, 32) + "(" + std::to_string(c) + ")\n";
  EXPECT_NE(out.find(list), std::string::npos) << out;
  EXPECT_EQ(out.find("unkown layer"), std::string::npos);
  EXPECT_TRUE(reader.lcircle);
}

TEST_P(DxfDrawingTest, LayerDialogListsTheLayersAndUnchosenOnesStayOut) {
  LayerUi ui;
  ui.off = {"POINTS", "LINES", "OUTLINES"};
  sketra::set_dialog_ui(&ui);
  ::testing::internal::CaptureStdout();
  LoadOutcome r = load_file(name, kLoad, {});
  ::testing::internal::GetCapturedStdout();
  ASSERT_EQ(r, LoadOutcome::loaded);
  ASSERT_EQ(ui.forms.size(), 2u);
  EXPECT_EQ(ui.forms[0], expect.layers);
  EXPECT_EQ(ui.forms[1], (std::vector<std::string>{"Scaling factor", "Plot Circle"}));
  check_store(expected_vertices(expect, ui.off, true));
}

TEST_P(DxfDrawingTest, AddedDrawingFollowsThePointsAndKeepsTheirOrigin) {
  load_text("a.xyz", "2601000.5 1199000.25 400\n");
  ::testing::internal::CaptureStdout();
  LoadOutcome r = load_file(name, kAdd, {"D", "D"});
  ::testing::internal::GetCapturedStdout();
  ASSERT_EQ(r, LoadOutcome::loaded);
  std::vector<Vertex> want = expected_vertices(expect, {}, false);
  ASSERT_EQ(cin1.np, std::int32_t(want.size()) + 1);
  EXPECT_EQ(cin1.xorig, 2601000.5);
  EXPECT_EQ(ax(1), 2601000.5);
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(ax(std::int32_t(i + 2)), want[i].p.x, 1e-3);
    EXPECT_NEAR(ay(std::int32_t(i + 2)), want[i].p.y, 1e-3);
  }
  for (const Edge& e : cin.seg) EXPECT_GE(e.a, 2);  // nothing joins the earlier point
}

INSTANTIATE_TEST_SUITE_P(Versions, DxfDrawingTest, ::testing::Values("r12", "r2000"));

}  // namespace
