// The batch run: settle the folders, merge the maps of "in/" into "map.zel",
// then compile every map of the input folder into a file of its own.
#pragma once

#include "driver/maplist.h"
#include "driver/options.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zel {

// The per-map phase over the maps of `list`. `counted` is how many maps the
// folder held when they were counted, before they were listed; the
// percentages are shares of the larger of the two numbers.
void runPerMapPhase(const DriverState& state, const MapList& list, uint32_t counted);

// The main file name for a map: the last ".mp" of `mapName` (ASCII case
// ignored, so that Town.MP never overwrites its own input) and up to one
// character after it become ".zel".
std::u16string outputName(const std::u16string& outputFolder, const std::u16string& mapName);

// Runs the whole batch; `arguments` holds the program name first. Returns the
// exit code: 0, or 1 when the output folder cannot be created.
int runDriver(const std::vector<std::u16string>& arguments);

} // namespace zel
