#pragma once
// The point and line editor: the display mode of grctrl for scattered
// points and the edges (breaklines) between them.
//
// The editor works on the caller's columns in place. Point i (1-based) is
// element i - 1 of x, y (relative to the plot origin), z and code; an edge
// joins two 1-based point numbers. A point's code is colour * 100 + symbol
// part. Points are never removed inside the mode: a deleted point gets
// code 0, a point merged into point k gets code -k, and the caller compacts
// the columns when the mode has ended (edges to deleted points are dropped
// by the edge clean-up grclne first). The symbol part of a live point tells
// what it is: 1 a free point (a node), 1 + n a line vertex with n edges,
// 0 a former vertex that lost its edges (neither drawn, counted nor
// written).
//
// The menu: Nearest, Label, Cut, Filter, Alter, New, Symbol (disabled),
// Transform, Move, Write, Info, help and a blank cell; Nearest takes the
// hot key N, so the loop's entries that share a key are reached by a
// click or the script line "#k".
//
//   sketra::EditData d{x, y, z, code, seg, 19600000, 10300000};
//   sketra::PlotTitles titles{"", "Unstructured", "[m]", "[m]"};
//   sketra::gredit(d, titles);

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "app/formats/geometry.h"
#include "sketra/control/control.h"
#include "sketra/modes/common/polygons.h"

namespace sketra {

// The columns the editor works on, with the most points and edges that may
// be held. Points and edges added by the editor are appended.
struct EditData {
  std::vector<float>& x;
  std::vector<float>& y;
  std::vector<float>& z;
  std::vector<std::int32_t>& code;
  std::vector<korvel::Edge>& seg;
  std::int32_t max_points = 0;
  std::int32_t max_edges = 0;

