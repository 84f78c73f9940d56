// Value classes and colour-filled contouring: class levels from data, the
// class of a value, the palettes of the scale types, and the band pieces
// that fill a polygon class by class.

#include "sketra/modes/common/classes.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "sketra/base/fatal.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/classes_internal.h"

namespace sketra {

ClassState grclass;

void classes_reset() { grclass = ClassState{}; }

int class_count() { return std::clamp(grcomn.colour.ncolgr, 1, kMaxClasses); }
void set_class_count(int n) { grcomn.colour.ncolgr = std::clamp(n, 1, kMaxClasses); }
bool contour_lines_on() { return grcomn.in[13] != 0; }
void set_contour_lines(bool on) { grcomn.in[13] = on ? 1 : 0; }
bool contour_labels_on() { return grcomn.display.contour_switches[0] != 0; }
void set_contour_labels(bool on) { grcomn.display.contour_switches[0] = on ? 1 : 0; }

// ---------------------------------------------------------------- levels

void grcfil(std::span<const float> values, int nx, int ny, int ld, int count,
            std::vector<float>& levels, float nodata) {
  double vmax = -std::numeric_limits<double>::infinity();
  double vmin = std::numeric_limits<double>::infinity();
  double sum = 0, sum2 = 0;
  long long n = 0;
  for (int j = 1; j <= ny; ++j) {
    for (int i = 1; i <= nx; ++i) {
      const long long k = (long long)(i - 1) + (long long)(j - 1) * ld;
      if (k < 0 || k >= (long long)values.size()) continue;
      const double v = values[size_t(k)];
      if (!std::isfinite(v)) continue;
      vmax = std::max(vmax, v);
      if (v <= nodata) continue;
      vmin = std::min(vmin, v);
      if (std::fabs(v) > 0.01) {
        sum += v;
        sum2 += v * v;
        ++n;
      }
    }
  }
  if (!std::isfinite(vmin)) vmin = std::isfinite(vmax) ? vmax : 0.0;
  if (!std::isfinite(vmax)) vmax = vmin;
  if (n > 2) {
    const double mean = sum / double(n);
    const double sd = std::sqrt(std::max(0.0, (sum2 - double(n) * mean * mean) / double(n - 1)));
    if (vmin < 0 && mean - sd > 0) vmin = 0;
    vmax = std::min(vmax, mean + 4 * sd);
  }
  const bool minus99 = !levels.empty() && std::fabs(levels[0] + 99.0f) < 0.001f;
  if (minus99 || count < 0) vmin = std::max(vmin, 0.0);
  const int classes = std::clamp(std::abs(count), 1, kMaxClasses);
  if (vmax < vmin) vmax = vmin;
  double start = 0, step = 0;
  grscal(vmin, vmax, classes, start, step);
  step = std::max(step, 0.001);
  levels.resize(size_t(classes));
  for (int k = 0; k < classes; ++k) levels[size_t(k)] = float(start + k * step);
  set_class_count(classes);
}

// Levels built by grcfil or the legend run upwards; a list that does not
// (a negative increment) is searched in order.
bool ascending_levels(std::span<const float> levels) { return std::is_sorted(levels.begin(), levels.end()); }

namespace {

int class_of(float v, std::span<const float> levels, bool ascending) {
  const int n = int(levels.size());
  if (ascending) {
    if (std::isnan(v)) return n + 1;
    return int(std::lower_bound(levels.begin(), levels.end(), v) - levels.begin()) + 1;
  }
  for (int k = 0; k < n; ++k)
    if (v <= levels[size_t(k)]) return k + 1;
  return n + 1;
}

}  // namespace

int value_class(float v, std::span<const float> levels) { return class_of(v, levels, ascending_levels(levels)); }

void value_classes(std::span<const float> v, std::span<const float> levels, std::span<int> out) {
  const bool ascending = ascending_levels(levels);
  const int n = int(levels.size());
  int c = 0;
  for (std::size_t k = 0; k < std::min(v.size(), out.size()); ++k) {
    // Neighbouring values mostly share a class: try the last one first.
    const bool same = ascending && c >= 1 && (c == 1 || v[k] > levels[size_t(c - 2)]) &&
                      (c == n + 1 || v[k] <= levels[size_t(c - 1)]);
    if (!same) c = class_of(v[k], levels, ascending);
    out[k] = c;
  }
}

int class_fill_colour(int k) { return grclass.transparent_below ? k - 1 : k; }

// ---------------------------------------------------------------- palettes

// Distinct colours a palette row of greys and a palette column of one hue
// give; more classes take the class ramp.
constexpr int kGreys = 20;
constexpr int kColumnRows = 9;

ClassPalette::ClassPalette() : mode_(grcomn.colour.mode), bank_(grcomn.colour.bank) {
  ColourState& c = grcomn.colour;
  const auto& pal = c.palette;
  switch (grclass.scale) {
    case ScaleType::grey:
      c.mode = 2;  // colours 1 ... 20 select the greys of row 0
      c.bank = 0;
      if (c.ncolgr > kGreys) {
        const std::uint32_t greys[] = {pal[1], pal[kGreys]};
        set_class_ramp(greys);
        c.mode = kRampMode;
      }
      break;
    case ScaleType::uniform: {
      const int column = std::clamp(grclass.uniform_column, 1, 9);
      c.mode = 3;  // colours k select rows k (1 ... 9) of one column
      c.bank = column;
      if (c.ncolgr > kColumnRows) {
        // Palest tint, full colour and darkest shade of the column.
        const std::uint32_t hue[] = {pal[size_t(column + 20)], pal[size_t(column + 100)], pal[size_t(column + 180)]};
        set_class_ramp(hue);
        c.mode = kRampMode;
      }
      break;
    }
    case ScaleType::rainbow:
    case ScaleType::none:
      break;
  }
}

ClassPalette::~ClassPalette() {
  grcomn.colour.mode = mode_;
  grcomn.colour.bank = bank_;
}

// ---------------------------------------------------------------- pieces

namespace {

using Vertex = detail::ClassVertex;

constexpr float kInf = std::numeric_limits<float>::infinity();

// Where the edge a-b passes `level`. Computed from the same end whichever
// way the edge is walked, so the pieces on both sides of an edge share the
// crossing bit for bit. A crossing within a rounding or so of an end comes
// out off the edge's line (often on the neighbouring cell edge), leaving
// slivers thinner than a rounding that fold over their neighbours: it is
// taken as that end. Merged hard copies rely on both.
Vertex crossing(const Vertex& a, const Vertex& b, float level) {
  if (b.x < a.x || (b.x == a.x && b.y < a.y)) return crossing(b, a, level);
  const float t = (level - a.v) / (b.v - a.v);
  const Vertex& end = t < 0.5f ? a : b;
  if (!(t > 0) || !(t < 1)) return {end.x, end.y, end.z, level};
  const Vertex c{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z), level};
  const double ex = double(b.x) - a.x, ey = double(b.y) - a.y;
  const double off_line = std::fabs(ex * (double(c.y) - a.y) - ey * (double(c.x) - a.x));
  const double from_end = std::hypot(double(c.x) - end.x, double(c.y) - end.y) * std::hypot(ex, ey);
  if (off_line > 0.25 * from_end) return {end.x, end.y, end.z, level};
  return c;
}

// One Sutherland-Hodgman pass of a convex polygon against v >= level
// (above) or v <= level: keeps the vertices on the inner side and puts in
// the crossing where an edge passes the level. Returns the count.
int clip_level(const Vertex* in, int n, float level, bool above, Vertex* out) {
  int m = 0;
  auto inside = [&](const Vertex& p) { return above ? p.v >= level : p.v <= level; };
  for (int k = 0; k < n; ++k) {
    const Vertex& a = in[k];
    const Vertex& b = in[(k + 1) % n];
    const bool ain = inside(a), bin = inside(b);
    if (ain) out[m++] = a;
    if (ain != bin) {
      const Vertex c = crossing(a, b, level);
      if (!(m > 0 && out[m - 1].x == c.x && out[m - 1].y == c.y)) out[m++] = c;
    }
  }
  if (m > 1 && out[0].x == out[m - 1].x && out[0].y == out[m - 1].y) --m;
  return m;
}

void emit(const Vertex* p, int n, int colour, const PieceSink& sink) {
  if (n < 3 || colour < 1) return;
  ClassPiece piece;
  piece.colour = colour;
  piece.count = std::min(n, kMaxBandCorners);
  for (int k = 0; k < piece.count; ++k) {
    piece.x[size_t(k)] = p[k].x;
    piece.y[size_t(k)] = p[k].y;
    piece.z[size_t(k)] = p[k].z;
  }
  sink(piece);
}

// Cuts a triangle into one piece per class it touches.
void cut_triangle(const Vertex* t, std::span<const float> levels, bool ascending, const PieceSink& sink) {
  const int n = int(levels.size());
  int lo = n + 1, hi = 1;
  for (int k = 0; k < 3; ++k) {
    const int c = class_of(t[k].v, levels, ascending);
    lo = std::min(lo, c);
    hi = std::max(hi, c);
  }
  for (int c = lo; c <= hi; ++c) {
    const int colour = class_fill_colour(c);
    if (colour < 1) continue;
    const float below = c >= 2 ? levels[size_t(c - 2)] : -kInf;
    const float top = c <= n ? levels[size_t(c - 1)] : kInf;
    Vertex a[8], b[8];
    int m = 3;
    std::copy(t, t + 3, a);
    if (c >= 2) m = clip_level(a, m, below, true, b);
    else std::copy(a, a + 3, b);
    if (c <= n) m = clip_level(b, m, top, false, a);
    else std::copy(b, b + m, a);
    emit(a, m, colour, sink);
  }
}

// Largest and smallest value, lowest class, whether all corners share a
// class.
struct Spread {
  float vmin = kInf, vmax = -kInf;
  int lo = 0, hi = 0;
  bool finite = true;
};

// `classes`, when not empty, are the values' classes (ascending levels).
Spread spread(std::span<const float> v, std::span<const float> levels, bool ascending,
              std::span<const int> classes = {}) {
  Spread s;
  s.lo = int(levels.size()) + 1;
  s.hi = 1;
  for (float f : v) {
    if (!std::isfinite(f)) s.finite = false;
    s.vmin = std::min(s.vmin, f);
    s.vmax = std::max(s.vmax, f);
  }
  if (!classes.empty() && s.finite) {
    const auto [lo, hi] = std::minmax_element(classes.begin(), classes.end());
    s.lo = *lo;
    s.hi = *hi;
    return s;
  }
  if (ascending && s.finite) {  // the class grows with the value
    s.lo = class_of(s.vmin, levels, true);
    s.hi = class_of(s.vmax, levels, true);
    return s;
  }
  for (float f : v) {
    const int c = class_of(f, levels, ascending);
    s.lo = std::min(s.lo, c);
    s.hi = std::max(s.hi, c);
  }
  return s;
}

float first_class_width(std::span<const float> levels) {
  return levels.size() >= 2 ? levels[1] - levels[0] : 0.0f;
}

}  // namespace

