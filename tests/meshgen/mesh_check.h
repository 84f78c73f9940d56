#pragma once
// Test support for meshgen: reads its output files with a parser of its own
// and checks a mesh by plain geometry, without any of meshgen's code.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace meshgen_test {

struct Out {
  std::vector<std::array<double, 2>> xy;
  std::vector<std::vector<double>> attr;
  std::vector<int> marker;
  std::vector<std::array<int, 3>> tri;  // 0-based
  std::vector<std::array<int, 2>> seg;  // 0-based
  int first = 1;
  double x(int i) const { return xy[std::size_t(i)][0]; }
  double y(int i) const { return xy[std::size_t(i)][1]; }
};

// The lines of a file without comments and blank lines, as number streams.
inline std::vector<std::istringstream> records(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::istringstream> out;
  for (std::string line; std::getline(in, line);) {
    line = line.substr(0, line.find('#'));
    if (line.find_first_not_of(" \t\r") != std::string::npos) out.emplace_back(line);
  }
  return out;
}

// Reads <base>.node, .ele and .poly as meshgen wrote them.
inline Out read_output(const std::string& base) {
  Out m;
  auto node = records(base + ".node");
  int n = 0, dim = 0, nattr = 0, markers = 0;
  node.at(0) >> n >> dim >> nattr >> markers;
  for (int i = 0; i < n; ++i) {
    auto& r = node.at(std::size_t(i) + 1);
    int number = 0, marker = 0;
    double x = 0, y = 0;
    r >> number >> x >> y;
    if (i == 0) m.first = number;
    std::vector<double> a(std::size_t(nattr), 0.0);
    for (double& v : a) r >> v;
    r >> marker;
    m.xy.push_back({x, y});
    m.attr.push_back(a);
    m.marker.push_back(marker);
  }
  auto ele = records(base + ".ele");
  int t = 0;
  ele.at(0) >> t;
  for (int i = 0; i < t; ++i) {
    int number = 0, a = 0, b = 0, c = 0;
    ele.at(std::size_t(i) + 1) >> number >> a >> b >> c;
    m.tri.push_back({a - m.first, b - m.first, c - m.first});
  }
  auto poly = records(base + ".poly");
  int s = 0;
  poly.at(1) >> s;
  for (int i = 0; i < s; ++i) {
    int number = 0, a = 0, b = 0;
    poly.at(std::size_t(i) + 2) >> number >> a >> b;
    m.seg.push_back({a - m.first, b - m.first});
  }
  return m;
}

inline double cross(double ax, double ay, double bx, double by, double cx, double cy) {
  return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

inline double area(const Out& m, const std::array<int, 3>& t) {
  return 0.5 * cross(m.x(t[0]), m.y(t[0]), m.x(t[1]), m.y(t[1]), m.x(t[2]), m.y(t[2]));
}

inline double min_angle(const Out& m, const std::array<int, 3>& t) {
  double smallest = 180;
  for (int k = 0; k < 3; ++k) {
    const int a = t[std::size_t(k)], b = t[std::size_t((k + 1) % 3)], c = t[std::size_t((k + 2) % 3)];
    const double ux = m.x(b) - m.x(a), uy = m.y(b) - m.y(a), vx = m.x(c) - m.x(a), vy = m.y(c) - m.y(a);
    smallest = std::min(smallest, std::atan2(std::abs(ux * vy - uy * vx), ux * vx + uy * vy) * 180 / M_PI);
  }
  return smallest;
}

// Even-odd point-in-polygon over any number of rings (outline and holes).
inline bool inside(const std::vector<std::vector<std::array<double, 2>>>& rings, double x, double y) {
  bool in = false;
  for (const auto& ring : rings) {
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
      const auto& p = ring[i];
      const auto& q = ring[j];
      if ((p[1] > y) != (q[1] > y) && x < (q[0] - p[0]) * (y - p[1]) / (q[1] - p[1]) + p[0]) in = !in;
    }
  }
  return in;
}

// Every triangle counter-clockwise with positive area.
inline void expect_ccw(const Out& m) {
  int bad = 0;
  for (const auto& t : m.tri) bad += !(area(m, t) > 0);
  EXPECT_EQ(bad, 0) << "triangles not counter-clockwise or degenerate";
}

// The input segment from vertex a to b (0-based) is a chain of mesh edges:
// the mesh vertices on it, in order along it, are joined by edges.
inline void expect_segment_covered(const Out& m, int a, int b) {
  std::vector<std::pair<double, int>> on;
  const double dx = m.x(b) - m.x(a), dy = m.y(b) - m.y(a), len2 = dx * dx + dy * dy;
  for (int i = 0; i < int(m.xy.size()); ++i) {
    const double c = cross(m.x(a), m.y(a), m.x(b), m.y(b), m.x(i), m.y(i));
    const double t = ((m.x(i) - m.x(a)) * dx + (m.y(i) - m.y(a)) * dy) / len2;
    if (std::abs(c) <= 1e-9 * len2 && t >= -1e-12 && t <= 1 + 1e-12) on.emplace_back(t, i);
  }
  std::sort(on.begin(), on.end());
  std::set<std::pair<int, int>> edges;
  for (const auto& t : m.tri) {
    for (int k = 0; k < 3; ++k) {
      const int p = t[std::size_t(k)], q = t[std::size_t((k + 1) % 3)];
      edges.insert({std::min(p, q), std::max(p, q)});
    }
  }
  for (std::size_t k = 1; k < on.size(); ++k) {
    const int p = on[k - 1].second, q = on[k].second;
    EXPECT_TRUE(edges.count({std::min(p, q), std::max(p, q)})) << "segment " << a << "-" << b << " is not split into edges";
  }
}

// The triangles cover exactly the region of `rings`: each centroid inside,
// and the areas add up to the region's.
inline void expect_covers(const Out& m, const std::vector<std::vector<std::array<double, 2>>>& rings,
                          double region_area) {
  double sum = 0;
  int outside = 0;
  for (const auto& t : m.tri) {
    sum += area(m, t);
    const double cx = (m.x(t[0]) + m.x(t[1]) + m.x(t[2])) / 3, cy = (m.y(t[0]) + m.y(t[1]) + m.y(t[2])) / 3;
    outside += !inside(rings, cx, cy);
  }
  EXPECT_EQ(outside, 0) << "triangles outside the domain or in a hole";
  EXPECT_NEAR(sum, region_area, 1e-9 * region_area);
}

}  // namespace meshgen_test
