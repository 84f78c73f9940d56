// Loading drawings and shapefiles: a DXF of 1,000,000 LINE vertices
// (target: at most 3 s) and a shapefile of 1,000,000 vertices (target: at
// most 1 s), each through the whole loader.
//
//   readers_load                    Google Benchmark run (makes the files in the temp directory)
//   readers_load --load FILE        loads FILE once and prints the seconds and points
//
// The DXF comes from tests/data/make_dxf.py (ezdxf's R12 writer: chains of
// ten touching LINEs); the shapefile is written here with shapelib: 1000
// ArcZ shapes of 1000 vertices.
#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <shapefil.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "app/formats/keyword_parser.h"
#include "app/loader.h"
#include "app/mainmenu.h"
#include "app/store.h"
#include "sketra/base/script.h"
#include "sketra/base/units.h"
#include "sketra/ui/dialogs.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kVertices = 1000000;

void fresh_state() { korvel::app_reset(); }

// One Load of `path`; every dialog applied as preset.
korvel::LoadOutcome load_once(const std::string& path) {
  sketra::grscpt(std::vector<std::string>{"D", "D"});
  korvel::cpch.file_name.set(path);
  return korvel::load(korvel::kLoad);
}

bool run(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string dxf_file() {
  static std::string path;
  if (path.empty()) {
    path = (fs::temp_directory_path() / "korvel_bench_lines_1m.dxf").string();
    if (!fs::exists(path))
      run({"/usr/bin/python3", std::string(KORVEL_SOURCE_DIR) + "/tests/data/make_dxf.py", "--bench",
           std::to_string(kVertices), path});
  }
  return path;
}

// 1000 river lines of 1000 vertices each, in Swiss co-ordinates.
std::string shapefile() {
  static std::string path;
  if (path.empty()) {
    std::string stem = (fs::temp_directory_path() / "korvel_bench_lines_1m").string();
    path = stem + ".shp";
    if (fs::exists(path)) return path;
    SHPHandle h = SHPCreate(stem.c_str(), SHPT_ARCZ);
    if (!h) return path;
    std::vector<double> x(1000), y(1000), z(1000);
    for (int s = 0; s < kVertices / 1000; ++s) {
      for (int i = 0; i < 1000; ++i) {
        x[std::size_t(i)] = 2600000.0 + s * 3.0 + i * 1.5;
        y[std::size_t(i)] = 1200000.0 + 40.0 * std::sin(i * 0.01 + s);
        z[std::size_t(i)] = 420.0 + 0.001 * i;
      }
      SHPObject* o = SHPCreateSimpleObject(SHPT_ARCZ, 1000, x.data(), y.data(), z.data());
      SHPWriteObject(h, -1, o);
      SHPDestroyObject(o);
    }
    SHPClose(h);
  }
  return path;
}

void load_benchmark(benchmark::State& state, const std::string& path) {
  auto bytes = std::int64_t(fs::file_size(path));
  for (auto _ : state) {
    fresh_state();
    if (load_once(path) != korvel::LoadOutcome::loaded) state.SkipWithError("load failed");
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["points"] = double(korvel::cin1.np);
  state.counters["edges"] = double(korvel::cin1.nseg);
}

void BM_LoadDxfLines(benchmark::State& state) { load_benchmark(state, dxf_file()); }
BENCHMARK(BM_LoadDxfLines)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadShapefile(benchmark::State& state) { load_benchmark(state, shapefile()); }
BENCHMARK(BM_LoadShapefile)->Unit(benchmark::kMillisecond)->Iterations(5);

int load_report(const std::string& path) {
  fresh_state();
  auto t0 = std::chrono::steady_clock::now();
  korvel::LoadOutcome r = load_once(path);
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  if (r != korvel::LoadOutcome::loaded) return 1;
  fmt::print("korvel_load_seconds {:.3f}\nkorvel_points {}\nkorvel_edges {}\n", s, korvel::cin1.np, korvel::cin1.nseg);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--load") return load_report(argv[2]);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
