#include "writer/mapzel.h"

namespace zel {

void cMapZEL::addSideFileNames(uint32_t levelIndex, const std::u16string& mapPath) {
    sideFiles.push_back(sideFilesOf(mapPath, levelIndex));
}

} // namespace zel
