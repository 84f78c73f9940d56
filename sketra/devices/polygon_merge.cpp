// Merging filled pieces into one polygon per colour; see polygon_merge.h.
//
// Vertices are compared by the bits of their float co-ordinates: pieces
// that share an edge compute its end points in the same way (the class
// cutting computes a crossing from the same end whichever way an edge is
// walked), so shared vertices are identical. Co-ordinates only become
// doubles for the geometric tests, where differences and products of
// floats are exact or nearly so.

#include "sketra/devices/polygon_merge.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <numbers>
#include <unordered_map>

#include "sketra/ui/dialogs.h"

namespace sketra::detail {

namespace {

std::uint64_t key_of(float x, float y) {
  if (x == 0) x = 0.0f;  // -0 and 0 are one place
  if (y == 0) y = 0.0f;
  return (std::uint64_t(std::bit_cast<std::uint32_t>(x)) << 32) | std::bit_cast<std::uint32_t>(y);
}

struct P {
  double x, y;
};

P point(std::uint64_t k) {
  return {double(std::bit_cast<float>(std::uint32_t(k >> 32))), double(std::bit_cast<float>(std::uint32_t(k)))};
}

double orient(P a, P b, P c) { return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x); }

int sign(double v) { return (v > 0) - (v < 0); }

struct Box {
  double x0, y0, x1, y1;
};

Box box_of(P a, P b) { return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)}; }

// Items (by their boxes) listed in the square bins they overlap.
class Bins {
 public:
  // False when listing would take more than `limit` entries.
  bool build(const Box& extent, double side, std::span<const Box> boxes, std::size_t limit) {
    x0_ = extent.x0;
    y0_ = extent.y0;
    inv_ = 1 / side;
    nx_ = cell(extent.x1 - x0_) + 1;
    ny_ = cell(extent.y1 - y0_) + 1;
    start_.assign(std::size_t(nx_) * std::size_t(ny_) + 1, 0);
    std::size_t total = 0;
    for (const Box& b : boxes) {
      total += std::size_t(cell(b.x1 - x0_) - cell(b.x0 - x0_) + 1) * std::size_t(cell(b.y1 - y0_) - cell(b.y0 - y0_) + 1);
      if (total > limit) return false;
    }
    for (const Box& b : boxes) each_cell(b, [&](std::size_t c) { ++start_[c + 1]; });
    for (std::size_t c = 1; c < start_.size(); ++c) start_[c] += start_[c - 1];
    items_.resize(total);
    std::vector<std::uint32_t> fill(start_.begin(), start_.end() - 1);
    for (std::uint32_t i = 0; i < boxes.size(); ++i) each_cell(boxes[i], [&](std::size_t c) { items_[fill[c]++] = i; });
    return true;
  }
  // f(item) for the items of every bin `b` overlaps (repeats possible).
  template <class F>
  void visit(const Box& b, F&& f) const {
    each_cell(b, [&](std::size_t c) {
      for (std::uint32_t k = start_[c]; k < start_[c + 1]; ++k) f(items_[k]);
    });
  }
  // f(items) for every bin; stops when f returns false.
  template <class F>
  bool each_bin(F&& f) const {
    for (std::size_t c = 0; c + 1 < start_.size(); ++c)
      if (!f(std::span<const std::uint32_t>(items_.data() + start_[c], start_[c + 1] - start_[c]))) return false;
    return true;
  }

 private:
  // Truncating after the clamp is the floor: nothing below 0 is left.
  int cell(double d) const { return int(std::clamp(d * inv_, 0.0, 1e6)); }
  template <class F>
  void each_cell(const Box& b, F&& f) const {
    const int i0 = std::min(cell(b.x0 - x0_), nx_ - 1), i1 = std::min(cell(b.x1 - x0_), nx_ - 1);
    const int j0 = std::min(cell(b.y0 - y0_), ny_ - 1), j1 = std::min(cell(b.y1 - y0_), ny_ - 1);
    for (int j = j0; j <= j1; ++j)
      for (int i = i0; i <= i1; ++i) f(std::size_t(j) * std::size_t(nx_) + std::size_t(i));
  }

  double x0_ = 0, y0_ = 0, inv_ = 1;
  int nx_ = 1, ny_ = 1;
  std::vector<std::uint32_t> start_, items_;
};

