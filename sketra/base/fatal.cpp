#include "sketra/base/fatal.h"

#include <cstdio>

namespace sketra {

int run_guarded(const std::function<int()>& body) {
  try {
    return body();
  } catch (const BatchEnd& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", e.what());
    return e.status();
  } catch (const FatalError& e) {
    if (*e.what() == '\0') return e.status();
    std::fflush(stderr);
    std::printf("%s\n", e.what());
    std::fflush(stdout);
    return e.status();
  }
}

}  // namespace sketra
