// Contour lines through polygons (grmon2, grmon3) and their labels.

#include <algorithm>
#include <cmath>

#include "sketra/base/textfmt.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/classes.h"
#include "sketra/modes/common/classes_internal.h"

namespace sketra {

namespace {

// Device length of contour line drawn between two labels of one level.
constexpr float kLabelSpacing = 240.0f;

using Corner = detail::ClassVertex;

// The piece of level `level` (index `index`) inside one triangle: the
// corners lying on the level and the crossings of the edges that pass it.
// Exactly two such points make a segment.
void triangle_segment(const Corner* t, float level, int index, const SegmentSink& sink) {
  Corner p[6];
  int m = 0;
  for (int k = 0; k < 3; ++k) {
    const Corner& a = t[k];
    const Corner& b = t[(k + 1) % 3];
    if (a.v == level) p[m++] = a;
    if ((a.v < level && b.v > level) || (a.v > level && b.v < level)) {
      const float f = (level - a.v) / (b.v - a.v);
      p[m++] = {a.x + f * (b.x - a.x), a.y + f * (b.y - a.y), a.z + f * (b.z - a.z), level};
    }
  }
  if (m != 2) return;
  sink({index, p[0].x, p[0].y, p[0].z, p[1].x, p[1].y, p[1].z});
}

}  // namespace

void contour_segments(std::span<const float> x, std::span<const float> y,
                      std::span<const float> z, std::span<const float> v,
                      std::span<const float> levels, const SegmentSink& sink) {
  const size_t n = std::min({x.size(), y.size(), v.size(), size_t(kMaxClassCorners)});
  if (n < 3) return;
  Corner p[kMaxClassCorners];
  float vmin = v[0], vmax = v[0];
  for (size_t k = 0; k < n; ++k) {
    p[k] = {x[k], y[k], k < z.size() ? z[k] : 0.0f, v[k]};
    if (!std::isfinite(v[k])) return;
    vmin = std::min(vmin, v[k]);
    vmax = std::max(vmax, v[k]);
  }
  if (!(vmin < vmax)) return;
  // The levels strictly inside the polygon's range.
  auto crosses = [&](size_t l) { return levels[l] > vmin && levels[l] < vmax; };
  if (n == 3) {
    for (size_t l = 0; l < levels.size(); ++l)
      if (crosses(l)) triangle_segment(p, levels[l], int(l), sink);
    return;
  }
  const Corner m = detail::centroid(p, n);
  for (size_t l = 0; l < levels.size(); ++l) {
    if (!crosses(l)) continue;
    for (size_t k = 0; k < n; ++k) {
      const Corner t[3] = {m, p[k], p[(k + 1) % n]};
      triangle_segment(t, levels[l], int(l), sink);
    }
  }
}

std::string level_text(float value, float step) {
  int d = 0;
  const double s = std::fabs(double(step));
  if (s > 0) {
    for (; d < 6; ++d) {
      const double scaled = s * std::pow(10.0, d);
      const double rest = std::fabs(scaled - std::round(scaled));
      if (std::round(scaled) >= 1 && rest < 0.01 * scaled) break;
    }
  } else {
    d = 3;
  }
  std::string t = fmt_f(value, 16, d);
  t.erase(0, t.find_first_not_of(' '));
  if (!t.empty() && t.back() == '.') t.pop_back();
  if (t.size() > 11 || t.find('*') != std::string::npos) {
    t = fmt_g(value, 11, 4);
    t.erase(0, t.find_first_not_of(' '));
    while (!t.empty() && t.back() == ' ') t.pop_back();
  }
  return t;
}

void contour_labels_begin(int levels) {
  grclass.label_run.assign(size_t(std::max(levels, 0)), kLabelSpacing * 0.5f);
}

namespace {

// Writes the level along the line once enough of it has been drawn since
// the last label of that level; the text is turned by the segment's
// direction, kept readable (between -90 and 90 degrees).
void label_segment(const ContourSegment& s, std::span<const float> levels) {
  auto& run = grclass.label_run;
  if (s.level < 0 || size_t(s.level) >= run.size()) return;
  const PlotState& c = grcomn;
  const float dx = (s.x2 - s.x1) * c.xfacgr;
  const float dy = (s.y2 - s.y1) * -c.yfacgr;
  run[size_t(s.level)] += std::hypot(dx, dy);
  if (run[size_t(s.level)] < kLabelSpacing) return;
  run[size_t(s.level)] = 0;
  float angle = std::atan2(dy, dx) * 57.29578f;
  if (angle > 90) angle -= 180;
  if (angle < -90) angle += 180;
  const float step = levels.size() >= 2 ? levels[1] - levels[0] : 0.0f;
  grmov2(0.5f * (s.x1 + s.x2), 0.5f * (s.y1 + s.y2));
  granot("~~" + level_text(levels[size_t(s.level)], step), angle);
}

}  // namespace

void grmon2(std::span<const float> x, std::span<const float> y, std::span<const float> v,
            std::span<const float> levels) {
  const bool labels = contour_labels_on() && !grclass.label_run.empty();
  contour_segments(x, y, {}, v, levels, [&](const ContourSegment& s) {
    grmov2(s.x1, s.y1);
    grdrw2(s.x2, s.y2);
    if (labels) label_segment(s, levels);
  });
}

void grmon3(std::span<const float> x, std::span<const float> y, std::span<const float> z,
            std::span<const float> v, std::span<const float> levels) {
  if (!grcomn.projection) {
    grmon2(x, y, v, levels);
    return;
  }
  contour_segments(x, y, z, v, levels, [](const ContourSegment& s) {
    grmov3(s.x1, s.y1, s.z1);
    grdrw3(s.x2, s.y2, s.z2);
  });
}

}  // namespace sketra
