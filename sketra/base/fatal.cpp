#include "sketra/base/fatal.h"

#include <cstdio>

namespace sketra {

int run_guarded(const std::function<int()>& body) {
  try {
    return body();
  } catch (const FatalError& e) {
    std::fflush(stderr);
    std::printf("%s\n", e.what());
    std::fflush(stdout);
    return e.status();
  }
}

}  // namespace sketra
