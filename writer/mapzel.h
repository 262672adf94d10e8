// The writer object: a map model plus what the tiled writer keeps between
// the levels of a map and across the maps merged into one file.
#pragma once

#include "reader/model.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zel {

// The five files one tiled level leaves next to its map, merged into the main
// file at the end.
struct mapSideFiles {
    std::u16string indexFile;
    std::u16string blockFile;
    std::u16string addressFile;
    std::u16string charFile;
    std::u16string routingFile;
    uint32_t squareSize = 0;
};

struct mapSquareRef {
    int32_t number = 0;
    uint32_t blockOffset = 0;
};

// "<map path><level index><extension>", e.g. in/maps/town.mp0.blck.
std::u16string sideFileName(const std::u16string& mapPath, uint32_t levelIndex,
                            std::u16string_view extension);

class cMapZEL : public cMapPolish {
public:
    // Records the side files of a level just tiled.
    void addSideFileNames(uint32_t levelIndex, const std::u16string& mapPath, uint32_t squareSize);

    // One group per tiled level, in the order the levels were tiled; in the
    // merge phase this spans every map read into the object.
    std::vector<mapSideFiles> sideFiles;
    // The blocks of the level being written, ascending by square number.
    std::vector<mapSquareRef> squareIndex;
    // Write position in the record buffer of the square being encoded.
    uint32_t writePos = 0;
};

} // namespace zel
