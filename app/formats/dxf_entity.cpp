#include "app/formats/dxf_entity.h"

#include <cmath>
#include <cstdint>
#include <numbers>

#include "sketra/base/textfmt.h"

namespace korvel::dxf {

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kTouch = 0.001;  // squared distance within which LINEs chain
constexpr int kCircleVertices = 40;

bool same_xy(const Vec3& a, const Vec3& b) { return a.x == b.x && a.y == b.y; }

// Equal but for the rounding of computed arc points.
bool near_xy(const Vec3& a, const Vec3& b) {
  auto close = [](double u, double v) { return std::fabs(u - v) <= 1e-9 * (std::fabs(u) + std::fabs(v) + 1.0); };
  return close(a.x, b.x) && close(a.y, b.y);
}

// Vertices on an arc: n = round(sweep * 3), at least 2.
int arc_vertices(double sweep) { return std::max(2, int(std::lround(std::fabs(sweep) * 3.0))); }

// Counterclockwise sweep from a0 to a1 (radians): a1 - a0, plus 2 pi when
// negative, so that 0 to 360 degrees is a full turn; angles beyond a turn
// are reduced to one.
double ccw_sweep(double a0, double a1) {
  double s = a1 - a0;
  if (!std::isfinite(s)) return 0;
  if (s < 0 || s > kTwoPi) {
    s = std::fmod(s, kTwoPi);
    if (s < 0) s += kTwoPi;
  }
  return s;
}

}  // namespace

Kind entity_kind(std::string_view n) {
  struct Name {
    std::string_view name;
    Kind kind;
  };
  static constexpr Name kNames[] = {
      {"POINT", Kind::point},   {"INSERT", Kind::insert},       {"LINE", Kind::line},   {"VERTEX", Kind::vertex},
      {"SEQEND", Kind::seqend}, {"LWPOLYLINE", Kind::lwpolyline}, {"HATCH", Kind::hatch}, {"POLYLINE", Kind::polyline},
      {"CIRCLE", Kind::circle}, {"ARC", Kind::arc},             {"3DFACE", Kind::face}, {"MTEXT", Kind::mtext},
  };
  for (const Name& e : kNames)
    if (e.name == n) return e.kind;
  return Kind::none;
}

void Sink::add(const Vec3& p, std::int8_t kind) {
  if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
    ++out_.invalid;  // a scale or radius beyond the range of numbers
    return;
  }
  if (std::int64_t(out_.x.size()) >= capacity_) {
    ++out_.refused;
    return;
  }
  out_.x.push_back(p.x);
  out_.y.push_back(p.y);
  out_.z.push_back(float(p.z));
  out_.kind.push_back(kind);
  if (!million_ && out_.x.size() > 1000000) {
    million_ = true;
    report("added 1 M nodes", log_);
  }
}

// ---- Reading the groups of a record ----------------------------------------------------

bool EntityReader::number(std::string_view value, double& v) const {
  return sketra::parse_real(value, v) && std::isfinite(v);
}

void EntityReader::begin(Kind kind, bool skip, bool chosen) {
  reset();
  kind_ = kind;
  skip_ = skip;
  chosen_ = (kind == Kind::vertex || kind == Kind::seqend) && poly_.open ? poly_.taken : chosen;
}

void EntityReader::reset() {
  kind_ = Kind::none;
  skip_ = false;
  chosen_ = true;
  paper_ = false;
  pts_.clear();
  for (int i = 0; i < 4; ++i) {
    p_[i] = Vec3{};
    have_[i] = false;
  }
  radius_ = start_ = end_ = elevation_ = 0;
  flags_ = 0;
  hatch_ = Hatch{};
}

