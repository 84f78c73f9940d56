// Inquire on surfaces of 2,000,000 triangles:
//   BM_VolumeInPolygon   Volume inside a polygon of 2000 vertices that covers
//                        about half of a 1001 x 1001-node surface
//                        (target: at most 1 s)
//   BM_MeanInPolygon     Mean of the node values inside the same polygon
//                        (target: at most 1 s)
//   BM_Flowtrace         a flow path of 10,000 steps down a valley of
//                        10001 x 101 nodes, each step's output line
//                        formatted (target: at most 0.5 s)

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "sketra/modes/surface/surface_inquire.h"
#include "surface_fixture.h"

namespace {

using bench::Surface;

const Surface& hills() {
  static const Surface s = bench::make_surface(
      1001, 1001, 1.0f, 0.3f, [](float x, float y) { return 400 + 20 * std::sin(x / 90) * std::cos(y / 130); });
  return s;
}

// A wavy ring around the middle of the surface: 2000 vertices.
const sketra::Polygon& ring() {
  static const sketra::Polygon p = [] {
    sketra::Polygon r;
    for (int k = 0; k < 2000; ++k) {
      const double a = k * 2 * M_PI / 2000, rad = 380 + 25 * std::sin(17 * a);
      r.x.push_back(float(500 + rad * std::cos(a))), r.y.push_back(float(500 + rad * std::sin(a)));
    }
    r.box = sketra::polygon_box(r.x, r.y);
    return r;
  }();
  return p;
}

void BM_VolumeInPolygon(benchmark::State& state) {
  const Surface& s = hills();
  std::vector<float> z = s.z;
  const sketra::SurfaceData data{s.x, s.y, z, s.t};
  sketra::VolumeSums v;
  for (auto _ : state) benchmark::DoNotOptimize(v = sketra::surface_volume(data, ring(), 410.0f, -9999.0f));
  state.counters["triangles"] = double(s.t.size());
  state.counters["area"] = v.area;
}
BENCHMARK(BM_VolumeInPolygon)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_MeanInPolygon(benchmark::State& state) {
  const Surface& s = hills();
  std::vector<float> z = s.z;
  const sketra::SurfaceData data{s.x, s.y, z, s.t};
  sketra::MeanSums m;
  for (auto _ : state) benchmark::DoNotOptimize(m = sketra::surface_mean(data, ring()));
  state.counters["nodes_inside"] = double(m.n);
}
BENCHMARK(BM_MeanInPolygon)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_Flowtrace(benchmark::State& state) {
  static const Surface s = bench::make_surface(10001, 101, 1.0f, 0.2f, [](float x, float y) {
    return 1000 - x + 0.01f * (y - 50) * (y - 50);  // a valley falling along x
  });
  std::vector<float> z = s.z;
  const sketra::SurfaceData data{s.x, s.y, z, s.t};
  std::size_t steps = 0, bytes = 0;
  for (auto _ : state) {
    const auto path = sketra::flow_path(data, 20 * 10001, -9999.0f);  // from (0, 20)
    for (std::size_t i = 0; i < path.size(); ++i) bytes += sketra::flow_line(data, path[i], i == 0).size();
    steps = path.size();
  }
  benchmark::DoNotOptimize(bytes);
  state.counters["triangles"] = double(s.t.size());
  state.counters["steps"] = double(steps);
}
BENCHMARK(BM_Flowtrace)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
