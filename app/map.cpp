#include "app/map.h"

#include <array>
#include <optional>

#include "app/loader.h"
#include "app/store.h"
#include "sketra/base/textfmt.h"
#include "sketra/ui/dialogs.h"

namespace korvel {

namespace {

// The surface of the last loaded file, viewed; nullopt when there is none.
std::optional<Tin> assemble_and_view() {
  MapInput in{cin.x, cin.y, cin.z, std::string(cpch.last_file.trimmed()), last_mesh_points, cin1.xorig, cin1.yorig};
  std::optional<Tin> tin = assemble_tin(in, cunit.data);
  if (!tin) return tin;
  cpch.value_label.set("Bed Level [m]");
  cpch.x_label.set("[m]");
  cpch.y_label.set("[m]");
  view_tin(*tin, {cin1.xorig, cin1.yorig}, cpch.item.str(), cpch.value_label.str(), cpch.x_label.str(),
           cpch.y_label.str());
  sketra::grmesg(" found" + sketra::fmt_i(std::int64_t(tin->triangles.size()), 10) + " triangles");
  return tin;
}

}  // namespace

bool map(const GridGeometry& geometry, std::span<const float> gx, std::span<const float> gy, float nodata,
         std::vector<float>& values, const MapProgress& progress) {
  const GridTarget grid{gx, gy, geometry, nodata};
  if (!grid.usable()) {
    sketra::grmesg("Tin: the grid needs two nodes or more and spacings above 0");
    return false;
  }
  const std::optional<Tin> tin = assemble_and_view();
  if (!tin) return false;
  values.assign(std::size_t(geometry.nx) * std::size_t(geometry.ny), nodata);
  const bool done = tin_values(*tin, grid, values, [&progress](std::int64_t e, std::int64_t n) {
    if (progress) return progress(e, n);
    sketra::grbeam(e, n, "interpolating");
    return true;
  });
  if (!done) sketra::grmesg("Tin: interrupted, nothing stored");
  return done;
}

void map(int& g, const MapProgress& progress) {
  if (g < 1) {
    assemble_and_view();
    return;
  }
  std::vector<float> values;
  if (g > kMaxSets || !map(cin1.set(g), cin.gx, cin.gy, cplot.nodata, values, progress)) {
    g = 0;
    return;
  }
  cin.value[std::size_t(g - 1)] = std::move(values);
}

}  // namespace korvel
