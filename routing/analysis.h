// Preparing the objects of every level for the writer: totals, longitudes
// brought into 0..360 with the level boxes, and the order by type and label.
#pragma once

#include "reader/model.h"

namespace zel {

// The numbers of points of interest, polylines and polygons over all levels.
void countObjects(cMapPolish& map);

} // namespace zel