// The edges' boxes, their common extent and a bin side that puts a few
// edges into a bin.
struct EdgeBoxes {
  std::vector<Box> boxes;
  Box extent{0, 0, 0, 0};
  double side = 1;
  explicit EdgeBoxes(std::span<const MergeEdge> edges) {
    boxes.reserve(edges.size());
    double length = 0;
    for (const MergeEdge& e : edges) {
      const P a = point(e.a), b = point(e.b);
      boxes.push_back(box_of(a, b));
      length += std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));  // for the bin size only
    }
    if (boxes.empty()) return;
    extent = boxes[0];
    for (const Box& b : boxes)
      extent = {std::min(extent.x0, b.x0), std::min(extent.y0, b.y0), std::max(extent.x1, b.x1), std::max(extent.y1, b.y1)};
    const double n = double(edges.size());
    const double spread = std::sqrt((extent.x1 - extent.x0) * (extent.y1 - extent.y0) / n);
    side = std::max({2 * length / n, spread, 1e-30});
  }
  std::size_t limit() const { return 16 * boxes.size() + 1000000; }
};

// True when p lies inside the segment a-b, away from its ends, within
// `ulps` roundings of float co-ordinates; t is its place along the segment.
bool inside_segment(P a, P b, P p, double ulps, double& t) {
  const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
  if (!(len2 > 0)) return false;
  t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2;
  if (t <= 0 || t >= 1) return false;
  const double scale = std::max({std::fabs(a.x), std::fabs(a.y), std::fabs(b.x), std::fabs(b.y), std::sqrt(len2)});
  return std::fabs(orient(a, b, p)) <= ulps * FLT_EPSILON * scale * std::sqrt(len2);
}

// Splits every edge at the vertices of other edges that lie on it, within
// `ulps` roundings (a cell filled whole beside a cell cut at a level meets
// it in the middle of its edge). False when the edges are too spread out
// to index.
bool split_at_vertices(std::vector<MergeEdge>& edges, double ulps) {
  std::vector<std::uint64_t> vertices;
  vertices.reserve(edges.size());
  for (const MergeEdge& e : edges) vertices.push_back(e.a);
  std::sort(vertices.begin(), vertices.end());
  vertices.erase(std::unique(vertices.begin(), vertices.end()), vertices.end());
  const EdgeBoxes geometry(edges);
  std::vector<Box> boxes;
  boxes.reserve(vertices.size());
  for (std::uint64_t v : vertices) boxes.push_back(box_of(point(v), point(v)));
  Bins bins;
  if (!bins.build(geometry.extent, geometry.side, boxes, geometry.limit())) return false;
  std::vector<MergeEdge> out;
  out.reserve(edges.size());
  std::vector<std::pair<double, std::uint64_t>> cuts;
  for (std::size_t i = 0; i < edges.size(); ++i) {
    const MergeEdge& e = edges[i];
    const P a = point(e.a), b = point(e.b);
    cuts.clear();
    Box near = geometry.boxes[i];
    const double slack = ulps * FLT_EPSILON * std::max({std::fabs(near.x0), std::fabs(near.y0), std::fabs(near.x1),
                                                      std::fabs(near.y1), near.x1 - near.x0, near.y1 - near.y0});
    near = {near.x0 - slack, near.y0 - slack, near.x1 + slack, near.y1 + slack};
    bins.visit(near, [&](std::uint32_t k) {
      double t = 0;
      if (vertices[k] != e.a && vertices[k] != e.b && inside_segment(a, b, point(vertices[k]), ulps, t))
        cuts.emplace_back(t, vertices[k]);
    });
    std::sort(cuts.begin(), cuts.end());
    std::uint64_t from = e.a;
    for (const auto& [t, v] : cuts) {
      out.push_back({from, v, e.colour});
      from = v;
    }
    out.push_back({from, e.b, e.colour});
  }
  edges.swap(out);
  return true;
}

