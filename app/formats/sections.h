#pragma once
// Data sections of the loader (internal to app/): the readers that take
// the data lines after a keyword or a line of numbers found by the scan.
// Each reads records from `unit` until a record does not parse (that line is
// stepped back for the keyword parser) or the file ends, stores what it read
// and shows its count message.

#include <array>
#include <string>

namespace korvel::sections {

// Point section ("xyz", "xy"): 1-based columns of x, y, z. With
// `running_distance` z is the 2-D distance along the records instead.
void points(int unit, int ix, int iy, int iz, bool running_distance);

// Line section ("lines", "bedlevel"; XYZI): 1-based columns of x, y, z, I.
void lines(int unit, const std::array<int, 4>& col);

// Cross-section ("cs") of (distance, elevation) pairs.
void cross_section(int unit, float km, float dz);

// Value table ("table"): columns ix, iy and the scales y = a*value + b.
struct TableParams {
  int ix = 1;
  int iy = 2;
  float ax = 1.0f;
  float bx = 0.0f;
  float ay = 1.0f;
  float by = 0.0f;
};
void table(int unit, int log, const TableParams& p);

// BLT lines: x, y, z, k per line; k > 21 joins the point to the one before.
// False when a line cannot be read (the file is rejected).
bool blt(int unit);

// The "found" message of point and line sections.
void found_message();

// Fixes the store origin at the absolute point (x, y) unless a reader has
// fixed it already.
void fix_origin(double x, double y);

}  // namespace korvel::sections
