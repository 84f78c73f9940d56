// Full redraw of the grid contour viewer through the X11 driver: the
// control loop draws once (IN15GR = 1): axes, the cells filled by value
// classes, contour lines with dashed mid-levels, and the legend, into the
// off-screen pixmap, and shows it. The timing ends with a round trip, so it
// includes the X server's work. Run under Xvfb (scripts/run-benchmarks.sh).
//
// The grid is a valley with a winding channel, gentle hills and a little
// roughness, n x n nodes over 1200 m x 900 m, so that it fills the plot
// frame. The second argument switches the screen's short cuts off (every
// cell filled on its own, as in hard copies) for comparison. Reported
// counters:
//   cells      cells of the grid
//   requests   X requests per redraw

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "sketra/base/fatal.h"
#include "sketra/control/control.h"
#include "sketra/control/settings.h"
#include "sketra/kernel/plot.h"
#include "sketra/library.h"
#include "sketra/modes/common/classes.h"
#include "sketra/modes/grid/grid_viewer.h"
#include "sketra/ui/dialogs.h"
#include "sketra/x11/x11_driver.h"

namespace {

struct Terrain {
  std::vector<float> x, y, v;
};

Terrain make_terrain(int n) {
  Terrain t;
  const float dx = 1200.0f / float(n - 1), dy = 900.0f / float(n - 1);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const float x = float(i) * dx, y = float(j) * dy;
      const float axis = 450 + 120 * std::sin(x / 160);
      const float channel = -8 * std::exp(-std::pow((y - axis) / 35, 2.0f));
      const float hills = 18 * std::sin(x / 310) * std::cos(y / 230) + 0.02f * std::fabs(y - axis);
      const float rough = 0.25f * std::sin(x / 6.3f) * std::sin(y / 8.9f);
      t.x.push_back(x), t.y.push_back(y), t.v.push_back(430 + channel + hills + rough);
    }
  return t;
}

void BM_ContourRedraw(benchmark::State& state) {
  const int n = int(state.range(0));
  Terrain t = make_terrain(n);
  auto d = sketra::x11::make_driver();
  auto* x = d.get();
  auto previous = sketra::set_driver(std::move(d));
  try {
    sketra::reset_library();  // a first start and a first entry: the loop derives the scales
    sketra::grinit(5, 6, "contour-bench", false);
    sketra::grmode(2);
  } catch (const sketra::FatalError& e) {
    sketra::set_driver(std::move(previous));
    state.SkipWithError(e.what());
    return;
  }
  sketra::set_dialog_ui(nullptr);
  sketra::set_contour_lines(true);
  sketra::grcnt.short_cuts = state.range(1) != 0;
  sketra::grcomn.in[14] = 1;  // draw once and return
  sketra::grcomn.in[7] = 1;   // keep the window open between rounds
  std::vector<float> levels;
  int word = sketra::kContourFill + sketra::kContourClasses;
  sketra::PlotTitles titles{"Valley", "Level [m]", "[m]", "[m]"};
  double requests = 0;
  for (auto _ : state) {
    const unsigned long before = x->request_count();
    sketra::grcont(t.x, t.y, t.v, n, n, n, titles, levels, 0, word, -9999.0f);
    x->sync();
    requests += double(x->request_count() - before);
  }
  state.counters["cells"] = double(n - 1) * double(n - 1);
  state.counters["requests"] = requests / double(state.iterations());
  sketra::grcnt.short_cuts = true;
  sketra::grmode(0);
  sketra::set_driver(std::move(previous));
}

BENCHMARK(BM_ContourRedraw)->Args({250, 1})->Args({1000, 1})->Args({250, 0})->Args({1000, 0})->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
