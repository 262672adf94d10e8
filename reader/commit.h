// Storing the object just read on every level it is visible on: one copy per
// level, simplified for that level, with routing and address data only on the
// first copy. The object passed in is left as its last copy was stored (its
// address cleared), ready to be stored again should another coordinate key
// follow; when the caller says nothing reads it again, it is moved into its
// last copy instead, and left empty.
#pragma once

#include "model/mappolish.h"

namespace zel {

enum class ObjectAfter { readAgain, unused };

void commitPoi(cMapPolish& map, mapPoi& poi, ObjectAfter after = ObjectAfter::readAgain);
void commitLine(cMapPolish& map, mapPoly& line, ObjectAfter after = ObjectAfter::readAgain);
void commitPolygon(cMapPolish& map, mapPoly& polygon, ObjectAfter after = ObjectAfter::readAgain);

} // namespace zel
