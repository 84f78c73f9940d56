#pragma once
// The section viewer: the display mode of grctrl for sets of named
// polylines in a plane, typically cross-sections and long profiles
// (station against elevation) or the value tables of the loader.
//
// The lines' points follow one another in x and y: line k (1-based) starts
// right after the last point of line k - 1 and holds count[k - 1] points.
// Each line has a style code (colour = code / 100, dash = code mod 100; a
// code <= 0 hides the polyline but not its symbols, -99 also keeps it
// unsmoothed) and a symbol code (the marker drawn at each node, 0 none;
// above 999 keeps the line unsmoothed). Every point has an attribute value,
// written beside it in label mode 2 and by Write; values <= -99998 are
// missing. A y value at or below -9998 (NODATA) or within 0.1 of 9999 is a
// missing value: it stays out of the extents, the smoothing, the
// statistics and Origine's shift.
//
// The arrays belong to the caller; Alter and Origine change x and y in
// place, Hide the style codes. The mode keeps its own copy of the names
// (40 characters each), the smoothing switch, the label mode, Origine's
// reference line and Alter's selection (SectionState).
//
//   std::vector<int> style{0, 0}, symbol{1, 202}, count{24, 24};
//   std::vector<std::string> names{"ITEM   1", "ITEM   2"};
//   sketra::SectionLines lines{style, symbol, count, x, y, y};
//   int options = 12;                          // x and y extents
//   sketra::PlotTitles titles{"Rating", "", "[m3/s]", "[m]"};
//   sketra::grklin(lines, names, titles, -1, options);

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "sketra/control/control.h"

namespace sketra {

inline constexpr int kMaxSectionLines = 100;
inline constexpr int kSectionNameWidth = 40;
inline constexpr float kMissingAttribute = -99998.0f;  // attributes at or below are missing

// True for a y value that marks a missing value (see above).
bool missing_value(float y);

// The lines handed to the viewer (see above).
struct SectionLines {
  std::span<int> style;
  std::span<int> symbol;
  std::span<const int> count;
  std::span<float> x, y;
  std::span<const float> attr;  // may be y itself

  int lines() const { return int(std::min({style.size(), symbol.size(), count.size()})); }
  // Index of the first point of line k (1-based) in x and y.
  std::size_t first(int k) const;
  // True when every count is >= 0 and all points lie inside x, y and attr.
  bool valid() const;
  // The line (1-based) that holds point index i; 0 when none does.
  int line_of(std::size_t i) const;
};

// Bits of the mode's options word (of its absolute value).
inline constexpr int kSectionReverse = 1;      // the axis-reversal switch on
inline constexpr int kSectionSmoothOn = 2;
inline constexpr int kSectionXExtents = 4;
inline constexpr int kSectionYExtents = 8;
inline constexpr int kSectionSmoothOff = 16;
inline constexpr int kSectionEscape = -99;      // the options word after Escape

// What the mode keeps between its calls (one instance, grsect).
struct SectionState {
  std::vector<std::string> names;  // 40 characters each
  bool smooth = false;
  bool xreverse = false;           // the axis-reversal switch (no effect on drawing)
  int label = 0;                   // 0 none, 1 node markers, 2 markers and attribute values
  int reference = 0;               // Origine's reference line, 0 none
  long long selected = -1;         // Alter: the selected point, -1 none
  long long moved = -1;            // Alter: the point moved last, -1 none
  float old_x = 0, old_y = 0;      // its position before the move
  bool key_pinned = false;         // the legend follows the next click
};
extern SectionState grsect;
void section_reset();

// Runs the viewer. At most kMaxSectionLines lines are shown (more shows
// "too many lines in GRKLIN" and the first 100). While it runs the plot
// origin is `origin` (the lines' x and y are relative to it) and IKEYGR is
// 1; IN02GR, the origin and IKEYGR are restored afterwards. `options` is
// the mode's options word; Escape sets it to kSectionEscape, "<-->"
// negates it. `plot_options` goes to grctrl.
void grklin(const SectionLines& lines, std::span<const std::string> names, PlotTitles& titles,
            int plot_options, int& options, std::array<double, 2> origin = {0, 0});

// The view callback and the mode's entries (for tests: run one entry with
// a ViewContext of code -k).
void grkli1(ViewContext& v, const SectionLines& lines, int& options);
std::vector<ModeEntry> section_entries(const SectionLines& lines, int& options);

// The smoothed y of point i of line k (as drawn), or y itself.
float shown_y(const SectionLines& lines, int k, std::size_t i);

// The text pages of Write, Slope and Stat for line k (1-based); every node
// is listed. Co-ordinates are written absolute (plus the plot origin).
std::vector<std::string> write_page(const SectionLines& lines, int k);
std::vector<std::string> slope_page(const SectionLines& lines, int k);
std::vector<std::string> stat_page(const SectionLines& lines, int k);

// Makes every other line relative to line k (Origine): y minus line k's y
// interpolated at its x; line k becomes 0. Missing values stay as they are
// and take no part in the interpolation.
void make_relative(const SectionLines& lines, int k);

// The legend. draw true draws it (code 3); false handles a click at the
// cursor pick (code 4) and returns true when the click concerned it: the
// PIN button picks the legend up and the next click puts it down; a click
// elsewhere in it edits the titles and names.
bool grkey1(const SectionLines& lines, bool draw);

}  // namespace sketra