bool EntityReader::group(int code, std::string_view value) {
  const bool coordinate = (code >= 10 && code <= 13) || (code >= 20 && code <= 23) || (code >= 30 && code <= 33);
  const bool other = code == 38 || code == 40 || code == 50 || code == 51 || code == 67 || code == 70 ||
                     (kind_ == Kind::hatch && (code == 41 || (code >= 72 && code <= 98)));
  if (code == 2 && kind_ != Kind::hatch) {
    pts_.clear();
    return true;
  }
  if (!coordinate && !other) return true;
  double v = 0;
  if (!number(value, v)) return false;
  // Groups 60 to 99 hold integers (flags, counts, edge types): a value
  // beyond the 32-bit range is not one of theirs.
  if (code >= 60 && code <= 99 && !(v >= INT32_MIN && v <= INT32_MAX)) return false;
  if (code == 67) {
    paper_ = v == 1;
    return true;
  }
  if (kind_ == Kind::hatch) return hatch_group(code, v);
  const int axis = code / 10 - 1, which = code % 10;
  if (coordinate) {
    v *= sfac_;
    if (which == 0) {
      if (axis == 0 || pts_.empty()) pts_.emplace_back();
      (axis == 0 ? pts_.back().x : axis == 1 ? pts_.back().y : pts_.back().z) = v;
    } else {
      (axis == 0 ? p_[which].x : axis == 1 ? p_[which].y : p_[which].z) = v;
      have_[which] = true;
    }
    return true;
  }
  switch (code) {
    case 38: elevation_ = v * sfac_; break;
    case 40: radius_ = v * sfac_; break;
    case 50: start_ = v * kDeg; break;
    case 51: end_ = v * kDeg; break;
    case 70: flags_ = int(v); break;
    default: break;
  }
  return true;
}

// ---- HATCH boundary paths -------------------------------------------------------------
//
// A HATCH record holds its elevation point (10/20/30), the pattern name (2),
// the number of boundary paths (91) and then each path: its type flags (92;
// bit 2 = polyline path), for a polyline path the vertex count (93) and the
// vertices (10/20, with bulges 42), for other paths the edge count (93) and
// each edge with its type (72) and data. After the paths come the hatch
// style (75) and pattern and the seed points (98, 10/20), which are no
// boundary.

bool EntityReader::hatch_group(int code, double v) {
  Hatch& h = hatch_;
  const bool xy = code == 10 || code == 20 || code == 11 || code == 21;
  if (xy || code == 30) v *= sfac_;
  if (h.stage == 0) {
    if (code == 30) h.elevation = v;
    if (code == 91) h.stage = 1;
    return true;
  }
  if (h.stage == 2) return true;
  if (code == 92) {
    hatch_edge_done();
    h.paths.emplace_back();
    h.polyline = (int(v) & 2) != 0;
    return true;
  }
  if (code == 75 || code == 98 || code == 97) {
    hatch_edge_done();
    if (code != 97) h.stage = 2;
    return true;
  }
  if (h.paths.empty()) return true;
  std::vector<Vec3>& path = h.paths.back().v;
  if (h.polyline) {
    if (code == 10) path.push_back(Vec3{v, 0, 0});
    if (code == 20 && !path.empty()) path.back().y = v;
    return true;
  }
  switch (code) {
    case 72:
      hatch_edge_done();
      h.edge = int(v);
      h.a = h.b = Vec3{};
      h.r = h.a0 = h.a1 = 0;
      h.ccw = true;
      break;
    case 10:
      if (h.edge == 4) path.push_back(Vec3{v, 0, 0});  // spline control point
      h.a.x = v;
      break;
    case 20:
      if (h.edge == 4 && !path.empty()) path.back().y = v;
      h.a.y = v;
      break;
    case 11: h.b.x = v; break;
    case 21: h.b.y = v; break;
    case 40: h.r = h.edge == 2 ? v * sfac_ : v; break;
    case 50: h.a0 = v; break;
    case 51: h.a1 = v; break;
    case 73: h.ccw = v != 0; break;
    default: break;
  }
  return true;
}

