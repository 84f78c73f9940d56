// World-to-device transformation, window, zoom, pixel mode, 3-D viewing
// matrix and round axis steps.

#include <algorithm>
#include <cmath>

#include "sketra/kernel/plot_internal.h"

namespace sketra {

namespace {

// Pixel of a device co-ordinate: truncated toward zero, NaN as 0 and far
// values held to +-1e9 so the conversion is always defined.
int to_pixel(double v) {
  if (std::isnan(v)) return 0;
  return int(std::clamp(v, -1e9, 1e9));
}

constexpr float kSmallFactor = 1e-10f;

}  // namespace

DevicePoint world_to_device(double x, double y) {
  const PlotState& c = grcomn;
  return {to_pixel((x - c.xmingr) * double(c.xfacgr) + double(c.xorggr)),
          to_pixel((y - c.ymingr) * double(c.yfacgr) + double(c.yorggr))};
}

bool inside_clip(double x, double y) {
  const PlotState& c = grcomn;
  return c.xmncgr <= x && x <= c.xmxcgr && c.ymncgr <= y && y <= c.ymxcgr;
}

void compute_window_size() {
  PlotState& c = grcomn;
  if (c.small_window) {
    c.wndwgr[2] = 310;
    c.wndwgr[3] = 125;
    return;
  }
  c.wndwgr[2] = int(std::trunc((double(c.nxingr) + 4.5) * 50.0 * double(c.xsclgr)));
  c.wndwgr[3] = int(std::trunc((double(c.nyingr) + 2.0) * 50.0 * double(c.ysclgr))) + kMessageStrip;
}

// Frame origin and factors: the frame of NXINGR x NYINGR intervals of
// 50 * scale pixels shows the window; its lower-left corner sits 65 pixels
// from the left and 50 above the message strip at the bottom (10 and 105
// in the small window, whose frame origin must survive every
// recomputation).
void grsfac() {
  PlotState& c = grcomn;
  if (c.imodgr < 7) {
    c.xorggr = c.small_window ? 10.0f : 65.0f;
    c.yorggr = c.small_window ? 105.0f : float(c.wndwgr[3] - 50 - kMessageStrip);
    const double wx = std::max(c.xmaxgr - c.xmingr, 0.01);
    const double wy = std::max(c.ymaxgr - c.ymingr, 0.01);
    c.xfacgr = float(double(c.nxingr) * 50.0 * double(c.xsclgr) / wx);
    c.yfacgr = float(-(double(c.nyingr) * 50.0 * double(c.ysclgr) / wy));
  }
  if (!(std::fabs(c.xfacgr) >= kSmallFactor)) c.xfacgr = kSmallFactor;
  if (!(std::fabs(c.yfacgr) >= kSmallFactor)) c.yfacgr = kSmallFactor;
}

void grsset(double xmin, double xmax, double ymin, double ymax) {
  grcomn.xmingr = xmin;
  grcomn.xmaxgr = xmax;
  grcomn.ymingr = ymin;
  grcomn.ymaxgr = ymax;
}

// The new extent is f times the old one; the window moves so that the
// picked point goes half-way towards the centre of the view.
void grzoom(float x, float y, int key) {
  if (key == -9) return;
  PlotState& c = grcomn;
  const int k = std::abs(key);
  double f = 1.0 / double(c.zoom);
  if (k == 1 || k == 4) f = c.zoom;
  if (k == 2) f = 1.0;
  const double wx = c.xmaxgr - c.xmingr;
  const double wy = c.ymaxgr - c.ymingr;
  const double xmin = x - f * ((x - c.xmingr) + wx / 2) / 2;
  const double xmax = x + f * (wx / 2 - (x - c.xmaxgr)) / 2;
  const double ymin = y - f * ((y - c.ymingr) + wy / 2) / 2;
  const double ymax = y + f * (wy / 2 - (y - c.ymaxgr)) / 2;
  if (xmax - xmin >= 1e-25 && ymax - ymin >= 1e-25) {
    grsset(xmin, xmax, ymin, ymax);
    c.indsgr = 0;
  }
}

void grclip(int k) {
  PlotState& c = grcomn;
  PixelModeSave& s = c.pixel_save;
  if (k == 0) {
    if (s.live) return;
    s = {true,     c.xmingr, c.xmncgr, c.xmxcgr, c.ymingr, c.ymncgr,
         c.ymxcgr, c.xorggr, c.xfacgr, c.yorggr, c.yfacgr};
    c.xmingr = 0;
    c.ymingr = 0;
    c.xmncgr = c.ymncgr = -9999999.0;
    c.xmxcgr = c.ymxcgr = 9999999.0;
    c.xfacgr = 1;
    c.yfacgr = -1;
    c.xorggr = c.small_window ? 10.0f : 65.0f;
    c.yorggr = c.small_window ? 105.0f : float(c.wndwgr[3] - 50 - kMessageStrip);
  } else if (k == 1) {
    if (!s.live) return;
    c.xmingr = s.xmingr;
    c.xmncgr = s.xmncgr;
    c.xmxcgr = s.xmxcgr;
    c.ymingr = s.ymingr;
    c.ymncgr = s.ymncgr;
    c.ymxcgr = s.ymxcgr;
    c.xorggr = s.xorggr;
    c.xfacgr = s.xfacgr;
    c.yorggr = s.yorggr;
    c.yfacgr = s.yfacgr;
    s.live = false;
  }
}

void grtran(float x, float y, float z, float& xs, float& ys, float& zs) {
  const auto& t = grcomn.trangr;
  const float zz = z * t[3][3];
  xs = x * t[0][0] + y * t[1][0] + zz * t[2][0] + t[3][0];
  ys = x * t[0][1] + y * t[1][1] + zz * t[2][1] + t[3][1];
  zs = x * t[0][2] + y * t[1][2] + zz * t[2][2] + t[3][2];
}

// Round axis steps: the interval d = (max - min) / n is brought into
// [1, 10) by a power of ten, the next table value above it gives a
// candidate step, and larger candidates are tried until n steps from a
// start at a multiple of the step (at or below min) reach max.
void grscal(double min, double max, int n, double& start, double& step) {
  static constexpr double kSteps[7] = {1, 2, 4, 5, 10, 20, 40};
  if (n < 1) n = 1;
  double d = (max - min) / n;
  if (d == 0) d = std::fabs(max) / n;
  int p = -9;
  for (int tries = 1; tries < 21 && !(d * std::pow(10.0, p) >= 1); ++tries) ++p;
  const double scale = std::pow(10.0, p);
  const double v = d * scale;
  int k = 6;  // 1-based index into kSteps
  for (int i = 2; i <= 6; ++i) {
    if (kSteps[i - 1] > v) {
      k = i;
      break;
    }
  }
  for (;; ++k) {
    step = kSteps[k - 2] / scale;
    // The quotient is not clamped: in double precision trunc() has no range
    // to overflow, and a clamped quotient would put the start far from min.
    const double q = min / step;
    start = q >= 0 ? std::trunc(q) * step : (std::trunc(q) - 1) * step;
    const bool fits = (max - start) / step < n + 1e-5 && (min - start) / step > -1e-5;
    if (fits || k >= 7) break;
  }
}

}  // namespace sketra
