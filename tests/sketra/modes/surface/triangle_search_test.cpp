// Point in triangle (igrtri) on corners, edges, outside points and
// degenerate triangles, and the triangle index against a scan of every
// triangle in stored order.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "sketra/modes/surface/surface_viewer.h"

namespace {

using sketra::igrtri;
using sketra::Triangle;

// igrtri on the triangle (0,0,z=1) (10,0,z=2) (0,10,z=4): corners give
// their number and value, edges and inside points the linear value and the
// nearest corner (equal weights: the later corner), outside points and
// degenerate triangles 0 and value 0.
TEST(Igrtri, CornersEdgesInsideOutsideAndDegenerateTriangles) {
  struct Case {
    float x, y;
    int corner;  // -1: any corner but 0
    float value;
  } cases[] = {{0, 0, 1, 1},   {10, 0, 2, 2},        {0, 10, 3, 4},       {5, 0, -1, 1.5f}, {5, 5, -1, 3},
               {2, 2, 1, 1.8f}, {4, 4, 3, 1 + 0.4f + 1.2f}, {6, 6, 0, 0}, {-0.01f, 5, 0, 0}, {5, 10.5f, 0, 0},
               {NAN, 1, 0, 0}};
  for (const Case& c : cases) {
    float v = 7;
    const int k = igrtri(0, 0, 1, 10, 0, 2, 0, 10, 4, c.x, c.y, v);
    if (c.corner < 0) EXPECT_NE(k, 0) << c.x << " " << c.y;
    else EXPECT_EQ(k, c.corner) << c.x << " " << c.y;
    EXPECT_FLOAT_EQ(v, c.value) << c.x << " " << c.y;
  }
  // Three corners on a line, a triangle of one point, a corner not a number.
  float v = 7;
  EXPECT_EQ(igrtri(0, 0, 1, 5, 5, 1, 10, 10, 1, 5, 5, v), 0);
  EXPECT_EQ(igrtri(3, 3, 1, 3, 3, 1, 3, 3, 1, 3, 3, v), 0);
  EXPECT_EQ(igrtri(0, 0, 1, NAN, 0, 2, 0, 10, 4, 1, 1, v), 0);
}

// A jittered mesh with a few large triangles laid over it, so that points
// lie in several triangles and some boxes span many buckets.
struct Mesh {
  std::vector<float> x, y, z;
  std::vector<Triangle> t;
};

Mesh mesh(int n, unsigned seed) {
  Mesh m;
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> jitter(-0.3f, 0.3f);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      m.x.push_back(float(i) + jitter(rng));
      m.y.push_back(float(j) + jitter(rng));
      m.z.push_back(float(i * j % 7));
    }
  auto id = [n](int i, int j) { return std::int32_t(j * n + i + 1); };
  for (int j = 0; j + 1 < n; ++j)
    for (int i = 0; i + 1 < n; ++i) {
      m.t.push_back({id(i, j), id(i + 1, j), id(i + 1, j + 1)});
      m.t.push_back({id(i, j), id(i + 1, j + 1), id(i, j + 1)});
      if ((i * 7 + j * 3) % 97 == 0) m.t.push_back({id(0, 0), id(n - 1, j), id(i, n - 1)});
    }
  return m;
}

TEST(TriangleIndex, FindsTheLowestNumberedTriangleAsAScanDoes) {
  Mesh m = mesh(40, 3);
  sketra::SurfaceData s{m.x, m.y, m.z, m.t};
  const sketra::TriangleIndex index(s);
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> pos(-2.0f, 42.0f);
  int found = 0;
  for (int q = 0; q < 3000; ++q) {
    const float px = pos(rng), py = pos(rng);
    std::int64_t scan = -1;
    float scan_value = 0;
    for (std::size_t k = 0; k < m.t.size() && scan < 0; ++k) {
      const Triangle& t = m.t[k];
      auto X = [&](int n) { return m.x[std::size_t(n - 1)]; };
      auto Y = [&](int n) { return m.y[std::size_t(n - 1)]; };
      auto Z = [&](int n) { return m.z[std::size_t(n - 1)]; };
      if (igrtri(X(t.a), Y(t.a), Z(t.a), X(t.b), Y(t.b), Z(t.b), X(t.c), Y(t.c), Z(t.c), px, py, scan_value) != 0)
        scan = std::int64_t(k);
    }
    const auto hit = index.find(px, py);
    ASSERT_EQ(hit.triangle, scan) << px << " " << py;
    if (scan >= 0) {
      EXPECT_EQ(hit.value, scan_value);
      ++found;
    }
  }
  EXPECT_GT(found, 2000);
}

TEST(TriangleIndex, PerTriangleValuesAndBadSurfaces) {
  Mesh m = mesh(5, 1);
  std::vector<float> per(m.t.size());
  for (std::size_t k = 0; k < per.size(); ++k) per[k] = float(k);
  sketra::SurfaceData s{m.x, m.y, per, m.t, true};
  const auto hit = sketra::TriangleIndex(s).find(m.x[0], m.y[0]);
  ASSERT_TRUE(hit.found());
  EXPECT_EQ(hit.value, float(hit.triangle));
  // A corner that names no node: no index, nothing found.
  m.t.push_back({1, 2, 26});
  sketra::SurfaceData bad{m.x, m.y, m.z, m.t};
  EXPECT_FALSE(bad.valid());
  EXPECT_FALSE(sketra::TriangleIndex(bad).find(1, 1).found());
}

}  // namespace
