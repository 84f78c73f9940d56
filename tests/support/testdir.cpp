#include "support/testdir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace korvel::testing {

namespace fs = std::filesystem;

fs::path source_path(const std::string& relative) { return fs::path(KORVEL_SOURCE_DIR) / relative; }

fs::path example_path(const std::string& name) { return source_path("examples") / name; }

void write_file(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

ScopedTempDir::ScopedTempDir() : previous_(fs::current_path()) {
  std::string templ = (fs::temp_directory_path() / "korvel-test-XXXXXX").string();
  if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
  dir_ = templ;
  fs::current_path(dir_);
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ec;
  fs::current_path(previous_, ec);
  fs::remove_all(dir_, ec);
}

}  // namespace korvel::testing
