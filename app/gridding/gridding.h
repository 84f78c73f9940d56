#pragma once
// Gridding: values of scattered points on the nodes of a regular grid.
//
// Three methods, each a plain function from point columns to node values:
//
//   gridnear  the value of one point per node: the previous node's successor
//             or the point ny further on when either lies within 0.32 m,
//             else the first point (lowest number) within 0.32 m, else the
//             nearest point (lowest number among equally near ones);
//   gridlow   the lowest value of the points whose nearest node a node is,
//             and the points that hold it;
//   gridinv   inverse-distance weighting of the points within a radius,
//             plain or with at most two points per quadrant.
//
// The results are those of the methods' full scans (every point for every
// node, or a window sliding over the points sorted by y) to the last bit;
// a 2-d tree (point_tree.h, for the nearest point) and a uniform bucket
// grid (point_buckets.h, for the points within the radius) find the same
// points while looking only near each node, so the work grows with the
// points near the nodes rather than with all points.
//
// Coordinates are single precision relative to the store origin, as in the
// point store. Nodes are numbered row by row, x fastest: node (i, j),
// i = 0..nx-1, j = 0..ny-1, is element i + j*nx. A point value is empty when
// it is NaN or not above NODATA + 0.1 (as the contour viewer decides); the
// inverse-distance weighting never blends an empty value into a node.
//
// The functions report their progress and ask whether to go on through a
// GridProgress; when it says stop they return false at once and the output
// arrays hold partial results that the caller discards.
//
//   std::vector<float> gx(n), gy(n), gz(n);
//   korvel::grid_nodes(geometry, gx, gy);
//   korvel::NoGridProgress quiet;
//   korvel::gridnear(geometry.nx, geometry.ny, gx, gy, points, gz, -9999.0f, quiet);

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "app/formats/geometry.h"

namespace korvel {

// The scattered points: three columns of equal length.
struct ScatteredPoints {
  std::span<const float> x, y, z;
  std::size_t size() const { return x.size(); }
};

// What a gridding method reports while it works.
class GridProgress {
 public:
  virtual ~GridProgress() = default;
  // `done` of `total` steps of the pass `what` ("interpolate") are done.
  // Called once per column, row or point, as each method says. Returns false
  // when the work is to stop.
  virtual bool step(std::string_view what, std::int64_t done, std::int64_t total) = 0;
  // A message about the next stage ("sorting ...").
  virtual void message(std::string_view text) {}
};

// A GridProgress that shows nothing and never stops.
class NoGridProgress : public GridProgress {
 public:
  bool step(std::string_view, std::int64_t, std::int64_t) override { return true; }
};

// True when a point value counts as empty (see above).
inline bool empty_value(float z, float nodata) { return !(z > nodata + 0.1f); }

// Squared distance of the methods: the single-precision differences squared
// and summed in double precision, rounded to single precision.
inline float squared_distance(float px, float py, float x, float y) {
  const float dx = px - x, dy = py - y;
  return float(double(dx) * double(dx) + double(dy) * double(dy));
}

// Sets every element of a to v.
void mmset(std::span<float> a, float v);

// Node coordinates of geometry g (its angle is ignored): row j's y is y0
// with dy added j times, and within a row x is x0 with dx added i times, by
// repeated single-precision addition. gx and gy hold at least nx*ny values.
void grid_nodes(const GridGeometry& g, std::span<float> gx, std::span<float> gy);

// Nearest point. Fills gz[0 .. nx*ny) with the z of the point taken for each
// node (gx, gy); a node for which no distance can be computed (NaN
// co-ordinates) gets `nodata`. Nodes are visited column by column (i
// outermost), and the point taken for one node is where the next node's
// shortcuts start. Progress: "nearest points", once per column.
bool gridnear(int nx, int ny, std::span<const float> gx, std::span<const float> gy, const ScatteredPoints& p,
              std::span<float> gz, float nodata, GridProgress& progress);

// Where gridlow sends each point that holds its node's lowest value (within
// 0.01): x, y relative to the store origin, and z.
using LowestPointSink = std::function<void(float x, float y, float z)>;

// Lowest point per node. A point belongs to the node nearest to it, (round
// ((x - x0)/dx), round((y - y0)/dy)) rounded half away from zero; points
// beyond the grid are skipped. gz[0 .. nx*ny) gets the lowest z of the node's
// points, or -99999.0 when it has none (a fixed fill, not NODATA). Then every
// point within 0.01 of its node's value goes to `lowest`, in point order.
// Progress: "lowest points" and "write points", once per point.
bool gridlow(const GridGeometry& g, const ScatteredPoints& p, std::span<float> gz, const LowestPointSink& lowest,
             GridProgress& progress);

// Options of the inverse-distance weighting.
struct InverseOptions {
  float radius = 10.0f;    // points within this distance (metres) count; > 0
  bool quadrants = true;   // keep at most the two heaviest points per quadrant
  float nodata = -9999.0f; // the value of nodes no point reaches
};

// Inverse-distance weighting. Writes the node coordinates of g (as
// grid_nodes) to gx, gy and the values to gz. A point counts for a node when
// its squared distance d2 is at most radius²; its weight is
// 1 / max(d2, d2min) with d2min a tenth of the squared cell diagonal, so a
// point on a node has a finite weight. Plain: the weighted mean of every
// counting point, summed in the order of the points sorted by y. Quadrants:
// per quadrant (NE: x > node x and y > node y; NW: x <= and y >; SW: x <= and
// y <=; SE: x > and y <=) two slots; a point heavier than the first slot
// takes it (dropping its occupant), else one heavier than the second takes
// that; the mean runs over the eight slots. Nodes no point reaches, and
// points with empty values, leave `nodata`. Progress: the message
// "sorting ...", then "interpolate" once per row.
bool gridinv(const GridGeometry& g, const ScatteredPoints& p, const InverseOptions& options, std::span<float> gx,
             std::span<float> gy, std::span<float> gz, GridProgress& progress);

}  // namespace korvel
