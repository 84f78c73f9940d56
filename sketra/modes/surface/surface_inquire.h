#pragma once
// Inquire: the measurement submenu of the surface viewer.
//
//   Node       values at the vertices of the polylines in a file, listed
//              in a text page (display buffer)
//   Section    values along the polylines of a file at a spacing, as
//              stations or co-ordinates, listed in a text page
//   Channel    cross-sections perpendicular to a channel axis read from a
//              file, written to the output unit
//   Slope      running distance and slopes between successive clicks
//   Mean       count, mean and standard deviation of the node values
//              inside a polygon read from a file
//   Volume     area and volumes below and above a plain level inside a
//              digitised polygon
//   Flowtrace  the path of steepest descent from the node nearest a click,
//              written to the output unit
//
// Every co-ordinate written has the plot origin added in double precision.
// A value comes from a triangle only when none of its corners is empty
// (at or below the no-data limit). Long loops stop when the person
// interrupts (Escape, a click); the submenu is then left.
//
// The computations are plain functions on a surface, so tests and
// benchmarks run them without a screen.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sketra/modes/common/polygons.h"
#include "sketra/modes/surface/surface_viewer.h"

namespace sketra {

inline constexpr int kInquireReadUnit = 18;  // the file of Node, Section, Channel, Mean
inline constexpr int kInquireHullUnit = 19;  // the hull polygon of Channel
inline constexpr int kInquirePolygon = 3000; // capacity of the Mean and Volume polygons
// Samples of one Section or Channel run at most: a spacing too fine for
// the length of a line is refused with a message before anything is sampled.
inline constexpr double kMaxInquireSamples = 1.0e6;

// The Inquire submenu, until Done (or an interruption). A surface without
// triangles, or with no extent in x or y, is reported and nothing opens.
void inquire_menu(ViewContext& v, SurfaceView& s);

// ---------------------------------------------------------------- sampling

// A point on a polyline: position, station (distance along the line from
// its first vertex) and the direction of its segment (radians, atan2).
struct LineSample {
  float x = 0, y = 0;
  double station = 0;
  double direction = 0;
};

// The samples of polyline p: with spacing > 0 every station j * spacing
// (j = 0, 1, ...) that falls on a segment [start, start + length); the last
// vertex counts as a segment of 0.001 x 0.001, so the end is sampled only
// where a station meets it. With spacing <= 0 (or not a number) the
// vertices. line_sample_count gives their number without building them.
std::vector<LineSample> line_samples(const Polygon& p, double spacing);
double line_sample_count(const Polygon& p, double spacing);

// Value of the surface at (px, py): false outside every triangle and in a
// triangle with an empty corner.
bool surface_value(SurfaceView& s, float px, float py, float& value);

// ---------------------------------------------------------------- polygons

// igpoly's answer for many points at the cost of a few edges each: the
// edges are kept in bands of y; a point close to an edge is decided by
// igpoly itself.
class PolygonTest {
 public:
  explicit PolygonTest(const Polygon& p);
  bool inside(float px, float py) const;

 private:
  const Polygon& p_;
  Box box_;
  double y0_ = 0, band_ = 1, eps_ = 0;
  std::vector<std::uint32_t> start_, edges_;
};

// Area and volumes below and above `level` over the triangles whose
// centroid lies inside p (signed areas: positive for counter-clockwise
// corners). Triangles with an empty corner are left out.
struct VolumeSums {
  double area = 0, below = 0, above = 0;
};
VolumeSums surface_volume(const SurfaceData& s, const Polygon& p, float level, float zndt);
// The three lines of the Volume text page.
std::vector<std::string> volume_lines(const VolumeSums& v);

// Count, mean and standard deviation of the node values above -9998.0
// inside p; `inside`, when given, receives the node numbers (0-based).
struct MeanSums {
  std::int64_t n = 0;
  double mean = 0, stdev = 0;
};
MeanSums surface_mean(const SurfaceData& s, const Polygon& p, std::vector<std::size_t>* inside = nullptr);
std::string mean_message(const MeanSums& m);

// ---------------------------------------------------------------- slope, flow

// The Slope message after a click of value z: running distance D from the
// first click of value `start`, distance d and value `previous` of the leg
// (distances of at least 0.0001 divide).
std::string slope_message(double D, float start, float previous, float z, double d);

// One node of a flow path: the node (0-based) and the distance travelled.
struct FlowStep {
  std::size_t node = 0;
  double distance = 0;
};
// The flow path from node `start`: at each node the corner of its
// triangles with the largest positive descent per distance, else the
// nearest node (closer than 100) with a lower value; the path ends where
// neither exists. Empty nodes (value at or below zndt) are never entered.
// `stop` is asked every 1024 steps; the path ends when it says so.
std::vector<FlowStep> flow_path(const SurfaceData& s, std::size_t start, float zndt,
                                const std::function<bool()>& stop = {});
// The output line of step k of a path.
std::string flow_line(const SurfaceData& s, const FlowStep& step, bool first);

}  // namespace sketra
