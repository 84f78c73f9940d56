// The Transform entry: shift and clockwise rotation of every point about a
// rotation origin given in absolute co-ordinates.

#include <cmath>
#include <numbers>

#include "sketra/kernel/plot.h"
#include "sketra/modes/editor/editor_internal.h"
#include "sketra/ui/dialogs.h"

namespace sketra::detail {

bool form_number(std::string_view prompt, std::string_view text, double& v) {
  double r = 0;
  if (!read_field(text, r) || !std::isfinite(r) || std::fabs(r) > kFormLimit) {
    grmesg("bad value for " + std::string(prompt));
    return false;
  }
  v = r;
  return true;
}

void mark_point(float x, float y, int code) {
  grmov2(x, y);
  grsymb(code);
  grdump();
}

bool transform(EditData& d) {
  EditorState& s = gredst;
  if (!s.origin_set) s.xorigin = grcomn.xorgr, s.yorigin = grcomn.yorgr;
  std::string prompts[] = {"Xmove[m]", "Ymove[m]", "Rotate_clockwise", "X-origin", "Y-origin"};
  std::string values[] = {number_field(0, 3), number_field(0, 3), number_field(s.angle, 3),
                          number_field(s.xorigin, 3), number_field(s.yorigin, 3)};
  if (!grinfo(prompts, values)) return false;
  double v[5] = {};
  for (int k = 0; k < 5; ++k)
    if (!form_number(prompts[k], values[k], v[k])) return false;
  const double xmove = v[0], ymove = v[1];
  s.angle = v[2], s.xorigin = v[3], s.yorigin = v[4], s.origin_set = true;
  if (std::fabs(s.angle) <= 0.001 && std::fabs(xmove) <= 0.001 && std::fabs(ymove) <= 0.001) return false;
  const double a = s.angle * std::numbers::pi / 180, c = std::cos(a), sn = std::sin(a);
  const double ox = s.xorigin - grcomn.xorgr, oy = s.yorigin - grcomn.yorgr;
  for (std::int32_t i = 1; i <= d.np(); ++i) {
    const double X = double(d.px(i)) - ox, Y = double(d.py(i)) - oy;
    d.px(i) = float(X * c + Y * sn + xmove + ox);
    d.py(i) = float(Y * c - X * sn + ymove + oy);
  }
  return true;
}

}  // namespace sketra::detail
