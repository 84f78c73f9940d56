// Axes of the display-mode loop: scales from the data extents (graxes pass
// 0), the frame with its ticks, labels, grid, titles and date line (pass
// 1), and the axis-label layout (grprnt).
//
// Scales are chosen in absolute co-ordinates, so that the ticks fall on
// round survey co-ordinates whatever the plot origin; the window is stored
// relative to the origin as always. The frame is drawn in pixel mode: it
// spans 0 ... NXINGR * XSCLGR * 50 by 0 ... NYINGR * YSCLGR * 50 pixels.

#include <algorithm>
#include <cmath>

#include "sketra/base/textfmt.h"
#include "sketra/control/control.h"
#include "sketra/kernel/plot.h"

namespace sketra {

namespace {

constexpr int kMaxTicks = 10000;  // far more than any frame holds

void text_at(float x, float y, std::string_view text) {
  grmov2(x, y);
  granot(text, 0);
}

void line(float x1, float y1, float x2, float y2) {
  grmov2(x1, y1);
  grdrw2(x2, y2);
}

// Orders lo/hi and widens the range to at least 0.01 about its middle.
void order_and_widen(double& lo, double& hi) {
  if (lo > hi) std::swap(lo, hi);
  if (hi - lo < 0.01) {
    const double mid = lo / 2 + hi / 2;
    lo = mid - 0.005;
    hi = mid + 0.005;
  }
}

// Step 1 of the axes: the window from round steps that cover the extents.
void set_scales(double xmin, double xmax, double ymin, double ymax) {
  PlotState& c = grcomn;
  order_and_widen(xmin, xmax);
  order_and_widen(ymin, ymax);
  double xs = 0, xst = 1, ys = 0, yst = 1;
  grscal(xmin, xmax, std::max(c.nxingr, 1), xs, xst);
  grscal(ymin, ymax, std::max(c.nyingr, 1), ys, yst);
  if (c.in[1] == 1) {
    const double big = std::max(std::fabs(xst), std::fabs(yst));
    if (std::fabs(xst) < big) {
      xst = std::copysign(big, xst);
      xs = std::floor(xs / xst) * xst;
    } else if (std::fabs(yst) < big) {
      yst = std::copysign(big, yst);
      ys = std::floor(ys / yst) * yst;
    }
  }
  c.xmingr = xs - c.xorgr;
  c.xmaxgr = c.xmingr + c.nxingr * xst;
  c.ymingr = ys - c.yorgr;
  c.ymaxgr = c.ymingr + c.nyingr * yst;
}

// Ticks of one axis: the window lo ... hi (relative to `origin`) with
// `n` intervals. Values are absolute; positions in pixels from the frame's
// edge (`scale` pixels per world unit).
struct Ticks {
  double step = 0;
  std::vector<double> values;
  std::vector<float> pixels;
};

Ticks ticks(double lo, double hi, int n, double origin, double scale) {
  Ticks t;
  t.step = (hi - lo) / std::max(n, 1);
  if (!(std::fabs(t.step) > 0) || !std::isfinite(t.step)) return t;
  const double alo = lo + origin, ahi = hi + origin;
  const double first = std::trunc(alo / t.step) * t.step;
  const double eps = std::fabs(t.step) * 1e-6;
  for (int k = 0; k < kMaxTicks; ++k) {
    const double v = first + k * t.step;
    if ((t.step > 0 && v > ahi + eps) || (t.step < 0 && v < ahi - eps)) break;
    if ((t.step > 0 && v < alo - eps) || (t.step < 0 && v > alo + eps)) continue;
    t.values.push_back(v);
    t.pixels.push_back(float((v - alo) * scale));
  }
  return t;
}

void draw_titles(float fh) {
  text_at(0, fh + 17, trim_right(grcomt.titlgr));
  text_at(0, fh + 5, trim_right(grcomt.subtitle));
}

void draw_date_line(float fw) {
  const float y = grcomn.in[2] == 1 ? -35.0f : -15.0f;
  text_at(0, y, trim_right(grcomt.dategr));
  const std::string_view firm = trim_right(grcomt.firmgr);
  text_at(fw - float(kFontWidth) * float(firm.size()), y, firm);
}

void draw_grid(const Ticks& xt, const Ticks& yt, float fw, float fh) {
  grdash(3);
  for (float px : xt.pixels) line(px, 0, px, fh);
  for (float py : yt.pixels) line(0, py, fw, py);
  grdash(1);
}

void draw_axes(const Ticks& xt, const Ticks& yt, float fw, float fh) {
  const float xs[] = {0, fw, fw, 0};
  const float ys[] = {0, 0, fh, fh};
  grfram(xs, ys, kBlack);
  const std::string_view xlabel = trim_right(grcomt.xlabel);
  text_at(fw / 2 - 2.5f * float(xlabel.size()), -28, xlabel);
  std::vector<std::string> labels(xt.values.size());
  int widest = 0;
  for (std::size_t i = 0; i < xt.values.size(); ++i)
    widest = std::max(widest, grprnt(xt.values[i], xt.step, labels[i], true));
  for (std::size_t i = 0; i < xt.values.size(); ++i) {
    const float px = xt.pixels[i];
    line(px, 0, px, 3);
    line(px, fh, px, fh - 3);
    if (widest < 6 || i % 2 == 1) text_at(px - 34, -12, labels[i]);
  }
  text_at(10 - grcomn.xorggr, fh / 2, trim_right(grcomt.ylabel));
  for (std::size_t i = 0; i < yt.values.size(); ++i) {
    const float py = yt.pixels[i];
    line(0, py, 3, py);
    line(fw, py, fw - 3, py);
    std::string label;
    grprnt(yt.values[i], yt.step, label, false);
    const std::string_view l = trim_right(label);
    text_at(-3 - float(kFontWidth) * float(l.size()), py - 3, l);
  }
}

}  // namespace

void graxes(double xmin, double xmax, double ymin, double ymax, int pass) {
  PlotState& c = grcomn;
  bool rescale = pass == 0 && c.indsgr == 1;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (rescale) set_scales(xmin, xmax, ymin, ymax);
    grsfac();
    c.xmncgr = std::min(c.xmingr, c.xmaxgr), c.xmxcgr = std::max(c.xmingr, c.xmaxgr);
    c.ymncgr = std::min(c.ymingr, c.ymaxgr), c.ymxcgr = std::max(c.ymingr, c.ymaxgr);
    if (c.xmaxgr != c.xmingr && c.ymaxgr != c.ymingr) break;
    // A window without extent: scales from the data after all.
    c.indsgr = 1;
    c.in[0] = 1;
    rescale = true;
  }
  if (pass != 1 || !is_screen_mode(c.imodgr)) return;
  const Ticks xt = ticks(c.xmingr, c.xmaxgr, c.nxingr, c.xorgr, c.xfacgr);
  const Ticks yt = ticks(c.ymingr, c.ymaxgr, c.nyingr, c.yorgr, -c.yfacgr);
  const float fw = float(c.nxingr) * c.xsclgr * 50, fh = float(c.nyingr) * c.ysclgr * 50;
  grclip(0);
  grcolr(kBlack);
  grdash(1);
  if (c.ikeygr < 1) draw_titles(fh);
  if (ctrl.shot.date) draw_date_line(fw);
  if (!c.projection) {
    if (c.in[3] == 1) draw_grid(xt, yt, fw, fh);
    if (c.in[2] == 1) draw_axes(xt, yt, fw, fh);
  }
  grdump();
  grclip(1);
}

