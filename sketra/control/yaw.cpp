// The three-dimensional view menu (gryaw) and the rotations of the viewing
// matrix TRANGR about a fixed point.
//
// Points are row vectors: screen (xs, ys, zs) = (x, y, z * T(4,4), 1) * T.
// A rotation by angle a in the plane of screen axes i and j turns columns
// i and j of every row; the translation row then gets the shift that keeps
// the fixed point's screen position. The menu does one action and returns
// true: the control loop replots and opens the menu again without the
// person doing anything.

#include <cmath>
#include <numbers>

#include "sketra/control/control.h"
#include "sketra/control/control_internal.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra {

namespace {

void set_default_fixed_point() {
  YawState& y = ctrl.yaw;
  y.fixed_set = true;
  y.xf = float(grcomn.xmingr);
  y.yf = float(grcomn.ymingr);
  y.zf = 0;
}

void mark_fixed_point() {
  const YawState& y = ctrl.yaw;
  float xs = y.xf, ys = y.yf, zs = 0;
  if (grcomn.projection) grtran(y.xf, y.yf, y.zf, xs, ys, zs);
  grcolr(kBlack);
  grmov2(xs, ys);
  grsymb(1);
  grflip();
}

void original() {
  grcomn.trangr = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
  set_default_fixed_point();
  grcomn.projection = false;
}

// The fixed point is asked in absolute co-ordinates.
void ask_fixed_point() {
  YawState& y = ctrl.yaw;
  float x = float(double(y.xf) + grcomn.xorgr), yy = float(double(y.yf) + grcomn.yorgr), z = y.zf;
  if (grinpf("XROTN", x)) y.xf = float(double(x) - grcomn.xorgr);
  if (grinpf("YROTN", yy)) y.yf = float(double(yy) - grcomn.yorgr);
  if (grinpf("ZROTN", z)) y.zf = z;
}

const std::vector<std::string>& yaw_help() {
  static const std::vector<std::string> lines = {
      "Yaw options:",
      "  Original   back to the plan view",
      "  Top        tilt the view towards its top edge",
      "  Bottom     tilt the view towards its bottom edge",
      "  Clockwis   turn the view clockwise",
      "  Kounter    turn the view counter-clockwise",
      "  Left       turn about the vertical screen axis, leftwards",
      "  Right      turn about the vertical screen axis, rightwards",
      "  Delta      angle of each turn in degrees",
      "  Fixed      the point that stays in place",
      "  Grow       vertical exaggeration times 1.5",
      "  Flaten     vertical exaggeration divided by 1.5",
      "  The right mouse button turns clockwise, the wheel tilts."};
  return lines;
}

// Carries out menu answer `sel`; false when it was no action (nothing to
// replot).
bool act(int sel) {
  YawState& y = ctrl.yaw;
  auto& t = grcomn.trangr;
  switch (sel) {
    case 1: original(); return true;
    case 2: case -5: rotate_view(1, 2, y.delta); return true;    // Top
    case 3: case -4: rotate_view(1, 2, -y.delta); return true;   // Bottom
    case 4: case -3: rotate_view(0, 1, -y.delta); return true;   // Clockwise
    case 5: rotate_view(0, 1, y.delta); return true;             // Kounter
    case 6: rotate_view(0, 2, y.delta); return true;             // Left
    case 7: rotate_view(0, 2, -y.delta); return true;            // Right
    case 8: grinpf("Delta angle", y.delta); return true;
    case 9: ask_fixed_point(); return true;
    case 10: t[3][3] *= 1.5f; grcomn.projection = true; return true;
    case 11: t[3][3] /= 1.5f; grcomn.projection = true; return true;
    default: return false;
  }
}

}  // namespace

void rotate_view(int a, int b, float degrees) {
  if (!ctrl.yaw.fixed_set) set_default_fixed_point();
  const YawState& y = ctrl.yaw;
  auto& t = grcomn.trangr;
  float p[3];
  grtran(y.xf, y.yf, y.zf, p[0], p[1], p[2]);
  const double r = double(degrees) * std::numbers::pi / 180;
  const float c = float(std::cos(r)), s = float(std::sin(r));
  for (auto& row : t) {
    const float ta = row[size_t(a)], tb = row[size_t(b)];
    row[size_t(a)] = c * ta - s * tb;
    row[size_t(b)] = s * ta + c * tb;
  }
  t[3][size_t(a)] += (1 - c) * p[a] + s * p[b];
  t[3][size_t(b)] += (1 - c) * p[b] - s * p[a];
  grcomn.projection = true;
}

bool gryaw() {
  if (!ctrl.yaw.fixed_set) set_default_fixed_point();
  mark_fixed_point();
  for (;;) {
    std::vector<std::string> cells = {" OOriginal", " TTop",   " BBottom", " CClockwis", " KKounter",
                                      " LLeft",     " RRight", " DDelta",  " FFixed",    " GGrow",
                                      " FFlaten",   " ??",     ">XeXit"};
    if (grcomn.trangr[3][3] <= 0.1f) cells[10] = "-FFlaten";
    float x = 0, y = 0;
    const int sel = detail::submenu(cells, x, y);
    if (sel == 13) return false;
    if (sel == 12) {
      grtext(yaw_help());
      continue;
    }
    if (!act(sel)) continue;
    grcler(0);
    return true;
  }
}

}  // namespace sketra
