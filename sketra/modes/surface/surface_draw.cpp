// Drawing a triangulated surface: filled classes (shaded when asked),
// contour lines with dashed mid-levels, triangle edges.
//
// On the screen in plan view two short cuts keep large surfaces quick and
// leave the picture as it is: a triangle wholly outside the window is
// skipped, and one that covers no pixel centre is left out (the display
// fills exactly the pixels whose centres a polygon covers, and the pieces
// of a triangle split by classes lie inside it). Hard copies, keep files and 3-D views get every triangle.

#include <algorithm>
#include <cmath>

#include "sketra/base/index_sort.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/classes.h"
#include "sketra/modes/surface/surface_internal.h"

namespace sketra {

namespace {

constexpr int kPollTriangles = 4096;  // triangles drawn between looks at the menu
constexpr int kGridColour = -4;       // triangle edges

struct Corners {
  float x[3], y[3], v[3];
};

Corners corners(const SurfaceData& s, std::size_t t) {
  const Triangle& tr = s.triangles[t];
  const std::int32_t n[3] = {tr.a, tr.b, tr.c};
  Corners c;
  for (int k = 0; k < 3; ++k) {
    c.x[k] = s.x[std::size_t(n[k] - 1)];
    c.y[k] = s.y[std::size_t(n[k] - 1)];
    c.v[k] = s.corner_value(t, k);
  }
  return c;
}

bool outside_clip(const Corners& c) {
  const PlotState& p = grcomn;
  const auto [x0, x1] = std::minmax({c.x[0], c.x[1], c.x[2]});
  const auto [y0, y1] = std::minmax({c.y[0], c.y[1], c.y[2]});
  return x1 < p.xmncgr || x0 > p.xmxcgr || y1 < p.ymncgr || y0 > p.ymxcgr;
}

// True when the triangle's device outline holds a pixel centre. Triangles
// of more than two pixels across always do (or nearly so: they are drawn).
bool covers_a_pixel_centre(const Corners& c) {
  DevicePoint d[3];
  for (int k = 0; k < 3; ++k) d[k] = world_to_device(c.x[k], c.y[k]);
  const auto [x0, x1] = std::minmax({d[0].x, d[1].x, d[2].x});
  const auto [y0, y1] = std::minmax({d[0].y, d[1].y, d[2].y});
  // Corners that meet in device pixels leave no area to fill.
  const long long twice_area = (long long)(d[1].x - d[0].x) * (d[2].y - d[0].y) -
                               (long long)(d[2].x - d[0].x) * (d[1].y - d[0].y);
  if (twice_area == 0) return false;
  if (x1 - x0 > 2 || y1 - y0 > 2) return true;
  auto edge = [&](int a, int b, double px, double py) {
    return double(d[b].x - d[a].x) * (py - d[a].y) - double(d[b].y - d[a].y) * (px - d[a].x);
  };
  for (int py = y0; py < y1; ++py)
    for (int px = x0; px < x1; ++px) {
      const double cx = px + 0.5, cy = py + 0.5;
      const double e0 = edge(0, 1, cx, cy), e1 = edge(1, 2, cx, cy), e2 = edge(2, 0, cx, cy);
      if ((e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0)) return true;
    }
  return false;
}

void edges(const Corners& c) {
  grcolr(kGridColour);
  grmov3(c.x[0], c.y[0], c.v[0]);
  grdrw3(c.x[1], c.y[1], c.v[1]);
  grdrw3(c.x[2], c.y[2], c.v[2]);
  grdrw3(c.x[0], c.y[0], c.v[0]);
}

// The painter's order: in 3-D views the triangles by the depth of their
// centroids, far first; in plan views stored order.
void paint_order(SurfaceView& sv) {
  const SurfaceData& s = sv.data;
  const std::size_t n = s.triangles.size();
  if (!grcomn.projection) {
    sv.order.clear();
    return;
  }
  sv.depth.resize(n);
  for (std::size_t t = 0; t < n; ++t) {
    const Corners c = corners(s, t);
    const float f = 0.33333334f;
    float xs = 0, ys = 0, zs = 0;
    grtran((c.x[0] + c.x[1] + c.x[2]) * f, (c.y[0] + c.y[1] + c.y[2]) * f, (c.v[0] + c.v[1] + c.v[2]) * f, xs, ys,
           zs);
    sv.depth[t] = zs;
  }
  grqsrt(sv.order, sv.depth);
}

bool fill_triangles(SurfaceView& sv, std::span<const float> levels, const std::function<bool()>& stop) {
  const SurfaceData& s = sv.data;
  if (grclass.scale == ScaleType::none || levels.empty()) return true;
  paint_order(sv);
  const bool shaded = grcomn.display.shading != 0;
  const bool grey = shaded && grclass.scale == ScaleType::grey;
  std::vector<float> work(levels.begin(), levels.end());
  if (grey)
    for (std::size_t k = 0; k < work.size(); ++k) work[k] = float(k) * 0.08f;
  const bool screen = is_screen_mode(grcomn.imodgr) && !grcomn.projection && grtrs.short_cuts;
  const float zscale = grcomn.trangr[3][3];
  ClassPalette palette;
  const int bank = grcomn.colour.bank;
  const int shade_index = grclass.shade_index;
  const std::size_t n = s.triangles.size();
  bool done = true;
  for (std::size_t i = 0; i < n; ++i) {
    if (i % kPollTriangles == 0 && stop && stop()) {
      done = false;
      break;
    }
    const std::size_t t = sv.order.size() == n ? std::size_t(sv.order[i]) : i;
    const Corners c = corners(s, t);
    if (screen && outside_clip(c)) continue;
    float w[3] = {c.v[0], c.v[1], c.v[2]};
    if (shaded) {
      const float z[3] = {c.v[0] * zscale, c.v[1] * zscale, c.v[2] * zscale};
      const float cosine = grcosa(3, c.x, c.y, z, grclass.light);
      if (grey) {
        w[0] = w[1] = w[2] = 1.0f - cosine;
      } else {
        grclass.shade_index = int((1.0f - cosine) * 5.0f + 2.0f);
        // In colour mode 2 the bank is the palette row: pale tints face the
        // light, dark shades turn away from it.
        if (grcomn.colour.mode == 2) grcomn.colour.bank = std::clamp(grclass.shade_index, 1, 9);
      }
    }
    if (screen) {
      const int colour = uniform_fill_colour(w, work, PieceRule::triangle);
      if (colour >= 0 && covers_a_pixel_centre(c)) {
        if (colour > 0) grfil2(c.x, c.y, colour);
        else grcol3(c.x, c.y, c.v, w, work);
      }
    } else {
      grcol3(c.x, c.y, c.v, w, work);
    }
    if (grtrs.iopt9 == 1) edges(c);
  }
  grcomn.colour.bank = bank;
  grclass.shade_index = shade_index;
  return done;
}

// True when some level lies strictly between the smallest and the largest
// corner value.
bool crosses(const Corners& c, std::span<const float> levels, bool ascending) {
  const auto [lo, hi] = std::minmax({c.v[0], c.v[1], c.v[2]});
  if (!(lo < hi)) return false;
  if (!ascending) return true;
  const auto it = std::upper_bound(levels.begin(), levels.end(), lo);
  return it != levels.end() && *it < hi;
}

bool contour_pass(const SurfaceData& s, std::span<const float> levels, const std::function<bool()>& stop) {
  const bool ascending = std::is_sorted(levels.begin(), levels.end());
  const bool screen = is_screen_mode(grcomn.imodgr) && !grcomn.projection;
  for (std::size_t t = 0; t < s.triangles.size(); ++t) {
    if (t % kPollTriangles == 0 && stop && stop()) return false;
    const Corners c = corners(s, t);
    if ((screen && outside_clip(c)) || !crosses(c, levels, ascending)) continue;
    grmon3(c.x, c.y, c.v, c.v, levels);
  }
  return true;
}

bool contour_lines(const SurfaceData& s, std::span<const float> levels, const std::function<bool()>& stop) {
  grcolr(grtrs.imcol);
  contour_labels_begin(int(levels.size()));
  if (!contour_pass(s, levels, stop)) return false;
  if (grtrs.iopt2 != 1 || levels.size() < 2) return true;
  // Mid-levels, dashed, between the class levels.
  std::vector<float> mid;
  const float half = 0.5f * (levels[1] - levels[0]);
  for (std::size_t k = 0; k + 1 < levels.size(); ++k) mid.push_back(levels[k] + half);
  grdash(2);
  contour_labels_begin(0);
  const bool done = contour_pass(s, mid, stop);
  grdash(1);
  return done;
}

}  // namespace

void detail::draw_edges(const SurfaceData& s) {
  for (std::size_t t = 0; t < s.triangles.size(); ++t) edges(corners(s, t));
  grdump();
  grcolr(kBlack);
}

bool draw_surface(SurfaceView& sv, std::span<const float> levels, const std::function<bool()>& stop) {
  const SurfaceData& s = sv.data;
  if (!s.valid()) return true;
  const int colour = grcomn.current_colour;
  const bool filled = grtrs.iopt2 != 1 || fill_triangles(sv, levels, stop);
  grcolr(colour);
  if (!filled) return false;
  // Without fill the edges have their own pass.
  if (grtrs.iopt2 != 1 && grtrs.iopt9 == 1) detail::draw_edges(s);
  grcolr(colour);
  if (contour_lines_on() && !contour_lines(s, levels, stop)) return false;
  grdump();
  return true;
}

}  // namespace sketra
