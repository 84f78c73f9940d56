// The Filter operations on small hand-checked stores, and Nodes, Buffer
// and Join against the plain scans they replace on random stores.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "sketra/base/index_sort.h"
#include "sketra/base/script.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/editor/editor_viewer.h"
#include "sketra/ui/dialogs.h"
#include "support/editor_fixture.h"
#include "support/testdir.h"

namespace {

using namespace sketra;
using korvel::testing::read_file;

class FilterTest : public korvel::testing::EditorFixture {
 protected:
  FilterTest() : EditorFixture(korvel::testing::EditorOptions{
                                   .capacity = 1000000, .output_unit = false, .unit_mapping = false}) {}
  // The Filter entry (cell 4 of the mode) with `script` queued.
  ViewRequest filter(const Entries& script) { return entry(4, script); }
  // A clustered random store: points, some deleted, chains of edges.
  void random_store(std::mt19937& rng, int n) {
    std::uniform_real_distribution<float> u(0, 100), small(-0.3f, 0.3f);
    for (int i = 0; i < n; ++i) {
      const bool near = i > 0 && rng() % 3 == 0;  // many near an earlier point
      const int k = near ? int(rng() % unsigned(i)) : 0;
      x.push_back(near ? x[size_t(k)] + small(rng) : u(rng));
      y.push_back(near ? y[size_t(k)] + small(rng) : u(rng));
      z.push_back(u(rng));
      code.push_back(rng() % 20 == 0 ? 0 : 101);
    }
    for (int c = 0; c < n / 20; ++c) {
      int a = int(rng() % unsigned(n)) + 1;
      for (int k = 0; k < 5; ++k) {
        const int b = int(rng() % unsigned(n)) + 1;
        seg.push_back({a, b});
        a = b;
      }
    }
    grclne(code, seg);
  }
};

TEST_F(FilterTest, NodesMergesLaterPointsWithinTheToleranceKeepingTheChosenZ) {
  point(0, 0, 5), point(0.05f, 0, 3), point(0.3f, 0, 9), point(0.32f, 0.01f, 1), point(0.01f, 0, 0, 0);
  point(50, 0, 7);
  seg = {{2, 6}};
  grclne(code, seg);
  EXPECT_EQ(filter({"N", "1 0.1", "2 2", "D"}), ViewRequest::repeat);  // tolerance 0.1, minimum
  EXPECT_EQ(dialogs.message_line, "REMOVED        2 NODE(S)");
  EXPECT_EQ(code, (Codes{102, -1, 101, -3, 0, 102}));
  EXPECT_EQ(z, (V{3, 3, 1, 1, 0, 7}));
  EXPECT_EQ(seg, (Edges{{1, 6}}));  // the edge follows the merge
}

TEST_F(FilterTest, WeedKeepsCornersStepsInZAndJunctions) {
  // A corner at 3; a 1 m step of z at 6 (z tolerance 0.01); 9 is a
  // junction with the edge to 10.
  point(0, 0, 0), point(10, 0, 0), point(20, 0, 0), point(20, 10, 0), point(20, 20, 0), point(20, 30, 1);
  point(20, 40, 1), point(20, 50, 1), point(20, 60, 1), point(30, 60, 1), point(20, 70, 1);
  seg = {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 8}, {8, 9}, {9, 11}, {9, 10}};
  const WeedResult r = filter_weed(d, 0.1f, 0.01f);
  EXPECT_EQ(r.before, 10);
  EXPECT_EQ(seg, (Edges{{1, 3}, {3, 5}, {5, 6}, {6, 9}, {9, 11}, {9, 10}}));
  EXPECT_EQ(r.after, 6);
}

TEST_F(FilterTest, BufferRemovesFreePointsOnBothSidesOfAnEdge) {
  point(0, 0), point(100, 0);
  seg = {{1, 2}};
  point(50, 0.5f), point(50, -0.5f), point(50, 2), point(101.5f, 0), point(100.5f, 0.5f);
  EXPECT_EQ(filter({"B", "1.0"}), ViewRequest::repeat);
  EXPECT_EQ(dialogs.message_line, "BUFFERED     3 NODE(S)");
  EXPECT_EQ(code, (Codes{102, 102, 0, 0, 101, 101, 0}));
  filter({"B", "-1", "D"});
  EXPECT_EQ(dialogs.message_line, "bad value for Size of buffer [m]");
}

TEST_F(FilterTest, HolesWritesClosedRunsAndAPointInsideEach) {
  point(0, 0), point(10, 0), point(10, 10), point(0, 10), point(50, 50), point(60, 50);
  seg = {{1, 2}, {2, 3}, {3, 4}, {4, 1}, {5, 6}};
  ASSERT_TRUE(unit_open(40, "holes.txt", FileStatus::unknown));
  grcomn.joutgr = 40;
  filter({"H", "D"});
  EXPECT_EQ(dialogs.messages[dialogs.messages.size() - 1], "FOUND    1 POLYGONS");
  unit_close(40);
  EXPECT_EQ(read_file("holes.txt"),
            "VERTICES\n"
            "  2600000.00  1200000.00 /\n"
            "  2600010.00  1200000.00 /\n"
            "  2600010.00  1200010.00 /\n"
            "  2600000.00  1200010.00 /\n"
            "END\n"
            "\n"
            "HOLES\n"
            "   1  2600005.50  1200005.50 /\n");
}

