// meshgen: Triangle-compatible quality mesh generator (see meshgen.h).

#include <iostream>
#include <string>
#include <vector>

#include "meshgen/meshgen.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return meshgen::run_meshgen(args, std::cout, std::cerr);
  } catch (const std::bad_alloc&) {
    std::cerr << "meshgen: out of memory\n";
  } catch (const std::exception& e) {
    std::cerr << "meshgen: " << e.what() << "\n";
  }
  return 1;
}