int uniform_fill_colour(std::span<const float> v, std::span<const float> levels, PieceRule rule) {
  return uniform_fill_colour(v, levels, rule, ascending_levels(levels));
}

namespace {

int one_class_colour(int k) {
  const int colour = class_fill_colour(k);
  return colour >= 1 ? colour : -1;
}

bool below_transparent(float vmax, std::span<const float> levels) {
  return grclass.transparent_below && !levels.empty() && vmax < levels[0] + 1e-20f;
}

int uniform_colour(const Spread& s, std::span<const float> levels, PieceRule rule) {
  if (!s.finite || below_transparent(s.vmax, levels)) return -1;
  const float share = rule == PieceRule::fan ? 0.02f : 0.001f;
  if (s.vmax - s.vmin < share * first_class_width(levels) || s.lo == s.hi) return one_class_colour(s.lo);
  return 0;
}

}  // namespace

int uniform_fill_colour(std::span<const float> v, std::span<const float> levels, PieceRule rule, bool ascending) {
  if (v.empty()) return -1;
  return uniform_colour(spread(v, levels, ascending), levels, rule);
}

int uniform_fill_colour(std::span<const float, 4> v, std::span<const int, 4> classes, std::span<const float> levels,
                        PieceRule rule) {
  const int k = classes[0];
  if (k == classes[1] && k == classes[2] && k == classes[3]) {
    // All corners in one class, the common case: one colour whatever the range.
    const bool finite = std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]) && std::isfinite(v[3]);
    return !finite || below_transparent(std::max({v[0], v[1], v[2], v[3]}), levels) ? -1 : one_class_colour(k);
  }
  return uniform_colour(spread(v, levels, true, classes), levels, rule);
}

