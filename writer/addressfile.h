// The address side file of a level: the map's street names, its address
// objects grouped by city with the house tables of each city, and the city,
// region and country tree. Only level 0 carries address data.
#pragma once

#include "model/mappolish.h"

#include <cstdint>
#include <string>

namespace zel {

// Writes the whole address file at `path` ("<map><level>.badr"). Level 0 gets
// the map's address data, without what the file leaves out: cities without
// objects, regions without written cities, countries without written regions,
// and the items of an unknown owner. Every other level gets the header alone
// ("BADR" and 32 zero bytes). A file that cannot be written whole is reported,
// removed, and false is returned.
bool writeAddressFile(const cMapPolish& map, uint32_t levelIndex, const std::u16string& path);

} // namespace zel
