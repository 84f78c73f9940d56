// Reading a mesh back into the mesh store: a mesh of 999,698 triangles on
// 501,264 nodes (a 708 x 708 lattice of survey co-ordinates with a value,
// as the generator writes them), .node and .ele text read by read_mesh.
// Target: at least 200 MB/s of .node/.ele text. The peer is numpy's
// loadtxt on the same two files (the reader the generator's benchmark
// uses), timed in the same process run when python3-numpy is there.
//
//   mesh_read     Google Benchmark run (makes the files in the temp directory)
#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/mainmenu.h"
#include "app/mesh/mesh.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kSide = 708;

struct Files {
  fs::path base;
  std::uintmax_t bytes = 0;
};

// Writes base.node and base.ele of the lattice.
Files make_mesh() {
  Files f;
  f.base = fs::temp_directory_path() / "korvel_mesh_read" / "lattice";
  fs::create_directories(f.base.parent_path());
  std::string text = fmt::format("{}  2  1  1\n", kSide * kSide);
  for (int j = 0; j < kSide; ++j)
    for (int i = 0; i < kSide; ++i)
      fmt::format_to(std::back_inserter(text), "{}  {:.2f}  {:.2f}  {:.3f}  {}\n", j * kSide + i + 1,
                     2600000.0 + 1.37 * i, 1200000.0 + 1.41 * j, 420.0 + 0.001 * (i + j),
                     int(i == 0 || j == 0 || i == kSide - 1 || j == kSide - 1));
  std::FILE* out = std::fopen((f.base.string() + ".node").c_str(), "w");
  std::fwrite(text.data(), 1, text.size(), out);
  std::fclose(out);
  const int cells = 2 * (kSide - 1) * (kSide - 1);
  text = fmt::format("{}  3  0\n", cells);
  int e = 0;
  for (int j = 0; j + 1 < kSide; ++j)
    for (int i = 0; i + 1 < kSide; ++i) {
      const int a = j * kSide + i + 1, b = a + 1, c = a + kSide, d = c + 1;
      fmt::format_to(std::back_inserter(text), "{}  {}  {}  {}\n{}  {}  {}  {}\n", e + 1, a, b, d, e + 2, a, d, c);
      e += 2;
    }
  out = std::fopen((f.base.string() + ".ele").c_str(), "w");
  std::fwrite(text.data(), 1, text.size(), out);
  std::fclose(out);
  f.bytes = fs::file_size(f.base.string() + ".node") + fs::file_size(f.base.string() + ".ele");
  return f;
}

const Files& files() {
  static const Files f = make_mesh();
  return f;
}

void BM_ReadMesh(benchmark::State& state) {
  korvel::app_reset();
  const Files& f = files();
  korvel::NoProgress none;
  for (auto _ : state) {
    korvel::MeshStore m;
    const korvel::FileResult res = korvel::read_mesh(f.base.string(), m, none);
    if (!res.ok || m.nele != 2 * (kSide - 1) * (kSide - 1)) state.SkipWithError(res.message.c_str());
    benchmark::DoNotOptimize(m.iele.data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(f.bytes));
  state.counters["MB"] = double(f.bytes) / 1e6;
}
BENCHMARK(BM_ReadMesh)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// numpy.loadtxt of the same files in a python3 process, whole.
void BM_PeerNumpyLoadtxt(benchmark::State& state) {
  const Files& f = files();
  const std::string code =
      "import numpy as np, sys\n"
      "b = sys.argv[1]\n"
      "n = np.loadtxt(b + '.node', skiprows=1, usecols=(1, 2, 3))\n"
      "e = np.loadtxt(b + '.ele', skiprows=1, usecols=(1, 2, 3), dtype=np.int64)\n";
  std::vector<std::string> argv = {"/usr/bin/python3", "-c", code, f.base.string()};
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  for (auto _ : state) {
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0 || waitpid(pid, &status, 0) < 0 ||
        !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("python3 with numpy is not there");
      break;
    }
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(f.bytes));
}
BENCHMARK(BM_PeerNumpyLoadtxt)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
