// The mesher: CGAL's constrained Delaunay triangulation, refined by CGAL's
// Delaunay mesher with criteria of our own (minimum angle, area limits that
// may differ per region or per old element).
//
// How a mesh is made:
//  1. The input vertices go in (spatially sorted), each vertex carrying its
//     input index; then the segments as constraints. Crossing segments are
//     split at their intersection (Exact_predicates_tag: CGAL computes the
//     crossing point almost exactly and snaps it into the two triangles
//     around the crossed edge, so the triangulation stays valid with inexact
//     constructions). Such crossing points get the next indices and
//     attributes interpolated along their segment.
//  2. The domain is marked on the faces: everything reachable from the
//     outside without crossing a constraint is out, and so is what is
//     reachable from a hole point. The convex hull (switch c, or an input
//     without segments) is meshed by making its edges constraints. When
//     refining (r), the old elements are rebuilt exactly in a second
//     triangulation, the "reference": every element edge is a constraint and
//     each face knows its element. The new triangulation has the old
//     boundary as constraints and a face is in the domain when its centroid
//     lies in an old element.
//  3. The reference answers "where was this point?": region or element of a
//     face (for area limits during refinement and regional attributes) and
//     the face whose corners interpolate a new vertex's attributes. Without
//     r it is a copy of the triangulation taken before refinement.
//  4. With a global area limit the domain is first seeded with an
//     equilateral lattice (lattice.h) and marked again.
//  5. CGAL's mesher refines faces in the domain until none is bad. It runs
//     step by step so that a runaway refinement ends with an error instead of
//     exhausting memory.

#include <CGAL/Constrained_Delaunay_triangulation_2.h>
#include <CGAL/Delaunay_mesh_face_base_2.h>
#include <CGAL/Delaunay_mesh_vertex_base_2.h>
#include <CGAL/Delaunay_mesher_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_face_base_with_info_2.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>
#include <CGAL/spatial_sort.h>

#include <chrono>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "meshgen/lattice.h"
#include "meshgen/meshgen.h"

namespace meshgen {

namespace {

using K = CGAL::Exact_predicates_inexact_constructions_kernel;
using Point = K::Point_2;

struct VertexInfo {
  int id = -1;  // input index, or the index given to a new vertex; -1 before
};
struct FaceInfo {
  int tag = -1;  // region or old element index; -1 for none
};

using Vb = CGAL::Delaunay_mesh_vertex_base_2<K, CGAL::Triangulation_vertex_base_with_info_2<VertexInfo, K>>;
using Fb = CGAL::Delaunay_mesh_face_base_2<
    K, CGAL::Constrained_triangulation_face_base_2<K, CGAL::Triangulation_face_base_with_info_2<FaceInfo, K>>>;
using Tds = CGAL::Triangulation_data_structure_2<Vb, Fb>;
using CDT = CGAL::Constrained_Delaunay_triangulation_2<K, Tds, CGAL::Exact_predicates_tag>;
using VH = CDT::Vertex_handle;
using FH = CDT::Face_handle;

// A refinement that passes this many vertices is taken as running away
// (about 60 million triangles, several gigabytes).
constexpr std::size_t kMaxVertices = 30'000'000;

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

Point centroid(const FH& f) {
  return CGAL::centroid(f->vertex(0)->point(), f->vertex(1)->point(), f->vertex(2)->point());
}

// The finite face of `t` containing p (or the nearest one across the hull
// when rounding puts p just outside). `hint` speeds up nearby queries.
FH locate_finite(const CDT& t, const Point& p, FH& hint) {
  FH f = t.locate(p, hint);
  if (f == FH() ) return FH();
  if (t.is_infinite(f)) f = f->neighbor(f->index(t.infinite_vertex()));
  hint = f;
  return f;
}

// Starting faces for walks in a triangulation that no longer changes: a grid
// over its bounding box keeps, per cell, the face where the last walk into
// that cell ended, so that queries in any order walk only a short way.
class HintGrid {
 public:
  void build(const CDT& t) {
    x0_ = y0_ = HUGE_VAL;
    double x1 = -HUGE_VAL, y1 = -HUGE_VAL;
    for (VH v : t.finite_vertex_handles()) {
      x0_ = std::min(x0_, v->point().x());
      y0_ = std::min(y0_, v->point().y());
      x1 = std::max(x1, v->point().x());
      y1 = std::max(y1, v->point().y());
    }
    n_ = std::clamp<std::size_t>(std::size_t(std::sqrt(double(t.number_of_faces()) / 4)), 1, 1024);
    cw_ = std::max(x1 - x0_, 1e-300) / double(n_);
    ch_ = std::max(y1 - y0_, 1e-300) / double(n_);
    hints_.assign(n_ * n_, FH());
  }
  FH locate(const CDT& t, const Point& p) {
    auto index = [&](double v, double origin, double size) {
      const double k = std::floor((v - origin) / size);
      return std::size_t(std::clamp(k, 0.0, double(n_ - 1)));
    };
    return locate_finite(t, p, hints_[index(p.y(), y0_, ch_) * n_ + index(p.x(), x0_, cw_)]);
  }