// True when the two edges meet anywhere but at a shared end.
bool edges_meet(const MergeEdge& e, const MergeEdge& f) {
  const bool aa = e.a == f.a, ab = e.a == f.b, ba = e.b == f.a, bb = e.b == f.b;
  if ((aa && bb) || (ab && ba)) return true;
  if (aa || ab || ba || bb) {  // one shared end: they must not run along each other
    const P v = point(aa || ab ? e.a : e.b), u = point(aa || ab ? e.b : e.a), w = point(aa || ba ? f.b : f.a);
    return orient(v, u, w) == 0 && (u.x - v.x) * (w.x - v.x) + (u.y - v.y) * (w.y - v.y) > 0;
  }
  const P a = point(e.a), b = point(e.b), c = point(f.a), d = point(f.b);
  const int o1 = sign(orient(a, b, c)), o2 = sign(orient(a, b, d));
  const int o3 = sign(orient(c, d, a)), o4 = sign(orient(c, d, b));
  if (o1 == 0 && o2 == 0) {  // on one line: do the spans overlap?
    const bool by_x = std::fabs(b.x - a.x) >= std::fabs(b.y - a.y);
    // By value: std::minmax returns references, which would outlive p and q.
    const auto span_of = [by_x](P p, P q) -> std::pair<double, double> {
      return by_x ? std::minmax(p.x, q.x) : std::minmax(p.y, q.y);
    };
    const auto [e0, e1] = span_of(a, b);
    const auto [f0, f1] = span_of(c, d);
    return e0 <= f1 && f0 <= e1;
  }
  return o1 * o2 <= 0 && o3 * o4 <= 0;
}

// True when no two edges cross, touch or overlap other than at shared ends.
bool boundary_is_simple(std::span<const MergeEdge> edges) {
  const EdgeBoxes geometry(edges);
  Bins bins;
  if (!bins.build(geometry.extent, geometry.side, geometry.boxes, geometry.limit())) return false;
  std::size_t budget = 64 * edges.size() + 1000000;  // pair tests before giving up
  return bins.each_bin([&](std::span<const std::uint32_t> items) {
    for (std::size_t i = 0; i < items.size(); ++i)
      for (std::size_t j = i + 1; j < items.size(); ++j) {
        if (budget-- == 0 || edges_meet(edges[items[i]], edges[items[j]])) return false;
      }
    return true;
  });
}

// Rings in one flat list: ring r has the vertices [start[r], start[r+1]).
struct Rings {
  std::vector<std::uint64_t> vertex;
  std::vector<std::uint32_t> start{0};
  std::vector<double> area;  // signed; positive counter-clockwise
  std::size_t size() const { return start.size() - 1; }
  std::uint32_t next(std::uint32_t k, std::size_t r) const { return k + 1 == start[r + 1] ? start[r] : k + 1; }
};

// The angle turned clockwise from the way back to `prev` to the way on to
// `next`, in (0, 2 pi]: the smallest is the sharpest turn to the left.
double clockwise_turn(P prev, P cur, P next) {
  const double ux = prev.x - cur.x, uy = prev.y - cur.y, vx = next.x - cur.x, vy = next.y - cur.y;
  double cw = -std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
  if (cw <= 0) cw += 2 * std::numbers::pi;
  return cw;
}

// Adds the closed walk `walk` (first vertex not repeated at the end) as
// rings that pass no vertex twice: where the walk comes back to a vertex,
// the loop since is a ring of its own. (At a pinch the turn rule keeps a
// region's wedges apart; a region touching itself there, around a hole,
// still gives one walk through the pinch twice: its outer ring and hole.)
void add_split(std::span<const std::uint64_t> walk, Rings& rings, std::vector<std::uint64_t>& stack,
               std::unordered_map<std::uint64_t, std::size_t>& at) {
  stack.clear();
  at.clear();
  const auto emit = [&](std::size_t from) {
    rings.vertex.insert(rings.vertex.end(), stack.begin() + std::ptrdiff_t(from), stack.end());
    rings.start.push_back(std::uint32_t(rings.vertex.size()));
  };
  for (std::uint64_t v : walk) {
    const auto it = at.find(v);
    if (it == at.end()) {
      at.emplace(v, stack.size());
      stack.push_back(v);
      continue;
    }
    const std::size_t from = it->second;
    emit(from);
    for (std::size_t k = from + 1; k < stack.size(); ++k) at.erase(stack[k]);
    stack.resize(from + 1);
  }
  emit(0);
}

