// Shading: the dialog that sets the light and switches shaded views on,
// and the cosine of a polygon's normal against the light, which the
// display modes turn into the brightness of a shaded face.

#include <algorithm>
#include <cmath>

#include "sketra/base/fatal.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/classes.h"
#include "sketra/ui/dialogs.h"

namespace sketra {

float grcosa(int n, std::span<const float> x, std::span<const float> y,
             std::span<const float> z, const std::array<float, 3>& light) {
  if ((n != 3 && n != 5) || std::min({x.size(), y.size(), z.size()}) < size_t(n == 3 ? 3 : 4))
    throw FatalError("grcosa: unknown number of edges");
  auto cross = [&](int a, int b, double out[3]) {
    const double ax = x[size_t(a)] - x[0], ay = y[size_t(a)] - y[0], az = z[size_t(a)] - z[0];
    const double bx = x[size_t(b)] - x[0], by = y[size_t(b)] - y[0], bz = z[size_t(b)] - z[0];
    out[0] = ay * bz - az * by;
    out[1] = az * bx - ax * bz;
    out[2] = ax * by - ay * bx;
  };
  double nrm[3] = {0, 0, 0};
  if (n == 3) {
    cross(1, 2, nrm);
  } else {
    // A closed quadrilateral (corner 5 repeats corner 1): the fan from
    // corner 1 over the four edges, averaged.
    for (int k = 1; k <= 3; ++k) {
      double c[3];
      cross(k, k + 1 <= 3 ? k + 1 : 0, c);
      for (int i = 0; i < 3; ++i) nrm[i] += c[i];
    }
    for (double& v : nrm) v *= 0.25;
  }
  const double nl = nrm[0] * light[0] + nrm[1] * light[1] + nrm[2] * light[2];
  const double n2 = std::max(nrm[0] * nrm[0] + nrm[1] * nrm[1] + nrm[2] * nrm[2], 1e-5);
  const double l2 = std::max(double(light[0]) * light[0] + double(light[1]) * light[1] +
                                 double(light[2]) * light[2],
                             1e-5);
  return float(nl / std::sqrt(l2 * n2));
}

bool grshade() {
  std::string prompts[] = {"x-light", "y-light", "z-light", "Shading"};
  std::string values[] = {number_field(grclass.light[0], 1), number_field(grclass.light[1], 1),
                          number_field(grclass.light[2], 1), toggle_value(grcomn.display.shading != 0)};
  if (!grinfo(prompts, values)) return false;
  for (int k = 0; k < 3; ++k) {
    double v = grclass.light[size_t(k)];
    if (read_field(values[k], v)) grclass.light[size_t(k)] = float(v);
  }
  grcomn.display.shading = toggle_on(values[3]) ? 1 : 0;
  return true;
}

}  // namespace sketra
