// The passes that complete a map just read, before it is written: each takes
// the model as the one before left it, so their order is part of the output.
#pragma once

#include "model/mappolish.h"

namespace zel {

// Object totals, heights, the longitude cut and level boxes, the routing
// graph, sorting, address info, turn restrictions, road weights and the costs
// between boundary nodes, in that order.
void runPasses(cMapPolish& map);

} // namespace zel
