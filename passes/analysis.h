// Preparing the objects of every level for the writer: totals, and longitudes
// brought into 0..360 with the level boxes.
#pragma once

#include "model/mappolish.h"

#include <vector>

namespace zel {

// The numbers of points of interest, polylines and polygons over all levels.
void countObjects(cMapPolish& map);

// "Analyzing": longitudes into 0..360 and every level's bounding box.
void analyzeLevels(cMapPolish& map);

// Computes the object's box (kept in its bbox) and appends to `pieces` the
// parts of it in each 360-degree column it touches, shifted into 0..360.
// False when the object has no points.
bool normalizeLongitudes(mapPoly& object, PolyKind kind, std::vector<mapPoly>& pieces);

} // namespace zel