// Chains the edges into rings. False when a chain does not close.
bool chain_rings(std::vector<MergeEdge>& edges, Rings& rings) {
  std::sort(edges.begin(), edges.end(), [](const MergeEdge& p, const MergeEdge& q) { return p.a < q.a; });
  std::vector<char> used(edges.size(), 0);
  std::vector<std::uint64_t> walk, stack;
  std::unordered_map<std::uint64_t, std::size_t> at;
  for (std::size_t s = 0; s < edges.size(); ++s) {
    if (used[s]) continue;
    used[s] = 1;
    const std::uint64_t first = edges[s].a;
    std::uint64_t prev = first, cur = edges[s].b;
    walk.assign(1, first);
    bool pinched = false;  // through a vertex with several ways on: it may come back
    while (cur != first) {
      if (walk.size() > edges.size()) return false;
      walk.push_back(cur);
      auto it = std::lower_bound(edges.begin(), edges.end(), cur,
                                 [](const MergeEdge& e, std::uint64_t v) { return e.a < v; });
      const std::size_t ways = std::size_t(it - edges.begin());  // the first edge on from cur
      pinched = pinched || (ways + 1 < edges.size() && edges[ways + 1].a == cur);
      std::size_t best = edges.size();
      double best_turn = 0;
      for (std::size_t i = ways; i < edges.size() && edges[i].a == cur; ++i) {
        if (used[i]) continue;
        if (best == edges.size()) {
          best = i;
          continue;
        }
        if (best_turn == 0) best_turn = clockwise_turn(point(prev), point(cur), point(edges[best].b));
        const double turn = clockwise_turn(point(prev), point(cur), point(edges[i].b));
        if (turn < best_turn) best = i, best_turn = turn;
      }
      if (best == edges.size()) return false;
      used[best] = 1;
      prev = cur;
      cur = edges[best].b;
    }
    if (pinched) {
      add_split(walk, rings, stack, at);
    } else {  // no vertex twice: the walk is one ring
      rings.vertex.insert(rings.vertex.end(), walk.begin(), walk.end());
      rings.start.push_back(std::uint32_t(rings.vertex.size()));
    }
  }
  return true;
}

double ring_area(const Rings& rings, std::size_t r) {
  const P o = point(rings.vertex[rings.start[r]]);
  double twice = 0;
  for (std::uint32_t k = rings.start[r]; k < rings.start[r + 1]; ++k) {
    const P p = point(rings.vertex[k]), q = point(rings.vertex[rings.next(k, r)]);
    twice += (p.x - o.x) * (q.y - o.y) - (q.x - o.x) * (p.y - o.y);
  }
  return twice / 2;
}

