// Bitmap backgrounds and long profiles:
//   - a 10,000 x 10,000 PGM behind a view of the whole image, of a tenth
//     of it and of a panned tenth, redrawn through the X11 driver (into the
//     pixmap, flipped, timed to a round trip; run under Xvfb), side by side
//     with filling every sampled cell on its own (grfilp), the way a
//     straightforward replay would;
//   - Origine on two profiles of 100,000 stations (binary search in the
//     reference line), side by side with grint0's scan for every station.
// Targets: a redraw in at most 0.5 s, Origine in at most 0.2 s.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "sketra/base/fatal.h"
#include "sketra/kernel/bitmap.h"
#include "sketra/kernel/colours.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/section/section_viewer.h"
#include "sketra/x11/x11_driver.h"

namespace {

constexpr int kSide = 10'000;

// A grey landscape of 10,000 x 10,000 pixels with a grain of noise (so that
// neighbouring cells seldom share a grey), one unit each, its upper-left
// pixel at (0, 10000).
void load_image() {
  using namespace sketra;
  bitmap_store_reset();
  grbmps.pixels.resize(std::size_t(kSide) * kSide);
  for (int j = 0; j < kSide; ++j)
    for (int i = 0; i < kSide; ++i)
      grbmps.pixels[std::size_t(j) * kSide + std::size_t(i)] =
          std::uint8_t(std::clamp(127.5 + 100 * std::sin(i * 0.003) * std::cos(j * 0.002) +
                                      double((unsigned(i) * 2654435761u ^ unsigned(j) * 40503u) % 56) - 28,
                                  0.0, 255.0));
  Bitmap b;
  b.width = b.height = kSide;
  b.maxval = 255;
  b.type = kBitmapPgm;
  b.geo = {0, double(kSide), 1, 1};
  grbmps.table = {b};
}

sketra::x11::X11Driver* open_window(std::unique_ptr<sketra::Driver>& previous) {
  auto d = sketra::x11::make_driver();
  auto* x = d.get();
  previous = sketra::set_driver(std::move(d));
  sketra::reset_plot_state();
  sketra::grcomt.progname = sketra::fixed_width("sketra-bench", 20);
  sketra::grmode(2);
  return x;
}

void view(double x0, double x1, double y0, double y1) {
  auto& c = sketra::grcomn;
  sketra::grsset(x0, x1, y0, y1);
  c.xmncgr = x0, c.xmxcgr = x1, c.ymncgr = y0, c.ymxcgr = y1;
  sketra::grsfac();
}

// The same cells, each filled on its own.
void cell_by_cell() {
  using namespace sketra;
  const PlotState& c = grcomn;
  const Bitmap& b = grbmps.table[0];
  const double span = std::min(c.xmaxgr - c.xmingr, c.ymaxgr - c.ymingr);
  const int k = int(std::clamp(std::floor(span / 800) + 1, 1.0, 100.0));
  const int mode = c.colour.mode;
  grcomn.colour.mode = 1;
  for (int j = 0; j < b.height; j += k) {
    const double y = b.geo.y0 - j;
    if (y + k / 2.0 < c.ymingr || y - k / 2.0 > c.ymaxgr) continue;
    for (int i = 0; i < b.width; i += k) {
      const double x = b.geo.x0 + i;
      if (x + k / 2.0 < c.xmingr || x - k / 2.0 > c.xmaxgr) continue;
      const int g = grey_level(grbmps.pixels[std::size_t(j) * std::size_t(b.width) + std::size_t(i)], 255);
      if (g > 0) grfilp(float(x - k / 2.0), float(y - k / 2.0), float(k), float(k), g);
    }
  }
  grcomn.colour.mode = mode;
}

void redraw(benchmark::State& state, bool batched) {
  static const bool loaded = (load_image(), true);
  (void)loaded;
  std::unique_ptr<sketra::Driver> previous;
  sketra::x11::X11Driver* x = nullptr;
  try {
    x = open_window(previous);
  } catch (const sketra::FatalError& e) {
    state.SkipWithError(e.what());
    return;
  }
  const double part = double(state.range(0)) / 10.0, shift = double(state.range(1));
  view(shift, shift + kSide * part, shift, shift + kSide * part);
  for (auto _ : state) {
    sketra::grcler(1);
    if (batched) sketra::draw_bitmaps(sketra::kBitmapBackground);
    else cell_by_cell();
    sketra::grflip();
    x->sync();
  }
  sketra::grmode(0);
  sketra::set_driver(std::move(previous));
}

void BM_BitmapRedrawBatched(benchmark::State& state) { redraw(state, true); }
void BM_BitmapRedrawCellByCell(benchmark::State& state) { redraw(state, false); }

// Arguments: the view's share of the image in tenths, and its offset.
BENCHMARK(BM_BitmapRedrawBatched)->Args({10, 0})->Args({1, 4000})->Args({1, 4037})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BitmapRedrawCellByCell)->Args({10, 0})->Args({1, 4000})->Unit(benchmark::kMillisecond)->UseRealTime();

// Two profiles of 100,000 stations; the second made relative to the first.
struct Profiles {
  std::vector<int> style{1, 1}, symbol{0, 0}, count{100'000, 100'000};
  std::vector<float> x, y;
  Profiles() {
    for (int k = 0; k < 2; ++k)
      for (int i = 0; i < 100'000; ++i) {
        x.push_back(float(i) * 2.5f + float(k));
        y.push_back(420.0f + std::sin(float(i) * 0.001f) * 5.0f + float(k));
      }
  }
};

void BM_OrigineOnLongProfiles(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    Profiles p;
    const sketra::SectionLines l{p.style, p.symbol, p.count, p.x, p.y, p.y};
    state.ResumeTiming();
    sketra::make_relative(l, 1);
    benchmark::DoNotOptimize(p.y.data());
  }
}
BENCHMARK(BM_OrigineOnLongProfiles)->Unit(benchmark::kMillisecond);

void BM_OrigineByScan(benchmark::State& state) {
  Profiles p;
  const std::span<const float> t(p.x.data(), 100'000), v(p.y.data(), 100'000);
  // A tenth of the stations, scaled up in the report (the whole would take
  // minutes).
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    double sum = 0;
    for (std::size_t i = 100'000; i < 200'000; i += 10) sum += sketra::grint0(t, v, p.x[i]).value;
    benchmark::DoNotOptimize(sum);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  state.counters["whole_profile_s"] = 10 * seconds / double(state.iterations());
}
BENCHMARK(BM_OrigineByScan)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
