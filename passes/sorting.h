// The order of the objects on every level, which is the order the writer
// stores them in.
#pragma once

#include "model/mappolish.h"

namespace zel {

// "Sorting": every level's objects by type, then label. Equal keys keep the
// order in which they were read, so the output is the same on every run.
void sortLevels(cMapPolish& map);

} // namespace zel
