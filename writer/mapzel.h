// The writer object: the map being compiled and the side files its levels
// have left so far, which the main file is merged from.
#pragma once

#include "model/mappolish.h"
#include "writer/sidefile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zel {

class cMapZEL {
public:
    // Records the side files of a level just tiled.
    void addSideFileNames(uint32_t levelIndex, const std::u16string& mapPath);

    // The map being compiled. In the merge phase every map of the folder is
    // read into it in turn (the model is reset before each).
    cMapPolish map;
    // One group per tiled level, in the order the levels were tiled; in the
    // merge phase this spans every map read into the object.
    std::vector<SideFiles> sideFiles;
};

} // namespace zel
