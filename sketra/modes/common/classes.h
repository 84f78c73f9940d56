#pragma once
// Value classes, colour-filled contours, contour lines and the legend: the
// machinery that the grid and the surface viewers share.
//
// Class levels. A display mode owns a list of n levels L1 ... Ln (its
// "class levels"); the class of a value v is the smallest k with v <= Lk,
// and n + 1 when v lies above every level. So class 1 holds everything up to
// L1, class k the band (L(k-1), Lk], class n + 1 everything above Ln. The
// class count n is NCOLGR of the colour state (it is saved with the
// settings); grcfil builds levels from data, the legend's settings dialog
// from an origin and an increment.
//
// Colours. Class k is filled with colour number k (colours.h), or k - 1
// while "Plot < Origin" is off (the transparent-below flag): colour 0 and
// below are not filled, so everything under L1 stays open. The scale type
// chooses the palette the colour numbers select while classes are drawn:
//   grey     the greys of the palette, light to dark;
//   rainbow  the hues of the current colour bank (the user's bank, set by
//            the colour of the scale);
//   uniform  one hue from its palest tint to its darkest shade;
//   none     no fill at all; lines and legend frames only.
//
// Filling a polygon (grcol2). A polygon of at most 12 corners whose corners
// all lie in one class, or whose value range is below 2 % of the first
// class width, is filled in one piece. Otherwise it is split into a fan of
// triangles around its centroid (mean x, y and value of the corners), and
// each fan triangle is cut into bands, one per class it touches, by linear
// interpolation of the level crossings along its edges: a band piece has
// 3, 4 or 5 corners. The pieces of all classes cover the polygon exactly.
// grcol21 cuts a triangle directly (no fan; the one-piece threshold is
// 0.1 % of the first class width); grcol3 does the same in 3-D views, with
// the height of every crossing interpolated too.
//
// Contour lines (grmon2, grmon3): over the same fan, each level strictly
// between the polygon's smallest and largest value is drawn as the segment
// joining the two points where it crosses a fan triangle's edges; with the
// contour-label flag on, grmon2 writes the level along the line every so
// often, turned by the line's direction.
//
//   std::vector<float> levels;
//   sketra::grcfil(values, nx, ny, nx, 12, levels, -9999.0f);
//   sketra::ClassPalette palette;          // the scale type's colours
//   sketra::grcol2(cx, cy, cv, levels);    // one cell, 4 corners
//   sketra::grmon2(cx, cy, cv, levels);

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace sketra {

inline constexpr int kMaxClassCorners = 12;  // corners of a polygon filled by classes
inline constexpr int kMaxClasses = 100;      // levels of a class list
inline constexpr int kMaxBandCorners = 12;   // corners of one filled piece

enum class ScaleType { grey = 1, rainbow = 2, uniform = 3, none = 4 };

// Key (legend) types: the values of IKEYGR.
inline constexpr int kKeyNone = 0;
inline constexpr int kKeyHorizontal = 1;
inline constexpr int kKeyVertical = 2;

// Class and legend state shared by the display modes (one instance,
// `grclass`). The class count is grcomn.colour.ncolgr; the contour-line
// flag is option switch 14 and the contour-label flag the first further
// contour switch (both saved with the settings); the key position and size
// and the shading flag live in grcomn.display, the key type in IKEYGR, the
// fill pattern and distance in the hatch style and spacing.
struct ClassState {
  int transparent_below = 0;          // 1 while "Plot < Origin" is off
  ScaleType scale = ScaleType::rainbow;
  int uniform_column = 1;             // palette column (1 ... 9) of the uniform scale
  std::array<float, 3> light{-1.0f, 1.0f, 1.0f};  // light vector for shading
  int shade_index = 0;                // shading index of the surface viewer (0: none)
  float value_min = 9.0e20f;          // the shared minimum of the shown values
  // Legend interaction: the PIN pressed and the grab offset, pixel units.
  bool key_pinned = false;
  float grab_x = 0, grab_y = 0;
  // Contour labels: device length drawn per level since its last label.
  std::vector<float> label_run;
};
extern ClassState grclass;

// Back to the start-up state (tests).
void classes_reset();

// The class count (NCOLGR) and the two contour switches.
int class_count();
void set_class_count(int n);
bool contour_lines_on();
void set_contour_lines(bool on);
bool contour_labels_on();
void set_contour_labels(bool on);

// ---------------------------------------------------------------- classes

// Class levels from data (grcfil). `values` holds node (i, j) at
// (i - 1) + (j - 1) * ld for i = 1..nx, j = 1..ny. Over all values the
// maximum; over values above `nodata` the minimum, and mean and standard
// deviation of those whose magnitude exceeds 0.01. With more than two of
// them: a negative minimum becomes 0 when mean - sd > 0, and the maximum is
// held to mean + 4 sd. A level 1 of -99 on entry (within 0.001), or a
// negative `count`, keeps the minimum at 0 or above; |count| levels follow
// from the axis scale (grscal) with a step of at least 0.001. `levels` is
// resized to |count| and the class count is set to it.
void grcfil(std::span<const float> values, int nx, int ny, int ld, int count,
            std::vector<float>& levels, float nodata);

// Class of v: the smallest k (1-based) with v <= levels[k-1]; n + 1 above all.
int value_class(float v, std::span<const float> levels);
// value_class of each of v, into out.
void value_classes(std::span<const float> v, std::span<const float> levels, std::span<int> out);

// True when the levels run upwards, as grcfil and the legend build them.
// Callers that ask about many cells look once and pass it on.
bool ascending_levels(std::span<const float> levels);

// Colour number that fills class k (k, or k - 1 while transparent-below is
// on); below 1 means "not filled".
int class_fill_colour(int k);

// While alive, colour numbers select the palette of the scale type
// (grey: the greys, uniform: one hue's tints and shades, rainbow: the
// user's bank). With more classes than the palette has greys (20) or
// shades of a hue (9), the classes spread over a class ramp of that kind,
// so that every class keeps a colour of its own. Restores the colour mode
// and bank when it goes.
class ClassPalette {
 public:
  ClassPalette();
  ~ClassPalette();
  ClassPalette(const ClassPalette&) = delete;
  ClassPalette& operator=(const ClassPalette&) = delete;

 private:
  int mode_, bank_;
};

// ---------------------------------------------------------------- pieces

// One filled piece of a polygon: its fill colour and corners (z is the
// height of 3-D views, interpolated like x and y).
struct ClassPiece {
  int colour = 0;
  int count = 0;
  std::array<float, kMaxBandCorners> x{}, y{}, z{};
};
using PieceSink = std::function<void(const ClassPiece&)>;

// How a polygon is split.
enum class PieceRule {
  fan,       // grcol2: centroid fan, one piece below 2 % of the first class width
  triangle,  // grcol21: the triangle itself, one piece below 0.1 %
};

// The pieces grcol2 / grcol21 fill, without drawing: corners x, y, z and
// values v (z may be empty: 0), `levels` the class levels. Pieces of colour
// below 1 are not produced; with transparent-below on a polygon whose
// largest value is below L1 + 1e-20 produces nothing. Throws FatalError
// ("More than 12 vertices in GRCOL2") above 12 corners.
void class_pieces(std::span<const float> x, std::span<const float> y, std::span<const float> z,
                  std::span<const float> v, std::span<const float> levels, PieceRule rule,
                  const PieceSink& sink);

// The one colour a polygon gets when it is filled in one piece, 0 when it
// needs splitting (or is not filled at all: then -1). The screen uses it to
// merge neighbouring cells of one colour into one polygon.
int uniform_fill_colour(std::span<const float> v, std::span<const float> levels, PieceRule rule);
// The same with the order of the levels known (ascending_levels).
int uniform_fill_colour(std::span<const float> v, std::span<const float> levels, PieceRule rule, bool ascending);
// The same for four corners over ascending levels with the class of each
// value known (value_class): grid cells sharing nodes look each up once.
int uniform_fill_colour(std::span<const float, 4> v, std::span<const int, 4> classes, std::span<const float> levels,
                        PieceRule rule);

// Fills a polygon of up to 12 corners by classes in plan view (3 corners go
// to grcol21). Nothing is drawn when its bounding box lies wholly outside
// the clip window.
void grcol2(std::span<const float> x, std::span<const float> y, std::span<const float> v,
            std::span<const float> levels);
void grcol21(std::span<const float> x, std::span<const float> y, std::span<const float> v,
             std::span<const float> levels);
// The same for 3-D views: corners x, y, z, class values v; filled with the
// 3-D fill. Returns at once when L1 + 1e-6 exceeds the largest value. In
// plan views (no projection) it hands over to grcol2.
void grcol3(std::span<const float> x, std::span<const float> y, std::span<const float> z,
            std::span<const float> v, std::span<const float> levels);

// ---------------------------------------------------------------- contour lines

// One contour segment: the level's index (0-based) and its two ends.
struct ContourSegment {
  int level = 0;
  float x1 = 0, y1 = 0, z1 = 0;
  float x2 = 0, y2 = 0, z2 = 0;
};
using SegmentSink = std::function<void(const ContourSegment&)>;

// The segments grmon2 / grmon3 draw, without drawing: for each level
// strictly between the polygon's smallest and largest value and each fan
// triangle it crosses, the piece of the level line inside that triangle
// (a level equal to two corner values runs along their edge).
void contour_segments(std::span<const float> x, std::span<const float> y,
                      std::span<const float> z, std::span<const float> v,
                      std::span<const float> levels, const SegmentSink& sink);

// Draws the level crossings of a polygon in the current colour and dash
// style; with the contour-label flag on, grmon2 labels the lines.
void grmon2(std::span<const float> x, std::span<const float> y, std::span<const float> v,
            std::span<const float> levels);
// 3-D variant: corners x, y, z (drawn with the 3-D primitives), values v;
// in plan views it hands over to grmon2.
void grmon3(std::span<const float> x, std::span<const float> y, std::span<const float> z,
            std::span<const float> v, std::span<const float> levels);
// Starts a new picture for the contour labels (call before a drawing pass).
void contour_labels_begin(int levels);
// Text of a level label: as few decimals as the class step needs.
std::string level_text(float value, float step);

// ---------------------------------------------------------------- shading and legend

// Cosine between the normal of a polygon and the light vector: 3 corners
// (normal = cross product of the edges from corner 1) or 5 (a closed
// quadrilateral: a quarter of the sum of the fan cross products from
// corner 1). Squared lengths count as at least 1e-5. Throws FatalError
// ("grcosa: unknown number of edges") for other counts.
float grcosa(int n, std::span<const float> x, std::span<const float> y,
             std::span<const float> z, const std::array<float, 3>& light);

// Shading dialog: "x-light", "y-light", "z-light" and the toggle "Shading".
// Returns false when cancelled (nothing changes).
bool grshade();

// What a click did to the legend.
enum class KeyClick { missed, claimed };

// Legend. direction +1 draws it (the mode's code 3); -1 handles a click at
// the cursor pick XCRSGR, YCRSGR (world units, as the control loop hands
// it to the mode's code 4): the
// PIN button arms dragging and the next click places the key; a click in
// the top band opens the "Title" / "Subtitle" dialog; a click elsewhere in
// the key opens the settings dialog, which may rebuild `levels`. A claimed
// click sets the control loop's redraw request. Nothing happens while the
// key type is 0 or the output mode is above 7. With a key shown the contour
// colour `imcol` becomes 0.
KeyClick grkey2(std::vector<float>& levels, int direction, int& imcol);

// The legend's box in pixel-mode units (x, y lower-left, w, h) for the
// current class count, key type, size and titles; the top band is the
// upper 24 units.
struct KeyBox {
  float x = 0, y = 0, w = 0, h = 0;
};
KeyBox key_box();

// The settings dialog of the legend on its own (also reached by a click in
// the key). Returns false when cancelled.
bool key_settings(std::vector<float>& levels);

}  // namespace sketra
