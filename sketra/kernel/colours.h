#pragma once
// Colours: the palette of 201 entries and how a colour number selects one.
//
// Every primitive takes its colour from one integer colour number:
//   c >= 1    a palette colour (1 ... 200, repeating every 200), chosen
//             through the colour mode and the colour bank;
//   c = 0     black, c = -1 white, c = -2 ... -11 fixed greys and accents.
// Colours below -11 are treated as -11: the fixed table is extended by its
// last entry, the same way the DXF table extends its ends.
//
// Palette layout (entries are 0xRRGGBB):
//     0 ...  20  greys from white (0) to black (20)
//    21 ... 100  four tint rows of the twenty hues, palest first
//   101 ... 200  five shade rows of the twenty hues, full colour first
// Colour mode 2 maps colours 1 ... 20 onto row `bank` (bank 5 = the full
// hues 101 ... 120, bank 0 = the greys); colour mode 3 maps them onto column
// `bank`; any other mode uses the colour number as the palette index. A
// negative mode first replaces the colour by the user colour map entry. Mode
// 4 also suppresses fills of colours >= 5.

#include <array>
#include <cstdint>
#include <span>

namespace sketra {

inline constexpr int kPaletteSize = 201;  // the numbered colours 0 ... 200
// After them the palette holds the class ramp: kRampSize colours of one
// kind from pale to dark, for colour-filled plots with more classes than a
// palette row or column gives distinct colours. Colour mode kRampMode
// spreads colours 1 ... NCOLGR evenly over it.
inline constexpr int kRampSize = 100;
inline constexpr int kRampMode = 5;
inline constexpr int kUserColours = 20;
inline constexpr int kLowestFixedColour = -11;

struct ColourState {
  std::array<std::uint32_t, kPaletteSize + kRampSize> palette{};  // 0xRRGGBB; the ramp at the end
  std::array<unsigned long, kPaletteSize + kRampSize> pixels{};   // device pixels of the entries
  int mode = 2;                                       // colour mode (see above)
  int bank = 5;                                       // colour bank 0 ... 9
  std::array<int, kUserColours> user_map{1, 2,  3,  4,  5,  6,  7,  8,  9,  10,
                                         11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
  int ncolgr = 12;                                    // colours used by filled plots
  std::array<int, 23> dxf{};                          // DXF colour of colours -9 ... 13
};

// Builds the palette and sets colour mode 2, bank 5, NCOLGR 12 and the DXF
// colour table (in grcomn.colour).
void grmcol();

// Palette index 0 ... 200 that colour `colour` selects under the current
// colour mode, bank and user colour map (in colour mode kRampMode, colours
// 1 ... NCOLGR select ramp entries). Pure: no device is touched.
int palette_index(int colour);

// Fills the class ramp with `anchors` (0xRRGGBB, pale to dark, at least
// two) interpolated evenly, and allocates it on the open window. Returns
// false when the ramp held these colours already.
bool set_class_ramp(std::span<const std::uint32_t> anchors);

// DXF colour number of library colour `colour` (clamped to -9 ... 13).
int dxf_colour(int colour);

// direction 0: value = (r*256 + g)*256 + b; direction 1: splits value into
// r = value / 65536, g = (value mod 65536) / 256, b = value mod 256.
void grgcol(int& value, int& r, int& g, int& b, int direction);

// Piecewise-linear interpolation in a table (t, v) whose t values run in
// either direction. status: 0 inside the table, 1 one-point (or empty)
// table, 2 below the table, 3 above it; outside, the value of the nearest
// end is returned and the slope is 0.
struct Interpolated {
  float value = 0;
  float slope = 0;
  int status = 0;
};
Interpolated grint0(std::span<const float> t, std::span<const float> v, float x);

}  // namespace sketra
