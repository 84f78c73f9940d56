// ArcPolygon text hard copy (output mode 11): filled polygons only. Each
// polygon is its fill colour on a line of its own (free format), one line
// per vertex with x and y (absolute, fixed 12.3 each), the first vertex
// again, and "END"; a last "END" closes the file. Lines, symbols, texts and
// dash changes write nothing.

#include "sketra/base/textfmt.h"
#include "sketra/devices/devices.h"
#include "sketra/devices/devices_internal.h"
#include "sketra/kernel/plot.h"

namespace sketra::detail {

namespace {

constexpr std::size_t kBlockBytes = 1 << 16;

class ArcPolygonDevice final : public FileDevice {
 public:
  explicit ArcPolygonDevice(std::unique_ptr<ReplacingFile> file) : file_(std::move(file)) {}

  std::string close() override {
    block_ += "END\n";
    file_->write_block(block_);
    block_.clear();
    const std::string failed = file_->finish();
    return failed.empty() ? "ArcPolygon file done" : failed;
  }

  void fill(std::span<const float> x, std::span<const float> y, int colour) override {
    if (x.empty()) return;
    if (block_.size() > kBlockBytes) {
      file_->write_block(block_);
      block_.clear();
    }
    block_ += list_i(colour);
    block_ += '\n';
    for (std::size_t i = 0; i <= x.size(); ++i) {
      const std::size_t k = i % x.size();
      append_f(block_, double(x[k]) + grcomn.xorgr, 12, 3);
      append_f(block_, double(y[k]) + grcomn.yorgr, 12, 3);
      block_ += '\n';
    }
    block_ += "END\n";
  }

 private:
  std::unique_ptr<ReplacingFile> file_;
  std::string block_;
};

}  // namespace

std::unique_ptr<FileDevice> open_arcpolygon_device() {
  auto file = std::make_unique<ReplacingFile>();
  if (!ask_and_open("ArcPolygon file name", *file, grcomn.jdv1gr, [](std::string a) { return a; }))
    return nullptr;
  return std::make_unique<ArcPolygonDevice>(std::move(file));
}

}  // namespace sketra::detail