// Finds the outer ring of every hole. The edges are listed in horizontal
// strips; a ray from a point on a ring's first edge to the right crosses
// each ring around that point an odd number of times. An outer ring must
// lie in as many outer rings as holes, a hole in one outer ring more than
// holes; its parent is the smallest outer ring around it. False otherwise.
bool find_parents(const Rings& rings, std::vector<std::int64_t>& parent) {
  const std::size_t nr = rings.size(), nv = rings.vertex.size();
  std::vector<std::uint32_t> ring_of(nv);
  for (std::size_t r = 0; r < nr; ++r)
    std::fill(ring_of.begin() + rings.start[r], ring_of.begin() + rings.start[r + 1], std::uint32_t(r));
  double y0 = INFINITY, y1 = -INFINITY;
  for (std::uint64_t v : rings.vertex) y0 = std::min(y0, point(v).y), y1 = std::max(y1, point(v).y);
  const std::size_t strips = std::clamp<std::size_t>(nv / 4, 1, 65536);
  const double inv = (y1 > y0) ? double(strips) / (y1 - y0) : 0;
  const auto strip = [&](double y) { return std::min(strips - 1, std::size_t(std::max(0.0, (y - y0) * inv))); };
  std::vector<Box> boxes(nv);
  for (std::uint32_t k = 0; k < nv; ++k) {
    const P p = point(rings.vertex[k]), q = point(rings.vertex[rings.next(k, ring_of[k])]);
    boxes[k] = {0, double(strip(std::min(p.y, q.y))), 0, double(strip(std::max(p.y, q.y)))};
  }
  Bins bins;  // strips as bins of side 1 over strip numbers
  if (!bins.build({0, 0, 0, double(strips - 1)}, 1, boxes, 64 * nv + 1000000)) return false;
  parent.assign(nr, -1);
  std::vector<char> parity(nr, 0);
  std::vector<std::uint32_t> met;
  for (std::size_t r = 0; r < nr; ++r) {
    const P a = point(rings.vertex[rings.start[r]]), b = point(rings.vertex[rings.next(rings.start[r], r)]);
    const P m{(a.x + b.x) / 2, (a.y + b.y) / 2};
    met.clear();
    const double s = double(strip(m.y));
    bins.visit({0, s, 0, s}, [&](std::uint32_t k) {
      const std::uint32_t other = ring_of[k];
      if (other == r) return;
      const P p = point(rings.vertex[k]), q = point(rings.vertex[rings.next(k, other)]);
      if ((p.y <= m.y) == (q.y <= m.y)) return;
      if (p.x + (m.y - p.y) * (q.x - p.x) / (q.y - p.y) <= m.x) return;
      parity[other] ^= 1;
      met.push_back(other);
    });
    int outers = 0, holes = 0;
    for (std::uint32_t o : met) {
      if (!parity[o]) continue;
      parity[o] = 0;  // count each ring around once
      if (rings.area[o] > 0) {
        ++outers;
        if (parent[r] < 0 || rings.area[o] < rings.area[size_t(parent[r])]) parent[r] = o;
      } else {
        ++holes;
      }
    }
    for (std::uint32_t o : met) parity[o] = 0;
    const bool hole = rings.area[r] < 0;
    if (outers != holes + (hole ? 1 : 0)) return false;
    if (!hole) parent[r] = -1;
  }
  return true;
}

// Appends ring r reversed and closed.
void append_reversed(const Rings& rings, std::size_t r, MergedPolygon& out) {
  out.part_start.push_back(int(out.x.size()));
  for (std::uint32_t k = rings.start[r + 1]; k-- > rings.start[r];) {
    const P p = point(rings.vertex[k]);
    out.x.push_back(p.x);
    out.y.push_back(p.y);
  }
  out.x.push_back(out.x[size_t(out.part_start.back())]);
  out.y.push_back(out.y[size_t(out.part_start.back())]);
}

}  // namespace

// ---------------------------------------------------------------- edge table

namespace {

// Multiplicative hashing of the undirected edge; use the top bits.
std::uint64_t edge_hash(const MergeEdge& e) {
  const std::uint64_t lo = std::min(e.a, e.b), hi = std::max(e.a, e.b);
  const std::uint64_t h = (lo * 0x9E3779B97F4A7C15ull) ^ (hi * 0xC2B2AE3D27D4EB4Full) ^
                          (std::uint64_t(std::uint32_t(e.colour)) * 0x165667B19E3779F9ull);
  return h ^ (h >> 29);
}

}  // namespace

std::size_t EdgeTable::home(const MergeEdge& e) const { return std::size_t(edge_hash(e) >> shift_); }

void EdgeTable::grow() { reserve(std::max<std::size_t>(2048, slots_.size())); }

void EdgeTable::reserve(std::size_t n) {
  const std::size_t slots = std::bit_ceil(std::max<std::size_t>(4096, 2 * (n + 1)));
  if (slots <= slots_.size()) return;
  std::vector<MergeEdge> old = std::move(slots_);
  slots_.assign(slots, MergeEdge{});
  shift_ = 64 - std::countr_zero(slots_.size());
  count_ = 0;
  for (const MergeEdge& e : old)
    if (e.a != e.b) toggle(e.a, e.b, e.colour, true, e.stamp);
}

