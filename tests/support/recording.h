#pragma once
// Test support: the graphics kernel with a recording display driver.
//
// A test derived from WithRecordingDriver starts from a fresh start
// (FreshState) with the recording driver installed and the window open
// (screen mode 2), with the calls made while opening forgotten. Afterwards
// the state is reset and the previous driver re-installed.

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <utility>

#include "sketra/kernel/driver.h"
#include "sketra/kernel/recording_driver.h"
#include "support/fresh.h"

namespace korvel::testing {

class WithRecordingDriver : public FreshState {
 protected:
  WithRecordingDriver() = default;
  // open_window false: no window is opened (for tests that start the
  // library themselves with grinit).
  explicit WithRecordingDriver(bool open_window) : open_window_(open_window) {}
  void SetUp() override;
  void TearDown() override;
  sketra::RecordingDriver& rec() { return *rec_; }

  // A simple world -> device mapping for drawing tests: device x = world x,
  // device y = 1000 - world y, window and clip window 0 ... 1000 on both axes.
  static void use_unit_mapping();

 private:
  bool open_window_ = true;
  sketra::RecordingDriver* rec_ = nullptr;
  std::unique_ptr<sketra::Driver> previous_;
};

// Shows the absolute extents w (xmin, xmax, ymin, ymax, as a display mode
// reports them) in the window as the control loop does: window and clip
// window relative to the origin, and the factors.
void show_extents(const std::array<double, 4>& w);

// Pixels of the recorded fills: each pixel whose centre lies inside a
// polygon (half-open on the edges, so polygons that share an edge split
// its pixels) takes the polygon's colour; later fills cover earlier ones.
using Raster = std::map<std::pair<int, int>, unsigned long>;
Raster raster(const sketra::RecordingDriver& r);

}  // namespace korvel::testing
