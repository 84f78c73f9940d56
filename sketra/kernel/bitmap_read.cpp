// Reading raw PBM and PGM images and their world files.

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "sketra/base/replace_file.h"
#include "sketra/base/textfmt.h"
#include "sketra/kernel/bitmap.h"

namespace sketra {

BitmapStore grbmps;

void bitmap_store_reset() { grbmps = BitmapStore{}; }

std::span<const std::uint8_t> BitmapStore::pixels_of(const Bitmap& b) const {
  const std::size_t n = std::size_t(b.width) * std::size_t(b.height);
  if (b.start > pixels.size() || n > pixels.size() - b.start) return {};
  return std::span<const std::uint8_t>(pixels).subspan(b.start, n);
}

bool BitmapGeometry::valid() const {
  return std::isfinite(x0) && std::isfinite(y0) && std::isfinite(dx) && std::isfinite(dy) && dx > 0 && dy > 0;
}

IntField igrint(std::string_view text) {
  IntField r;
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t digits = i;
  long long v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (i - digits >= 18) return r;  // would not fit
    v = v * 10 + (text[i] - '0');
  }
  if (i == digits) return r;
  r.value = negative ? -v : v;
  r.used = i;
  r.error = false;
  return r;
}

namespace {

// The header fields of a portable bitmap: whitespace-separated, with
// comments from "#" to the end of the line between them. The whitespace
// byte after the last field is consumed with it.
class HeaderReader {
 public:
  explicit HeaderReader(std::istream& in) : in_(in) {}

  // The next field as a number; nothing at the end of the file or for a
  // field that is not wholly an integer.
  std::optional<long long> number() {
    int c = in_.get();
    while (c != EOF && (std::isspace(c) || c == '#')) {
      if (c == '#') skip_comment();
      c = in_.get();
    }
    std::string field;
    while (c != EOF && !std::isspace(c) && c != '#') {
      if (field.size() < 24) field += char(c);
      c = in_.get();
    }
    if (c == '#') skip_comment();
    const IntField f = igrint(field);
    if (f.error || f.used != field.size()) return std::nullopt;
    return f.value;
  }

 private:
  void skip_comment() {
    for (int c = in_.get(); c != EOF && c != '\n'; c = in_.get()) {
    }
  }
  std::istream& in_;
};

BitmapRead refused(int type, std::vector<std::string> report) {
  BitmapRead r;
  r.bitmap.type = type;
  r.report = std::move(report);
  return r;
}

// Reads the pixel rows of a checked header into `pixels`; the number of
// complete rows read.
int read_rows(std::istream& in, Bitmap& b, int bytes_per_sample, std::vector<std::uint8_t>& pixels) {
  const std::size_t w = std::size_t(b.width);
  const std::size_t row_bytes = b.type == kBitmapPbm ? (w + 7) / 8 : w * std::size_t(bytes_per_sample);
  std::vector<char> row(row_bytes);
  const int scale = b.maxval;
  int rows = 0;
  for (; rows < b.height; ++rows) {
    if (!in.read(row.data(), std::streamsize(row_bytes))) break;
    const auto* r = reinterpret_cast<const unsigned char*>(row.data());
    std::uint8_t* out = pixels.data() + b.start + std::size_t(rows) * w;
    if (b.type == kBitmapPbm) {
      for (std::size_t i = 0; i < w; ++i) out[i] = (r[i / 8] >> (7 - i % 8)) & 1 ? 13 : 6;
    } else if (bytes_per_sample == 1) {
      std::copy(r, r + w, out);
    } else {
      for (std::size_t i = 0; i < w; ++i) {
        const int v = std::min((r[2 * i] << 8) | r[2 * i + 1], scale);
        out[i] = std::uint8_t(v * 255 / scale);
      }
    }
  }
  return rows;
}

}  // namespace

