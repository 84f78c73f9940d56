// The Map entry of the surface viewer: values of the surface put onto the
// nodes of a TRIANGLE node file (rewritten in place) or the points of an
// unstruct file (written to the output unit).
//
// A point takes the value of the triangle that holds it: the lowest-numbered
// one, found through the viewer's triangle index; a triangle with an empty
// corner (NODATA) holds no value, so empty values are never blended into
// others. A point in no triangle
// keeps its value in Keep mode. In Nearest mode it is tried again at four
// nearby positions (+0.2 in x, then +0.2 in y, -0.4 in x, -0.4 in y, each
// step from the last), and after that takes the value of the node nearest
// to the point itself.
//
// The node file is replaced only once its new version is complete and on
// the disk; until then, and after any failure, the old file is untouched.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>
#include <vector>

#include "app/formats/triangle_files.h"
#include "sketra/base/index_sort.h"
#include "sketra/base/replace_file.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/surface/surface_files.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra::detail {

namespace {

constexpr int kMapMark = 1405;          // symbol drawn at a point that found its triangle
constexpr float kNoValue = -9999.0f;    // value given to a node that had none and gets none

// The node nearest to a point, by a bucket grid over the nodes: the cells
// are visited ring by ring around the point's cell until no unvisited cell
// can hold a nearer node. Of equally near nodes the lowest-numbered wins.
class NearestNodes {
 public:
  explicit NearestNodes(const SurfaceData& s) : s_(s) {
    double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.nodes(); ++i) {
      if (!std::isfinite(s.x[i]) || !std::isfinite(s.y[i])) continue;
      x0 = std::min(x0, double(s.x[i])), x1 = std::max(x1, double(s.x[i]));
      y0 = std::min(y0, double(s.y[i])), y1 = std::max(y1, double(s.y[i]));
      ++n;
    }
    if (n == 0) return;
    const double w = std::max(x1 - x0, 1e-6), h = std::max(y1 - y0, 1e-6);
    cell_ = std::sqrt(w * h / double(n));  // about one node per cell
    nx_ = int(std::clamp(std::ceil(w / cell_), 1.0, 4096.0));
    ny_ = int(std::clamp(std::ceil(h / cell_), 1.0, 4096.0));
    cw_ = w / nx_, ch_ = h / ny_;
    x0_ = x0, y0_ = y0;
    start_.assign(std::size_t(nx_) * std::size_t(ny_) + 1, 0);
    for (int pass = 0; pass < 2; ++pass) {
      for (std::size_t i = 0; i < s.nodes(); ++i) {
        if (!std::isfinite(s.x[i]) || !std::isfinite(s.y[i])) continue;
        const std::size_t c = cell_of(s.x[i], s.y[i]);
        if (pass == 0) ++start_[c + 1];
        else list_[start_[c]++] = std::uint32_t(i);
      }
      if (pass == 0) {
        for (std::size_t c = 1; c < start_.size(); ++c) start_[c] += start_[c - 1];
        list_.resize(start_.back());
      } else {
        // The fill moved each start to the next cell's; move them back.
        for (std::size_t c = start_.size() - 1; c > 0; --c) start_[c] = start_[c - 1];
        start_[0] = 0;
      }
    }
  }

  // 0-based number of the nearest node; -1 when there is none.
  std::int64_t find(double px, double py) const {
    if (nx_ == 0 || !std::isfinite(px) || !std::isfinite(py)) return -1;
    const int hx = column(px), hy = row(py);
    std::int64_t best = -1;
    double best_d2 = INFINITY;
    for (int r = 0;; ++r) {
      for (int j = hy - r; j <= hy + r; ++j) {
        if (j < 0 || j >= ny_) continue;
        const bool edge_row = j == hy - r || j == hy + r;
        for (int i = hx - r; i <= hx + r; i += edge_row ? 1 : 2 * r) {
          if (i >= 0 && i < nx_) visit(std::size_t(j) * std::size_t(nx_) + std::size_t(i), px, py, best, best_d2);
          if (r == 0) break;
        }
      }
      // Distance from the point to the nearest side of the visited block
      // beyond which nodes may still lie.
      double bound = INFINITY;
      if (hx - r > 0) bound = std::min(bound, px - (x0_ + (hx - r) * cw_));
      if (hx + r < nx_ - 1) bound = std::min(bound, x0_ + (hx + r + 1) * cw_ - px);
      if (hy - r > 0) bound = std::min(bound, py - (y0_ + (hy - r) * ch_));
      if (hy + r < ny_ - 1) bound = std::min(bound, y0_ + (hy + r + 1) * ch_ - py);
      if (bound == INFINITY || (best >= 0 && best_d2 < bound * bound)) return best;
    }
  }

