#pragma once
// Fixture for the tests of app/formats: a fresh working directory, the log
// "outp" open on unit 4, and a PointSink that collects what a reader
// delivers, in absolute co-ordinates.

#include <memory>
#include <string>
#include <vector>

#include "app/formats/format_io.h"
#include "app/formats/geometry.h"
#include "sketra/base/units.h"
#include "support/testdir.h"

namespace korvel::testing {

class VectorSink : public PointSink {
 public:
  std::vector<double> x, y;
  std::vector<float> z;
  std::vector<std::int32_t> code;
  std::vector<Edge> edges;
  Origin origin;
  bool origin_fixed = false;
  std::int32_t room = 19600000;  // capacity

  void percent(int, std::string_view) override {}
  void fix_origin(double x0, double y0) override {
    if (origin_fixed) return;
    origin = {x0, y0};
    origin_fixed = true;
  }
  bool add_point(double px, double py, float pz, std::int32_t c) override {
    if (points() >= room) return false;
    x.push_back(px);
    y.push_back(py);
    z.push_back(pz);
    code.push_back(c);
    return true;
  }
  bool add_edge(std::int32_t a, std::int32_t b) override {
    edges.push_back({a, b});
    return true;
  }
  std::int32_t points() const override { return std::int32_t(x.size()); }
  std::int32_t capacity() const override { return room; }
};

class FormatTest : public InTempDir {
 protected:
  static constexpr int kLog = 4;
  static constexpr int kOut = 3;
  void SetUp() override { ASSERT_TRUE(sketra::unit_open(kLog, "outp", sketra::FileStatus::unknown)); }
  void TearDown() override { sketra::unit_close_all(); }

  // Writes `text` to `name` and opens it for reading.
  sketra::LineReader& open(const std::string& name, const std::string& text) {
    write_file(name, text);
    reader_ = std::make_unique<sketra::LineReader>();
    EXPECT_TRUE(reader_->open(name));
    return *reader_;
  }
  // An output file on unit kOut.
  TextOut out(const std::string& name) {
    EXPECT_TRUE(sketra::unit_open(kOut, name, sketra::FileStatus::unknown));
    return TextOut(kOut, name);
  }
  std::string log() {
    sketra::unit_flush(kLog);
    return read_file("outp");
  }

  NoProgress quiet;

 private:
  std::unique_ptr<sketra::LineReader> reader_;
};

}  // namespace korvel::testing
