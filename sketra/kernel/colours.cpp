// The palette, the mapping of colour numbers onto it, and grcolr.

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "sketra/kernel/plot_internal.h"

namespace sketra {

namespace {

// Palette index of colours 0, -1, ..., -11.
constexpr int kFixed[12] = {20, 0, 1, 3, 10, 73, 71, 103, 114, 118, 98, 128};

// DXF colour numbers of library colours -9 ... 13.
constexpr std::array<int, 23> kDxf = {6,   1,   5,  2,   20,  253, 9,  9, 254, 7,  142, 4,
                                      150, 5,   162, 122, 82, 3,   110, 62, 2,   20, 1};

constexpr int kHues = 20;

// The hue table: each channel of hue h is interpolated at t = 0.3 h.
constexpr float kHueT[7] = {0.0f, 1.0f, 2.0f, 2.8f, 4.0f, 5.0f, 6.0f};
constexpr float kHueRed[7] = {0.4f, 0.1f, 0.1f, 0.9f, 0.9f, 0.8f, 0.8f};
constexpr float kHueGreen[7] = {0.7f, 0.1f, 0.9f, 0.9f, 0.2f, 0.3f, 0.9f};
constexpr float kHueBlue[7] = {1.0f, 1.0f, 0.1f, 0.1f, 0.2f, 0.9f, 0.1f};

std::uint32_t rgb(int r, int g, int b) {
  int value = 0;
  grgcol(value, r, g, b, 0);
  return std::uint32_t(value);
}

}  // namespace

// Greys 0 ... 20 from white to black; then for each of the twenty hues four
// tints (channel c becomes c^(1/j), j = 5 ... 2, palest first) and five
// shades (c * (1.1 - 0.1 m), m = 1 ... 5, full colour first).
void grmcol() {
  ColourState& s = grcomn.colour;
  for (int i = 0; i <= 20; ++i) {
    const int g = 255 - int(float(i) * 12.75f);
    s.palette[size_t(i)] = rgb(g, g, g);
  }
  for (int h = 0; h < kHues; ++h) {
    const float t = 0.3f * float(h);
    const float c[3] = {grint0(kHueT, kHueRed, t).value, grint0(kHueT, kHueGreen, t).value,
                        grint0(kHueT, kHueBlue, t).value};
    for (int j = 5; j >= 2; --j) {
      int ch[3];
      for (int k = 0; k < 3; ++k) ch[k] = int(255.0f * std::pow(c[k], 1.0f / float(j)));
      s.palette[size_t(21 + h + 20 * (5 - j))] = rgb(ch[0], ch[1], ch[2]);
    }
    for (int m = 1; m <= 5; ++m) {
      const float factor = 1.1f - 0.1f * float(m);
      int ch[3];
      for (int k = 0; k < 3; ++k) ch[k] = int(c[k] * 255.0f * factor);
      s.palette[size_t(101 + h + 20 * (m - 1))] = rgb(ch[0], ch[1], ch[2]);
    }
  }
  s.mode = 2;
  s.bank = 5;
  s.ncolgr = 12;
  s.dxf = kDxf;
}

// Banks outside 0 ... 9 (possible from a settings file) are held to that
// range so that every colour number selects an existing entry.
int palette_index(int colour) {
  const ColourState& s = grcomn.colour;
  long long mode = s.mode;
  long long c = colour;
  if (mode < 0) {
    c = s.user_map[size_t(std::clamp<long long>(c, 1, kUserColours) - 1)];
    mode = -mode;
  }
  if (c >= 1 && mode == kRampMode) {
    // Class k of n at the ramp position (k - 1) / (n - 1): n classes, n <= kRampSize, stay distinct.
    const long long n = std::clamp(s.ncolgr, 2, kRampSize);
    const long long k = std::clamp<long long>(c, 1, n);
    return int(kPaletteSize + ((k - 1) * (kRampSize - 1) + (n - 1) / 2) / (n - 1));
  }
  if (c >= 1) {
    const long long k = (c - 1) % 200 + 1;
    if (k <= 20) {
      const long long bank = std::clamp(s.bank, 0, 9);
      if (mode == 2) return int(k + 20 * bank);
      if (mode == 3) return int(bank + 20 * std::min<long long>(k, 9));
    }
    return int(k);
  }
  return kFixed[size_t(-std::max<long long>(c, kLowestFixedColour))];
}

bool set_class_ramp(std::span<const std::uint32_t> anchors) {
  ColourState& s = grcomn.colour;
  if (anchors.size() < 2) return false;
  std::array<std::uint32_t, kRampSize> ramp{};
  const double last = double(anchors.size() - 1);
  for (int i = 0; i < kRampSize; ++i) {
    const double t = double(i) / (kRampSize - 1) * last;
    const auto a = std::min(std::size_t(t), anchors.size() - 2);
    const double f = t - double(a);
    std::uint32_t rgb = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
      const double from = double((anchors[a] >> shift) & 0xFF), to = double((anchors[a + 1] >> shift) & 0xFF);
      rgb |= std::uint32_t(std::lround(from + f * (to - from))) << shift;
    }
    ramp[size_t(i)] = rgb;
  }
  if (std::equal(ramp.begin(), ramp.end(), s.palette.begin() + kPaletteSize)) return false;
  std::copy(ramp.begin(), ramp.end(), s.palette.begin() + kPaletteSize);
  if (driver().is_open()) {
    const std::vector<unsigned long> pixels = driver().alloc_colours(ramp);
    std::copy_n(pixels.begin(), std::min<std::size_t>(pixels.size(), kRampSize), s.pixels.begin() + kPaletteSize);
  }
  grcomn.last_colour_mode = -1;  // a colour number may now select another pixel
  return true;
}

