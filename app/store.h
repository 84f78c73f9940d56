#pragma once
// The point store and the shared state blocks of the application.
//
// Everything the application works on lives in five blocks with one instance
// each: `cin` (point columns, edge table, grid node columns and the value
// columns of the grid sets), `cin1` (origin, grid geometry, counts), `cplot`
// (handed whole to the control loop), `cpch` (fixed-width texts) and `cunit`
// (file unit numbers). They are plain structs, read and written in place by
// every application routine; `store_reset` brings all of them back to their
// start-up state (tests call it before each case).
//
// Numbering. The columns are C++ vectors, so point i of the text ("point 1",
// the first point) is element x[i-1]. Point numbers stored as values, in the
// edge table and in every message or file, stay 1-based as the files write
// them: edge k (element seg[k-1]) joins points seg[k-1].a and seg[k-1].b,
// which are elements x[a-1] and x[b-1].
//
// Coordinates. x and y are single precision relative to the double-precision
// origin (`cin1.xorig`, `cin1.yorig`): a point at absolute X is stored as
// float(X - xorig), computed in double precision, and every routine that
// writes or shows a coordinate adds the origin back in double precision
// (`abs_x`, `abs_y`). z is absolute.
//
// Sizes. The columns grow with the data. Invariants: x, y, z and code each
// hold exactly `cin1.np` elements and seg holds `cin1.nseg` edges; use
// `store_set_np` / `store_set_nseg` (or the append helpers) to change them.
// The capacities stay limits that no reader passes: `cin1.maxp` points
// (19600000), kMaxEdges edges (10300000), kMaxSets grid sets (6), and at most
// maxp nodes per grid.
//
// Grid sets. Set k (1..nsets, `cplot.nsets`) has its own value column
// `cin.value[k-1]` of nx*ny values (node n = i + (j-1)*nx, i fastest, as
// element n-1) and its own geometry record `cin1.set(k)`. The node columns
// gx, gy hold the node coordinates of the grid last shown or read.
//
// Edges, grid geometry and node positions (`Edge`, `GridGeometry`,
// `GridNodes`) are the shapes the store shares with the file formats
// (app/formats/geometry.h).

#include <array>
#include <cstdint>
#include <vector>

#include "app/formats/geometry.h"
#include "sketra/control/blocks.h"

namespace korvel {

inline constexpr std::int32_t kMaxPoints = 19600000;
inline constexpr std::int32_t kMaxEdges = 10300000;
inline constexpr int kMaxSets = 6;
// A point code is colour * 100 + symbol: colours 0 ... 200 (the palette),
// symbols 0 ... 99.
inline constexpr int kMaxPointColour = 200;
inline constexpr int kMaxPointSymbol = 99;

// The point store.
struct Cin {
  std::vector<float> x;              // easting minus xorig
  std::vector<float> y;              // northing minus yorig
  std::vector<float> z;              // elevation or value, absolute
  std::vector<std::int32_t> code;    // colour*100 + symbol; <= 0 marks a deleted point
  std::vector<Edge> seg;             // edge table
  std::vector<float> gx;             // grid node x, relative to the origin
  std::vector<float> gy;             // grid node y
  std::array<std::vector<float>, kMaxSets> value;  // value column of set k at index k-1
};

// Counters and geometry.
struct Cin1 {
  double xorig = 99999.0;
  double yorig = 99999.0;
  std::array<GridGeometry, kMaxSets> geometry{};  // record of set k at index k-1
  std::int32_t maxp = kMaxPoints;
  std::int32_t np = 0;
  std::int32_t nseg = 0;

  // Geometry record of set k (1-based); set 1's record is the grid geometry
  // that readers and the gridding fill.
  GridGeometry& set(int k) { return geometry[std::size_t(k - 1)]; }
  const GridGeometry& set(int k) const { return geometry[std::size_t(k - 1)]; }
};

// File unit numbers.
struct Cunit {
  std::int32_t data = 3;   // every data file read or written
  std::int32_t log = 4;    // the output log "outp"
  std::int32_t spare = 10; // spare unit of the graphics library
};

extern Cin cin;
extern Cin1 cin1;
extern sketra::Cplot cplot;
extern sketra::Cpch cpch;
extern Cunit cunit;

// All five blocks to their start-up state: empty store, origin 99999/99999,
// maxp 19600000, texts blank, memory released.
void store_reset();

// Sets the number of points: every point column gets np elements (new
// points are zero). np is clamped to 0..maxp.
void store_set_np(std::int32_t np);

// Sets the number of edges (clamped to 0..kMaxEdges).
void store_set_nseg(std::int32_t nseg);

// Makes room for n more points without moving the columns again while they
// fill (never beyond maxp). Untouched room costs address space, not memory.
void store_reserve_points(std::size_t n);

// Appends point np+1; false (nothing stored) when np has reached maxp.
inline bool store_add_point(float x, float y, float z, std::int32_t code) {
  if (cin1.np >= cin1.maxp) return false;
  cin.x.push_back(x);
  cin.y.push_back(y);
  cin.z.push_back(z);
  cin.code.push_back(code);
  ++cin1.np;
  return true;
}

// Appends edge nseg+1 between the 1-based points a and b; false when the
// edge table is full.
inline bool store_add_edge(std::int32_t a, std::int32_t b) {
  if (cin1.nseg >= kMaxEdges) return false;
  cin.seg.push_back(Edge{a, b});
  ++cin1.nseg;
  return true;
}

// Absolute coordinates of point i (1-based), in double precision.
inline double abs_x(std::int32_t i) { return double(cin.x[std::size_t(i - 1)]) + cin1.xorig; }
inline double abs_y(std::int32_t i) { return double(cin.y[std::size_t(i - 1)]) + cin1.yorig; }

// Node coordinates of set k from its geometry record into gx, gy.
void store_grid_nodes(int k);

// True when the columns agree with np and nseg and every edge names
// existing points (a check for tests and debugging).
bool store_consistent();

}  // namespace korvel