EdgeTable::Added EdgeTable::toggle(std::uint64_t a, std::uint64_t b, int colour, bool insert, std::uint32_t stamp) {
  if (2 * (count_ + 1) > slots_.size()) grow();
  const std::size_t mask = slots_.size() - 1;
  const MergeEdge e{a, b, colour, stamp};
  for (std::size_t i = home(e);; i = (i + 1) & mask) {
    MergeEdge& s = slots_[i];
    if (s.a == s.b) {
      if (!insert) return Added::absent;
      s = e;
      ++count_;
      return Added::inserted;
    }
    if (s.colour != colour) continue;
    if (s.a == a && s.b == b) return Added::duplicate;
    if (s.a != b || s.b != a) continue;
    // Remove slot i, moving later entries of the probe run back into it.
    for (std::size_t j = i;;) {
      j = (j + 1) & mask;
      if (slots_[j].a == slots_[j].b) break;
      if (((j - home(slots_[j])) & mask) >= ((j - i) & mask)) {
        slots_[i] = slots_[j];
        i = j;
      }
    }
    slots_[i] = MergeEdge{};
    --count_;
    return Added::cancelled;
  }
}

void EdgeTable::clear() {
  slots_ = {};
  count_ = 0;
}

void EdgeTable::empty_out() {
  std::fill(slots_.begin(), slots_.end(), MergeEdge{});
  count_ = 0;
}

std::vector<MergeEdge> EdgeTable::edges() const {
  std::vector<MergeEdge> out;
  edges(out);
  return out;
}

void EdgeTable::edges(std::vector<MergeEdge>& out) const {
  out.clear();
  out.reserve(count_);
  for (const MergeEdge& e : slots_)
    if (e.a != e.b) out.push_back(e);
}

// ---------------------------------------------------------------- open edges

EdgeTable::Added OpenEdges::toggle(const MergeEdge& e) {
  ++now_;
  if (maybe_cold(e)) {
    const EdgeTable::Added r = cold_.toggle(e.a, e.b, e.colour, false);
    if (r != EdgeTable::Added::absent) return r;
  }
  const EdgeTable::Added r = hot_.toggle(e.a, e.b, e.colour, true, now_);
  if (now_ % kHotSpan == 0) age();
  return r;
}

void OpenEdges::age() {
  hot_.edges(aging_);
  hot_.empty_out();
  for (const MergeEdge& e : aging_) {
    if (now_ - e.stamp < kHotSpan) {
      hot_.toggle(e.a, e.b, e.colour, true, e.stamp);
      continue;
    }
    cold_.toggle(e.a, e.b, e.colour);
    if (filter_.size() * 64 < 16 * cold_.size()) {  // about 16 bits an edge
      filter_.assign(std::max<std::size_t>(1024, filter_.size() * 4), 0);
      for (const MergeEdge& c : cold_.edges()) mark_cold(c);
    } else {
      mark_cold(e);
    }
  }
}

// Two bits per edge, both taken from its hash.
bool OpenEdges::maybe_cold(const MergeEdge& e) const {
  if (cold_.size() == 0) return false;
  const std::uint64_t h = edge_hash(e), mask = filter_.size() * 64 - 1;
  const std::uint64_t i = (h >> 40) & mask, j = (h >> 7) & mask;
  return (filter_[i / 64] >> (i % 64) & 1) && (filter_[j / 64] >> (j % 64) & 1);
}

void OpenEdges::mark_cold(const MergeEdge& e) {
  const std::uint64_t h = edge_hash(e), mask = filter_.size() * 64 - 1;
  const std::uint64_t i = (h >> 40) & mask, j = (h >> 7) & mask;
  filter_[i / 64] |= std::uint64_t(1) << (i % 64);
  filter_[j / 64] |= std::uint64_t(1) << (j % 64);
}

std::vector<MergeEdge> OpenEdges::edges() const {
  std::vector<MergeEdge> out = hot_.edges(), cold = cold_.edges();
  out.insert(out.end(), cold.begin(), cold.end());
  return out;
}

void OpenEdges::clear() {
  hot_.clear();
  cold_.clear();
  filter_ = {};
}

// ---------------------------------------------------------------- merger

PieceMerger::PieceMerger(std::string spool) : spool_path_(std::move(spool)) {
  spool_ = std::fopen(spool_path_.c_str(), "w+b");
  spool_failed_ = spool_ == nullptr;
}

PieceMerger::~PieceMerger() {
  if (spool_) std::fclose(spool_);
  std::remove(spool_path_.c_str());
}

