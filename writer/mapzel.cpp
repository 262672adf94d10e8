#include "writer/mapzel.h"

#include "platform/utf.h"

namespace zel {

std::u16string sideFileName(const std::u16string& mapPath, uint32_t levelIndex,
                            std::u16string_view extension) {
    std::u16string name = mapPath + platform::fromAscii(std::to_string(levelIndex));
    name.append(extension);
    return name;
}

void cMapZEL::addSideFileNames(uint32_t levelIndex, const std::u16string& mapPath,
                               uint32_t squareSize) {
    sideFiles.push_back(
        {sideFileName(mapPath, levelIndex, u".bidx"), sideFileName(mapPath, levelIndex, u".blck"),
         sideFileName(mapPath, levelIndex, u".badr"), sideFileName(mapPath, levelIndex, u".bchr"),
         sideFileName(mapPath, levelIndex, u".brif"), squareSize});
}

} // namespace zel
