#pragma once
// Test support: every test that touches files runs in a fresh temporary
// working directory, because korvel writes "outp" and ".grset" into the
// directory it runs in.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace korvel::testing {

// Absolute path of a file below the source tree's examples/ folder.
std::filesystem::path example_path(const std::string& name);

// Absolute path of a file below the source tree.
std::filesystem::path source_path(const std::string& relative);

// Writes text to a file in the current directory (or a path), replacing it.
void write_file(const std::filesystem::path& path, const std::string& text);

// Reads a whole file; empty when it cannot be read.
std::string read_file(const std::filesystem::path& path);

// Creates a fresh temporary directory, makes it the working directory, and
// on destruction returns to the previous directory and removes it.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;
  const std::filesystem::path& path() const { return dir_; }

 private:
  std::filesystem::path dir_;
  std::filesystem::path previous_;
};

// Fixture base: each test body runs inside its own ScopedTempDir.
class InTempDir : public ::testing::Test {
 protected:
  const std::filesystem::path& tmp() const { return dir_.path(); }

 private:
  ScopedTempDir dir_;
};

}  // namespace korvel::testing
