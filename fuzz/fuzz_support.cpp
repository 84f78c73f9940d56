#include "fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace korvel::fuzz {

namespace {

std::filesystem::path work_folder;

void remove_work_folder() {
  std::error_code ec;
  std::filesystem::current_path(work_folder.parent_path(), ec);
  std::filesystem::remove_all(work_folder, ec);
}

}  // namespace

void enter_work_folder() {
  if (!work_folder.empty()) return;
  work_folder = std::filesystem::absolute("fuzz-work." + std::to_string(getpid()));
  std::filesystem::create_directories(work_folder);
  std::filesystem::current_path(work_folder);
  std::atexit(remove_work_folder);
  std::fflush(stdout);
  const int null = open("/dev/null", O_WRONLY);
  if (null >= 0) {
    dup2(null, STDOUT_FILENO);
    close(null);
  }
  sketra::unit_open(kLog, "/dev/null", sketra::FileStatus::unknown);
}

void open_input(sketra::LineReader& r, const std::string& name, std::string_view text) {
  write_file(name, text);
  if (!r.open(name)) std::abort();
}

void write_file(const std::string& name, std::string_view text) {
  // A new file rather than the old one cut to nothing: the file system
  // flushes a file that was truncated and written again to disk when it is
  // closed, which would make every run wait for the disk.
  remove_files({name.c_str()});
  std::ofstream out(name, std::ios::binary);
  out.write(text.data(), std::streamsize(text.size()));
}

void remove_files(std::initializer_list<const char*> names) {
  std::error_code ec;
  for (const char* name : names) std::filesystem::remove(name, ec);
}

std::vector<std::string_view> split_parts(std::string_view text, std::size_t max_parts) {
  constexpr std::string_view kSeparator = "\n%%%%\n";
  std::vector<std::string_view> parts;
  while (parts.size() + 1 < max_parts) {
    const std::size_t at = text.find(kSeparator);
    if (at == std::string_view::npos) break;
    parts.push_back(text.substr(0, at));
    text.remove_prefix(at + kSeparator.size());
  }
  parts.push_back(text);
  return parts;
}

void write_parts(const std::vector<std::string_view>& parts, const std::vector<std::string>& names) {
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (k < parts.size()) {
      write_file(names[k], parts[k]);
    } else {
      remove_files({names[k].c_str()});
    }
  }
}

bool CountingSink::add_point(double, double, float, std::int32_t) {
  if (points_ >= room_) return false;
  ++points_;
  return true;
}

bool CountingSink::add_edge(std::int32_t a, std::int32_t b) {
  // An edge joins points the reader delivered; anything else is the
  // reader's fault.
  if (a < 1 || b < 1 || a > points_ || b > points_) std::abort();
  if (edges_ >= room_) return false;
  ++edges_;
  return true;
}

}  // namespace korvel::fuzz

namespace {

// The paths on the command line (corpus folders, inputs, the artifact
// prefix) made absolute, since the target works in a folder of its own.
// libFuzzer reads its flags after this, from the changed argv.
std::vector<std::string> absolute_args;
std::vector<char*> absolute_argv;

void make_paths_absolute(int& argc, char**& argv) {
  for (int i = 0; i < argc; ++i) {
    std::string a = argv[i];
    if (i > 0 && !a.empty() && a[0] != '-') {
      a = std::filesystem::absolute(a).string();
    } else {
      for (const char* flag : {"-artifact_prefix=", "-exact_artifact_path=", "-dict="}) {
        const std::string_view f = flag;
        if (a.starts_with(f) && a.size() > f.size())
          a = std::string(f) + std::filesystem::absolute(a.substr(f.size())).string();
      }
    }
    absolute_args.push_back(a);
  }
  // Crash inputs go where they would without the working folder: into the
  // directory the target was started in.
  const bool prefix = std::any_of(absolute_args.begin(), absolute_args.end(), [](const std::string& a) {
    return a.starts_with("-artifact_prefix=") || a.starts_with("-exact_artifact_path=");
  });
  if (!prefix) {
    absolute_args.push_back("-artifact_prefix=" + std::filesystem::current_path().string() + "/");
    ++argc;
  }
  for (std::string& a : absolute_args) absolute_argv.push_back(a.data());
  absolute_argv.push_back(nullptr);
  argv = absolute_argv.data();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  make_paths_absolute(*argc, *argv);
  korvel::fuzz::enter_work_folder();
  return 0;
}
