// Drawing speed through the X11 driver: 1,000,000 markers and 1,000,000
// line segments drawn into the off-screen pixmap and flipped, including the
// time the X server needs to draw them (the timing ends with a round trip).
// Run under Xvfb (scripts/run-benchmarks.sh). Reported counters:
//   requests_per_1000  X requests per thousand primitives
//   primitives         markers + segments per iteration

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "sketra/base/fatal.h"
#include "sketra/kernel/plot.h"
#include "sketra/x11/x11_driver.h"

namespace {

constexpr int kMarkers = 1'000'000;
constexpr int kSegments = 1'000'000;

struct Scene {
  std::vector<float> mx, my;  // marker positions
  std::vector<float> lx, ly;  // a random walk: kSegments + 1 points
};

Scene make_scene() {
  Scene s;
  std::mt19937 gen(7);
  std::uniform_real_distribution<float> pos(0, 1000), step(-6, 6);
  for (int i = 0; i < kMarkers; ++i) {
    s.mx.push_back(pos(gen));
    s.my.push_back(pos(gen));
  }
  float x = 500, y = 500;
  for (int i = 0; i <= kSegments; ++i) {
    x = std::clamp(x + step(gen), 0.0f, 1000.0f);
    y = std::clamp(y + step(gen), 0.0f, 1000.0f);
    s.lx.push_back(x);
    s.ly.push_back(y);
  }
  return s;
}

// Opens the window on a 0 ... 1000 world and returns the driver.
sketra::x11::X11Driver* open_window(std::unique_ptr<sketra::Driver>& previous) {
  auto d = sketra::x11::make_driver();
  auto* x = d.get();
  previous = sketra::set_driver(std::move(d));
  sketra::reset_plot_state();
  sketra::grcomt.progname = sketra::fixed_width("sketra-bench", 20);
  sketra::grmode(2);
  sketra::grsset(0, 1000, 0, 1000);
  auto& c = sketra::grcomn;
  c.xmncgr = c.ymncgr = 0;
  c.xmxcgr = c.ymxcgr = 1000;
  sketra::grsfac();
  return x;
}

void draw_scene(const Scene& s) {
  sketra::grcler(1);
  // Markers grouped by colour, as point sets coloured by their codes are.
  for (int i = 0; i < kMarkers; ++i) {
    sketra::grmov2(s.mx[size_t(i)], s.my[size_t(i)]);
    sketra::grsymb(100 * (1 + (i / 1000) % 20) + 2);
  }
  sketra::grcolr(0);
  sketra::grmov2(s.lx[0], s.ly[0]);
  for (int i = 1; i <= kSegments; ++i) sketra::grdrw2(s.lx[size_t(i)], s.ly[size_t(i)]);
  sketra::grflip();
}

void BM_MillionMarkersAndSegments(benchmark::State& state) {
  static const Scene scene = make_scene();
  std::unique_ptr<sketra::Driver> previous;
  sketra::x11::X11Driver* x = nullptr;
  try {
    x = open_window(previous);
  } catch (const sketra::FatalError& e) {
    state.SkipWithError(e.what());
    return;
  }
  double requests = 0;
  for (auto _ : state) {
    const unsigned long before = x->request_count();
    draw_scene(scene);
    x->sync();
    requests += double(x->request_count() - before);
  }
  state.counters["primitives"] = kMarkers + kSegments;
  state.counters["requests_per_1000"] =
      requests / double(state.iterations()) / ((kMarkers + kSegments) / 1000.0);
  sketra::grmode(0);
  sketra::set_driver(std::move(previous));
}

BENCHMARK(BM_MillionMarkersAndSegments)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The least favourable case for the polyline buffer: every segment is a
// move and a draw of its own, so each becomes one request.
void BM_MillionSeparateSegments(benchmark::State& state) {
  static const Scene scene = make_scene();
  std::unique_ptr<sketra::Driver> previous;
  sketra::x11::X11Driver* x = nullptr;
  try {
    x = open_window(previous);
  } catch (const sketra::FatalError& e) {
    state.SkipWithError(e.what());
    return;
  }
  double requests = 0;
  for (auto _ : state) {
    const unsigned long before = x->request_count();
    sketra::grcler(1);
    for (int i = 0; i < kSegments; ++i) {
      sketra::grmov2(scene.mx[size_t(i)], scene.my[size_t(i)]);
      sketra::grdrw2(scene.lx[size_t(i)], scene.ly[size_t(i)]);
    }
    sketra::grflip();
    x->sync();
    requests += double(x->request_count() - before);
  }
  state.counters["requests_per_1000"] = requests / double(state.iterations()) / (kSegments / 1000.0);
  sketra::grmode(0);
  sketra::set_driver(std::move(previous));
}

BENCHMARK(BM_MillionSeparateSegments)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