int dxf_colour(int colour) {
  return grcomn.colour.dxf[size_t(std::clamp(colour, -9, 13) + 9)];
}

void grgcol(int& value, int& r, int& g, int& b, int direction) {
  if (direction == 0) {
    value = int((unsigned(r) * 256u + unsigned(g)) * 256u + unsigned(b));
  } else {
    r = value / 65536;
    g = (value % 65536) / 256;
    b = value % 256;
  }
}

Interpolated grint0(std::span<const float> t, std::span<const float> v, float x) {
  const size_t n = std::min(t.size(), v.size());
  if (n == 0) return {0, 0, 1};
  if (n == 1) return {v[0], 0, 1};
  const bool ascending = t[n - 1] >= t[0];
  const size_t lo = ascending ? 0 : n - 1;
  const size_t hi = ascending ? n - 1 : 0;
  if (x < t[lo]) return {v[lo], 0, 2};
  if (x > t[hi]) return {v[hi], 0, 3};
  for (size_t i = 0; i + 1 < n; ++i) {
    const float a = t[i], b = t[i + 1];
    if (!(std::min(a, b) <= x && x <= std::max(a, b))) continue;
    if (a == b) return {v[i], 0, 0};
    const float slope = (v[i + 1] - v[i]) / (b - a);
    return {v[i] + slope * (x - a), slope, 0};
  }
  return {v[lo], 0, 2};  // x is not a number
}

// The cache also remembers the colour mode and bank, so that changing
// either makes the next grcolr of the same number take effect.
void grcolr(int colour) {
  PlotState& c = grcomn;
  if (colour == c.last_colour && c.imodgr == c.last_colour_mode &&
      c.colour.mode == c.last_colour_scheme && c.colour.bank == c.last_colour_bank)
    return;
  c.last_colour = colour;
  c.last_colour_mode = c.imodgr;
  c.last_colour_scheme = c.colour.mode;
  c.last_colour_bank = c.colour.bank;
  c.current_colour = colour;
  if (is_file_mode(c.imodgr)) {
    if (FileDevice* dev = detail::file_device()) dev->colour(colour);
    return;
  }
  if (!is_screen_mode(c.imodgr)) return;
  grdump();
  if (c.imodgr <= 4 && driver().is_open())
    driver().set_pixel(c.colour.pixels[size_t(palette_index(colour))]);
}

}  // namespace sketra
