// DXF hard copy (output mode 9): an AC1006 drawing of LINE, POINT, TEXT and
// SOLID entities, one group code or value per line.
//
// Co-ordinates are written absolute (the plot origin added in double
// precision). Lines go to layer "line", symbols to "point", texts to "0";
// a filled polygon becomes SOLIDs on layer "fill" + the colour modulo 20 in
// two digits (library colours >= 1) or on layer "fill" with its DXF colour.
// A SOLID lists its corners 1, 2, 4, 3 (the DXF corner order); a triangle
// repeats corner 1 as corner 4, a pentagon adds the triangle 1, 4, 5, and a
// larger polygon is cut into triangles by ear clipping so that it is
// covered whole.

#include <cmath>

#include "sketra/base/textfmt.h"
#include "sketra/devices/devices.h"
#include "sketra/devices/devices_internal.h"
#include "sketra/kernel/plot.h"

namespace sketra::detail {

namespace {

constexpr std::size_t kBlockBytes = 1 << 16;
constexpr int kFillLayers = 20;  // fill00 ... fill19: every colour modulo 20

// "fill" + k in two digits.
std::string fill_layer(int k) { return std::string(k < 10 ? "fill0" : "fill") + std::to_string(k); }

void pairs(std::string& out, std::initializer_list<std::string_view> lines) {
  for (std::string_view l : lines) {
    out += l;
    out += '\n';
  }
}

std::string header() {
  const PlotState& c = grcomn;
  std::string h;
  pairs(h, {"999", "DXF created from SketraV3", "0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", "AC1006",
            "9", "$INSBASE", "10", "0.0", "20", "0.0", "30", "0.0", "9", "$EXTMIN", "10"});
  pairs(h, {fmt_f(c.xmingr, 12, 2), "20", fmt_f(c.ymingr, 12, 2), "9", "$EXTMAX", "10", fmt_f(c.xmaxgr, 12, 2),
            "20", fmt_f(c.ymaxgr, 12, 2), "0", "ENDSEC"});
  pairs(h, {"0", "SECTION", "2", "TABLES", "0", "TABLE", "2", "LTYPE", "70", "1", "0", "LTYPE", "2",
            "CONTINUOUS", "70", "64", "3", "Solid line", "72", "65", "73", "0", "40", "0.000000", "0", "ENDTAB",
            "0", "TABLE", "2", "LAYER", "70", "6"});
  auto layer = [&](std::string_view name, std::string_view flags, std::string_view colour) {
    pairs(h, {"0", "LAYER", "2", name, "70", flags, "62", colour, "6", "CONTINUOUS"});
  };
  layer("0", "0", "7");
  layer("line", "0", "7");
  layer("fill", "64", "7");
  layer("point", "0", "7");
  for (int k = 1; k < kFillLayers; ++k) layer(fill_layer(k), "64", fmt_i(dxf_colour(k), 3));
  layer(fill_layer(0), "64", fmt_i(dxf_colour(kFillLayers), 3));
  pairs(h, {"0", "ENDTAB", "0", "TABLE", "2", "STYLE", "70", "0", "0", "ENDTAB", "0", "ENDSEC", "0", "SECTION",
            "2", "BLOCKS", "0", "ENDSEC", "0", "SECTION", "2", "ENTITIES"});
  return h;
}

class DxfDevice final : public FileDevice {
 public:
  explicit DxfDevice(std::unique_ptr<ReplacingFile> file)
      : file_(std::move(file)), colour_(dxf_colour(grcomn.current_colour)) {
    block_ = header();
  }

  int projection_while_open() const override { return 0; }

  std::string close() override {
    pairs(block_, {"0", "ENDSEC", "0", "EOF"});
    file_->write_block(block_);
    block_.clear();
    const std::string failed = file_->finish();
    return failed.empty() ? "DXF File done" : failed;
  }

  void draw(const FileVertex& from, const FileVertex& to, bool) override {
    entity("LINE", "line");
    code("62", fmt_i(colour_, 4));
    code("67", "0");
    xy("10", "20", from.x, from.y, 11);
    code("30", fmt_f(from.z, 10, 3));
    xy("11", "21", to.x, to.y, 11);
    code("31", fmt_f(to.z, 10, 3));
  }

  void symbol(int, const FileVertex& at) override {
    entity("POINT", "point");
    code("62", fmt_i(colour_, 4));
    code("67", "0");
    xy("10", "20", at.x, at.y, 11);
    code("30", fmt_f(at.z, 10, 3));
  }

  void text(std::string_view text, const FileVertex& at, float height) override {
    entity("TEXT", fmt_i(0, 3));
    code("62", fmt_i(colour_, 3));
    code("40", fmt_f(height, 8, 2));
    xy("10", "20", at.x, at.y, 10);
    code("1", text_for_display(text).text);
  }

  void colour(int colour) override { colour_ = dxf_colour(colour); }

  void fill(std::span<const float> x, std::span<const float> y, int colour) override {
    const std::size_t n = x.size();
    if (n < 3) return;
    if (n <= 4) {
      solid(colour, x, y, {0, 1, n == 4 ? std::size_t(3) : std::size_t(0), 2});
    } else if (n == 5) {
      solid(colour, x, y, {0, 1, 3, 2});
      solid(colour, x, y, {0, 3, 0, 4});
    } else {
      triangulate(x, y, triangles_);
      for (const auto& t : triangles_) solid(colour, x, y, {t[0], t[1], t[0], t[2]});
    }
  }

 private:
  void code(std::string_view group, std::string_view value) {
    block_ += group;
    block_ += '\n';
    block_ += value;
    block_ += '\n';
  }
  void entity(std::string_view kind, std::string_view layer) {
    if (block_.size() > kBlockBytes) {
      file_->write_block(block_);
      block_.clear();
    }
    code("0", kind);
    code("8", layer);
  }
  void xy(std::string_view gx, std::string_view gy, float x, float y, int width) {
    block_ += gx;
    block_ += '\n';
    append_f(block_, double(x) + grcomn.xorgr, width, 2);
    block_ += '\n';
    block_ += gy;
    block_ += '\n';
    append_f(block_, double(y) + grcomn.yorgr, width, 2);
    block_ += '\n';
  }
  // One SOLID whose corners 10, 11, 12, 13 are the vertices `at`.
  void solid(int colour, std::span<const float> x, std::span<const float> y, std::array<std::size_t, 4> at) {
    if (colour >= 1) {
      entity("SOLID", fill_layer(colour % kFillLayers));
    } else {
      entity("SOLID", "fill");
      code("62", fmt_i(dxf_colour(colour), 3));
    }
    static constexpr std::string_view kx[] = {"10", "11", "12", "13"}, ky[] = {"20", "21", "22", "23"};
    for (int k = 0; k < 4; ++k) xy(kx[k], ky[k], x[at[size_t(k)]], y[at[size_t(k)]], 10);
  }

  std::unique_ptr<ReplacingFile> file_;
  std::string block_;
  int colour_;
  std::vector<std::array<std::size_t, 3>> triangles_;
};

}  // namespace

std::unique_ptr<FileDevice> open_dxf_device() {
  auto file = std::make_unique<ReplacingFile>();
  const auto name_of = [](std::string answer) {
    if (igrsuffx(answer, ".dxf", 0) != 1) answer += ".dxf";
    return answer;
  };
  if (!ask_and_open("DXF prefix", *file, grcomn.jdv1gr, name_of)) return nullptr;
  return std::make_unique<DxfDevice>(std::move(file));
}

}  // namespace sketra::detail
