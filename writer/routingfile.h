// The routing side file of a level ("BRIF"): the routing graph, the
// replacement sets of expanded via nodes, the costs between boundary nodes
// and the temporary restrictions. Only level 0 carries them; every other
// level gets the bare 44-byte header.
#pragma once

#include "format/bytes.h"
#include "model/mappolish.h"

#include <cstddef>
#include <cstdint>

namespace zel {

// Speed class 0..7 of a speed in km/h, as a road entry stores it.
uint8_t speedClass(uint8_t speed);

// The whole file for one level. Road index 0 stands for "no road" and has no
// entry in the road table.
Bytes routingFile(const cMapPolish& map, uint32_t levelIndex);

} // namespace zel
