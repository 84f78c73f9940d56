#pragma once
// ESRI shapefiles read through shapelib.
//
// `getshape` walks every shape of a .shp file in file order and every vertex
// of it, and marks where chains begin: the first vertex of each part of a
// line, polygon or multipatch shape (Arc, Polygon, MultiPatch and their Z
// and M forms) starts a chain, the other vertices of the part continue it.
// Points and multipoints are single points without edges. Polygon rings keep
// their repeated first vertex, so each ring closes. z is the shape's z for
// the Z forms and 0 otherwise (M values are not read).
//
//   ShapeVertices v;
//   FileResult r = getshape("rivers.shp", kMaxPoints, v, log, progress);
//   // v.x[i], v.y[i], v.z[i], v.mark[i]: kStartsChain, kContinuesChain or kSinglePoint

#include <cstdint>
#include <string>
#include <vector>

#include "app/formats/format_io.h"

namespace korvel {

enum ShapeMark : std::uint8_t {
  kContinuesChain = 0,  // joined to the vertex before it
  kStartsChain = 1,     // first vertex of a part
  kSinglePoint = 2,     // a point or a vertex of a multipoint
};

struct ShapeVertices {
  int type = 0;                    // shape type of the file (1 Point, 3 Arc, 5 Polygon, ...)
  int shapes = 0;                  // number of shapes
  std::vector<double> x;           // absolute
  std::vector<double> y;
  std::vector<double> z;
  std::vector<std::uint8_t> mark;  // ShapeMark of each vertex
  std::int64_t parts = 0;          // parts of line, polygon and multipatch shapes
  std::int64_t ignored = 0;        // vertices beyond the capacity
};

// Reads the shapefile `name` (trailing blanks are not part of it) with at
// most `capacity` vertices. Writes "filename:" and the name, then
// "Shapefile Type: " with the type name and "   # of Shapes: " with the
// count, to standard output and the log. Fails with "Unable to open:" and
// the name when shapelib cannot open it (its own explanation goes to the
// log), when a shape record cannot be read or holds a coordinate that is
// not a finite number, and with "not a readable shapefile: " and the name
// when a record is of another type than the file or no shape holds a
// vertex (what a damaged .shp beside a good .shx reads as). Progress:
// "reading shapes".
FileResult getshape(const std::string& name, std::int64_t capacity, ShapeVertices& out, int log, Progress& progress);

}  // namespace korvel
