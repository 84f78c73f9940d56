#include "support/test_mode.h"

#include "sketra/kernel/plot.h"

namespace korvel::testing {

void TestMode::record(sketra::ViewContext& v) {
  codes.push_back(v.code);
  switch (v.code) {
    case sketra::kViewExtents: {
      v.w = extents;
      std::vector<sketra::ModeEntry> table;
      for (const std::string& caption : entries)
        table.push_back({caption, [this](sketra::ViewContext& e) { record(e); }});
      v.set_entries(table);
      break;
    }
    case sketra::kViewDraw: {
      // A square over the middle of the data and its diagonal.
      const double ox = sketra::grcomn.xorgr, oy = sketra::grcomn.yorgr;
      const float x0 = float(extents[0] - ox), x1 = float(extents[1] - ox);
      const float y0 = float(extents[2] - oy), y1 = float(extents[3] - oy);
      const float xs[] = {x0 + (x1 - x0) / 4, x1 - (x1 - x0) / 4, x1 - (x1 - x0) / 4, x0 + (x1 - x0) / 4};
      const float ys[] = {y0 + (y1 - y0) / 4, y0 + (y1 - y0) / 4, y1 - (y1 - y0) / 4, y1 - (y1 - y0) / 4};
      sketra::grfil2(xs, ys, 3);
      sketra::grcolr(0);
      sketra::grmov2(x0, y0);
      sketra::grdrw2(x1, y1);
      for (rows_drawn = 0; rows_drawn < draw_rows && !v.interrupted(); ++rows_drawn) {
      }
      break;
    }
    case sketra::kViewValue:
      points.push_back({float(v.w[0]), float(v.w[1])});
      w_seen.push_back(v.w);
      break;
    case sketra::kViewClick:
      points.push_back({v.x, v.y});
      if (claim_clicks) v.request(sketra::ViewRequest::replot);
      break;
    default:
      if (v.code < 0) points.push_back({v.x, v.y});
      break;
  }
  if (extra) extra(v);
}

sketra::ViewCallback TestMode::callback() {
  return [this](sketra::ViewContext& v) { record(v); };
}

std::vector<int> TestMode::take_codes() {
  std::vector<int> out;
  out.swap(codes);
  return out;
}

}  // namespace korvel::testing
