#include "app/map.h"

#include <array>
#include <vector>

#include "app/loader.h"
#include "app/mapping/mapping.h"
#include "app/store.h"
#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace korvel {

namespace {

constexpr std::int64_t kPollTriangles = 65536;  // triangles between looks for Escape

// True when the person pressed Escape (or clicked beside the menu) since
// the last look. Answers queued by a script are left for their dialogs.
bool escape_pressed() {
  if (sketra::script_pending()) return false;
  std::vector<std::string> captions;
  for (const auto& c : cpch.menu) captions.emplace_back(c.view());
  int sel = sketra::kMenuPoll;
  float x = 0, y = 0;
  sketra::grcurs(captions, sel, x, y);
  return sel == sketra::kMenuInterrupt;
}

// Fills set g from the surface; false when the grid is unusable or the
// person stopped the work (set g is then as before).
bool fill_set(const Tin& tin, int g) {
  GridTarget grid{cin.gx, cin.gy, cin1.set(g), cplot.nodata};
  if (!grid.usable()) {
    sketra::grmesg("Tin: the grid needs two nodes or more and spacings above 0");
    return false;
  }
  std::vector<float> values(std::size_t(grid.geometry.nx) * std::size_t(grid.geometry.ny));
  const bool done = tin_values(tin, grid, values, [](std::int64_t e, std::int64_t n) {
    sketra::grbeam(e + 1, n, "interpolating");
    return (e + 1) % kPollTriangles != 0 || !escape_pressed();
  });
  if (!done) {
    sketra::grmesg("Tin: interrupted, nothing stored");
    return false;
  }
  cin.value[std::size_t(g - 1)] = std::move(values);
  return true;
}

}  // namespace

void map(int& g) {
  MapInput in{cin.x, cin.y, cin.z, std::string(cpch.last_file.trimmed()), last_mesh_points, cin1.xorig, cin1.yorig};
  std::optional<Tin> tin = assemble_tin(in, cunit.data);
  if (!tin) {
    if (g >= 1) g = 0;
    return;
  }
  cpch.value_label.set("Bed Level [m]");
  cpch.x_label.set("[m]");
  cpch.y_label.set("[m]");
  view_tin(*tin, {cin1.xorig, cin1.yorig}, std::string(cpch.item.trimmed()), std::string(cpch.value_label.trimmed()),
           std::string(cpch.x_label.trimmed()), std::string(cpch.y_label.trimmed()));
  sketra::grmesg(" found" + sketra::fmt_i(std::int64_t(tin->triangles.size()), 10) + " triangles");
  if (g >= 1 && g <= kMaxSets && !fill_set(*tin, g)) g = 0;
  if (g > kMaxSets) g = 0;
}

}  // namespace korvel
