// Heights per point of every polyline, spread from the sparse height levels
// the map gives for some of its points.
#pragma once

#include "model/mappolish.h"

namespace zel {

// Fills `heights` of every polyline of every level that has height levels
// (one value per point, level × scale at the given points, linear in
// between, falling to 0 towards both ends) and empties it on the others.
void computeHeights(cMapPolish& map, float scale);

} // namespace zel