TEST_F(FilterTest, SplitEdgeAddsEvenlySpacedPointsOrRefusesWithoutRoom) {
  point(0, 0, 0), point(25, 0, 5), point(0, 5, 0);
  seg = {{1, 2}, {2, 3}};
  EXPECT_TRUE(filter_split(d, 10));
  ASSERT_EQ(x.size(), 7u);  // two on each edge
  EXPECT_FLOAT_EQ(x[3], 25.0f / 3);
  EXPECT_FLOAT_EQ(z[3], 5.0f / 3);
  EXPECT_EQ(seg, (Edges{{1, 4}, {4, 5}, {5, 2}, {2, 6}, {6, 7}, {7, 3}}));
  EditData small{x, y, z, code, seg, 20, 100};
  EXPECT_FALSE(filter_split(small, 1));
  EXPECT_EQ(x.size(), 7u);
  EXPECT_EQ(seg.size(), 6u);
  filter({"S", "1 0", "D"});
  EXPECT_EQ(dialogs.message_line, "max_distance must be above 0");
}

TEST_F(FilterTest, AnInterruptedOperationLeavesTheStoreAsItWas) {
  for (int i = 0; i < 40; ++i) point(float(i % 7), float(i / 7) * 0.05f, float(i));
  for (int i = 1; i < 30; i += 2) seg.push_back({i, i + 1});
  seg.push_back({2, 3});
  grclne(code, seg);
  const V z0 = z;
  const Codes c0 = code;
  const Edges s0 = seg;
  auto stop_at_once = [] { return StopCheck{[] { return true; }}; };
  StopCheck a = stop_at_once(), b = stop_at_once(), c = stop_at_once(), e = stop_at_once(), h = stop_at_once();
  filter_nodes(d, 1.0f, NodeValue::maximum, &a);
  filter_buffer(d, 5.0f, &b);
  filter_join(d, &c);
  filter_weed(d, 10.0f, 1.0f, &e);
  EXPECT_EQ(concave_hull(d, 0, false, &h), 0);
  for (const StopCheck* s : {&a, &b, &c, &e, &h}) EXPECT_TRUE(s->stopped);
  EXPECT_EQ(z, z0);
  EXPECT_EQ(code, c0);
  EXPECT_EQ(seg, s0);
}

// ---------------------------------------------------------------- against the plain scans

TEST_F(FilterTest, NodesBufferAndJoinGiveThePlainScansResults) {
  std::mt19937 rng(7);
  for (int round = 0; round < 3; ++round) {
    clear();
    random_store(rng, 3000);
    const V x0 = x, y0 = y, z0 = z;
    const Codes c0 = code;
    const Edges s0 = seg;
    // Nodes: the sorted scan.
    filter_nodes(d, 0.2f, NodeValue::maximum);
    {
      V zz = z0;
      Codes cc = c0;
      std::vector<std::int32_t> ord;
      grqsrt(ord, std::span<const float>(x0));
      for (size_t i = 0; i < ord.size(); ++i) {
        const int p = ord[i];
        if (cc[size_t(p)] <= 0) continue;
        for (size_t j = i + 1; j < ord.size() && double(x0[size_t(ord[j])]) - x0[size_t(p)] <= 0.2f; ++j) {
          const int q = ord[j];
          const double dx = double(x0[size_t(q)]) - x0[size_t(p)], dy = double(y0[size_t(q)]) - y0[size_t(p)];
          if (cc[size_t(q)] <= 0 || dx * dx + dy * dy > double(0.2f) * double(0.2f)) continue;
          zz[size_t(p)] = std::max(zz[size_t(p)], zz[size_t(q)]);
          cc[size_t(q)] = -(p + 1);
        }
      }
      Edges ss = s0;
      grclne(cc, ss);
      EXPECT_EQ(code, cc);
      EXPECT_EQ(z, zz);
      EXPECT_EQ(seg, ss);
    }
    // Buffer: every edge against every free point.
    const Codes c1 = code;
    filter_buffer(d, 1.5f);
    {
      Codes cc = c1;
      for (const Edge& e : seg)
        for (size_t p = 0; p < cc.size(); ++p)
          if (cc[p] > 0 && cc[p] % 100 == 1 &&
              std::fabs(rgdist(x[size_t(e.a - 1)], y[size_t(e.a - 1)], x[size_t(e.b - 1)], y[size_t(e.b - 1)], x[p],
                               y[p], 1)) < 1.5f)
            cc[p] = 0;
      EXPECT_EQ(code, cc);
    }
    // Join: the first later edge at the end point, found by a scan.
    Edges ss = seg;
    filter_join(d);
    for (size_t i = 0; i + 1 < ss.size(); ++i) {
      const int p = ss[i].b;
      for (size_t j = i + 1; j < ss.size(); ++j) {
        if (ss[j].a != p && ss[j].b != p) continue;
        Edge e = ss[j];
        if (e.a != p) std::swap(e.a, e.b);
        ss[j] = ss[i + 1];
        ss[i + 1] = e;
        break;
      }
    }
    EXPECT_EQ(seg, ss);
  }
}

}  // namespace
