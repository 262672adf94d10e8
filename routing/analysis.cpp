#include "routing/analysis.h"

namespace zel {

void countObjects(cMapPolish& map) {
    map.poiCount = map.lineCount = map.polygonCount = 0;
    for (const mapLevel& level : map.levels) {
        map.poiCount += static_cast<uint32_t>(level.pois.size());
        map.lineCount += static_cast<uint32_t>(level.lines.size());
        map.polygonCount += static_cast<uint32_t>(level.polygons.size());
    }
}

} // namespace zel