// Adds the points of the edge just read to the current path.
void EntityReader::hatch_edge_done() {
  Hatch& h = hatch_;
  const int edge = h.edge;
  h.edge = 0;
  if (h.paths.empty() || h.polyline || edge < 1 || edge > 3) return;
  std::vector<Vec3>& path = h.paths.back().v;
  auto put = [&](double x, double y) {
    Vec3 p{x, y, 0};
    if (path.empty() || !near_xy(path.back(), p)) path.push_back(p);
  };
  if (edge == 1) {
    put(h.a.x, h.a.y);
    put(h.b.x, h.b.y);
    return;
  }
  // Arcs and elliptic arcs: angles in degrees, counterclockwise unless the
  // flag says otherwise (then the angles are measured clockwise).
  double a0 = h.a0 * kDeg, a1 = h.a1 * kDeg, sign = h.ccw ? 1.0 : -1.0;
  double sweep = ccw_sweep(a0, a1);
  if (sweep == 0) sweep = kTwoPi;
  int n = arc_vertices(sweep);
  double ux = h.r, uy = 0, vx = 0, vy = h.r;  // axes of a circle of radius r
  if (edge == 3) {
    ux = h.b.x;
    uy = h.b.y;
    vx = -h.b.y * h.r;
    vy = h.b.x * h.r;
  }
  for (int k = 0; k < n; ++k) {
    double t = sign * (a0 + sweep * k / (n - 1));
    put(h.a.x + ux * std::cos(t) + vx * std::sin(t), h.a.y + uy * std::cos(t) + vy * std::sin(t));
  }
}

void EntityReader::emit_hatch() {
  hatch_edge_done();
  for (HatchPath& p : hatch_.paths) {
    if (p.v.size() >= 2 && near_xy(p.v.front(), p.v.back())) p.v.back() = p.v.front();
    emit_closed(p.v, hatch_.elevation, true);
  }
}

// ---- Emitting the record in hand ----------------------------------------------------------

// A line through the vertices at height z; closed ones end with the first again.
void EntityReader::emit_closed(const std::vector<Vec3>& v, double z, bool closed) {
  for (std::size_t i = 0; i < v.size(); ++i) sink_.add(Vec3{v[i].x, v[i].y, z}, i == 0 ? kDxfFirst : kDxfJoined);
  if (closed && v.size() >= 2 && !same_xy(v.front(), v.back())) sink_.add(Vec3{v[0].x, v[0].y, z}, kDxfJoined);
}

void EntityReader::emit_line() {
  if (pts_.empty() || !have_[1]) return;
  const Vec3& a = pts_[0];
  double dx = a.x - line_end_at_.x, dy = a.y - line_end_at_.y;
  if (line_end_ != sink_.last() || dx * dx + dy * dy >= kTouch) sink_.add(a, kDxfFirst);
  sink_.add(p_[1], kDxfJoined);
  line_end_ = sink_.last();
  line_end_at_ = p_[1];
}

void EntityReader::start_polyline() {
  finish_polyline();
  poly_.open = true;
  poly_.closed = (flags_ & 1) != 0;
  poly_.flat = (flags_ & (8 | 16 | 64)) == 0;
  poly_.elevation = pts_.empty() ? 0.0 : pts_[0].z;
  first_vertex_ = true;
}

void EntityReader::finish_polyline() {
  if (poly_.open && poly_.closed && poly_.count >= 2 && poly_.last == sink_.last()) {
    std::int64_t i = poly_.first;
    const DxfDrawing& d = sink_.drawing();
    if (d.x[std::size_t(i)] != d.x[std::size_t(poly_.last)] || d.y[std::size_t(i)] != d.y[std::size_t(poly_.last)])
      sink_.add(Vec3{d.x[std::size_t(i)], d.y[std::size_t(i)], d.z[std::size_t(i)]}, kDxfJoined);
  }
  poly_ = Polyline{};
  first_vertex_ = true;
}

