#pragma once
// Fixture of the surface viewer tests: ViewerTest (recording driver, output
// on "outp", origin (2600000, 1200000)) and a triangulated surface of the
// test's own.

#include <array>
#include <cstdint>
#include <vector>

#include "sketra/modes/surface/surface_viewer.h"
#include "support/viewer_fixture.h"

namespace korvel::testing {

class SurfaceTest : public ViewerTest {
 protected:
  // n x n nodes d apart from (0, 0) with the values f(x, y); each cell
  // split along the diagonal from its first node into two triangles.
  template <class F>
  sketra::SurfaceData surface(int n, float d, F f) {
    x_.clear(), y_.clear(), v_.clear(), t_.clear();
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i) {
        x_.push_back(float(i) * d), y_.push_back(float(j) * d);
        v_.push_back(float(f(double(i) * d, double(j) * d)));
      }
    for (int j = 0; j + 1 < n; ++j)
      for (int i = 0; i + 1 < n; ++i) {
        const std::int32_t p = j * n + i + 1;
        t_.push_back({p, p + 1, p + n + 1});
        t_.push_back({p, p + n + 1, p + n});
      }
    return sketra::SurfaceData{x_, y_, v_, t_};
  }
  std::vector<float> x_, y_, v_;
  std::vector<sketra::Triangle> t_;
  std::array<double, 4> w_{};
};

}  // namespace korvel::testing
