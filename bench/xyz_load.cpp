// Loading plain XYZ text: throughput, memory per point, and the cost of
// progress-bar calls that do not change the percentage.
//
//   xyz_load                       Google Benchmark run (generates a 1M-point file)
//   xyz_load --generate FILE N     writes N survey points to FILE
//   xyz_load --load FILE           loads FILE once and prints MB/s, points,
//                                  and peak resident memory per point
#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "app/formats/keyword_parser.h"
#include "app/loader.h"
#include "app/mainmenu.h"
#include "app/store.h"
#include "sketra/base/script.h"
#include "sketra/base/units.h"
#include "sketra/ui/dialogs.h"

namespace {

// Survey-like points: Swiss grid coordinates in millimetres, elevations in mm.
void generate(const std::string& path, long n) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return;
  std::mt19937_64 rng(42);
  std::uniform_real_distribution<double> ux(2600000.0, 2610000.0), uy(1200000.0, 1205000.0), uz(380.0, 460.0);
  fmt::memory_buffer buf;
  for (long i = 0; i < n; ++i) {
    fmt::format_to(std::back_inserter(buf), "{:.3f} {:.3f} {:.3f}\n", ux(rng), uy(rng), uz(rng));
    if (buf.size() > (1 << 20)) {
      std::fwrite(buf.data(), 1, buf.size(), f);
      buf.clear();
    }
  }
  std::fwrite(buf.data(), 1, buf.size(), f);
  std::fclose(f);
}

void fresh_state() { korvel::app_reset(); }

// One Load of `path`, the load dialog applied as preset.
korvel::LoadOutcome load_once(const std::string& path) {
  sketra::grscpt("D");
  korvel::cpch.file_name.set(path);
  return korvel::load(korvel::kLoad);
}

long peak_rss_kb() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

long current_rss_kb() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * 4;
}

int load_report(const std::string& path) {
  fresh_state();
  long base = current_rss_kb();
  auto bytes = std::filesystem::file_size(path);
  auto t0 = std::chrono::steady_clock::now();
  korvel::LoadOutcome r = load_once(path);
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  long peak = peak_rss_kb();
  if (r != korvel::LoadOutcome::loaded) return 1;
  long np = korvel::cin1.np;
  fmt::print("korvel_load_seconds {:.3f}\n", s);
  fmt::print("korvel_points {}\n", np);
  fmt::print("korvel_mb_per_s {:.1f}\n", double(bytes) / 1e6 / s);
  fmt::print("korvel_base_rss_kb {}\n", base);
  fmt::print("korvel_peak_rss_kb {}\n", peak);
  fmt::print("korvel_bytes_per_point {:.2f}\n", double(peak - base) * 1024.0 / double(np));
  return 0;
}

std::string bench_file() {
  static std::string path;
  if (path.empty()) {
    path = (std::filesystem::temp_directory_path() / "korvel_bench_1m.xyz").string();
    if (!std::filesystem::exists(path)) generate(path, 1000000);
  }
  return path;
}

void BM_LoadXyz(benchmark::State& state) {
  std::string path = bench_file();
  auto bytes = std::int64_t(std::filesystem::file_size(path));
  for (auto _ : state) {
    fresh_state();
    benchmark::DoNotOptimize(load_once(path));
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["points"] = double(korvel::cin1.np);
}
BENCHMARK(BM_LoadXyz)->Unit(benchmark::kMillisecond)->Iterations(5);

// A record loop with nothing but the work a record costs besides parsing.
void BM_RecordLoopWithoutProgress(benchmark::State& state) {
  std::int64_t sum = 0;
  for (auto _ : state) {
    for (std::int64_t i = 0; i < 1000; ++i) benchmark::DoNotOptimize(sum += i);
  }
}
BENCHMARK(BM_RecordLoopWithoutProgress);

// The same loop with a progress-bar call per record whose percentage stays.
void BM_RecordLoopWithProgress(benchmark::State& state) {
  sketra::dialogs_reset();
  std::int64_t sum = 0;
  for (auto _ : state) {
    for (std::int64_t i = 0; i < 1000; ++i) {
      benchmark::DoNotOptimize(sum += i);
      sketra::grbeam(i, 19600000, "reading points");
    }
  }
}
BENCHMARK(BM_RecordLoopWithProgress);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--generate") {
    generate(argv[2], std::stol(argv[3]));
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "--load") return load_report(argv[2]);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
