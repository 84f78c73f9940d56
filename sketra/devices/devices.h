#pragma once
// File devices: the formats the primitives write in the file output modes,
// and the replay of recorded drawings.
//
//   mode 8   plot records (a keep file, ".kep"): every primitive as a text
//            record, replayable as a background or foreground layer
//   mode 9   DXF (lines, points, texts, filled polygons as SOLIDs)
//   mode 10  ESRI shapefile through shapelib (points, arcs or polygons with
//            one attribute)
//   mode 11  ArcPolygon text (filled polygons only)
//
// install_file_devices() registers one opener per mode with the kernel
// (device.h); grmode(mode) then asks for the file name and opens it. Every
// file is written beside its target under a temporary name and renamed
// over the target when it is closed complete; a failed write is reported
// in the closing message and leaves the target as it was.
//
//   sketra::install_file_devices();
//   if (sketra::grmode(sketra::kModeDxf) == sketra::kModeDxf) {  // asks "DXF prefix"
//     ... draw ...
//     sketra::grmode(0);  // "DXF File done"
//   }

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sketra {

// Registers the openers of modes 8 ... 11 and shows their closing messages
// on the message line (kernel resets remove both).
void install_file_devices();

// ---------------------------------------------------------------- suffixes

// igrsuffx(name, suffix, mode). Mode 0 tests: 1 when the text from the last
// "." of `name` (trailing blanks ignored) equals `suffix`, else 0 (also 0
// without a dot). Any other mode replaces everything from the last "." by
// `suffix`, or appends it to the trimmed name when there is no dot; the
// result keeps the name's length when that was longer (blank-padded).
// Returns 0 in that case.
int igrsuffx(std::string& name, std::string_view suffix, int mode);

// ---------------------------------------------------------------- keep list entries

inline constexpr int kKeepCapacity = 40;
inline constexpr int kKeepNameWidth = 128;

inline constexpr int kKeepHidden = 1;
inline constexpr int kKeepBackground = 2;
inline constexpr int kKeepForeground = 3;
inline constexpr int kKeepRemove = 4;

struct KeepEntry {
  std::string name;  // trimmed, at most kKeepNameWidth characters
  int state = kKeepBackground;
};

// ---------------------------------------------------------------- display list
//
// Loading the listed keep files turns their records into one display list:
// an entry per primitive call (operation, its points, one integer value),
// with the points in three columns and the texts apart. Background files
// come first (entries [0, nback)), foreground files after them. Storage
// grows with the data up to the capacities below; a file that does not fit
// is refused from the record that does not fit on ("Keep file too large: "
// and its name), and everything loaded before stays drawable.

inline constexpr std::int64_t kDisplayCapacity = 4000000;  // entries
inline constexpr std::int64_t kKeepPointCapacity = 12000000;
inline constexpr std::int64_t kKeepTextCapacity = 10000;
inline constexpr int kKeepOriginCapacity = 100;
inline constexpr int kKeepTextWidth = 32;

enum class KeepOp : std::uint8_t {
  text = 1, colour = 2, dash = 3, draw2 = 4, draw3 = 5, fill2 = 6, fill3 = 7,
  move2 = 8, move3 = 9, symbol = 10, colour_mode = 12, colour_bank = 13, origin = 15,
};

struct DisplayEntry {
  KeepOp op = KeepOp::move2;
  std::int32_t first = 0;  // index of the first point (text index for op text)
  std::int32_t count = 0;  // points of a polygon
  std::int32_t value = 0;  // colour, dash, symbol, colour mode or bank; origin slot
};

struct DisplayList {
  std::vector<DisplayEntry> entries;
  std::size_t nback = 0;                  // entries of the background files
  std::vector<float> x, y, z;             // points, relative to the origin in force
  std::vector<std::string> texts;         // annotation texts (32 characters at most)
  std::vector<std::array<double, 2>> origins;  // plot origins met in the files (at most 100)
};

// The display list of the process (state.h).
extern DisplayList display_list;

// grkpla(list, mode): 2 loads the files of the list (state 2 first, then
// state 3), 3 draws the background layer, 4 the foreground layer. Loading
// sets a missing file's state to 4 ("Keep file not found: ") and goes on;
// a file that cannot be opened ("Error opening: ") or read ("Syntax error
// in: ") gets state 1 and ends the load. Drawing replays the entries at
// the origins stored in the files, so a drawing lands at the absolute place
// where it was recorded; colour mode, bank and origin are restored after.
void grkpla(std::span<KeepEntry> list, int mode);

// ---------------------------------------------------------------- shapefiles

inline constexpr int kShapePoint = 1;
inline constexpr int kShapeArc = 2;
inline constexpr int kShapePolygon = 3;
inline constexpr int kAttributeInteger = 1;
inline constexpr int kAttributeDouble = 2;

// The shapefile settings that live from one hard copy to the next (the
// base name is grcomt.shape_base).
struct ShapeSettings {
  int shape_type = kShapePoint;
  int attribute_type = kAttributeInteger;
  std::string field;  // attribute field name of the last hard copy
};
extern ShapeSettings shape_settings;

// Capacity of the arc collector's node and segment lists; reaching it
// writes the arcs collected so far.
inline constexpr int kArcCollectorCapacity = 39999;

}  // namespace sketra