 private:
  int column(double x) const { return std::clamp(int(std::floor((x - x0_) / cw_)), 0, nx_ - 1); }
  int row(double y) const { return std::clamp(int(std::floor((y - y0_) / ch_)), 0, ny_ - 1); }
  std::size_t cell_of(float x, float y) const {
    return std::size_t(row(y)) * std::size_t(nx_) + std::size_t(column(x));
  }
  void visit(std::size_t c, double px, double py, std::int64_t& best, double& best_d2) const {
    for (std::uint32_t k = start_[c]; k < start_[c + 1]; ++k) {
      const std::uint32_t i = list_[k];
      const double dx = double(s_.x[i]) - px, dy = double(s_.y[i]) - py, d2 = dx * dx + dy * dy;
      if (d2 < best_d2 || (d2 == best_d2 && std::int64_t(i) < best)) best = i, best_d2 = d2;
    }
  }

  SurfaceData s_;
  double x0_ = 0, y0_ = 0, cw_ = 1, ch_ = 1, cell_ = 1;
  int nx_ = 0, ny_ = 0;
  std::vector<std::uint32_t> start_, list_;
};

// The value of the surface for points given relative to the plot origin.
class PointMapper {
 public:
  explicit PointMapper(SurfaceView& sv) : sv_(sv) {
    const SurfaceData& s = sv.data;
    for (std::size_t i = 0; i < s.nodes(); ++i) {
      if (!std::isfinite(s.x[i]) || !std::isfinite(s.y[i])) continue;
      x0_ = std::min(x0_, s.x[i]), x1_ = std::max(x1_, s.x[i]);
      y0_ = std::min(y0_, s.y[i]), y1_ = std::max(y1_, s.y[i]);
    }
  }
  // The value at (px, py); false when the point keeps its own (Keep mode,
  // or no node at all).
  bool value(double px, double py, float& v) {
    const bool nearest = grtrs.lnear == 1;
    float x = float(px), y = float(py);
    if (!nearest && !(x >= x0_ && x <= x1_ && y >= y0_ && y <= y1_)) return false;
    TriangleIndex::Hit h = find(x, y);
    static constexpr float kShift[4][2] = {{0.2f, 0}, {0, 0.2f}, {-0.4f, 0}, {0, -0.4f}};
    for (int k = 0; k < 4 && nearest && !h.found(); ++k) {
      x += kShift[k][0], y += kShift[k][1];
      h = find(x, y);
    }
    if (h.found()) {
      v = h.value;
      grmov2(float(px), float(py));
      grsymb(kMapMark);
      return true;
    }
    if (!nearest) return false;
    if (!nodes_) nodes_ = std::make_unique<NearestNodes>(sv_.data);
    const std::int64_t k = nodes_->find(px, py);
    if (k < 0) return false;
    v = sv_.data.value[std::size_t(k)];
    return true;
  }

 private:
  // The triangle that holds (x, y), unless one of its corners is empty (at
  // or below the no-data limit): empty values are never blended.
  TriangleIndex::Hit find(float x, float y) {
    const TriangleIndex::Hit h = sv_.index().find(x, y);
    if (!h.found()) return h;
    const auto t = std::size_t(h.triangle);
    for (int k = 0; k < 3; ++k)
      if (!(sv_.data.corner_value(t, k) > grtrs.zndt)) return {};
    return h;
  }

  SurfaceView& sv_;
  float x0_ = INFINITY, x1_ = -INFINITY, y0_ = INFINITY, y1_ = -INFINITY;
  std::unique_ptr<NearestNodes> nodes_;
};

// The order in which to visit points so that neighbours follow each other:
// strips across y (about a thousand), x ascending within a strip. The
// surface's index and nodes then stay in the cache from point to point.
std::vector<std::int32_t> in_strips(std::span<const double> x, std::span<const double> y) {
  const auto [x0, x1] = std::minmax_element(x.begin(), x.end());
  const auto [y0, y1] = std::minmax_element(y.begin(), y.end());
  std::vector<double> key(x.size());
  if (!x.empty() && std::isfinite(*x1 - *x0) && std::isfinite(*y1 - *y0)) {
    const double width = *x1 - *x0 + 1.0, strip = std::max((*y1 - *y0) / 1024.0, 1e-9);
    for (std::size_t i = 0; i < x.size(); ++i) key[i] = std::floor((y[i] - *y0) / strip) * width + (x[i] - *x0);
  }
  std::vector<std::int32_t> order;
  mqsort(order, key);
  return order;
}

// Node: the node file given the surface's values and replaced.
void map_node(SurfaceView& sv, ViewContext& v) {
  grmesg("name of .node file");
  std::string name = ".node", filter;
  if (!gropn(name, filter, kSurfaceReadUnit)) return;
  LineReader* in = unit_reader(kSurfaceReadUnit);
  PointMapper mapper(sv);
  const double xo = grcomn.xorgr, yo = grcomn.yorgr;
  korvel::NodeFileMapped done;
  const korvel::NodeValues values = [&](const korvel::NodePositions& nodes, std::vector<float>& z) {
    const std::size_t n = nodes.x.size();
    z.assign(n, kNoValue);
    const std::vector<std::int32_t> order = in_strips(nodes.x, nodes.y);
    for (std::size_t k = 0; k < n; ++k) {
      if (k % 4096 == 0) {
        grbeam(std::int64_t(k), std::int64_t(n), "%1mapping nodes");
        if (v.interrupted()) return false;
      }
      const auto i = std::size_t(order[k]);
      if (!mapper.value(nodes.x[i] - xo, nodes.y[i] - yo, z[i]) && nodes.has_old) z[i] = nodes.old[i];
    }
    return true;
  };
  const korvel::FileResult r = write_beside(name, [&](korvel::TextOut& out) {
    SurfaceBar bar("%1mapping nodes");  // reading, mapping and writing are one step to the person
    return korvel::map_node_file(*in, out, name, values, bar, done);
  });
  unit_close(kSurfaceReadUnit);
  grdump();
  grflip();
  grmesg(r.ok ? std::string("node file updated") : "node file not changed: " + r.message);
}

