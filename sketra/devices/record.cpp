// The plot-record stream (output mode 8): every primitive becomes a text
// record of a keep file, a four-letter tag line followed by its payload in
// fixed layouts:
//
//   MCOL / RCOL   colour mode, colour bank (integer 3)
//   XORG / YORG   the plot origin (exponent D 19.12)
//   COLR, DASH    integer 4
//   MOV2, DRW2    x, y (exponent D 16.8 each)
//   MOV3, DRW3    x, y, z (exponent E 15.7 each)
//   FIL2          n (6), colour (6), bank (3); then x, y pairs (E 14.6),
//                 at most 30 values per line
//   FIL3          n (3), mapped colour (5), 0 (2); then x, y, z triples
//   SYMB          integer 5
//   ANOT          the text on the next line
//
// The file starts with MCOL, RCOL, XORG, YORG, which fix the origin that
// the co-ordinates of the records are relative to. Records are built in a
// block and handed to the unit in large pieces.

#include "sketra/base/textfmt.h"
#include "sketra/devices/devices.h"
#include "sketra/devices/devices_internal.h"
#include "sketra/kernel/plot.h"

namespace sketra::detail {

namespace {

constexpr std::size_t kBlockBytes = 1 << 16;
constexpr int kValuesPerLine = 30;

class RecordDevice final : public FileDevice {
 public:
  explicit RecordDevice(std::unique_ptr<ReplacingFile> file) : file_(std::move(file)) {
    const PlotState& c = grcomn;
    tag("MCOL");
    line(fmt_i(c.colour.mode, 3));
    tag("RCOL");
    line(fmt_i(c.colour.bank, 3));
    tag("XORG");
    line(fmt_d(c.xorgr, 19, 12));
    tag("YORG");
    line(fmt_d(c.yorgr, 19, 12));
  }

  int projection_while_open() const override { return 1; }

  std::string close() override {
    file_->write_block(block_);
    block_.clear();
    const std::string failed = file_->finish();
    return failed.empty() ? "saved on keep file" : failed;
  }

  void move(const FileVertex& to, bool three_d) override { point(three_d ? "MOV3" : "MOV2", to, three_d); }
  void draw(const FileVertex&, const FileVertex& to, bool three_d) override {
    point(three_d ? "DRW3" : "DRW2", to, three_d);
  }

  void fill(std::span<const float> x, std::span<const float> y, int colour) override {
    tag("FIL2");
    append_i(block_, long(x.size()), 6);
    append_i(block_, colour, 6);
    append_i(block_, grcomn.colour.bank, 3);
    block_ += '\n';
    int on_line = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
      value(x[i], on_line);
      value(y[i], on_line);
    }
    end_values(on_line);
  }

  void fill3(std::span<const float> x, std::span<const float> y, std::span<const float> z,
             int colour) override {
    const ColourState& cs = grcomn.colour;
    tag("FIL3");
    append_i(block_, long(x.size()), 3);
    append_i(block_, cs.mode == 1 ? colour : colour + 20 * cs.bank, 5);
    append_i(block_, 0, 2);
    block_ += '\n';
    int on_line = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
      value(x[i], on_line);
      value(y[i], on_line);
      value(z[i], on_line);
    }
    end_values(on_line);
  }

  void symbol(int code, const FileVertex&) override {
    tag("SYMB");
    line(fmt_i(code, 5));
  }
  void text(std::string_view text, const FileVertex&, float) override {
    tag("ANOT");
    line(text);
  }
  void colour(int colour) override {
    tag("COLR");
    line(fmt_i(colour, 4));
  }
  void dash(int style) override {
    tag("DASH");
    line(fmt_i(style, 4));
  }

 private:
  void tag(std::string_view t) {
    if (block_.size() > kBlockBytes) {
      file_->write_block(block_);
      block_.clear();
    }
    block_ += t;
    block_ += '\n';
  }
  void line(std::string_view text) {
    block_ += text;
    block_ += '\n';
  }
  void point(std::string_view t, const FileVertex& p, bool three_d) {
    tag(t);
    if (three_d) {
      block_ += fmt_e(p.x, 15, 7);
      block_ += fmt_e(p.y, 15, 7);
      block_ += fmt_e(p.z, 15, 7);
    } else {
      block_ += fmt_d(p.x, 16, 8);
      block_ += fmt_d(p.y, 16, 8);
    }
    block_ += '\n';
  }
  void value(float v, int& on_line) {
    if (on_line == kValuesPerLine) {
      block_ += '\n';
      on_line = 0;
    }
    block_ += fmt_e(v, 14, 6);
    ++on_line;
  }
  void end_values(int on_line) {
    if (on_line > 0) block_ += '\n';
  }

  std::unique_ptr<ReplacingFile> file_;
  std::string block_;
};

}  // namespace

std::unique_ptr<FileDevice> open_record_device() {
  auto file = std::make_unique<ReplacingFile>();
  const auto name_of = [](std::string answer) {
    std::string name = answer + ".kep";
    if (name.size() > std::size_t(kFilePromptWidth)) name.resize(std::size_t(kFilePromptWidth));
    return name;
  };
  if (!ask_and_open("Keep prefix", *file, grcomn.jdv3gr, name_of)) return nullptr;
  return std::make_unique<RecordDevice>(std::move(file));
}

}  // namespace sketra::detail