bool PieceMerger::add(std::span<const float> x, std::span<const float> y, int colour) {
  const std::size_t n = std::min(x.size(), y.size());
  const std::int32_t head[2] = {colour, std::int32_t(n)};
  // One resize and plain copies: a view sends a million pieces here.
  std::size_t at = spooled_.size();
  if (spooled_.capacity() < kSpoolBlock) spooled_.reserve(2 * kSpoolBlock);
  spooled_.resize(at + sizeof head + 2 * n * sizeof(float));
  const auto put = [this, &at](const void* p, std::size_t bytes) {
    std::memcpy(spooled_.data() + at, p, bytes);
    at += bytes;
  };
  put(head, sizeof head);
  put(x.data(), n * sizeof(float));
  put(y.data(), n * sizeof(float));
  if (spooled_.size() >= kSpoolBlock && !flush_spool()) return false;
  ClassTotals& totals = totals_of(colour);
  ++totals.pieces;
  if (!merging_ || totals.broken) return true;
  keys_.clear();
  for (std::size_t k = 0; k < n; ++k) {
    if (!std::isfinite(x[k]) || !std::isfinite(y[k])) {
      totals.broken = true;
      return true;
    }
    const std::uint64_t key = key_of(x[k], y[k]);
    if (keys_.empty() || keys_.back() != key) keys_.push_back(key);
  }
  while (keys_.size() > 1 && keys_.back() == keys_.front()) keys_.pop_back();
  const std::size_t m = keys_.size();
  if (m < 3) return true;
  double twice = 0;
  const P o = point(keys_[0]);
  for (std::size_t k = 0; k < m; ++k) {
    const P p = point(keys_[k]), q = point(keys_[(k + 1) % m]);
    twice += (p.x - o.x) * (q.y - o.y) - (q.x - o.x) * (p.y - o.y);
  }
  if (twice == 0) return true;  // covers nothing
  totals.area += std::fabs(twice) / 2;
  for (std::size_t k = 0; k < m; ++k) {
    std::uint64_t a = keys_[k], b = keys_[(k + 1) % m];
    if (twice < 0) std::swap(a, b);  // every piece counter-clockwise
    stage({a, b, colour});
  }
  if (open_.size() > kEdgeLimit) {
    merging_ = false;
    open_.clear();
  }
  return true;
}

namespace {

// The same for an edge and its reverse.
std::size_t stage_slot(const MergeEdge& e) { return std::size_t(((e.a ^ e.b) * 0x9E3779B97F4A7C15ull) >> 58); }

}  // namespace

void PieceMerger::stage(const MergeEdge& e) {
  // stage_ is a ring: the oldest staged edge at first_staged_.
  const std::size_t slot = stage_slot(e), mask = stage_.size() - 1;
  for (std::size_t k = staged_; stage_slots_[slot] > 0 && k-- > 0;) {  // newest first: the likeliest partner
    const MergeEdge& s = stage_[(first_staged_ + k) & mask];
    if (s.b != e.a || s.a != e.b || s.colour != e.colour) continue;
    for (std::size_t i = k + 1; i < staged_; ++i)
      stage_[(first_staged_ + i - 1) & mask] = stage_[(first_staged_ + i) & mask];
    --staged_;  // met from both sides: gone
    --stage_slots_[slot];
    return;
  }
  if (staged_ == stage_.size()) unstage();
  stage_[(first_staged_ + staged_++) & mask] = e;
  ++stage_slots_[slot];
}

void PieceMerger::unstage() {
  const MergeEdge e = stage_[first_staged_];
  first_staged_ = (first_staged_ + 1) & (stage_.size() - 1);
  --staged_;
  --stage_slots_[stage_slot(e)];
  if (open_.toggle(e) == EdgeTable::Added::duplicate) totals_of(e.colour).broken = true;
}

PieceMerger::ClassTotals& PieceMerger::totals_of(int colour) {
  if (!last_totals_ || colour != last_colour_) {
    last_colour_ = colour;
    last_totals_ = &classes_[colour];
  }
  return *last_totals_;
}

bool PieceMerger::flush_spool() {
  if (!spool_failed_ && !spooled_.empty())
    spool_failed_ = std::fwrite(spooled_.data(), 1, spooled_.size(), spool_) != spooled_.size();
  spooled_.clear();
  return !spool_failed_;
}

