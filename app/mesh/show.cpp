// Show: the mesh in the surface viewer, coloured by its node values.

#include <array>
#include <vector>

#include "app/mesh/mesh.h"
#include "sketra/control/control.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/surface/surface_viewer.h"

namespace korvel {

void mesh_show() {
  MeshStore& m = mod_mesh;
  if (m.nele <= 0) return;
  // The viewer draws relative to the mesh origin; everything after it
  // (viewers, writers) expects the plot origin it had before.
  const double xorg = sketra::grvalu8("XORGR"), yorg = sketra::grvalu8("YORGR");
  const sketra::SurfaceData surface{m.xn, m.yn, m.zn, m.iele};
  sketra::PlotTitles titles{m.mesh_name, "Value", "[m]", "[m]"};
  std::vector<float> levels;
  sketra::grtrig(surface, titles, levels, 0, sketra::kSurfaceFill + sketra::kSurfaceClasses,
                 std::array<double, 2>{m.xnorig, m.ynorig});
  sketra::grvalu8("XORGR", xorg);
  sketra::grvalu8("YORGR", yorg);
}

}  // namespace korvel