// The first word of a line in lower case, up to 4 characters.
std::string keyword(std::string_view line) {
  line = trim(line);
  std::string k(line.substr(0, std::min<std::size_t>(line.size(), 4)));
  for (char& c : k) c = char(std::tolower(static_cast<unsigned char>(c)));
  return k;
}

// Unstruct: the points of the file with the surface's values, and every
// other line as it is, to the output unit.
void map_unstruct(SurfaceView& sv, ViewContext& v) {
  grmesg("name of file in unstruct format");
  std::string name, filter;
  if (!gropn(name, filter, kSurfaceReadUnit)) return;
  LineReader* in = unit_reader(kSurfaceReadUnit);
  PointMapper mapper(sv);
  const int unit = grcomn.joutgr;
  const double xo = grcomn.xorgr, yo = grcomn.yorgr;
  bool coded = false;  // after "line" points carry a code, after "xyz" not
  std::int64_t n = 0, lines = 0;
  double sum = 0, sum2 = 0;
  std::string_view line;
  std::string text;
  while (in->next(line)) {
    if (++lines % 4096 == 0) {
      grbeam(std::int64_t(in->offset()), std::int64_t(in->size()), "%1mapping nodes");
      if (v.interrupted()) break;
    }
    const std::string k = keyword(line);
    if (k.starts_with("xyz")) coded = false;
    if (k.starts_with("line")) coded = true;
    const std::string_view body = trim(line);
    const bool number = !body.empty() && (std::isdigit(static_cast<unsigned char>(body[0])) || body[0] == '+' ||
                                          body[0] == '-' || body[0] == '.');
    if (!number) {
      unit_write(unit, line);
      continue;
    }
    double p[4] = {0, 0, 0, 0};
    const std::size_t want = coded ? 4 : 3;
    const FreeResult res = read_reals(line, std::span<double>(p, want));
    bool good = !res.error && std::size_t(res.filled) == want;
    for (std::size_t i = 0; i < want && good; ++i) good = std::isfinite(p[i]);
    if (!good) continue;  // begins like a number but is none: dropped
    float z = float(p[2]);
    if (mapper.value(p[0] - xo, p[1] - yo, z)) {
      const double d = p[2] - double(z);
      sum += d, sum2 += d * d, ++n;
    }
    text.clear();
    append_f(text, p[0], 12, 3);
    append_f(text, p[1], 12, 3);
    append_f(text, z, 9, 3);
    if (coded) append_i(text, std::int64_t(p[3]), 2);
    else text += " /";
    unit_write(unit, text);
  }
  unit_close(kSurfaceReadUnit);
  grdump();
  grflip();
  const double m = sum / double(std::max<std::int64_t>(n, 1));
  const double var = (sum2 - double(n) * m * m) / double(std::max<std::int64_t>(n - 1, 1));
  grmesg("mapped nodes stored on output file");
  grmesg("n=" + fmt_i(n, 5) + " Mean=" + fmt_f(m, 12, 3) + " Stdev=" + fmt_f(std::sqrt(std::max(var, 0.0)), 12, 3));
}

void help() {
  const std::vector<std::string> lines = {"Map options:",
                                          "Node      maps the surface onto a TRIANGLE node file",
                                          "          (its first attribute; the file is rewritten).",
                                          "Unstruct  maps the surface onto the points of an unstruct",
                                          "          file; results go to the output file.",
                                          "Nearest   points outside the surface take the value of",
                                          "          the nearest node (click: Keep).",
                                          "Keep      points outside the surface keep their value",
                                          "          (click: Nearest)."};
  grtext(lines);
}

}  // namespace

void map_menu(SurfaceView& s, ViewContext& v) {
  for (;;) {
    const std::vector<std::string> captions = {" NNode", " UUnstruct", grtrs.lnear == 1 ? "  Nearest" : "  Keep", " ??",
                                               ">DDone"};
    int sel = kMenuColumn;
    float x = 0, y = 0;
    grcurs(captions, sel, x, y);
    switch (sel) {
      case 1: map_node(s, v); break;
      case 2: map_unstruct(s, v); break;
      case 3: grtrs.lnear = 1 - grtrs.lnear; break;
      case 4: help(); break;
      case 5: return;
      default:
        if (nobody_answers(sel)) return;
        break;
    }
  }
}

}  // namespace sketra::detail
