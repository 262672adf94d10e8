// Cutting one level of a loaded map into squares and writing the level's side
// files: blocks of encoded records, their index, the label characters, and the
// routing and address data.
#pragma once

#include "model/mappolish.h"

#include <cstdint>
#include <string>

namespace zel {

// Writes "<mapPath><levelIndex>.blck" and its four companions next to the map
// (sideFilesOf).
void writeSquares(const cMapPolish& map, const std::u16string& mapPath, uint32_t levelIndex,
                  uint32_t squareSize, uint8_t bits);

} // namespace zel