BitmapRead grbmpr(const std::string& path, std::vector<std::uint8_t>& pixels, std::size_t room) {
  std::ifstream in(path, std::ios::binary);
  const int p = in.get();
  if (p != 'P')
    return refused(kBitmapNotPortable,
                   {">>error: unknown format. accepts portable", "         bitmap format (.pbm or.pgm)"});
  const int kind = in.get();
  if (kind != '4' && kind != '5') return refused(kBitmapOtherFormat, {">>error: must be raw b/w or grayscale format"});
  BitmapRead r;
  Bitmap& b = r.bitmap;
  b.type = kind == '4' ? kBitmapPbm : kBitmapPgm;
  HeaderReader header(in);
  const auto width = header.number(), height = header.number();
  const auto maxval = b.type == kBitmapPgm ? header.number() : std::optional<long long>(13);
  if (!width || !height || !maxval || *width < 1 || *height < 1 || *maxval < 1 || *maxval > 65535 ||
      std::size_t(*width) > kPixelStoreCapacity || std::size_t(*height) > kPixelStoreCapacity)
    return refused(kBitmapOtherFormat, {">>error: bad size or grey range in bitmap header"});
  b.width = int(std::min<long long>(*width, 1 << 30));
  b.maxval = int(*maxval);
  // Only the rows that fit into the store are kept.
  const long long fit = (long long)(room / std::size_t(b.width));
  b.height = int(std::min<long long>(*height, fit));
  if (b.height < 1) return refused(kBitmapOtherFormat, {">>error: no room for the bitmap"});
  b.start = pixels.size();
  pixels.resize(b.start + std::size_t(b.width) * std::size_t(b.height));
  const int bytes = b.type == kBitmapPgm && b.maxval > 255 ? 2 : 1;
  b.height = read_rows(in, b, bytes, pixels);
  if (bytes == 2) b.maxval = 255;
  pixels.resize(b.start + std::size_t(b.width) * std::size_t(b.height));
  if (b.height < 1) return refused(kBitmapOtherFormat, {">>error: no pixel rows in the bitmap"});
  r.ok = true;
  return r;
}

// ---------------------------------------------------------------- world files

std::string find_world_file(const std::string& image) {
  const std::filesystem::path p(image);
  for (const char* suffix : {".pmw", ".tfw", ".wld"}) {
    std::filesystem::path w = p;
    w.replace_extension(suffix);
    std::error_code ec;
    if (std::filesystem::is_regular_file(w, ec)) return w.string();
  }
  return {};
}

std::optional<BitmapGeometry> read_world_file(const std::string& path) {
  std::ifstream in(path);
  float dx = 0, negdy = 0;
  double r1 = 0, r2 = 0, x0 = 0, y0 = 0;
  const FreeTarget all[] = {&dx, &r1, &r2, &negdy, &x0, &y0};
  std::span<const FreeTarget> left(all);
  std::string line;
  while (!left.empty() && std::getline(in, line)) {
    const FreeResult f = read_free(line, left);
    if (f.error || f.slash) return std::nullopt;
    left = left.subspan(std::size_t(f.filled));
  }
  if (!left.empty()) return std::nullopt;
  const BitmapGeometry g{x0, y0, dx, -double(negdy)};
  if (!g.valid()) return std::nullopt;
  return g;
}

namespace {

// `v` in at least `width` characters with the fewest decimals (two or more)
// that read back as the same number (as a float when `single`).
std::string exact_fixed(double v, int width, bool single) {
  char buf[64];
  for (int d = 2; d <= 12; ++d) {
    std::snprintf(buf, sizeof buf, "%*.*f", width, d, v);
    const double back = std::strtod(buf, nullptr);
    if (single ? float(back) == float(v) : back == v) break;
  }
  return buf;
}

}  // namespace

std::vector<std::string> world_file_lines(const BitmapGeometry& g) {
  return {exact_fixed(g.dx, 8, true), "    0.00", "    0.00", exact_fixed(-g.dy, 8, true), exact_fixed(g.x0, 12, false),
          exact_fixed(g.y0, 12, false)};
}

bool write_world_file(const std::string& path, const BitmapGeometry& g) {
  return write_lines_replacing(path, world_file_lines(g));
}

}  // namespace sketra
