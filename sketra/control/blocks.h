#pragma once
// The plot-parameter block and the text block that the application hands
// whole to the control loop and the display modes.
//
// `Cplot` is 27 four-byte words: a few the application sets (menu
// selection, number of grid sets, clip window and NODATA value) and the rest
// owned by the control loop. `Cpch` holds fixed-width, blank-padded text
// fields without terminators, as every text of the system is fixed-width:
// trailing blanks are insignificant when texts are compared.
//
// The one instance of each lives with the application's store (app/store.h);
// sketra only defines the types, so the control loop can receive them.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sketra {

// A fixed-width text field of N characters, blank-padded, no terminator.
template <std::size_t N>
struct Text {
  std::array<char, N> c;

  Text() { c.fill(' '); }
  explicit Text(std::string_view s) { set(s); }

  static constexpr std::size_t width = N;

  // Cuts or blank-pads s to N characters.
  void set(std::string_view s) {
    std::size_t n = std::min(s.size(), N);
    std::copy_n(s.data(), n, c.data());
    std::fill(c.begin() + std::ptrdiff_t(n), c.end(), ' ');
  }
  void clear() { c.fill(' '); }

  // All N characters.
  std::string_view view() const { return {c.data(), N}; }
  // Without trailing blanks.
  std::string_view trimmed() const {
    std::size_t n = N;
    while (n > 0 && c[n - 1] == ' ') --n;
    return {c.data(), n};
  }
  std::string str() const { return std::string(trimmed()); }
  bool blank() const { return trimmed().empty(); }

  char& operator[](std::size_t i) { return c[i]; }
  char operator[](std::size_t i) const { return c[i]; }

  // Equal when equal after removing trailing blanks.
  bool operator==(std::string_view s) const {
    std::size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return trimmed() == s.substr(0, n);
  }
};

// The plot-parameter block: 27 words handed whole to the control loop.
struct Cplot {
  std::int32_t display = -1;  // 0: display-state word of the control loop
  std::int32_t menu = 10;     // 1: menu selection, in/out of the menu bar (-1 or 0: none yet)
  std::int32_t ctl2 = 12;     // 2: control-loop setting
  std::int32_t ctl3 = 0;      // 3: control-loop setting
  std::int32_t nsets = 0;     // 4: number of stored grid data sets
  std::int32_t ctl5 = 0;      // 5: control-loop setting
  float ctl6 = -1.0f;         // 6: control-loop setting
  std::array<std::int32_t, 12> table{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};  // 7..18
  // 19..24: clip window in absolute coordinates.
  float xmin = -9.0e20f;
  float xmax = 9.0e20f;
  float ymin = -9.0e20f;
  float ymax = 9.0e20f;
  float zmin = -9998.0f;  // with this default the NODATA value -9999 is dropped
  float zmax = 9.0e20f;
  std::int32_t clip = 0;     // 25: 1 when the clip window is in force
  float nodata = -9999.0f;   // 26: value that marks a missing z or grid value
};
static_assert(sizeof(Cplot) == 27 * 4, "cplot is 27 four-byte words");

inline constexpr int kMenuCells = 25;   // cells of an application menu bar
inline constexpr int kDialogFields = 12;  // fields of the load dialog and its kin

// The text block.
struct Cpch {
  Text<80> label1;       // control-loop label
  Text<80> value_label;  // title or unit of the displayed value
  Text<40> x_label;      // unit of x, "[m]"
  Text<40> y_label;      // unit of y, "[m]"
  Text<80> file_name;    // file being read or written
  Text<80> file_filter;  // second field of the file dialog
  Text<32> item;         // name of the unstructured data; "unknown" after each load
  std::array<Text<32>, 6> set_name;  // name of grid set k at index k-1
  std::array<Text<32>, kMenuCells> menu;   // current menu bar: 8-character caption + 24 blanks
  std::array<Text<24>, kDialogFields> dialog;  // text fields of the load dialog
  Text<80> last_file;    // last file given to Load or Add
};

}  // namespace sketra
