#include "support/recording.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "sketra/kernel/plot.h"

namespace korvel::testing {

void WithRecordingDriver::SetUp() {
  FreshState::SetUp();
  auto rec = std::make_unique<sketra::RecordingDriver>();
  rec_ = rec.get();
  previous_ = sketra::set_driver(std::move(rec));
  if (open_window_) sketra::grmode(2);
  rec_->clear_calls();
}

void WithRecordingDriver::TearDown() {
  FreshState::TearDown();
  sketra::set_driver(std::move(previous_));
}

void WithRecordingDriver::use_unit_mapping() {
  auto& c = sketra::grcomn;
  c.xmingr = c.ymingr = 0;
  c.xmaxgr = c.ymaxgr = 1000;
  c.xmncgr = c.ymncgr = 0;
  c.xmxcgr = c.ymxcgr = 1000;
  c.xfacgr = 1;
  c.yfacgr = -1;
  c.xorggr = 0;
  c.yorggr = 1000;
}

void show_extents(const std::array<double, 4>& w) {
  auto& c = sketra::grcomn;
  sketra::grsset(w[0] - c.xorgr, w[1] - c.xorgr, w[2] - c.yorgr, w[3] - c.yorgr);
  c.xmncgr = c.xmingr, c.xmxcgr = c.xmaxgr, c.ymncgr = c.ymingr, c.ymxcgr = c.ymaxgr;
  sketra::grsfac();
}

// Pixels of the recorded fills: each pixel whose centre lies inside a
// polygon (half-open on the edges, so polygons that share an edge split
// its pixels) takes the polygon's colour; later fills cover earlier ones.
Raster raster(const sketra::RecordingDriver& r) {
  using sketra::DriverCall;
  Raster px;
  for (const auto* c : r.of(DriverCall::Polygon)) {
    const auto& p = c->points;
    int y0 = 1 << 30, y1 = -(1 << 30);
    for (const auto& q : p) y0 = std::min(y0, q.y), y1 = std::max(y1, q.y);
    for (int y = y0; y <= y1; ++y) {
      const double yc = y + 0.5;
      std::vector<double> xs;
      for (size_t k = 0; k < p.size(); ++k) {
        const auto& a = p[k];
        const auto& b = p[(k + 1) % p.size()];
        if ((a.y <= yc) == (b.y <= yc)) continue;
        xs.push_back(a.x + (yc - a.y) * double(b.x - a.x) / double(b.y - a.y));
      }
      std::sort(xs.begin(), xs.end());
      for (size_t k = 0; k + 1 < xs.size(); k += 2)
        for (int x = int(std::ceil(xs[k] - 0.5)); x + 0.5 < xs[k + 1]; ++x) px[{x, y}] = c->pixel;
    }
  }
  return px;
}

}  // namespace korvel::testing