void class_pieces(std::span<const float> x, std::span<const float> y, std::span<const float> z,
                  std::span<const float> v, std::span<const float> levels, PieceRule rule,
                  const PieceSink& sink) {
  const size_t n = std::min({x.size(), y.size(), v.size()});
  if (n > size_t(kMaxClassCorners))
    throw FatalError(rule == PieceRule::fan ? "More than 12 vertices in GRCOL2"
                                            : "More than 12 vertices in GRCOL21");
  if (n < 3) return;
  auto zf = [&](size_t k) { return k < z.size() ? z[k] : 0.0f; };
  const bool ascending = ascending_levels(levels);
  const int uniform = uniform_fill_colour(v.first(n), levels, rule, ascending);
  if (uniform < 0) return;
  Vertex p[kMaxClassCorners];
  for (size_t k = 0; k < n; ++k) p[k] = {x[k], y[k], zf(k), v[k]};
  if (uniform > 0) {
    emit(p, int(n), uniform, sink);
    return;
  }
  if (rule == PieceRule::triangle && n == 3) {
    cut_triangle(p, levels, ascending, sink);
    return;
  }
  // The centroid fan: triangle centroid - corner k - corner k+1.
  const Vertex m = detail::centroid(p, n);
  for (size_t k = 0; k < n; ++k) {
    const Vertex t[3] = {m, p[k], p[(k + 1) % n]};
    cut_triangle(t, levels, ascending, sink);
  }
}

