// Storing the object just read on every level it is visible on: one copy per
// level, simplified for that level, with routing and address data only on the
// first copy.
#pragma once

#include "reader/model.h"

namespace zel {

void commitPoi(cMapPolish& map);
void commitLine(cMapPolish& map);
void commitPolygon(cMapPolish& map);

} // namespace zel
