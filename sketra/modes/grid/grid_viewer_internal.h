#pragma once
// Internals of the grid contour viewer shared by its source files.

#include <string>

#include "sketra/modes/grid/grid_viewer.h"

namespace sketra::detail {

// Read and write units of the viewer's files.
inline constexpr int kContourReadUnit = 12;
inline constexpr int kContourWriteUnit = 13;

// Marker of a point the viewer reports on.
inline constexpr int kPointMark = 1405;

// Marks world point (x, y).
void mark(float x, float y, int code = kPointMark);

// The menu entries that live in their own files.
void inquire(const GridData& g);
void sum_curve(const GridData& g);
void write_menu(const GridData& g);
// The statistics of realisations; false when a file was missing or bad.
bool statistics();

// Asks for a file and opens it for reading on kContourReadUnit; false when
// no file was opened.
bool open_input(std::string& name);

}  // namespace sketra::detail