int grprnt(double value, double step, std::string& text, bool pad) {
  int n = value == 0 || !std::isfinite(value) ? 1 : int(std::trunc(std::log10(std::fabs(value)))) + 1;
  if (value < 0) ++n;
  int d = 0;
  const double s = std::fabs(step);
  if (s > 0 && std::isfinite(s)) {
    for (d = 0; d < 9; ++d) {
      const double x = s * std::pow(10.0, d);
      if (std::fabs(x - std::round(x)) < 0.01 * x) break;
    }
  }
  int w = d > 0 ? n + d + 1 : n;
  if (w > 12) {
    text = fmt_e(value, 9, 3) + std::string(9, ' ');
    return 9;
  }
  std::string s_out;
  if (d == 0) {
    w = std::max(w, 1);
    s_out = fmt_i(std::llround(value), w);
  } else {
    s_out = fmt_f(value, w, d);
    if (s_out.find('*') != std::string::npos) {
      text = fmt_e(value, 12, 4);
      return 12;
    }
    const std::size_t point = s_out.find('.');
    if (point != std::string::npos && point > 0 && s_out[point - 1] == ' ') s_out[point - 1] = '0';
  }
  text = pad ? std::string(std::size_t(std::max(0, (12 - w) / 2)), ' ') + s_out : s_out;
  return w;
}

}  // namespace sketra
