// The point and line editor on a full survey: 2,000,000 points and 500,000
// edges (50,000 breaklines of ten edges each, wandering through the
// points), with a third of the points close to another one. Each
// operation runs on a fresh copy of the store: Filter Nodes (0.1 m),
// Weed (0.1 m / 0.01 m), Buffer (1 m), Join, Cut Inside with a polygon of
// 24 corners, and the full redraw of the editor's view through the X11
// driver (run under Xvfb, scripts/run-benchmarks.sh); the hull at the
// smooth level is checked against its plain scans on 20,000 points. Targets: every
// operation at most 2 s, the redraw at most 1 s.

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "sketra/base/fatal.h"
#include "sketra/control/control.h"
#include "sketra/control/settings.h"
#include "sketra/kernel/plot.h"
#include "sketra/library.h"
#include "sketra/modes/editor/editor_viewer.h"
#include "sketra/ui/dialogs.h"
#include "sketra/x11/x11_driver.h"

namespace {

struct Store {
  std::vector<float> x, y, z;
  std::vector<std::int32_t> code;
  std::vector<korvel::Edge> seg;
};

Store make_store(int points, int chains) {
  Store s;
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> u(0, 10000), near(-0.2f, 0.2f), step(-20, 20);
  for (int i = 0; i < points; ++i) {
    const bool close = i > 0 && i % 3 == 0;
    const std::size_t k = std::size_t(rng() % unsigned(i > 0 ? i : 1));
    const float x = close ? s.x[k] + near(rng) : u(rng), y = close ? s.y[k] + near(rng) : u(rng);
    s.x.push_back(x), s.y.push_back(y), s.z.push_back(400 + 0.01f * x), s.code.push_back(101);
  }
  // Breaklines: chains of ten edges between points of a random walk,
  // stored as new points so that the chains are straight-ish lines.
  for (int c = 0; c < chains; ++c) {
    float x = u(rng), y = u(rng);
    for (int k = 0; k <= 10; ++k) {
      s.x.push_back(x), s.y.push_back(y), s.z.push_back(400), s.code.push_back(101);
      const auto n = std::int32_t(s.x.size());
      if (k > 0) s.seg.push_back({n - 1, n});
      x += 10 + step(rng) * 0.05f, y += step(rng) * 0.02f;
    }
  }
  sketra::grclne(s.code, s.seg);
  return s;
}

const Store& survey() {
  static const Store s = make_store(2000000 - 50000 * 11, 50000);
  return s;
}

template <class Op>
void run(benchmark::State& state, const Store& base, Op op) {
  sketra::reset_library();
  sketra::set_dialog_ui(nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    Store s = base;
    sketra::EditData d{s.x, s.y, s.z, s.code, s.seg, 19600000, 10300000};
    state.ResumeTiming();
    op(d);
  }
  state.counters["points"] = double(base.x.size());
  state.counters["edges"] = double(base.seg.size());
}

void BM_Nodes(benchmark::State& st) { run(st, survey(), [](auto& d) { sketra::filter_nodes(d, 0.1f, sketra::NodeValue::first); }); }
void BM_Weed(benchmark::State& st) { run(st, survey(), [](auto& d) { sketra::filter_weed(d, 0.1f, 0.01f); }); }
void BM_Buffer(benchmark::State& st) { run(st, survey(), [](auto& d) { sketra::filter_buffer(d, 1.0f); }); }
void BM_Join(benchmark::State& st) { run(st, survey(), [](auto& d) { sketra::filter_join(d); }); }

void BM_CutInside(benchmark::State& st) {
  sketra::Polygon p;
  for (int k = 0; k < 24; ++k) {
    const double a = 2 * std::numbers::pi * k / 24;
    p.x.push_back(float(5000 + 3000 * std::cos(a) * (k % 2 ? 0.7 : 1.0)));
    p.y.push_back(float(5000 + 3000 * std::sin(a)));
  }
  p.box = sketra::polygon_box(p.x, p.y);
  run(st, survey(), [&p](auto& d) { sketra::cut_by_polygon(d, p, true); });
}

void BM_Hull(benchmark::State& st) { run(st, survey(), [](auto& d) { sketra::concave_hull(d, 0); }); }

// The plain scans on 20,000 points give the same hull.
void BM_HullPlainAgrees(benchmark::State& st) {
  static const Store small = make_store(20000, 0);
  for (auto _ : st) {
    Store a = small, b = small;
    sketra::EditData da{a.x, a.y, a.z, a.code, a.seg, 19600000, 10300000};
    sketra::EditData db{b.x, b.y, b.z, b.code, b.seg, 19600000, 10300000};
    sketra::concave_hull(da, 0);
    sketra::concave_hull(db, 0, true);
    if (a.seg != b.seg || a.code != b.code) st.SkipWithError("the hull differs from the plain scan's");
  }
}

void BM_Redraw(benchmark::State& state) {
  Store s = survey();
  auto drv = sketra::x11::make_driver();
  auto* x = drv.get();
  auto previous = sketra::set_driver(std::move(drv));
  try {
    sketra::reset_library();
    sketra::grinit(5, 6, "editor-bench", false);
    sketra::grmode(2);
  } catch (const sketra::FatalError& e) {
    sketra::set_driver(std::move(previous));
    state.SkipWithError(e.what());
    return;
  }
  sketra::set_dialog_ui(nullptr);
  sketra::grcomn.in[14] = 1;  // draw once and return
  sketra::grcomn.in[7] = 1;   // keep the window open between rounds
  sketra::EditData d{s.x, s.y, s.z, s.code, s.seg, 19600000, 10300000};
  sketra::PlotTitles titles{"Survey", "Unstructured", "[m]", "[m]"};
  for (auto _ : state) {
    sketra::gredit(d, titles);
    x->sync();
  }
  sketra::grmode(0);
  sketra::set_driver(std::move(previous));
}

BENCHMARK(BM_Nodes)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Weed)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Buffer)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Join)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CutInside)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Hull)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_HullPlainAgrees)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Redraw)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