 private:
  double x0_ = 0, y0_ = 0, cw_ = 1, ch_ = 1;
  std::size_t n_ = 1;
  std::vector<FH> hints_;
};

// Minimum angle and area limits. A face is imperatively bad when it is
// larger than its limit, bad when its smallest angle is below the bound.
// The limit of a face is the smaller of the global one and that of the
// reference face holding its centroid (region or old element).
class Criteria {
 public:
  using Face_handle = FH;

  // q1 < q2: q1 is refined first (larger excess, then smaller angle).
  struct Quality {
    double sine = 1;    // squared sine of the smallest angle
    double excess = 0;  // area / limit; 0 without a limit
    bool operator<(const Quality& q) const {
      if (excess > 1 || q.excess > 1) return excess > q.excess;
      return sine < q.sine;
    }
  };

  struct Limits {
    double bound = 0;                // squared sine of the minimum angle; 0: none
    double global = 0;               // area limit, 0: none
    const CDT* reference = nullptr;  // with per-tag limits
    const std::vector<double>* per_tag = nullptr;
    mutable HintGrid hints;

    double at(const FH& f) const {
      double limit = global;
      if (per_tag && !per_tag->empty()) {
        FH r = hints.locate(*reference, centroid(f));
        if (r != FH() && r->info().tag >= 0 && std::size_t(r->info().tag) < per_tag->size()) {
          const double own = (*per_tag)[std::size_t(r->info().tag)];
          if (own > 0 && (limit <= 0 || own < limit)) limit = own;
        }
      }
      return limit;
    }
  };

  class Is_bad {
   public:
    explicit Is_bad(const Limits* l) : l_(l) {}
    CGAL::Mesh_2::Face_badness operator()(const Quality q) const {
      if (q.excess > 1) return CGAL::Mesh_2::IMPERATIVELY_BAD;
      if (q.sine < l_->bound) return CGAL::Mesh_2::BAD;
      return CGAL::Mesh_2::NOT_BAD;
    }
    CGAL::Mesh_2::Face_badness operator()(const FH& f, Quality& q) const {
      const Point& a = f->vertex(0)->point();
      const Point& b = f->vertex(1)->point();
      const Point& c = f->vertex(2)->point();
      const double area = CGAL::area(a, b, c);
      const double la = CGAL::squared_distance(b, c), lb = CGAL::squared_distance(c, a),
                   lc = CGAL::squared_distance(a, b);
      // The smallest angle lies between the two longer edges: (2A)² / (l1 l2).
      const double shortest = std::min({la, lb, lc});
      const double product = shortest == la ? lb * lc : (shortest == lb ? la * lc : la * lb);
      q.sine = 4 * area * area / product;
      const double limit = l_->at(f);
      q.excess = limit > 0 ? area / limit : 0;
      return operator()(q);
    }

