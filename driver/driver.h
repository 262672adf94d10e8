// The batch run: settle the folders, merge the maps of "in/" into "map.zel",
// then compile every map of the input folder into a file of its own.
#pragma once

#include <string>
#include <vector>

namespace zel {

// The main file name for a map: the last ".mp" of `mapName` (ASCII case
// ignored, so that Town.MP never overwrites its own input) and up to one
// character after it become ".zel".
std::u16string outputName(const std::u16string& outputFolder, const std::u16string& mapName);

// Runs the whole batch; `arguments` holds the program name first. Returns the
// exit code: 0, or 1 when the output folder cannot be created.
int runDriver(const std::vector<std::u16string>& arguments);

} // namespace zel
