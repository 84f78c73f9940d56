#pragma once
// The loader: the single entry for reading data into the point store.
//
// `load(kLoad)` replaces the points and edges of the store with a file's,
// `load(kAdd)` appends them. The file named in `cpch.file_name` is opened
// (or asked for through the file dialog); its first line and its suffix
// decide the reader (app/formats/file_kind.h). The readers of app/formats
// deliver what they read; the loader (here and in load_files.cpp) asks the
// user, fills the store and reports counts.
//
// Every file but node, hole, DXF and BLT files ends with the finishing step
// (load dialog, codes, shift, rotation, z scaling); every file with the
// end-of-load summary and the origin published as "XORGR"/"YORGR".
//
// A load is all or nothing: when a file is rejected (a sixth error, a fatal
// error, any error counted by the end of the file, unreadable parameters, a
// bad grid value, a grid larger than the store, a reader's verdict on a
// broken file) the log keeps the boxes and texts, the message line says
// "load failed: " and the file name, and the store, the state blocks and the
// reader settings are exactly as before.

#include <cstdint>
#include <string>
#include <vector>

#include "app/formats/keyword_parser.h"
#include "app/mapping/mapping.h"

namespace korvel {

inline constexpr int kLoad = 1;
inline constexpr int kAdd = 2;

// Reader settings, kept for the life of the process: they carry over from
// one file to the next (Load does not reset them).
struct ReaderSettings {
  double xmv = 0;      // shift of x, "move" and the load dialog
  double ymv = 0;      // shift of y
  float zmv = 0;       // shift of z, load dialog
  float arot = 0;      // rotation in degrees, "rotate" and the load dialog
  float zfac = 1.0f;   // z factor, load dialog
  int icolor = -1;     // colour given by the file ("color"); -1: ask in the load dialog
  int icol = 0;        // current colour * 100
  int isymb = 1;       // current symbol number
  float distmax = -1;  // densify lines: longest edge; <= 0 off
  float dmean = -1;    // thin lines: shortest edge; <= 0 off
  bool lorig = false;  // the store origin has been fixed
  float x0 = 0;        // cross-section placement ("locate"), relative to the origin
  float y0 = 0;
  float angle = 0;     // cross-section direction, radians
  int ncs = 0;         // cross-sections read since the last Load
  int nl = 0;          // value tables read since the last Load
  double sfac = 1.0;   // DXF scale factor, the DXF option dialog
  bool lcircle = false;  // DXF circles become polygons; once on it stays on
};
extern ReaderSettings reader;

// A value table loaded for the section viewer.
struct ValueTable {
  std::int32_t first = 0;  // 1-based number of its first point
  std::int32_t count = 0;  // number of values (points)
  std::string name;        // "ITEM " and the table number in width 3
};
extern std::vector<ValueTable> tables;

// What became of a load.
enum class LoadOutcome {
  nothing,      // no file chosen: nothing changed
  loaded,       // the file was read
  cancelled,    // the load dialog was cancelled: points kept without codes or transforms
  rejected,     // bad input: nothing changed
};

// Loads the file named in cpch.file_name (mode kLoad or kAdd).
LoadOutcome load(int mode);
// Loads the file `name`; with `as_given` (a name from the command line) the
// name is used as it is, blanks and all, and not cut to a field's width.
LoadOutcome load_file(int mode, std::string name, bool as_given);

// The origin as last published to the graphics library.
struct PublishedOrigin {
  double x = 0;
  double y = 0;
  int count = 0;  // times published
};
extern PublishedOrigin published_origin;

// Where the points of the node file or 2DM mesh loaded last went (Map
// builds its surface over them).
extern MeshPoints last_mesh_points;

// The keyword parser's state, kept for the life of the process: nesting,
// open blocks and include files, the error counts of the file being read.
extern ParserState parser;

// The parser to its start-up state.
void parser_reset();

// Reader settings, tables, the published origin and the last mesh points
// to their start-up state.
void loader_reset();

}  // namespace korvel
