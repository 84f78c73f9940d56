// The three gridding methods on 1,000,000 scattered points onto a grid of
// 1000 x 1000 nodes at 1 m over the same 1000 m x 1000 m (about one point
// per cell): inverse distance with a 2 m radius, plain and with quadrant
// search, nearest point and lowest point. The points are uniformly random
// in store order, so the nearest method's shortcuts rarely apply. Targets:
// inverse distance with quadrant search at most 5 s, nearest at most 3 s,
// lowest at most 1 s. bench/gridding_vs_gdal.sh compares whole runs of
// korvel with gdal_grid.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "app/gridding/gridding.h"

namespace {

using namespace korvel;

constexpr int kSide = 1000;
constexpr int kPoints = 1000000;

struct Cloud {
  std::vector<float> x, y, z;
};

const Cloud& cloud() {
  static const Cloud made = [] {
    Cloud c;
    std::mt19937 rng(2020);
    std::uniform_real_distribution<float> u(0.0f, float(kSide));
    std::uniform_real_distribution<float> noise(-0.2f, 0.2f);
    for (int k = 0; k < kPoints; ++k) {
      const float x = u(rng), y = u(rng);
      c.x.push_back(x);
      c.y.push_back(y);
      c.z.push_back(400 + 20 * std::sin(x / 150) * std::cos(y / 110) + noise(rng));
    }
    return c;
  }();
  return made;
}

const GridGeometry kGrid{0, 0, 1, 1, kSide, kSide, 0};

struct Columns {
  std::vector<float> gx = std::vector<float>(std::size_t(kSide) * kSide), gy = gx, gz = gx;
};

void BM_Inverse(benchmark::State& state) {
  const Cloud& c = cloud();
  Columns g;
  NoGridProgress quiet;
  const InverseOptions o{2.0f, state.range(0) != 0, -9999.0f};
  for (auto _ : state) gridinv(kGrid, {c.x, c.y, c.z}, o, g.gx, g.gy, g.gz, quiet);
  state.SetLabel(o.quadrants ? "quadrants, R 2 m" : "plain, R 2 m");
}
BENCHMARK(BM_Inverse)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Nearest(benchmark::State& state) {
  const Cloud& c = cloud();
  Columns g;
  grid_nodes(kGrid, g.gx, g.gy);
  NoGridProgress quiet;
  for (auto _ : state) gridnear(kSide, kSide, g.gx, g.gy, {c.x, c.y, c.z}, g.gz, -9999.0f, quiet);
}
BENCHMARK(BM_Nearest)->Unit(benchmark::kMillisecond)->Iterations(2);

// A river survey: the points in a band 200 m wide along the diagonal of a
// 10 km x 10 km box, the grid of 1000 x 1000 nodes at 10 m over the whole
// box, so that most nodes lie far from every point.
void BM_NearestBand(benchmark::State& state) {
  static const Cloud band = [] {
    Cloud c;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> along(0.0f, 10000.0f), across(-100.0f, 100.0f);
    for (int k = 0; k < kPoints; ++k) {
      const float t = along(rng), s = across(rng);
      c.x.push_back(t + s * 0.7071f);
      c.y.push_back(t - s * 0.7071f);
      c.z.push_back(400 + t / 100);
    }
    return c;
  }();
  const GridGeometry grid{0, 0, 10, 10, kSide, kSide, 0};
  Columns g;
  grid_nodes(grid, g.gx, g.gy);
  NoGridProgress quiet;
  for (auto _ : state) gridnear(kSide, kSide, g.gx, g.gy, {band.x, band.y, band.z}, g.gz, -9999.0f, quiet);
}
BENCHMARK(BM_NearestBand)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Lowest(benchmark::State& state) {
  const Cloud& c = cloud();
  Columns g;
  NoGridProgress quiet;
  std::int64_t written = 0;
  for (auto _ : state) gridlow(kGrid, {c.x, c.y, c.z}, g.gz, [&](float, float, float) { ++written; }, quiet);
  state.counters["written"] = double(written) / double(state.iterations());
}
BENCHMARK(BM_Lowest)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
