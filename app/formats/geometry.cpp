#include "app/formats/geometry.h"

#include <cmath>

namespace korvel {

GridNodes::GridNodes(const GridGeometry& g)
    : g_(g), c_(std::cos(double(g.angle) * 0.017453)), s_(std::sin(double(g.angle) * 0.017453)) {}

}  // namespace korvel
