#pragma once
// The triangulated-surface viewer: the display mode of grctrl for a surface
// given as nodes (x, y, value) and triangles over them.
//
// The viewer fills each triangle by value classes (classes.h), optionally
// shaded by the angle of its face to the light, draws contour lines with
// dashed mid-levels and, on request, the triangle edges; the legend lies on
// top. In 3-D views the triangles are painted far to near (their centroids'
// depth sorted with grqsrt). Its menu offers Nearest, Examine, Grid, Alter,
// Map, Inquire, Write, Shading, area_plot and help.
//
// On the screen a triangle that covers no pixel centre, or lies wholly
// outside the window, is left out; hard copies get every triangle.
//
// Values are per node, or per triangle (option word bit 16): then every
// triangle is one colour, and the entries that work on node values (Grid,
// Alter, Map, Inquire, Write, area_plot) are disabled.
//
//   sketra::SurfaceData s{x, y, z, triangles};
//   std::vector<float> levels;
//   sketra::PlotTitles titles{"Surface", "Bed Level [m]", "[m]", "[m]"};
//   sketra::grtrig(s, titles, levels, 0, sketra::kSurfaceFill + sketra::kSurfaceClasses,
//                  {xorig, yorig});

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "app/formats/geometry.h"
#include "sketra/control/control.h"

namespace sketra {

using korvel::Triangle;

// Option word bits of grtrig (bits 1 and 8 are accepted and mean nothing).
inline constexpr int kSurfaceFill = 2;         // fill triangles with class colours
inline constexpr int kSurfaceClasses = 4;      // build the classes from the values at each start
inline constexpr int kSurfacePerTriangle = 16; // one value per triangle

// A surface: node x, y relative to the plot origin, the values (one per
// node, or one per triangle), and triangles of 1-based node numbers.
struct SurfaceData {
  std::span<const float> x, y;
  std::span<float> value;
  std::span<const Triangle> triangles;
  bool per_triangle = false;

  std::size_t nodes() const { return std::min(x.size(), y.size()); }
  // True when every corner names a node and every node (or triangle) has
  // a value.
  bool valid() const;
  // Value at corner k (0, 1, 2) of triangle t (0-based).
  float corner_value(std::size_t t, int k) const;
};

// State of the viewer kept for the program run.
struct SurfaceState {
  int nfaces = 3;          // corners per element
  int iopt2 = 0;           // fill mode
  int iopt5 = 0;           // values per triangle
  int iopt9 = 0;           // triangle edges drawn
  float fmin = 9.0e10f;    // smallest value above zndt; Write's threshold (reset when Write opens)
  float zndt = -9999.0f;   // no-data limit: values not above it are left out of the minimum
  int imcol = 0;           // contour-line colour (the legend sets it to 0)
  bool short_cuts = true;  // the screen's short cuts (off: every triangle, as in files)
  int lnear = 1;           // Map: points outside take the nearest node's value (1) or keep theirs (0)
  // Inquire (surface_inquire.h):
  float adist = 100.0f;               // channel width
  double cspace = 0.0;                // section spacing (0: the vertices only)
  float dfac = 1.0f, dorig = 0.0f;    // section distance factor and distance origin
  int lcoord = 0;                     // Section lists co-ordinates instead of stations
  float xold = 0, yold = 0, fold = 0; // previous Slope click and its value
  float rvalue = 0;                   // last plain level of Volume
};
extern SurfaceState grtrs;
void surface_reset();

// ---------------------------------------------------------------- locating

// Point in triangle with linear interpolation, in single precision: 0 when
// (px, py) lies outside the triangle (or the triangle is degenerate,
// |det| < 1e-8), value 0; else the number (1, 2, 3) of the corner with the
// largest barycentric weight (ties to the later corner) and `value` the
// interpolated z. Weights down to -1e-8 count as inside, so points on an
// edge or a corner are inside.
int igrtri(float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3, float z3,
           float px, float py, float& value);

// The triangle that holds a point: the lowest-numbered one, the answer of a
// scan in stored order with igrtri. A bucket index over the triangles'
// bounding boxes makes a lookup cost a few tests; triangles whose box spans
// many buckets are kept in one list that every lookup scans.
class TriangleIndex {
 public:
  TriangleIndex() = default;
  explicit TriangleIndex(const SurfaceData& s);

  struct Hit {
    std::int64_t triangle = -1;  // 0-based; -1 when none
    int corner = 0;              // igrtri's answer (1 ... 3)
    float value = 0;             // interpolated value
    bool found() const { return triangle >= 0; }
  };
  Hit find(float px, float py) const;

 private:
  bool test(std::uint32_t t, float px, float py, Hit& hit) const;

  SurfaceData s_;
  float x0_ = 0, y0_ = 0, fx_ = 0, fy_ = 0;
  int bx_ = 0, by_ = 0;
  std::vector<std::uint32_t> start_;  // bucket b: entries start_[b] ... start_[b+1]-1 of list_
  std::vector<std::uint32_t> list_;   // triangle numbers, ascending within a bucket
  std::vector<std::uint32_t> wide_;   // triangles of wide boxes, ascending
};

// ---------------------------------------------------------------- the viewer

// The surface with what the viewer keeps beside it: the index of Nearest
// and Examine (built on first use; grtrig builds it on entry) and the
// painter's order.
class SurfaceView {
 public:
  explicit SurfaceView(const SurfaceData& s) : data(s) {}
  SurfaceData data;
  const TriangleIndex& index();
  std::vector<float> depth;         // depth key per triangle
  std::vector<std::int32_t> order;  // painter's order of the triangles

 private:
  bool indexed_ = false;
  TriangleIndex index_;
};

// The mode's menu: Nearest, Examine, Grid, Alter, Map, Inquire, Write,
// Shading, area_plot and help. The handlers keep a reference to `s`.
std::vector<ModeEntry> surface_entries(SurfaceView& s);

// The view callback (codes 0 to 4 of control.h; code 0 declares
// surface_entries). `option_word` as for grtrig.
void grtri1(ViewContext& v, SurfaceView& s, std::vector<float>& levels, int option_word);

// Code 1 on its own: the filled triangles (painter's order in 3-D views),
// contour lines and triangle edges. `stop`, when given, is asked every few
// thousand triangles; false when it stopped the drawing.
bool draw_surface(SurfaceView& s, std::span<const float> levels, const std::function<bool()>& stop = {});

// Enters the viewer: checks the option word (1 ... 31, else it returns at
// once) and the surface (a corner that names no node, or values missing:
// "surface has bad triangles" and return), sets the plot origin to
// `origin`, raises IKEYGR to at least 1 and runs grctrl with grtri1 until
// eXit; the plot origin is restored on return. `levels` are the class
// levels (in/out). Returns false when the view was not entered.
bool grtrig(const SurfaceData& s, PlotTitles& titles, std::vector<float>& levels, int options,
            int option_word, std::array<double, 2> origin);

}  // namespace sketra