void EntityReader::emit_vertex() {
  if (pts_.empty()) return;
  // Faces of a polyface mesh (flag 128 without 64) and spline frame points (16) are no vertices.
  if (((flags_ & 128) && !(flags_ & 64)) || (flags_ & 16)) return;
  Vec3 p = pts_[0];
  if (poly_.open && poly_.flat) p.z = poly_.elevation;
  sink_.add(p, first_vertex_ ? kDxfFirst : kDxfJoined);
  if (sink_.last() < 0) return;
  if (first_vertex_) poly_.first = sink_.last();
  poly_.last = sink_.last();
  ++poly_.count;
  first_vertex_ = false;
}

// n vertices from angle a0 over the sweep (radians) on the circle of radius
// r around c; a full circle ends exactly on its first vertex.
void EntityReader::emit_arc(const Vec3& c, double r, double a0, double sweep, int n) {
  const Vec3 first{c.x + r * std::cos(a0), c.y + r * std::sin(a0), c.z};
  sink_.add(first, kDxfFirst);
  for (int k = 1; k < n; ++k) {
    double a = a0 + sweep * k / (n - 1);
    bool closing = k == n - 1 && sweep >= kTwoPi;
    sink_.add(closing ? first : Vec3{c.x + r * std::cos(a), c.y + r * std::sin(a), c.z}, kDxfJoined);
  }
}

void EntityReader::emit_face() {
  if (pts_.empty() || !have_[1] || !have_[2]) return;
  std::vector<Vec3> v{pts_[0], p_[1], p_[2]};
  if (have_[3] && !same_xy(p_[3], p_[2])) v.push_back(p_[3]);
  for (std::size_t i = 0; i < v.size(); ++i) sink_.add(v[i], i == 0 ? kDxfFirst : kDxfJoined);
  sink_.add(v[0], kDxfJoined);
}

int EntityReader::end() {
  const Kind kind = kind_;
  if (kind == Kind::none) return 0;
  // Records inside block definitions and in paper space, and the VERTEX and
  // SEQEND records of a POLYLINE passed over, are no geometry of the drawing.
  if (skip_ || paper_ || (skip_vertices_ && (kind == Kind::vertex || kind == Kind::seqend))) {
    if (kind == Kind::polyline) skip_vertices_ = true;
    if (kind == Kind::seqend) skip_vertices_ = false;
    reset();
    return 1;
  }
  if (kind == Kind::polyline) skip_vertices_ = false;
  const bool take = chosen_;
  switch (kind) {
    case Kind::polyline:
      start_polyline();
      poly_.taken = take;
      break;
    case Kind::seqend:
      finish_polyline();
      break;
    case Kind::vertex:
      if (take) emit_vertex();
      break;
    default:
      if (!take) break;
      if (kind == Kind::point || kind == Kind::insert || kind == Kind::mtext) {
        if (!pts_.empty()) sink_.add(pts_[0], kDxfPoint);
      } else if (kind == Kind::line) {
        emit_line();
      } else if (kind == Kind::lwpolyline) {
        emit_closed(pts_, elevation_, (flags_ & 1) != 0);
      } else if (kind == Kind::hatch) {
        emit_hatch();
      } else if (kind == Kind::circle && circles_ && !pts_.empty()) {
        emit_arc(pts_[0], radius_, 0.0, kTwoPi, kCircleVertices);
      } else if (kind == Kind::arc && !pts_.empty()) {
        double sweep = ccw_sweep(start_, end_);
        emit_arc(pts_[0], radius_, start_, sweep, arc_vertices(sweep));
      } else if (kind == Kind::face) {
        emit_face();
      }
      break;
  }
  reset();
  return 0;
}

bool EntityReader::drop() {
  bool entity = kind_ != Kind::none && !skip_;
  reset();
  return entity;
}

}  // namespace korvel::dxf
