#pragma once
// A 2-d tree over points, for the nearest-point search of the gridding.
//
// Each tree node covers a run of the item array and keeps the tight
// bounding box of its points; an inner node splits its run at the median of
// its box's longer side, so the depth is about log2(n / 16) and a search
// visits a few boxes around the node whatever the layout of the points
// (uniform, clustered, or a thin band across an empty box). Leaves hold at
// most 16 items. Built once in O(n log n); about 16 bytes per point.
//
// Searches compare the squared distance of the gridding (squared_distance in
// gridding.h) and skip a box only when every point inside is certainly
// farther than the best found (a relative margin of 1e-6 covers the
// rounding of the single-precision differences), so the lowest item number
// among equally near points is found as by a scan over all points.

#include <cstdint>
#include <span>
#include <vector>

namespace korvel {

class PointTree {
 public:
  // Over items 0 .. x.size()-1 at (x[k], y[k]); items whose co-ordinates are
  // not finite are left out.
  PointTree(std::span<const float> x, std::span<const float> y);

  // The nearest item to (x, y) with squared distance below `limit`, the
  // lowest number among equally near ones; -1 when there is none.
  std::int64_t nearest(float x, float y, float limit) const;

  // The lowest-numbered item with squared distance below `reach`; -1 when
  // there is none.
  std::int64_t first_within(float x, float y, float reach) const;

 private:
  struct Node {
    float xmin, xmax, ymin, ymax;
    std::uint32_t begin, end;  // items_[begin .. end)
    std::uint32_t low = 0;     // first child (the second follows it); 0 for a leaf
    std::int32_t first = 0;    // lowest item number below this node
  };
  double lower_bound(const Node& n, float x, float y) const;
  void build();

  std::vector<std::int32_t> items_;
  std::vector<float> x_, y_;  // co-ordinates in items_ order
  std::vector<Node> nodes_;
};

}  // namespace korvel
