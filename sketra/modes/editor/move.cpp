// The Move entry: shifting every point by the difference of two clicks,
// setting the centre of rotation, and turning every point about it by the
// angle between two clicks.

#include <cmath>

#include "sketra/kernel/plot.h"
#include "sketra/modes/editor/editor_internal.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra {

namespace detail {

bool click(std::string_view prompt, float& x, float& y) {
  grmesg(prompt);
  const std::vector<std::string> captions = {" CCancel"};
  int sel = kMenuColumn;
  grcurs(captions, sel, x, y);
  return sel == kMenuNothing && !nobody_answers();
}

}  // namespace detail

namespace {

bool centre_set() { return gredst.xcent > -99998.0f && gredst.ycent > -99998.0f; }

bool shift(EditData& d) {
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  if (!detail::click("click on old location", x0, y0) || !detail::click("click on new location", x1, y1)) return false;
  const float dx = x1 - x0, dy = y1 - y0;
  for (std::int32_t i = 1; i <= d.np(); ++i) d.px(i) += dx, d.py(i) += dy;
  return true;
}

bool centre() {
  float x = 0, y = 0;
  if (!detail::click("click on center of rotation", x, y)) return false;
  gredst.xcent = x, gredst.ycent = y;
  detail::mark_point(x, y, detail::kCentreMark);
  return true;
}

// The angle of (x, y) seen from the centre; false on the centre itself.
bool angle_from_centre(float x, float y, double& a) {
  const double dx = double(x) - gredst.xcent, dy = double(y) - gredst.ycent;
  if (dx == 0 && dy == 0) return false;
  a = std::atan2(dy, dx);
  return true;
}

bool rotate(EditData& d) {
  if (!centre_set()) {
    grmesg("set the center of rotation first");
    return false;
  }
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  if (!detail::click("click on reference location", x0, y0) || !detail::click("click on new location", x1, y1))
    return false;
  double a1 = 0, a2 = 0;
  if (!angle_from_centre(x0, y0, a1) || !angle_from_centre(x1, y1, a2)) {
    grmesg("a click on the center gives no angle");
    return false;
  }
  const double t = a1 - a2, c = std::cos(t), s = std::sin(t), xc = gredst.xcent, yc = gredst.ycent;
  for (std::int32_t i = 1; i <= d.np(); ++i) {
    const double dx = double(d.px(i)) - xc, dy = double(d.py(i)) - yc;
    d.px(i) = float(dy * s + dx * c + xc);
    d.py(i) = float(dy * c - dx * s + yc);
  }
  return true;
}

}  // namespace

namespace detail {

void move_menu(ViewContext& v, EditData& d) {
  for (;;) {
    const std::vector<std::string> captions = {" SShift ", " CCenter", " RRotate", " DDone  "};
    int sel = kMenuColumn;
    float x = 0, y = 0;
    grcurs(captions, sel, x, y);
    bool changed = false;
    switch (sel) {
      case 1: changed = shift(d); break;
      case 2: changed = centre(); break;
      case 3: changed = rotate(d); break;
      case 4: v.request(ViewRequest::replot); return;
      default:
        if (sel == kMenuNothing && nobody_answers()) return;
        break;
    }
    if (changed) {
      v.request(ViewRequest::repeat);
      return;
    }
  }
}

}  // namespace detail

}  // namespace sketra
