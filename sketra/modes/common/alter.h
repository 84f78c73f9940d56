#pragma once
// Value alteration: the operation text and its evaluation, the random
// number generator, and the Alter dialog of the display modes.
//
// An operation is one character and a number: "=1.5" sets, "+1.5" adds,
// "-1.5" subtracts, "*1.5" multiplies, "/1.5" divides, "<5" takes the
// minimum with 5 (caps values at 5), ">5" the maximum (raises values below
// 5 to 5).
//
//   float a = 0;
//   int op = sketra::igetop("  *0.5", a);        // op 4, a 0.5
//   int status = 0;
//   float v = sketra::valoper(10.0f, a, op, status);  // 5.0, status 0

#include <limits>
#include <span>
#include <string>
#include <string_view>

namespace sketra {

// Operator codes.
inline constexpr int kOpNone = 0, kOpSet = 1, kOpAdd = 2, kOpSubtract = 3, kOpMultiply = 4,
                     kOpDivide = 5, kOpMinimum = 6, kOpMaximum = 7;

// Parses an operation: leading blanks skipped, the first character selects
// the operator, the rest is read as one number. Returns 0 (and operand 0)
// when the operator or the number does not read.
int igetop(std::string_view text, float& operand);

// Applies operation `op` with operand a to v. status: 0 ok, 1 a division by
// an operand below 1e-30 in magnitude (the result is 0), 2 an operator code
// outside 1 ... 7 (v is returned unchanged).
float valoper(float v, float a, int op, int& status);

// The minimal standard generator: seed = seed * 16807 mod (2^31 - 1), and
// |seed| * 4.656613e-10 is returned (uniform in 0 ... 1). A seed of -1 is
// first replaced by 8 m + s1 + s2 + 1 from the clock (m the units digit of
// the minutes, s1 and s2 the digits of the seconds of grtime's stamp). The
// caller keeps the seed, so each caller has its own sequence.
float rgrand(int& seed);

// The seed that -1 becomes for a 20-character date-time stamp.
int rgrand_seed(std::string_view stamp);

// Alteration state kept for the program run.
struct AlterState {
  std::string cop = "+2.0";  // operation text (32 characters at most)
  int iop = kOpNone;         // parsed operator
  float sval = 0;            // parsed operand
  bool lfile = false;        // Fill reads operations and polygons from a file
  std::string file;          // that file
};
extern AlterState gralt;
void alter_reset();

// Read unit of the Alter dialog's operation and polygon file.
inline constexpr int kAlterUnit = 10;

// The menu entries of the Alter dialog that leave it.
inline constexpr int kAlterReplot = 6;
inline constexpr int kAlterDone = 8;

// The Alter dialog over nodes x, y with `values` (changed in place):
// Operator, Fill (nodes inside a polygon drawn with the cursor or read from
// the file chosen with Read), All, Read, Random, Replot, ?? and Done.
// `second`, when given, receives the same operation per node (as far as it
// reaches). Values at or below `empty` + 0.1 are no-data and are left as
// they are. Returns the menu entry used to leave: kAlterDone, or
// kAlterReplot, after which the display mode shows the changed picture and
// opens the dialog again (ViewRequest::repeat).
//
// In the file chosen with Read, each Fill takes the next line that carries
// an operation after its first word ("FILL =500") and the polygons after it
// (one after the other while separators part them). A polygon that ends at
// a line that is neither a vertex nor an operation, or that has more
// vertices than room, changes nothing: the line, or the size, is reported
// and this Fill ends.
int gralter(std::span<const float> x, std::span<const float> y, std::span<float> values,
            std::span<float> second = {},
            float empty = -std::numeric_limits<float>::infinity());

}  // namespace sketra
