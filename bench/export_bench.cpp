// Export speed: megabytes of text per second for the unstruct and node
// writers on a store of 5,000,000 survey points (Swiss grid coordinates,
// half of them free points, half line vertices in chains of 100 with their
// edges). The files go to a directory of their own below the working
// directory, which is removed afterwards.
//
//   export_bench            Google Benchmark run (reports bytes_per_second)
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "app/export.h"
#include "app/formats/triangle_files.h"
#include "app/store.h"
#include "sketra/base/units.h"
#include "sketra/ui/dialogs.h"

namespace {

constexpr std::int32_t kPoints = 5000000;

// A directory for the written files, removed at exit.
struct ScratchDir {
  std::filesystem::path path = std::filesystem::current_path() / "export_bench.files";
  ScratchDir() { std::filesystem::create_directories(path); }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

const ScratchDir& scratch() {
  static ScratchDir dir;
  return dir;
}

void fill_store() {
  if (korvel::cin1.np == kPoints) return;
  korvel::store_reset();
  korvel::cin1.xorig = 2600000.0;
  korvel::cin1.yorig = 1200000.0;
  korvel::store_reserve_points(std::size_t(kPoints));
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> ux(0.0, 10000.0), uy(0.0, 5000.0), uz(380.0, 460.0);
  for (std::int32_t i = 1; i <= kPoints; ++i) {
    const bool vertex = i > kPoints / 2;
    korvel::store_add_point(float(ux(rng)), float(uy(rng)), float(uz(rng)), vertex ? 102 : 101);
    if (vertex && (i - kPoints / 2) % 100 != 1) korvel::store_add_edge(i - 1, i);
  }
}

void run(benchmark::State& state, korvel::ExportFormat format, const char* file) {
  sketra::dialogs_reset();
  fill_store();
  const std::string name = (scratch().path / file).string();
  std::int64_t bytes = 0;
  for (auto _ : state) {
    if (!korvel::export_to(format, name)) {
      state.SkipWithError("export failed");
      return;
    }
    bytes += std::int64_t(std::filesystem::file_size(name));
    if (format == korvel::ExportFormat::node_poly)
      bytes += std::int64_t(std::filesystem::file_size(korvel::poly_name(name)));
  }
  state.SetBytesProcessed(bytes);
  state.counters["points"] = double(korvel::cin1.np);
  state.counters["edges"] = double(korvel::cin1.nseg);
}

void BM_ExportUnstruct(benchmark::State& state) { run(state, korvel::ExportFormat::unstruct, "survey.unstruct"); }
BENCHMARK(BM_ExportUnstruct)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_ExportNodePoly(benchmark::State& state) { run(state, korvel::ExportFormat::node_poly, "survey.node"); }
BENCHMARK(BM_ExportNodePoly)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
