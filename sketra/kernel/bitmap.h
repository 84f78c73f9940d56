#pragma once
// Bitmap backgrounds: georeferenced raw PBM (P4) and PGM (P5) images drawn
// under or over a view as a grid of grey cells.
//
// The pixels of every loaded bitmap live one after another in one byte
// store (one byte per pixel, rows from the top); a table entry per bitmap
// gives its size, maximum grey value, type, start in the store, keep-list
// state (2 background, 3 foreground) and geometry. The geometry comes from
// a world file beside the image: six lines holding the pixel width, two
// rotation terms (ignored), the negated pixel height and the absolute x
// and y of the centre of the upper-left pixel.
//
// Drawing samples every k-th pixel in both directions, starting with the
// upper-left one, so that about 800 cells span the window; each cell is
// k x k pixels centred on its sample. The samples are anchored to the
// image, so panning moves the cells with it instead of re-sampling. The
// device edges of the visible cell columns and rows are computed once per
// picture, neighbouring cells of one grey in a row merge, and the cells
// reach the driver in one batch per grey level (colour mode 1, colours
// 1 ... 13; level 0, white, is not drawn).
//
//   grbmps.read("ortho.pgm") ...       // see BitmapStore::add
//   draw_bitmaps(kBitmapBackground);   // inside a redraw

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sketra {

inline constexpr std::size_t kPixelStoreCapacity = 400'000'000;  // bytes of all bitmaps together
inline constexpr std::size_t kMaxBitmaps = 40;
inline constexpr int kBitmapBackground = 2;
inline constexpr int kBitmapForeground = 3;

// File types: not a portable bitmap at all, another portable format, raw
// PBM, raw PGM.
inline constexpr int kBitmapNotPortable = 0;
inline constexpr int kBitmapOtherFormat = 1;
inline constexpr int kBitmapPbm = 4;
inline constexpr int kBitmapPgm = 5;

// An optionally signed decimal integer after leading blanks: the value, the
// characters used and whether no digit was found (or it does not fit 64
// bits).
struct IntField {
  long long value = 0;
  std::size_t used = 0;
  bool error = true;
};
IntField igrint(std::string_view text);

// Where a bitmap lies: the absolute centre of its upper-left pixel and the
// pixel size (both positive).
struct BitmapGeometry {
  double x0 = 0, y0 = 0;
  double dx = 1, dy = 1;
  bool valid() const;  // finite, and dx, dy > 0
};

struct Bitmap {
  int width = 0, height = 0;
  int maxval = 0;       // grey value of white; 13 for PBM
  int type = kBitmapOtherFormat;
  std::size_t start = 0;  // index of the upper-left pixel in the store
  int state = kBitmapBackground;
  BitmapGeometry geo;
};

// What reading an image gave: its header (height cut to what fitted and
// what the file held) and the standard-output lines of a refusal.
struct BitmapRead {
  Bitmap bitmap;
  bool ok = false;
  std::vector<std::string> report;  // for standard output
};

// Reads a raw PBM or PGM file and appends its pixels to `pixels`, at most
// `room` bytes. P5 samples become one byte each (16-bit samples are scaled
// to 0 ... 255); P4 bits become 13 (set, black) or 6 (clear), the padding
// bits of each row dropped. Comments ("#" to the end of the line) may
// stand between the header fields. Width, height and maximum value must be
// at least 1 (the maximum at most 65535); a file shorter than its header
// says keeps the complete rows it holds.
BitmapRead grbmpr(const std::string& path, std::vector<std::uint8_t>& pixels, std::size_t room);

// The world file beside `image` (its suffix replaced by ".pmw", ".tfw" or
// ".wld", tried in this order); empty when none exists.
std::string find_world_file(const std::string& image);
// The geometry in a world file; nothing when it cannot be read or its
// pixel size is not positive.
std::optional<BitmapGeometry> read_world_file(const std::string& path);
// Writes a world file (beside it first, then renamed over it), each number
// with as many decimals as reading it back needs (at least two). False
// when it could not be written.
bool write_world_file(const std::string& path, const BitmapGeometry& g);
// The six lines written for `g`.
std::vector<std::string> world_file_lines(const BitmapGeometry& g);

// The loaded bitmaps (one instance, grbmps).
struct BitmapStore {
  std::vector<std::uint8_t> pixels;
  std::vector<Bitmap> table;

  std::size_t room() const { return pixels.size() < kPixelStoreCapacity ? kPixelStoreCapacity - pixels.size() : 0; }
  std::span<const std::uint8_t> pixels_of(const Bitmap& b) const;
};
extern BitmapStore grbmps;
void bitmap_store_reset();

// Grey level of pixel value v: trunc(13 - v * 13 / maxval), 0 ... 13.
int grey_level(int v, int maxval);

// Draws every bitmap of the given state (screen modes only).
void draw_bitmaps(int state);
// Fills one cell with lower-left corner (x, y), world units, in `colour`
// (screen modes 1 ... 6 only), cut to the clip window.
void grfilp(float x, float y, float w, float h, int colour);

}  // namespace sketra