   private:
    const Limits* l_;
  };

  explicit Criteria(const Limits* l) : l_(l) {}
  Is_bad is_bad_object() const { return Is_bad(l_); }

 private:
  const Limits* l_;
};

// Inserts the vertices of `v` with their indices; handles[i] is vertex i.
void insert_vertices(CDT& t, const Vertices& v, std::vector<VH>& handles) {
  std::vector<std::size_t> order(v.size());
  std::vector<Point> pts(v.size());
  for (std::size_t i = 0; i < v.size(); ++i) {
    order[i] = i;
    pts[i] = Point(v.x(i), v.y(i));
  }
  using Traits = CGAL::Spatial_sort_traits_adapter_2<K, CGAL::Pointer_property_map<Point>::type>;
  CGAL::spatial_sort(order.begin(), order.end(), Traits(CGAL::make_property_map(pts)));
  handles.assign(v.size(), VH());
  FH hint;
  for (std::size_t i : order) {
    VH h = t.insert(pts[i], hint);
    h->info().id = int(i);
    handles[i] = h;
    hint = h->face();
  }
}

// Makes every convex hull edge a constraint.
void constrain_hull(CDT& t) {
  std::vector<std::pair<VH, VH>> hull;
  for (FH f : t.all_face_handles()) {
    if (!t.is_infinite(f)) continue;
    const int i = f->index(t.infinite_vertex());
    hull.emplace_back(f->vertex(CDT::cw(i)), f->vertex(CDT::ccw(i)));
  }
  for (auto& [a, b] : hull) t.insert_constraint(a, b);
}

// Sets in_domain on every face reachable from f without crossing a constraint.
void flood(FH start, bool in_domain, int tag, bool set_tag) {
  std::vector<FH> stack{start};
  start->set_in_domain(in_domain);
  if (set_tag) start->info().tag = tag;
  while (!stack.empty()) {
    FH f = stack.back();
    stack.pop_back();
    for (int i = 0; i < 3; ++i) {
      FH n = f->neighbor(i);
      if (f->is_constrained(i)) continue;
      if (n->is_in_domain() == in_domain && (!set_tag || n->info().tag == tag)) continue;
      n->set_in_domain(in_domain);
      if (set_tag) n->info().tag = tag;
      stack.push_back(n);
    }
  }
}

// The input vertex at the end of the chain of constrained edges that leaves
// v along `from -> v`, walking straight through vertices that are crossing
// points themselves (id >= n). Returns v when no such end is found.
VH chain_end(const CDT& t, VH from, VH v, int n) {
  for (std::size_t steps = 0; v->info().id >= n && steps < t.number_of_vertices(); ++steps) {
    const double dx = v->point().x() - from->point().x(), dy = v->point().y() - from->point().y();
    VH best;
    double best_dot = 0;
    auto e = t.incident_edges(v), end = e;
    do {
      if (!t.is_infinite(*e) && t.is_constrained(*e)) {
        VH w = e->first->vertex(CDT::cw(e->second)) == v ? e->first->vertex(CDT::ccw(e->second))
                                                          : e->first->vertex(CDT::cw(e->second));
        const double ex = w->point().x() - v->point().x(), ey = w->point().y() - v->point().y();
        const double dot = (dx * ex + dy * ey) / std::sqrt((ex * ex + ey * ey) * (dx * dx + dy * dy));
        if (w != from && dot > best_dot) {
          best_dot = dot;
          best = w;
        }
      }
    } while (++e != end);
    if (best == VH()) return v;
    from = v;
    v = best;
  }
  return v;
}

// Gives the crossing points made while inserting segments the indices n, n+1,
// ... and attributes interpolated between the input vertices at the two ends
// of their segment.
void number_crossings(CDT& t, const Vertices& in, Vertices& out) {
  const int n = int(in.size());
  std::vector<VH> crossings;
  for (VH v : t.finite_vertex_handles()) {
    if (v->info().id < 0) {
      v->info().id = n + int(crossings.size());
      crossings.push_back(v);
    }
  }
  const std::size_t na = std::size_t(in.nattr);
  for (VH v : crossings) {
    out.xy.push_back(v->point().x());
    out.xy.push_back(v->point().y());
    out.marker.push_back(0);
    VH a = v, b = v;
    auto e = t.incident_edges(v), end = e;
    do {
      if (!t.is_infinite(*e) && t.is_constrained(*e)) {
        VH w = e->first->vertex(CDT::cw(e->second)) == v ? e->first->vertex(CDT::ccw(e->second))
                                                          : e->first->vertex(CDT::cw(e->second));
        a = chain_end(t, v, w, n);
        b = chain_end(t, w, v, n);
        break;
      }
    } while (++e != end);
    const double da = std::sqrt(CGAL::squared_distance(v->point(), a->point()));
    const double db = std::sqrt(CGAL::squared_distance(v->point(), b->point()));
    const double s = da + db > 0 ? da / (da + db) : 0;
    for (std::size_t k = 0; k < na; ++k) {
      const double va = a->info().id < n ? in.attr[std::size_t(a->info().id) * na + k] : 0;
      const double vb = b->info().id < n ? in.attr[std::size_t(b->info().id) * na + k] : 0;
      out.attr.push_back((1 - s) * va + s * vb);
    }
  }
}

}  // namespace

namespace {

// The triangulation being meshed with what it needs on the way.
struct Work {
  CDT cdt;
  CDT reference;            // see the top of this file
  bool has_reference = false;
  std::vector<double> tag_limits;  // area limit per reference tag
  Vertices vertices;        // input vertices, then crossing points
};

Failure too_few(const Pslg& in, const std::string& source) {
  if (in.vertices.size() < 3) return Error{source, 0, "at least three vertices are needed"};
  return std::nullopt;
}

Failure flat(const CDT& t, const std::string& source) {
  if (t.dimension() < 2) return Error{source, 0, "the vertices all lie on one line"};
  return std::nullopt;
}

// Marks the faces of the domain: all but those reachable from outside or
// from a hole point without crossing a constraint; with regions, each face
// gets the index of the region whose point reaches it.
void mark_domain(const Pslg& in, const Options& opt, Work& w) {
  // Infinite faces start inside too, so that the flood from outside passes
  // through all of them and enters at every hull edge.
  for (FH f : w.cdt.all_face_handles()) {
    f->set_in_domain(true);
    f->info().tag = -1;
  }
  flood(w.cdt.infinite_face(), false, -1, false);
  FH hint;
  if (opt.poly) {
    for (const auto& hole : in.holes) {
      FH f = w.cdt.locate(Point(hole[0], hole[1]), hint);
      if (f != FH() && !w.cdt.is_infinite(f) && f->is_in_domain()) flood(f, false, -1, false);
    }
    const bool regions = opt.regional_attributes || opt.region_areas;
    for (std::size_t r = 0; regions && r < in.regions.size(); ++r) {
      FH f = w.cdt.locate(Point(in.regions[r].x, in.regions[r].y), hint);
      if (f != FH() && !w.cdt.is_infinite(f) && f->is_in_domain()) flood(f, true, int(r), true);
    }
  }
}

// Steps 1 and 2 without r: vertices, segments, hull, holes, regions.
Failure build_from_pslg(const Pslg& in, const Options& opt, const std::string& source, Work& w) {
  std::vector<VH> h;
  insert_vertices(w.cdt, in.vertices, h);
  if (auto e = flat(w.cdt, source)) return e;
  if (opt.poly) {
    for (const Segment& s : in.segments) w.cdt.insert_constraint(h[std::size_t(s.a)], h[std::size_t(s.b)]);
  }
  number_crossings(w.cdt, in.vertices, w.vertices);
  if (opt.convex_hull || !opt.poly || in.segments.empty()) constrain_hull(w.cdt);

  mark_domain(in, opt, w);
  if (opt.poly && opt.region_areas) {
    for (const Region& r : in.regions) w.tag_limits.push_back(r.max_area);
  }
  if (in.vertices.nattr > 0 || opt.regional_attributes || !w.tag_limits.empty()) {
    w.reference = w.cdt;
    w.has_reference = true;
  }
  return std::nullopt;
}

// Marks the domain when refining: the constraints (old boundary, input
// segments) cut the triangulation into parts that lie wholly inside or
// outside the old elements; one centroid per part tells which.
void mark_by_reference(Work& w) {
  for (FH f : w.cdt.all_face_handles()) f->info().tag = -2;  // not yet seen
  FH hint;
  for (FH f : w.cdt.all_face_handles()) {
    if (f->info().tag != -2) continue;
    FH r = w.cdt.is_infinite(f) ? FH() : locate_finite(w.reference, centroid(f), hint);
    const bool inside = r != FH() && r->info().tag >= 0;
    std::vector<FH> stack{f};
    f->info().tag = -1;
    f->set_in_domain(inside);
    while (!stack.empty()) {
      FH g = stack.back();
      stack.pop_back();
      for (int i = 0; i < 3; ++i) {
        FH n = g->neighbor(i);
        if (g->is_constrained(i) || n->info().tag != -2) continue;
        n->info().tag = -1;
        n->set_in_domain(inside);
        stack.push_back(n);
      }
    }
  }
}

// Steps 1 and 2 with r: the old elements rebuilt as the reference, then the
// triangulation with the old boundary and the input segments as constraints.
Failure build_from_mesh(const Pslg& in, const std::vector<Triangle>& old, const std::vector<double>& limits,
                        const Options& opt, const std::string& source, Work& w) {
  std::vector<VH> rh;
  insert_vertices(w.reference, in.vertices, rh);
  if (auto e = flat(w.reference, source)) return e;
  w.has_reference = true;
  for (const Triangle& t : old) {
    for (int k = 0; k < 3; ++k) {
      w.reference.insert_constraint(rh[std::size_t(t[std::size_t(k)])], rh[std::size_t(t[std::size_t((k + 1) % 3)])]);
    }
  }
  if (w.reference.number_of_vertices() != in.vertices.size()) {
    return Error{source + ".ele", 0, "element edges cross each other"};
  }
  for (FH f : w.reference.all_face_handles()) f->info().tag = -1;
  for (std::size_t e = 0; e < old.size(); ++e) {
    FH f;
    const Triangle& t = old[e];
    if (!w.reference.is_face(rh[std::size_t(t[0])], rh[std::size_t(t[1])], rh[std::size_t(t[2])], f) ||
        f->info().tag >= 0) {
      return Error{source + ".ele", 0, "element " + std::to_string(e + std::size_t(in.vertices.first_number)) +
                                           " overlaps another element or has no area"};
    }
    f->info().tag = int(e);
  }
  if (opt.area_file) w.tag_limits = limits;

  std::vector<VH> h;
  insert_vertices(w.cdt, in.vertices, h);
  for (FH f : w.reference.finite_face_handles()) {
    for (int i = 0; i < 3; ++i) {
      FH n = f->neighbor(i);
      const bool inside = f->info().tag >= 0, other = !w.reference.is_infinite(n) && n->info().tag >= 0;
      if (inside && !other) {
        w.cdt.insert_constraint(h[std::size_t(f->vertex(CDT::cw(i))->info().id)],
                                h[std::size_t(f->vertex(CDT::ccw(i))->info().id)]);
      }
    }
  }
  if (opt.poly) {
    for (const Segment& s : in.segments) w.cdt.insert_constraint(h[std::size_t(s.a)], h[std::size_t(s.b)]);
  }
  number_crossings(w.cdt, in.vertices, w.vertices);
  mark_by_reference(w);
  return std::nullopt;
}

// Seeds the domain with the lattice of lattice.h for a global area limit and
// marks the domain again. Lattice triangles are 0.8 of the limit; points
// keep 0.55 of the spacing from every vertex and constraint.
void seed_lattice(const Pslg& in, const Options& opt, Work& w) {
  const double h = std::sqrt(4 * 0.8 * opt.max_area / std::sqrt(3.0));
  Clearance clear(0.55 * h);
  double budget = 0;
  for (VH v : w.cdt.finite_vertex_handles()) clear.add_vertex(v->point().x(), v->point().y());
  for (auto e : w.cdt.finite_edges()) {
    if (!w.cdt.is_constrained(e)) continue;
    const Point& p = e.first->vertex(CDT::cw(e.second))->point();
    const Point& q = e.first->vertex(CDT::ccw(e.second))->point();
    clear.add_segment(p.x(), p.y(), q.x(), q.y());
  }
  std::vector<Point> seeds;
  const double ox = in.vertices.x(0), oy = in.vertices.y(0);
  for (FH f : w.cdt.finite_face_handles()) {
    if (!f->is_in_domain()) continue;
    double c[3][2];
    for (int k = 0; k < 3; ++k) {
      c[k][0] = f->vertex(k)->point().x();
      c[k][1] = f->vertex(k)->point().y();
    }
    // A lattice over long thin faces would scan far more candidates than it
    // keeps; such inputs are left to the mesher alone.
    budget += (std::max({c[0][0], c[1][0], c[2][0]}) - std::min({c[0][0], c[1][0], c[2][0]}) + h) *
              (std::max({c[0][1], c[1][1], c[2][1]}) - std::min({c[0][1], c[1][1], c[2][1]}) + h) / (h * h);
    if (budget > 4.0 * double(kMaxVertices)) return;
    lattice_in_triangle(ox, oy, h, c[0], c[1], c[2], [&](double x, double y) {
      if (clear.clear(x, y)) seeds.emplace_back(x, y);
    });
  }
  CGAL::spatial_sort(seeds.begin(), seeds.end());
  FH hint;
  for (const Point& p : seeds) hint = w.cdt.insert(p, hint)->face();
  if (opt.refine) {
    mark_by_reference(w);
  } else {
    mark_domain(in, opt, w);
  }
}

// The area of the domain, for the size of the mesh an area limit asks for.
double domain_area(const CDT& t) {
  double a = 0;
  for (FH f : t.finite_face_handles()) {
    if (f->is_in_domain()) a += CGAL::area(f->vertex(0)->point(), f->vertex(1)->point(), f->vertex(2)->point());
  }
  return a;
}

// Steps 4 and 5: seeds and refines until no face in the domain is bad.
Failure refine(const Pslg& in, const Options& opt, const std::string& source, Work& w) {
  Criteria::Limits limits;
  if (opt.quality) {
    // A hair above the angle asked for, so that rounding in the measure of
    // a finished triangle cannot show it below.
    const double s = std::sin((opt.min_angle + 1e-9) * std::numbers::pi / 180);
    limits.bound = s * s;
  }
  limits.global = opt.max_area;
  if (!w.tag_limits.empty()) {
    limits.reference = &w.reference;
    limits.per_tag = &w.tag_limits;
    limits.hints.build(w.reference);
  }
  if (limits.bound <= 0 && limits.global <= 0 && w.tag_limits.empty()) return std::nullopt;
  double expected = limits.global > 0 ? domain_area(w.cdt) / limits.global : 0;
  for (FH f : w.reference.finite_face_handles()) {
    const int tag = f->info().tag;
    if (tag >= 0 && std::size_t(tag) < w.tag_limits.size() && w.tag_limits[std::size_t(tag)] > 0 && f->is_in_domain()) {
      const Point& a = f->vertex(0)->point();
      expected += CGAL::area(a, f->vertex(1)->point(), f->vertex(2)->point()) / w.tag_limits[std::size_t(tag)];
    }
  }
  if (expected > double(kMaxVertices)) {
    return Error{source, 0, "the area limit would make a mesh of more than " + std::to_string(2 * kMaxVertices) +
                                " triangles"};
  }
  if (limits.global > 0) seed_lattice(in, opt, w);
  Criteria criteria(&limits);
  CGAL::Delaunay_mesher_2<CDT, Criteria> mesher(w.cdt, criteria);
  mesher.init(true);
  while (mesher.step_by_step_refine_mesh()) {
    if (w.cdt.number_of_vertices() > kMaxVertices) {
      return Error{source, 0, "the refinement passed " + std::to_string(kMaxVertices) +
                                  " vertices; the input is too fine for its area limits or has points too close together"};
    }
  }
  return std::nullopt;
}

// Interpolates the attributes of vertex p linearly in the reference.
void interpolate(const Work& w, const Point& p, FH& hint, double* out) {
  const std::size_t na = std::size_t(w.vertices.nattr);
  FH f = locate_finite(w.reference, p, hint);
  if (f == FH()) return;
  const Point& a = f->vertex(0)->point();
  const Point& b = f->vertex(1)->point();
  const Point& c = f->vertex(2)->point();
  const double total = CGAL::area(a, b, c);
  const double wt[3] = {CGAL::area(p, b, c) / total, CGAL::area(a, p, c) / total, CGAL::area(a, b, p) / total};
  for (int k = 0; k < 3; ++k) {
    const std::size_t id = std::size_t(f->vertex(k)->info().id);
    for (std::size_t j = 0; j < na; ++j) out[j] += wt[k] * w.vertices.attr[id * na + j];
  }
}

// Numbers the vertices the mesher added and gives them their attributes.
void number_new_vertices(Work& w, Mesh& out) {
  std::vector<VH> added;
  for (VH v : w.cdt.finite_vertex_handles()) {
    if (v->info().id < 0) added.push_back(v);
  }
  const std::size_t base = w.vertices.size(), na = std::size_t(w.vertices.nattr);
  out.vertices = w.vertices;
  out.vertices.xy.resize(2 * (base + added.size()));
  out.vertices.attr.resize(na * (base + added.size()), 0.0);
  out.vertices.marker.resize(base + added.size(), 0);
  using Traits = CGAL::Spatial_sort_traits_adapter_2<K, CGAL::Pointer_property_map<Point>::type>;
  std::vector<Point> pts;
  pts.reserve(added.size());
  for (VH v : added) pts.push_back(v->point());
  std::vector<std::size_t> order(added.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  if (na > 0) CGAL::spatial_sort(order.begin(), order.end(), Traits(CGAL::make_property_map(pts)));
  FH hint;
  for (std::size_t i : order) {
    const std::size_t id = base + i;
    added[i]->info().id = int(id);
    out.vertices.xy[2 * id] = pts[i].x();
    out.vertices.xy[2 * id + 1] = pts[i].y();
    if (na > 0 && w.has_reference) interpolate(w, pts[i], hint, &out.vertices.attr[id * na]);
  }
}

// The tag of the reference face under f's centroid (-1 without reference).
int reference_tag(const Work& w, const FH& f, FH& hint) {
  if (!w.has_reference) return -1;
  FH r = locate_finite(w.reference, centroid(f), hint);
  return r == FH() ? -1 : r->info().tag;
}

// Collects triangles, segments, markers, edges and neighbours.
void extract(Work& w, const Pslg& in, const Options& opt, Mesh& out) {
  int count = 0;
  FH hint;
  for (FH f : w.cdt.finite_face_handles()) {
    if (!f->is_in_domain()) continue;
    f->info().tag = count++;
    out.triangles.push_back({f->vertex(0)->info().id, f->vertex(1)->info().id, f->vertex(2)->info().id});
    if (opt.regional_attributes && !opt.refine) {
      const int region = reference_tag(w, f, hint);
      out.triangle_attr.push_back(region >= 0 ? in.regions[std::size_t(region)].attribute : 0.0);
    }
  }
  for (auto e : w.cdt.finite_edges()) {
    FH f = e.first, n = f->neighbor(e.second);
    const bool a = f->is_in_domain(), b = !w.cdt.is_infinite(n) && n->is_in_domain();
    if (!a && !b) continue;
    Segment s{f->vertex(CDT::cw(e.second))->info().id, f->vertex(CDT::ccw(e.second))->info().id, a != b ? 1 : 0};
    if (s.marker) {
      out.vertices.marker[std::size_t(s.a)] = 1;
      out.vertices.marker[std::size_t(s.b)] = 1;
    }
    if (s.marker || f->is_constrained(e.second)) out.segments.push_back(s);
    if (opt.edges) out.edges.push_back(s);
  }
  if (opt.neighbours) {
    for (FH f : w.cdt.finite_face_handles()) {
      if (!f->is_in_domain()) continue;
      std::array<int, 3> nb{};
      for (int i = 0; i < 3; ++i) {
        FH n = f->neighbor(i);
        nb[std::size_t(i)] = !w.cdt.is_infinite(n) && n->is_in_domain() ? n->info().tag : -1;
      }
      out.neighbours.push_back(nb);
    }
  }
}

// Smallest and largest angle and area over the triangles.
void measure(const Mesh& m, Statistics& s) {
  s.min_angle = 180;
  s.max_angle = 0;
  s.min_area = HUGE_VAL;
  s.max_area = 0;
  for (const Triangle& t : m.triangles) {
    double px[3], py[3];
    for (int k = 0; k < 3; ++k) {
      px[k] = m.vertices.x(std::size_t(t[std::size_t(k)]));
      py[k] = m.vertices.y(std::size_t(t[std::size_t(k)]));
    }
    for (int k = 0; k < 3; ++k) {
      const int i = (k + 1) % 3, j = (k + 2) % 3;
      const double ux = px[i] - px[k], uy = py[i] - py[k], vx = px[j] - px[k], vy = py[j] - py[k];
      const double angle = std::atan2(std::abs(ux * vy - uy * vx), ux * vx + uy * vy) * 180 / std::numbers::pi;
      s.min_angle = std::min(s.min_angle, angle);
      s.max_angle = std::max(s.max_angle, angle);
    }
    const double area = 0.5 * ((px[1] - px[0]) * (py[2] - py[0]) - (py[1] - py[0]) * (px[2] - px[0]));
    s.min_area = std::min(s.min_area, area);
    s.max_area = std::max(s.max_area, area);
  }
  if (m.triangles.empty()) s.min_angle = s.min_area = 0;
}

}  // namespace

Failure generate_mesh(const Pslg& in, const std::vector<Triangle>& old, const std::vector<double>& limits,
                      const Options& opt, const std::string& source, Mesh& out, Statistics& stats) {
  if (auto e = too_few(in, source)) return e;
  const auto t0 = std::chrono::steady_clock::now();
  Work w;
  w.vertices = in.vertices;
  if (opt.refine) {
    if (auto e = build_from_mesh(in, old, limits, opt, source, w)) return e;
  } else {
    if (auto e = build_from_pslg(in, opt, source, w)) return e;
  }
  stats.input_vertices = in.vertices.size();
  stats.input_segments = opt.poly ? in.segments.size() : 0;
  stats.input_triangles = old.size();
  stats.seconds_triangulate = seconds_since(t0);

  const auto t1 = std::chrono::steady_clock::now();
  const std::size_t before = w.cdt.number_of_vertices();
  if (auto e = refine(in, opt, source, w)) return e;
  stats.steiner_points = w.cdt.number_of_vertices() - before;
  stats.seconds_refine = seconds_since(t1);

  out = Mesh{};
  number_new_vertices(w, out);
  extract(w, in, opt, out);
  measure(out, stats);
  return std::nullopt;
}

}  // namespace meshgen
