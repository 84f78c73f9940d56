// Show: the mesh in the surface viewer.

#include "app/mesh/mesh.h"
#include "sketra/ui/dialogs.h"

namespace korvel {

void mesh_show() { sketra::grmesg("Show: not available yet"); }

}  // namespace korvel
