// Triangulated surfaces of 2,000,000 triangles (1001 x 1001 jittered nodes):
//   BM_TinValuesOntoGrid   the surface's values at the nodes of a 2000 x 2000
//                          grid (target: at most 2 s)
//   BM_ShadedRedraw        a full redraw of the shaded, filled surface
//                          through the X11 driver, X server included
//                          (target: at most 1 s; run under Xvfb)
//   BM_ExamineLookup       the triangle under a point, as Nearest and
//                          Examine find it (target: at most 10 ms)
// and, for the side-by-side run with GDAL (bench/tin_grid.sh):
//   surface_bench --generate BASE   writes BASE.node, BASE.ele and BASE.csv
//   surface_bench --grid BASE OUT   loads BASE.node with the loader, reads
//                                   BASE.ele, puts the values onto the
//                                   2000 x 2000 grid and writes OUT as an
//                                   ESRI ASCII grid: the whole work of Grid
//                                   -> Tin in one process

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/formats/grid_files.h"
#include "surface_fixture.h"
#include "app/loader.h"
#include "app/mainmenu.h"
#include "app/mapping/mapping.h"
#include "app/store.h"
#include "sketra/base/fatal.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/classes.h"
#include "sketra/modes/surface/surface_viewer.h"
#include "sketra/ui/dialogs.h"
#include "sketra/x11/x11_driver.h"

