// The routing side file of a level ("BRIF"): the routing graph, the
// replacement sets of expanded via nodes, the costs between boundary nodes
// and the temporary restrictions. Only level 0 carries them; every other
// level gets the bare 44-byte header.
#pragma once

#include "reader/model.h"
#include "writer/bytes.h"

#include <cstddef>
#include <cstdint>

namespace zel {

constexpr size_t routingFileHeaderSize = 44;

// Speed class 0..7 of a speed in km/h, as a road entry stores it.
uint8_t speedClass(uint8_t speed);

// The whole file for one level. Every call, for every level, first drops the
// first entry of the road table (road index 0, which stands for "no road"),
// so the tiler must call it once per level, level 0 first.
Bytes routingFile(cMapPolish& map, uint32_t levelIndex);

} // namespace zel
