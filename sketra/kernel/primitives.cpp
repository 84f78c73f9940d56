// Moves, draws and filled polygons.
//
// On the screen a draw is clipped against the clip window and its visible
// part appended to the polyline buffer, which reaches the driver as one
// connected line (grdump). The clipping follows the four cases of the
// current point P and the new point Q: both inside, leaving, entering, and
// both outside with a visible piece in between. In the file modes the
// current point is kept here and each call handed to the file device.

#include <algorithm>
#include <cmath>
#include <vector>

#include "sketra/kernel/plot_internal.h"

namespace sketra {

using detail::WorldPoint;

namespace detail {

FillScratch fill_scratch;

void buffer_append(DevicePoint p) {
  PolylineBuffer& b = grcomn.polyline;
  if (b.count > 0 && b.points[size_t(b.count - 1)] == p) return;
  if (b.count >= kPolylineCapacity) grdump();
  b.points[size_t(b.count++)] = p;
}

void buffer_restart(DevicePoint p) {
  grdump();
  grcomn.polyline.points[0] = p;
  grcomn.polyline.count = 1;
}

void buffer_forget() { grcomn.polyline.count = 0; }

}  // namespace detail

namespace {

DevicePoint device(const WorldPoint& p) { return world_to_device(p.x, p.y); }

// Moves `a` along the segment towards `b` onto the clip bounds it lies
// beyond: first the x bounds, then the y bounds. `b` must lie inside on
// every bound that `a` crosses.
WorldPoint clip_towards(WorldPoint a, const WorldPoint& b) {
  const PlotState& c = grcomn;
  if (a.x < c.xmncgr || a.x > c.xmxcgr) {
    const double bound = a.x < c.xmncgr ? c.xmncgr : c.xmxcgr;
    a.y += (b.y - a.y) * (bound - a.x) / (b.x - a.x);
    a.x = bound;
  }
  if (a.y < c.ymncgr || a.y > c.ymxcgr) {
    const double bound = a.y < c.ymncgr ? c.ymncgr : c.ymxcgr;
    a.x += (b.x - a.x) * (bound - a.y) / (b.y - a.y);
    a.y = bound;
  }
  return a;
}

// Point on the line a-b where coordinate `axis` (0 x, 1 y) equals `bound`.
WorldPoint at_bound(const WorldPoint& a, const WorldPoint& b, int axis, double bound) {
  if (axis == 0) return {bound, a.y + (b.y - a.y) * (bound - a.x) / (b.x - a.x)};
  return {a.x + (b.x - a.x) * (bound - a.y) / (b.y - a.y), bound};
}

// Both ends outside: the visible piece of P-Q, if any. The ends are
// ordered by x and clipped to the x bounds, then ordered by y and clipped
// to the y bounds.
bool visible_piece(WorldPoint p, WorldPoint q, WorldPoint& a, WorldPoint& b) {
  const PlotState& c = grcomn;
  const bool overlaps = std::max(p.x, q.x) >= c.xmncgr && std::min(p.x, q.x) <= c.xmxcgr &&
                        std::max(p.y, q.y) >= c.ymncgr && std::min(p.y, q.y) <= c.ymxcgr;
  if (!overlaps) return false;
  a = p.x <= q.x ? p : q;
  b = p.x <= q.x ? q : p;
  if (a.x < c.xmncgr) a = at_bound(a, b, 0, c.xmncgr);
  if (b.x > c.xmxcgr) b = at_bound(a, b, 0, c.xmxcgr);
  if (a.y > b.y) std::swap(a, b);
  if (!(b.y >= c.ymncgr && a.y <= c.ymxcgr)) return false;
  if (a.y < c.ymncgr) a = at_bound(a, b, 1, c.ymncgr);
  if (b.y > c.ymxcgr) b = at_bound(a, b, 1, c.ymxcgr);
  return true;
}

bool finite(float x, float y) { return std::isfinite(x) && std::isfinite(y); }

void set_pen(float x, float y, float z) {
  grcomn.pen.x = x;
  grcomn.pen.y = y;
  grcomn.pen.z = z;
}

void move_to(float x, float y, float z, bool three_d) {
  PlotState& c = grcomn;
  if (is_file_mode(c.imodgr)) {
    set_pen(x, y, z);
    if (FileDevice* dev = detail::file_device()) dev->move({x, y, z}, three_d);
    return;
  }
  const bool inside = finite(x, y) && inside_clip(x, y);
  if (inside) detail::buffer_restart(world_to_device(x, y));
  c.pen.inside = inside;
  set_pen(x, y, z);
}

// Screen draw from the current point to (x, y): the four clipping cases.
void screen_draw(float x, float y) {
  PlotState& c = grcomn;
  const WorldPoint p{c.pen.x, c.pen.y};
  const WorldPoint q{x, y};
  const bool p_in = c.pen.inside;
  const bool q_in = finite(x, y) && inside_clip(x, y);
  const bool p_ok = finite(c.pen.x, c.pen.y);
  if (p_in && q_in) {
    detail::buffer_append(device(q));
  } else if (p_in && !q_in) {
    if (finite(x, y)) detail::buffer_append(device(clip_towards(q, p)));
  } else if (!p_in && q_in) {
    if (p_ok) {
      detail::buffer_restart(device(clip_towards(p, q)));
      detail::buffer_append(device(q));
    } else {
      detail::buffer_restart(device(q));
    }
  } else if (p_ok && finite(x, y)) {
    WorldPoint a, b;
    if (visible_piece(p, q, a, b)) {
      const double da = (a.x - p.x) * (a.x - p.x) + (a.y - p.y) * (a.y - p.y);
      const double db = (b.x - p.x) * (b.x - p.x) + (b.y - p.y) * (b.y - p.y);
      if (db < da) std::swap(a, b);
      detail::buffer_restart(device(a));
      detail::buffer_append(device(b));
    }
  }
  c.pen.inside = q_in;
}

void draw_to(float x, float y, float z, bool three_d) {
  PlotState& c = grcomn;
  if (is_file_mode(c.imodgr)) {
    const FileVertex from{c.pen.x, c.pen.y, c.pen.z};
    if (FileDevice* dev = detail::file_device()) dev->draw(from, {x, y, z}, three_d);
    set_pen(x, y, z);
    return;
  }
  c.pen.draw_z = z;
  screen_draw(x, y);
  set_pen(x, y, z);
}

// One Sutherland-Hodgman pass: keeps the vertices on the inner side of one
// bound and inserts the crossing where an edge passes it.
template <class Inside>
void clip_pass(const std::vector<WorldPoint>& in, std::vector<WorldPoint>& out, int axis,
               double bound, Inside inside) {
  out.clear();
  if (in.empty()) return;
  WorldPoint prev = in.back();
  bool prev_in = inside(prev);
  for (const WorldPoint& cur : in) {
    const bool cur_in = inside(cur);
    if (cur_in != prev_in) out.push_back(at_bound(prev, cur, axis, bound));
    if (cur_in) out.push_back(cur);
    prev = cur;
    prev_in = cur_in;
  }
}

// Clips a polygon to the clip window in the order x minimum, y minimum,
// x maximum, y maximum. The result is left in `a`.
void clip_polygon(std::vector<WorldPoint>& a, std::vector<WorldPoint>& b) {
  const PlotState& c = grcomn;
  clip_pass(a, b, 0, c.xmncgr, [&](const WorldPoint& p) { return p.x >= c.xmncgr; });
  clip_pass(b, a, 1, c.ymncgr, [&](const WorldPoint& p) { return p.y >= c.ymncgr; });
  clip_pass(a, b, 0, c.xmxcgr, [&](const WorldPoint& p) { return p.x <= c.xmxcgr; });
  clip_pass(b, a, 1, c.ymxcgr, [&](const WorldPoint& p) { return p.y <= c.ymxcgr; });
}

}  // namespace

void grdump() {
  PolylineBuffer& b = grcomn.polyline;
  if (b.count <= 1) return;
  if (detail::window_live())
    driver().polyline(std::span<const DevicePoint>(b.points.data(), size_t(b.count)));
  b.points[0] = b.points[size_t(b.count - 1)];
  b.count = 1;
}

void grmov2(float x, float y) { move_to(x, y, 0, false); }

void grdrw2(float x, float y) { draw_to(x, y, 0, false); }

void grmov3(float x, float y, float z) {
  const int mode = grcomn.imodgr;
  if (mode == kModeRecord || mode == kModeDxf || mode == kModeShape) {
    move_to(x, y, z, true);
    return;
  }
  if (grcomn.projection) {
    float zs = 0;
    grtran(x, y, z, x, y, zs);
  }
  move_to(x, y, z, false);
}

void grdrw3(float x, float y, float z) {
  const int mode = grcomn.imodgr;
  if (mode == kModeRecord || mode == kModeDxf || mode == kModeShape) {
    draw_to(x, y, z, true);
    return;
  }
  if (grcomn.projection) {
    float zs = 0;
    grtran(x, y, z, x, y, zs);
  }
  draw_to(x, y, z, false);
}

void grfil2(std::span<const float> x, std::span<const float> y, int colour) {
  PlotState& c = grcomn;
  const size_t n = std::min(x.size(), y.size());
  if (colour >= 5 && std::abs(c.colour.mode) == 4) return;
  if (colour > 0 && c.hatch_style != 0) {
    grhtch(x.first(n), y.first(n), colour, c.hatch_style, c.hatch_spacing);
    return;
  }
  if (is_file_mode(c.imodgr)) {
    if (FileDevice* dev = detail::file_device()) dev->fill(x.first(n), y.first(n), colour);
    return;
  }
  auto& [a, b, pts, xs, ys] = detail::fill_scratch;
  a.clear();
  bool inside = true;  // then clipping would leave the polygon as it is
  for (size_t i = 0; i < std::min(n, size_t(kFillCapacity)); ++i) {
    if (!finite(x[i], y[i])) continue;
    a.push_back({x[i], y[i]});
    inside = inside && inside_clip(x[i], y[i]);
  }
  if (!inside) clip_polygon(a, b);
  if (a.empty()) return;
  grdump();
  grcolr(colour);
  if (!detail::window_live()) return;
  pts.clear();
  for (const WorldPoint& p : a) pts.push_back(device(p));
  driver().fill_polygon(pts);
}

void grfil3(std::span<const float> x, std::span<const float> y, std::span<const float> z,
            int colour) {
  const size_t n = std::min({x.size(), y.size(), z.size()});
  if (grcomn.imodgr == kModeRecord) {
    if (FileDevice* dev = detail::file_device())
      dev->fill3(x.first(n), y.first(n), z.first(n), colour);
    return;
  }
  std::vector<float>& xs = detail::fill_scratch.xs;
  std::vector<float>& ys = detail::fill_scratch.ys;
  xs.resize(n);
  ys.resize(n);
  for (size_t i = 0; i < n; ++i) {
    float zs = 0;
    grtran(x[i], y[i], z[i], xs[i], ys[i], zs);
  }
  grfil2(xs, ys, colour);
}

}  // namespace sketra