bool PieceMerger::merge_class(std::span<MergeEdge> boundary, const ClassTotals& totals, MergedPolygon& out) const {
  // Vertices exactly on an edge first; only when that fails, those within
  // a few roundings (a split there where a sliver's vertices lie within a
  // rounding of each other would join what does not belong together).
  return merge_class(boundary, totals, 0, out) || merge_class(boundary, totals, kSplitUlps, out);
}

bool PieceMerger::merge_class(std::span<MergeEdge> boundary, const ClassTotals& totals, double ulps,
                              MergedPolygon& out) const {
  out = MergedPolygon{};
  if (boundary.empty()) return false;
  std::vector<MergeEdge> edges(boundary.begin(), boundary.end());
  if (!split_at_vertices(edges, ulps)) return false;
  EdgeTable table;
  table.reserve(edges.size());
  for (const MergeEdge& e : edges)
    if (e.a == e.b || table.toggle(e.a, e.b, e.colour) == EdgeTable::Added::duplicate) return false;
  edges = table.edges();
  table.clear();
  if (edges.empty() || !boundary_is_simple(edges)) return false;
  Rings rings;
  if (!chain_rings(edges, rings)) return false;
  edges = {};
  double total = 0;
  for (std::size_t r = 0; r < rings.size(); ++r) {
    rings.area.push_back(ring_area(rings, r));
    if (rings.area.back() == 0) return false;
    total += rings.area.back();
  }
  if (!(std::fabs(total - totals.area) <= 1e-6 * totals.area)) return false;
  std::vector<std::int64_t> parent;
  if (!find_parents(rings, parent)) return false;
  // Holes after their outer ring: order the rings by (outer ring, hole).
  std::vector<std::pair<std::int64_t, std::uint32_t>> order;
  order.reserve(rings.size());
  for (std::size_t r = 0; r < rings.size(); ++r)
    order.emplace_back(parent[r] < 0 ? std::int64_t(r) : parent[r], std::uint32_t(r));
  std::sort(order.begin(), order.end(), [&](const auto& p, const auto& q) {
    if (p.first != q.first) return p.first < q.first;
    return (parent[p.second] >= 0) < (parent[q.second] >= 0);
  });
  for (const auto& [outer, r] : order) append_reversed(rings, r, out);
  return true;
}

bool PieceMerger::finish(const WriteMerged& merged, const WritePiece& piece) {
  while (staged_ > 0) unstage();
  std::vector<MergeEdge> edges = merging_ ? open_.edges() : std::vector<MergeEdge>{};
  open_.clear();
  std::sort(edges.begin(), edges.end(), [](const MergeEdge& p, const MergeEdge& q) { return p.colour < q.colour; });
  std::set<int> unmerged;
  std::size_t at = 0, done = 0;
  for (const auto& [colour, totals] : classes_) {
    grbeam(std::int64_t(done++), std::int64_t(classes_.size()), "writing shape format");
    while (at < edges.size() && edges[at].colour < colour) ++at;
    std::size_t end = at;
    while (end < edges.size() && edges[end].colour == colour) ++end;
    MergedPolygon out;
    const std::span<MergeEdge> own(edges.data() + at, end - at);
    if (!merging_ || totals.pieces < 2 || totals.broken || !merge_class(own, totals, out)) {
      unmerged.insert(colour);
      continue;
    }
    if (!merged(colour, out)) return false;
  }
  return unmerged.empty() || replay(unmerged, piece);
}

bool PieceMerger::replay(const std::set<int>& colours, const WritePiece& piece) {
  if (!flush_spool() || std::fflush(spool_) != 0 || std::fseek(spool_, 0, SEEK_SET) != 0) return false;
  std::int32_t head[2];
  std::vector<float> x, y;
  while (std::fread(head, sizeof head, 1, spool_) == 1) {
    if (head[1] < 0) return false;
    const std::size_t n = std::size_t(head[1]);
    x.resize(n);
    y.resize(n);
    if (std::fread(x.data(), sizeof(float), n, spool_) != n || std::fread(y.data(), sizeof(float), n, spool_) != n)
      return false;
    if (colours.contains(head[0]) && !piece(x, y, head[0])) return false;
  }
  return std::feof(spool_) != 0;
}

}  // namespace sketra::detail