  std::int32_t np() const { return std::int32_t(x.size()); }
  std::int32_t nseg() const { return std::int32_t(seg.size()); }
  // Point i (1-based) of each column.
  float& px(std::int32_t i) const { return x[std::size_t(i - 1)]; }
  float& py(std::int32_t i) const { return y[std::size_t(i - 1)]; }
  float& pz(std::int32_t i) const { return z[std::size_t(i - 1)]; }
  std::int32_t& pcode(std::int32_t i) const { return code[std::size_t(i - 1)]; }
  // True when n more points / edges fit.
  bool room_for_points(std::int64_t n) const { return std::int64_t(np()) + n <= max_points; }
  bool room_for_edges(std::int64_t n) const { return std::int64_t(nseg()) + n <= max_edges; }
  // Appends a point and returns its number (the caller checked the room).
  std::int32_t add_point(float px_, float py_, float pz_, std::int32_t c) const;
  // True when the four columns have one length and every edge names
  // existing points.
  bool valid() const;
};

// A cut that may still be undone: the points it deleted with their codes
// before, and the edges it took out of the table with their positions.
struct CutRecord {
  std::vector<std::pair<std::int32_t, std::int32_t>> points;  // number, old code
  std::vector<std::pair<std::int32_t, korvel::Edge>> edges;   // old index (0-based), edge
  bool empty() const { return points.empty() && edges.empty(); }
};

// Editor settings and picks kept for the life of the process.
struct EditorState {
  float htol = 0.1f;      // xy tolerance of Weed, metres
  float vtol = 0.01f;     // z tolerance of Weed, metres (never below 0.001)
  float dmax = 10.0f;     // maximum distance of SplitEdge and Spline, metres
  int ilabel = 0;         // 0 no labels, 1 symbols, 2 symbols and values
  float xs = 0, ys = 0, zs = 0;  // the last point picked with Nearest
  std::int32_t ii0 = 0;          // its number (0: none yet)
  float xcent = -99999.0f, ycent = -99999.0f;  // centre of rotation (unset)
  float node_tolerance = 0.1f;   // Filter Nodes
  int node_value = 1;            // 1 first, 2 minimum, 3 maximum z of a group
  float buffer = 1.0f;           // Filter Buffer, metres
  double angle = 0;              // Transform: clockwise degrees (kept as preset)
  bool origin_set = false;       // Transform: the rotation origin was given
  double xorigin = 0, yorigin = 0;  // Transform: rotation origin, absolute
  CutRecord cut;                 // the last cut, until it is committed
  std::string cop = "+2.0";      // Alter: the operation text (32 characters)
  float random = 0.1f;           // Alter Randomize: distance, metres
  float znew = 0;                // New: z of new nodes and lines
  int next_hole = 0;             // New Hole: number of the next hole point (0: ask)
  int hull_level = 1;            // New Hull: 1 smooth, 2 medium, 3 coarse
};
extern EditorState gredst;
void editor_reset();

// Read and write units of the editor's files.
inline constexpr int kEditorReadUnit = 14;
inline constexpr int kEditorWriteUnit = 15;

// ---------------------------------------------------------------- the mode

// The mode's 13 menu entries over `d` (which must outlive the table).
std::vector<ModeEntry> editor_entries(EditData& d);

// The view callback: code 0 reports the extent of the live points (code
// > 0) and declares editor_entries, and sets the lower bound of the value
// scale to the smallest z above -9998 (9.0e10 when there is none); code 1
// cleans the edges (grclne) and draws points, edges and labels.
void gredi1(ViewContext& v, EditData& d);

// Enters the editor: grctrl with gredi1 until eXit. A cut still pending
// then is committed.
void gredit(EditData& d, PlotTitles& titles, Cplot* cplot = nullptr);

// Draws the free points, the edges and (with labels on) the vertex markers
// and values. `stop` is asked every so often; false when it said stop.
bool draw_edit(const EditData& d, const std::function<bool()>& stop = {});

// ---------------------------------------------------------------- helpers

// The point nearest on the screen to the last cursor pick (XCRSGR, YCRSGR,
// world units) among the live points (code > 0; projected through
// grtran in a 3-D view); of equally near points the lowest number wins.
// With want < 1, or want equal to the found point's symbol part, the point
// is marked (marker 1412) and its number returned; otherwise "invalid
// node" and the bell. 0 when nothing qualifies.
std::int32_t igrnear(const EditData& d, int want);

// Edge clean-up: ends at merged points (code -k) move to point k; edges to
// deleted points (code 0) and edges whose ends coincide are dropped; then
// every symbol part is recomputed from the edges (see the top of the
// file). O(np + nseg).
void grclne(std::span<std::int32_t> code, std::vector<korvel::Edge>& seg);

// Distance of (px, py) from the line through 1 and 2. Mode 1 (segment):
// the distance to the nearer end when the foot lies outside the segment
// (or the segment is shorter than 0.01); otherwise, and in every other
// mode, the signed perpendicular distance (positive to the left of 1 -> 2).
float rgdist(float x1, float y1, float x2, float y2, float px, float py, int mode);

// Bearing of (xi, yi) seen from (xj, yj), clockwise from north, radians in
// [0, 2 pi).
float razimut(float xi, float yi, float xj, float yj);

// The cubic spline through (x, y), x strictly rising: y2 receives the
// second derivatives; an end slope above 0.99e30 makes that end natural.
void grspln(std::span<const float> x, std::span<const float> y, float yp1, float ypn, std::vector<float>& y2);
// The spline's value at x, the piece found by bisection on the abscissae.
float grspint(std::span<const float> xa, std::span<const float> ya, std::span<const float> y2a, float x);

// Commits the pending cut: its edges go to the output unit as line records
// (absolute x, y, z, I) and Undo has nothing left to restore.
void commit_cut(const EditData& d);

// Cut Inside / Outside with a given polygon: the live points inside it
// (outside it) are deleted and their edges taken out, as one cut that
// Undo can restore. Returns the number of points deleted.
std::int64_t cut_by_polygon(EditData& d, const Polygon& p, bool inside);

// The Cut submenu (its own file); requests a repeat after each change so
// that the picture shows it.
void cut_menu(ViewContext& v, EditData& d);

// The Filter submenu: Nodes, Weed, Buffer, Join, Holes, SplitEdge, help
// and Done (the first five disabled without edges). After an operation the
// picture is redrawn and the submenu comes back.
void filter_menu(ViewContext& v, EditData& d);

// What the long operations ask every so often whether to stop. Once it has
// said stop, the operation puts back what it changed and returns: an
// interrupted operation leaves the data as before.
struct StopCheck {
  std::function<bool()> ask;  // empty: never stops
  bool stopped = false;
  std::int64_t next = 0;      // the work count at which `ask` is called next
  // True once asked to stop. `work` counts what was done so far (points,
  // edges); `ask` is called again after 65536 more.
  bool operator()(std::int64_t work) {
    if (!stopped && ask && work >= next) {
      next = work + 65536;
      stopped = ask();
    }
    return stopped;
  }
};

// The z kept by a group of merged points.
enum class NodeValue { first = 1, minimum = 2, maximum = 3 };

// The filters and the hull below take an optional StopCheck (see above).
//
// Filter Nodes: in the order of x (grqsrt), each live point that has not
// been merged takes every later live point within `tol` of it (squared
// distances compared); the later points get code -p (merged into p) and p
// keeps the first, the smallest or the largest z of its group. The edges
// follow (grclne). Returns the number of points merged.
std::int64_t filter_nodes(EditData& d, float tol, NodeValue rule, StopCheck* stop = nullptr);

// Filter Weed: the edges in table order are cut into chains (a chain goes
// on while the next edge starts where the last one ended, at a point of
// fewer than three edges); each chain is thinned by Douglas-Peucker with
// z scaled by htol / vtol (vtol at least 0.001) and rewritten to join its
// kept vertices. Dropped vertices lose their edges (symbol part 0).
struct WeedResult {
  std::int64_t before = 0, after = 0;  // edges
};
WeedResult filter_weed(EditData& d, float htol, float vtol, StopCheck* stop = nullptr);

// Filter Buffer: every free point (symbol part 1) whose distance from an
// edge (segment distance, absolute) is below `size` is deleted. Returns
// the number deleted.
std::int64_t filter_buffer(EditData& d, float size, StopCheck* stop = nullptr);

// Filter Join: for each edge i in order, the first later edge that starts
// or ends at edge i's end point moves to position i + 1 (turned round when
// it ends there) and the edge it displaces takes its place.
void filter_join(EditData& d, StopCheck* stop = nullptr);

// Filter Holes: writes the closed runs of edges ("VERTICES", one line per
// vertex, "END") and one point inside each ("HOLES", numbered) to `unit`;
// returns the number of points found.
std::int64_t filter_holes(const EditData& d, int unit);

// Filter SplitEdge: every edge longer than dmax (horizontally) is cut into
// int(length / dmax) + 1 equal parts by new points of code 1 with z
// interpolated. False, with a message and nothing changed, when the new
// points or edges would pass the capacities.
bool filter_split(EditData& d, float dmax);

// New Hull: a convex hull by gift wrapping from the highest live point
// (bearings from razimut, the smallest turn wins), then concave passes:
// each active hull edge (a, b) takes the live point p off the hull that
// sees it at the widest angle when threshold >= max(|pa x pb|, 10) *
// cos(a-p-b) * 0.01, until a pass takes none. Hull points get code 102;
// the hull's edges are appended. Each point joins the hull once. Returns
// the number of hull edges (0, with a message, for fewer than 3 points).
// `plain` scans every point for every edge instead of asking a bucket grid
// for the points near it (the same hull, for tests and benchmarks).
std::int64_t concave_hull(EditData& d, float threshold, bool plain = false, StopCheck* stop = nullptr);

// Write: the unstruct file of the free points and the edges, replacing the
// chosen file only when the whole text reached the disk.
void write_edit(EditData& d);

}  // namespace sketra
