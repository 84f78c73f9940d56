// The three gridding methods: the nearest point against a plain scan over
// every point, bit for bit, on random data full of ties (points on a
// quarter-metre lattice, duplicates, nodes on points); the inverse-distance
// weighting and the lowest point by hand.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "app/gridding/gridding.h"
#include "support/fresh.h"

namespace korvel {
namespace {

class Gridding : public testing::FreshState {};

struct Cloud {
  std::vector<float> x, y, z;
  ScatteredPoints points() const { return {x, y, z}; }
  void add(float px, float py, float pz) {
    x.push_back(px);
    y.push_back(py);
    z.push_back(pz);
  }
};

// n points on a lattice of `step` over [0, side)², every fifth a duplicate
// of an earlier one, values whole numbers (equal values are common).
Cloud lattice_cloud(int n, float side, float step, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> cell(0, int(side / step) - 1), value(0, 20);
  Cloud c;
  for (int k = 0; k < n; ++k) {
    if (k > 5 && k % 5 == 0) {
      const std::size_t o = std::size_t(rng() % unsigned(k));
      c.add(c.x[o], c.y[o], float(value(rng)));
    } else {
      c.add(float(cell(rng)) * step, float(cell(rng)) * step, float(value(rng)));
    }
  }
  return c;
}

GridGeometry geometry(float x0, float y0, float dx, float dy, int nx, int ny) {
  return {x0, y0, dx, dy, nx, ny, 0};
}

// Bitwise equality, so that NaN equals NaN and -0 differs from 0.
void expect_same_bits(const std::vector<float>& a, const std::vector<float>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t m = 0; m < a.size(); ++m)
    ASSERT_EQ(std::memcmp(&a[m], &b[m], sizeof(float)), 0) << "node " << m << ": " << a[m] << " vs " << b[m];
}

// ---------------------------------------------------------------- nearest

// The nearest-point method as stated: two shortcuts, then a scan over every
// point with a running minimum from 1e20.
std::vector<float> reference_nearest(int nx, int ny, const std::vector<float>& gx, const std::vector<float>& gy,
                                     const Cloud& c, float nodata) {
  const long np = long(c.x.size());
  std::vector<float> gz(gx.size());
  auto d2 = [&](long p, float x, float y) { return squared_distance(c.x[p - 1], c.y[p - 1], x, y); };
  long k = 0;
  for (int i = 0; i < nx; ++i)
    for (int j = 0; j < ny; ++j) {
      const std::size_t m = std::size_t(i + j * nx);
      const float x = gx[m], y = gy[m];
      if (k + 1 <= np && d2(k + 1, x, y) < 0.1f) {
        k = k + 1;
      } else {
        k += ny;
        if (!(k >= 1 && k <= np && d2(k, x, y) < 0.1f)) {
          float dmin = 1.0e20f;
          long best = -1;
          for (long p = 1; p <= np; ++p) {
            const float d = d2(p, x, y);
            if (d < dmin) {
              dmin = d;
              best = p;
              if (d < 0.1f) break;
            }
          }
          if (best < 0) {
            gz[m] = nodata;
            continue;
          }
          k = best;
        }
      }
      gz[m] = c.z[std::size_t(k - 1)];
    }
  return gz;
}

std::vector<float> run_nearest(const GridGeometry& g, const Cloud& c, std::vector<float>* expected) {
  const std::size_t n = std::size_t(g.nx * g.ny);
  std::vector<float> gx(n), gy(n), gz(n, 7.0f);
  grid_nodes(g, gx, gy);
  NoGridProgress quiet;
  EXPECT_TRUE(gridnear(g.nx, g.ny, gx, gy, c.points(), gz, -9999.0f, quiet));
  *expected = reference_nearest(g.nx, g.ny, gx, gy, c, -9999.0f);
  return gz;
}

TEST_F(Gridding, NearestTakesTheSamePointsAsTheFullScanOnRandomDataWithTies) {
  for (unsigned seed = 1; seed <= 4; ++seed) {
    SCOPED_TRACE(seed);
    const Cloud c = lattice_cloud(1500, 40.0f, 0.25f, seed);
    std::vector<float> expected;
    // Nodes on lattice points and half-way between them (equal distances),
    // and a grid reaching far beyond the points on every side.
    expect_same_bits(run_nearest(geometry(0, 0, 0.5f, 0.375f, 60, 70), c, &expected), expected);
    expect_same_bits(run_nearest(geometry(-30, -25, 2.125f, 3.0f, 50, 35), c, &expected), expected);
  }
}

TEST_F(Gridding, NearestFollowsPointsLaidOutAsTheGridAndSurvivesNaNs) {
  // Points in the order of the nodes (column by column) with one displaced
  // point and one NaN: the shortcuts, then the search, then the shortcuts.
  const GridGeometry g = geometry(10, 20, 1, 1, 12, 9);
  Cloud c;
  for (int i = 0; i < g.nx; ++i)
    for (int j = 0; j < g.ny; ++j) c.add(10.0f + float(i), 20.0f + float(j), float(i * 100 + j));
  c.x[40] += 0.4f;
  c.y[77] = NAN;
  std::vector<float> expected;
  expect_same_bits(run_nearest(g, c, &expected), expected);

  // No distance is a number: every node is empty.
  Cloud nan_cloud;
  nan_cloud.add(NAN, 1, 5);
  nan_cloud.add(2, NAN, 6);
  std::vector<float> none;
  expect_same_bits(run_nearest(geometry(0, 0, 1, 1, 3, 2), nan_cloud, &none), std::vector<float>(6, -9999.0f));
}

// ---------------------------------------------------------------- inverse

std::vector<float> run_inverse(const GridGeometry& g, const Cloud& c, const InverseOptions& o) {
  const std::size_t n = std::size_t(g.nx * g.ny);
  std::vector<float> gx(n), gy(n), gz(n);
  NoGridProgress quiet;
  EXPECT_TRUE(gridinv(g, c.points(), o, gx, gy, gz, quiet));
  return gz;
}

// By hand, without quadrants: weights 1/d², empty values (NODATA, NaN)
// never blended, nodes beyond the radius empty. (The quadrant rule at every
// node of a random survey: tests/e2e/test_gridding.sh against a plain
// implementation, gridding/reference.py.)
TEST_F(Gridding, InverseDistanceWeightsByHandAndNeverBlendsEmptyValues) {
  Cloud c;
  c.add(0, 1, 10);          // d² 1 from node (0, 0), 2 from node (1, 0)
  c.add(0, -2, 40);         // d² 4 and 5
  c.add(0.5f, 0, -9999.0f);  // empty values close to both nodes
  c.add(0, 0.5f, NAN);
  c.add(-3, 3, 1000);  // d² 18 and 25: beyond a radius of 3
  const GridGeometry g = geometry(0, 0, 1, 1, 2, 1);
  std::vector<float> gz = run_inverse(g, c, InverseOptions{1.2f, false, -9999.0f});
  EXPECT_EQ(gz, (std::vector<float>{10.0f, -9999.0f}));
  gz = run_inverse(g, c, InverseOptions{3.0f, false, -9999.0f});
  EXPECT_FLOAT_EQ(gz[0], (10 * 1 + 40 * 0.25f) / 1.25f);
  EXPECT_FLOAT_EQ(gz[1], (10 * 0.5f + 40 * 0.2f) / 0.7f);
}

// ---------------------------------------------------------------- lowest

TEST_F(Gridding, LowestKeepsTheMinimumPerNodeAndWritesEveryPointThatHoldsIt) {
  const GridGeometry g = geometry(100, 200, 2, 2, 3, 2);
  Cloud c;
  c.add(100.4f, 200.2f, 5.0f);    // node (1,1)
  c.add(99.2f, 199.5f, 3.0f);     // node (1,1): lower
  c.add(100.9f, 200.9f, 3.005f);  // node (1,1): within 0.01 of the lowest
  c.add(103.0f, 200.0f, 7.0f);    // x half-way: rounds away from zero to column 3
  c.add(98.9f, 200.0f, 1.0f);     // beyond the grid: skipped
  c.add(104.2f, 202.3f, NAN);     // NaN value at node (3,2), then a number
  c.add(104.1f, 201.9f, 6.0f);
  std::vector<float> gz(6);
  std::vector<std::array<float, 3>> written;
  NoGridProgress quiet;
  ASSERT_TRUE(gridlow(g, c.points(), gz, [&](float x, float y, float z) { written.push_back({x, y, z}); }, quiet));
  EXPECT_EQ(gz, (std::vector<float>{3.0f, -99999.0f, 7.0f, -99999.0f, -99999.0f, 6.0f}));
  const std::vector<std::array<float, 3>> expected = {
      {99.2f, 199.5f, 3.0f}, {100.9f, 200.9f, 3.005f}, {103.0f, 200.0f, 7.0f}, {104.1f, 201.9f, 6.0f}};
  EXPECT_EQ(written, expected);
}

}  // namespace
}  // namespace korvel
