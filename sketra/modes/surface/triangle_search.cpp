// Locating a point in a triangulated surface: the point-in-triangle test
// with linear interpolation (igrtri), and a bucket index that answers as a
// scan of all triangles in stored order would, at the cost of a few tests.

#include <algorithm>
#include <cmath>

#include "sketra/modes/surface/surface_viewer.h"

namespace sketra {

bool SurfaceData::valid() const {
  const std::size_t n = nodes();
  for (const Triangle& t : triangles)
    if (t.a < 1 || t.b < 1 || t.c < 1 || std::size_t(t.a) > n || std::size_t(t.b) > n || std::size_t(t.c) > n)
      return false;
  return value.size() >= (per_triangle ? triangles.size() : n);
}

float SurfaceData::corner_value(std::size_t t, int k) const {
  if (per_triangle) return value[t];
  const Triangle& tr = triangles[t];
  return value[std::size_t((k == 0 ? tr.a : k == 1 ? tr.b : tr.c) - 1)];
}

int igrtri(float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3, float z3,
           float px, float py, float& value) {
  constexpr float eps = 1.0e-8f;
  value = 0.0f;
  // Written so that a NaN anywhere counts as outside.
  if (!(px >= std::min({x1, x2, x3}) && px <= std::max({x1, x2, x3}))) return 0;
  if (!(py >= std::min({y1, y2, y3}) && py <= std::max({y1, y2, y3}))) return 0;
  const float a = x1 - x3, b = y1 - y3, c = x2 - x3, d = y2 - y3;
  const float det = a * d - b * c;
  if (!(std::fabs(det) >= eps)) return 0;
  const float w1 = (d * (px - x3) - c * (py - y3)) / det;
  if (!(w1 >= -eps)) return 0;
  const float w2 = (a * (py - y3) - b * (px - x3)) / det;
  if (!(w2 >= -eps)) return 0;
  const float w3 = 1.0f - w1 - w2;
  if (!(w3 >= -eps)) return 0;
  value = w1 * z1 + w2 * z2 + w3 * z3;
  if (w1 > w2) return w1 > w3 ? 1 : 3;
  return w2 > w3 ? 2 : 3;
}

// ---------------------------------------------------------------- the index

namespace {

constexpr int kWideSpan = 64;  // a box over more buckets than this goes to the wide list

struct Box {
  float x0, x1, y0, y1;
  bool finite() const { return std::isfinite(x0) && std::isfinite(x1) && std::isfinite(y0) && std::isfinite(y1); }
};

Box box_of(const SurfaceData& s, const Triangle& t) {
  const float xa = s.x[std::size_t(t.a - 1)], xb = s.x[std::size_t(t.b - 1)], xc = s.x[std::size_t(t.c - 1)];
  const float ya = s.y[std::size_t(t.a - 1)], yb = s.y[std::size_t(t.b - 1)], yc = s.y[std::size_t(t.c - 1)];
  return {std::min({xa, xb, xc}), std::max({xa, xb, xc}), std::min({ya, yb, yc}), std::max({ya, yb, yc})};
}

}  // namespace

TriangleIndex::TriangleIndex(const SurfaceData& s) : s_(s) {
  if (!s.valid() || s.triangles.empty() || s.triangles.size() >= UINT32_MAX) return;
  float x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
  for (std::size_t i = 0; i < s.nodes(); ++i) {
    if (!std::isfinite(s.x[i]) || !std::isfinite(s.y[i])) continue;
    x0 = std::min(x0, s.x[i]), x1 = std::max(x1, s.x[i]), y0 = std::min(y0, s.y[i]), y1 = std::max(y1, s.y[i]);
  }
  if (!(x0 <= x1 && y0 <= y1)) return;
  // About two triangles per bucket, at most 2048 x 2048 buckets.
  const int b = std::clamp(int(std::sqrt(double(s.triangles.size()) / 2.0)), 1, 2048);
  bx_ = by_ = b;
  x0_ = x0, y0_ = y0;
  fx_ = x1 > x0 ? float(b) / (x1 - x0) : 0.0f;
  fy_ = y1 > y0 ? float(b) / (y1 - y0) : 0.0f;
  auto bucket = [b](float v, float o, float f) { return std::clamp(int((v - o) * f), 0, b - 1); };
  // Two passes over the triangles in stored order: count, then fill, so
  // each bucket lists its triangles in ascending order.
  std::vector<std::uint32_t> count(std::size_t(b) * std::size_t(b) + 1, 0);
  for (int pass = 0; pass < 2; ++pass) {
    for (std::uint32_t t = 0; t < s.triangles.size(); ++t) {
      const Box bx = box_of(s, s.triangles[t]);
      if (!bx.finite()) continue;
      const int u0 = bucket(bx.x0, x0_, fx_), u1 = bucket(bx.x1, x0_, fx_);
      const int v0 = bucket(bx.y0, y0_, fy_), v1 = bucket(bx.y1, y0_, fy_);
      if ((u1 - u0 + 1) * (v1 - v0 + 1) > kWideSpan) {
        if (pass == 0) wide_.push_back(t);
        continue;
      }
      for (int v = v0; v <= v1; ++v)
        for (int u = u0; u <= u1; ++u) {
          const std::size_t k = std::size_t(v) * std::size_t(b) + std::size_t(u);
          if (pass == 0) ++count[k + 1];
          else list_[count[k]++] = t;
        }
    }
    if (pass == 0) {
      for (std::size_t k = 1; k < count.size(); ++k) count[k] += count[k - 1];
      start_ = count;
      list_.resize(count.back());
    }
  }
}

bool TriangleIndex::test(std::uint32_t t, float px, float py, Hit& hit) const {
  const Triangle& tr = s_.triangles[t];
  const auto X = [&](std::int32_t n) { return s_.x[std::size_t(n - 1)]; };
  const auto Y = [&](std::int32_t n) { return s_.y[std::size_t(n - 1)]; };
  float value = 0;
  const int k = igrtri(X(tr.a), Y(tr.a), s_.corner_value(t, 0), X(tr.b), Y(tr.b), s_.corner_value(t, 1), X(tr.c),
                       Y(tr.c), s_.corner_value(t, 2), px, py, value);
  if (k == 0) return false;
  hit = {std::int64_t(t), k, value};
  return true;
}

TriangleIndex::Hit TriangleIndex::find(float px, float py) const {
  Hit hit;
  if (bx_ == 0 || !std::isfinite(px) || !std::isfinite(py)) return hit;
  const float u = (px - x0_) * fx_, v = (py - y0_) * fy_;
  // A point outside the nodes' extent lies in no triangle.
  if (u >= -1e-3f && v >= -1e-3f && u <= float(bx_) + 1e-3f && v <= float(by_) + 1e-3f) {
    const int bu = std::clamp(int(u), 0, bx_ - 1), bv = std::clamp(int(v), 0, by_ - 1);
    const std::size_t k = std::size_t(bv) * std::size_t(bx_) + std::size_t(bu);
    for (std::uint32_t i = start_[k]; i < start_[k + 1]; ++i)
      if (test(list_[i], px, py, hit)) break;
  }
  // A wide triangle numbered lower than the one found comes first.
  for (std::uint32_t t : wide_) {
    if (hit.found() && std::int64_t(t) > hit.triangle) break;
    if (test(t, px, py, hit)) break;
  }
  return hit;
}

}  // namespace sketra
