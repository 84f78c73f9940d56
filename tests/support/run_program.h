#pragma once
// Test support: runs an external program from an argument vector (no
// shell) and returns its exit status and standard output.

#include <string>
#include <vector>

namespace korvel::testing {

struct ProgramResult {
  int status = -1;   // exit status; -1 when it could not be started or was killed
  std::string out;   // everything written to standard output
};

ProgramResult run_program(const std::vector<std::string>& argv);

}  // namespace korvel::testing