namespace {

using bench::kExtent;
using bench::kSide;
using bench::surface;
using bench::Surface;
constexpr int kGrid = 2000;   // grid nodes per side

struct Grid {
  std::vector<float> gx, gy;
  korvel::GridGeometry geo;
};

Grid make_grid() {
  Grid g;
  const float d = kExtent / float(kGrid - 1);
  g.geo = korvel::GridGeometry{0, 0, d, d, kGrid, kGrid, 0};
  float y = 0;
  for (int j = 0; j < kGrid; ++j, y += d) {
    float x = 0;
    for (int i = 0; i < kGrid; ++i, x += d) g.gx.push_back(x), g.gy.push_back(y);
  }
  return g;
}

void BM_TinValuesOntoGrid(benchmark::State& state) {
  const Surface& s = surface();
  std::vector<float> z = s.z;
  const korvel::Tin tin{s.x, s.y, z, s.t};
  static const Grid g = make_grid();
  std::vector<float> values(g.gx.size());
  for (auto _ : state) benchmark::DoNotOptimize(korvel::tin_values(tin, {g.gx, g.gy, g.geo, -9999.0f}, values));
  state.counters["triangles"] = double(s.t.size());
}
BENCHMARK(BM_TinValuesOntoGrid)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_ExamineLookup(benchmark::State& state) {
  const Surface& s = surface();
  std::vector<float> z = s.z;
  const sketra::SurfaceData data{s.x, s.y, z, s.t};
  const sketra::TriangleIndex index(data);
  std::mt19937 gen(5);
  std::uniform_real_distribution<float> pos(0, kExtent);
  for (auto _ : state) benchmark::DoNotOptimize(index.find(pos(gen), pos(gen)));
}
BENCHMARK(BM_ExamineLookup)->Unit(benchmark::kMicrosecond);

// The index is built on the first Nearest or Examine of a session.
void BM_ExamineFirstLookup(benchmark::State& state) {
  const Surface& s = surface();
  std::vector<float> z = s.z;
  const sketra::SurfaceData data{s.x, s.y, z, s.t};
  for (auto _ : state) benchmark::DoNotOptimize(sketra::TriangleIndex(data).find(500, 500));
}
BENCHMARK(BM_ExamineFirstLookup)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_ShadedRedraw(benchmark::State& state) {
  const Surface& s = surface();
  std::vector<float> z = s.z;
  std::unique_ptr<sketra::Driver> previous;
  sketra::x11::X11Driver* x = nullptr;
  try {
    auto d = sketra::x11::make_driver();
    x = d.get();
    previous = sketra::set_driver(std::move(d));
    sketra::reset_plot_state();
    sketra::grcomt.progname = sketra::fixed_width("sketra-bench", 20);
    sketra::grmode(2);
  } catch (const sketra::FatalError& e) {
    state.SkipWithError(e.what());
    return;
  }
  sketra::grsset(0, kExtent, 0, kExtent);
  auto& c = sketra::grcomn;
  c.xmncgr = c.ymncgr = 0;
  c.xmxcgr = c.ymxcgr = kExtent;
  sketra::grsfac();
  c.display.shading = 1;
  sketra::SurfaceView view(sketra::SurfaceData{s.x, s.y, z, s.t});
  std::vector<float> levels;
  sketra::grcfil(z, int(z.size()), 1, int(z.size()), 12, levels, -9999.0f);
  sketra::grtrs.iopt2 = 1;
  double requests = 0;
  for (auto _ : state) {
    const unsigned long before = x->request_count();
    sketra::grcler(1);
    sketra::draw_surface(view, levels);
    sketra::grflip();
    x->sync();
    requests += double(x->request_count() - before);
  }
  state.counters["triangles"] = double(s.t.size());
  state.counters["requests"] = requests / double(state.iterations());
  sketra::grmode(0);
  sketra::set_driver(std::move(previous));
}
BENCHMARK(BM_ShadedRedraw)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// ---- the side-by-side run ----------------------------------------------------------

// Survey co-ordinates: the surface lies at (2600000, 1200000).
constexpr double kX0 = 2600000.0, kY0 = 1200000.0;

int generate(const std::string& base) {
  const Surface& s = surface();
  std::ofstream node(base + ".node"), ele(base + ".ele"), csv(base + ".csv");
  node << s.x.size() << " 2 1 0\n";
  csv << "x,y,z\n";
  for (std::size_t i = 0; i < s.x.size(); ++i) {
    node << fmt::format("{} {:.3f} {:.3f} {:.3f}\n", i + 1, kX0 + s.x[i], kY0 + s.y[i], s.z[i]);
    csv << fmt::format("{:.3f},{:.3f},{:.3f}\n", kX0 + s.x[i], kY0 + s.y[i], s.z[i]);
  }
  ele << s.t.size() << " 3 0\n";
  for (std::size_t k = 0; k < s.t.size(); ++k) ele << fmt::format("{} {} {} {}\n", k + 1, s.t[k].a, s.t[k].b, s.t[k].c);
  return node && ele && csv ? 0 : 1;
}

int grid_once(const std::string& base, const std::string& out_name) {
  const auto t0 = std::chrono::steady_clock::now();
  korvel::app_reset();
  korvel::cpch.file_name.set(base + ".node");
  if (korvel::load(korvel::kLoad) != korvel::LoadOutcome::loaded) return 1;
  korvel::MapInput in{korvel::cin.x, korvel::cin.y, korvel::cin.z, std::string(korvel::cpch.last_file.trimmed()),
                      korvel::last_mesh_points, korvel::cin1.xorig, korvel::cin1.yorig};
  std::optional<korvel::Tin> tin = korvel::assemble_tin(in, korvel::cunit.data);
  if (!tin) return 1;
  const auto t1 = std::chrono::steady_clock::now();
  // The grid over the surface in store co-ordinates.
  Grid g = make_grid();
  for (float& v : g.gx) v += float(kX0 - korvel::cin1.xorig);
  for (float& v : g.gy) v += float(kY0 - korvel::cin1.yorig);
  g.geo.x0 = g.gx[0], g.geo.y0 = g.gy[0];
  std::vector<float> values(g.gx.size());
  if (!korvel::tin_values(*tin, {g.gx, g.gy, g.geo, -9999.0f}, values)) return 1;
  const auto t2 = std::chrono::steady_clock::now();
  if (!sketra::unit_open(20, out_name, sketra::FileStatus::unknown)) return 1;
  korvel::TextOut out(20, out_name);
  korvel::NoProgress quiet;
  const korvel::FileResult r = korvel::write_esri_grid(out, {values, kGrid, kGrid, kGrid}, kX0, kY0, g.geo.dx,
                                                        -9999.0f, quiet);
  const auto t3 = std::chrono::steady_clock::now();
  auto sec = [](auto a, auto b) { return std::chrono::duration<double>(b - a).count(); };
  fmt::print("korvel_read_seconds {:.3f}\nkorvel_tin_seconds {:.3f}\nkorvel_write_seconds {:.3f}\n", sec(t0, t1),
             sec(t1, t2), sec(t2, t3));
  return r.ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--generate") return generate(argv[2]);
  if (argc == 4 && std::string(argv[1]) == "--grid") return grid_once(argv[2], argv[3]);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