// ---------------------------------------------------------------- drawing

namespace {

bool outside_window(std::span<const float> x, std::span<const float> y) {
  const PlotState& c = grcomn;
  const auto [x0, x1] = std::minmax_element(x.begin(), x.end());
  const auto [y0, y1] = std::minmax_element(y.begin(), y.end());
  return *x1 < c.xmncgr || *x0 > c.xmxcgr || *y1 < c.ymncgr || *y0 > c.ymxcgr;
}

void fill_plan(const ClassPiece& p) {
  if (grclass.scale == ScaleType::none) return;
  grfil2(std::span<const float>(p.x.data(), size_t(p.count)),
         std::span<const float>(p.y.data(), size_t(p.count)), p.colour);
}

void fill_3d(const ClassPiece& p) {
  if (grclass.scale == ScaleType::none) return;
  grfil3(std::span<const float>(p.x.data(), size_t(p.count)),
         std::span<const float>(p.y.data(), size_t(p.count)),
         std::span<const float>(p.z.data(), size_t(p.count)), p.colour);
}

void fill_by_classes(std::span<const float> x, std::span<const float> y,
                     std::span<const float> v, std::span<const float> levels, PieceRule rule) {
  const size_t n = std::min({x.size(), y.size(), v.size()});
  if (n > size_t(kMaxClassCorners)) {
    class_pieces(x, y, {}, v, levels, rule, fill_plan);  // reports the limit
    return;
  }
  if (n < 3 || outside_window(x.first(n), y.first(n))) return;
  ClassPalette palette;
  class_pieces(x.first(n), y.first(n), {}, v.first(n), levels, rule, fill_plan);
}

}  // namespace

void grcol2(std::span<const float> x, std::span<const float> y, std::span<const float> v,
            std::span<const float> levels) {
  if (std::min({x.size(), y.size(), v.size()}) == 3) {
    grcol21(x, y, v, levels);
    return;
  }
  fill_by_classes(x, y, v, levels, PieceRule::fan);
}

void grcol21(std::span<const float> x, std::span<const float> y, std::span<const float> v,
             std::span<const float> levels) {
  fill_by_classes(x, y, v, levels, PieceRule::triangle);
}

void grcol3(std::span<const float> x, std::span<const float> y, std::span<const float> z,
            std::span<const float> v, std::span<const float> levels) {
  if (!grcomn.projection) {
    grcol2(x, y, v, levels);
    return;
  }
  const size_t n = std::min({x.size(), y.size(), z.size(), v.size()});
  if (n > size_t(kMaxClassCorners)) throw FatalError("More than 12 vertices in GRCOL3");
  if (n < 3 || levels.empty()) return;
  const float vmax = *std::max_element(v.begin(), v.begin() + std::ptrdiff_t(n));
  if (levels[0] + 1e-6f > vmax) return;
  ClassPalette palette;
  class_pieces(x.first(n), y.first(n), z.first(n), v.first(n), levels,
               n == 3 ? PieceRule::triangle : PieceRule::fan, fill_3d);
}

}  // namespace sketra
