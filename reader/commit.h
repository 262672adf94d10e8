// Storing the object just read on every level it is visible on: one copy per
// level, simplified for that level, with routing and address data only on the
// first copy. The object passed in is left as its last copy was stored (its
// address cleared), ready to be stored again should another coordinate key
// follow.
#pragma once

#include "model/mappolish.h"

namespace zel {

void commitPoi(cMapPolish& map, mapPoi& poi);
void commitLine(cMapPolish& map, mapPoly& line);
void commitPolygon(cMapPolish& map, mapPoly& polygon);

} // namespace zel
