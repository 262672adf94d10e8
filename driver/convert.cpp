#include "driver/convert.h"

#include "driver/messages.h"
#include "passes/run.h"
#include "platform/console.h"
#include "reader/load.h"
#include "writer/mapzel.h"
#include "writer/scale.h"
#include "writer/tiling.h"

namespace zel {
namespace {

bool isEmpty(const mapLevel& level) {
    return level.pois.empty() && level.lines.empty() && level.polygons.empty();
}

} // namespace

bool processMap(cMapZEL& writer, const std::u16string& path, bool autoScale) {
    platform::printWide(driverMessages::reading(path));
    cMapPolish& map = writer.map;
    map.reset();
    if (!load(map, path))
        return false;
    runPasses(map);
    for (size_t i = 0; i < map.levels.size(); ++i) {
        const mapLevel& level = map.levels[i];
        if (isEmpty(level))
            continue;
        const double density = levelDensity(level);
        platform::printNarrow("Detected as: ");
        const ScaleRow& row =
            scaleRowAt(autoScale ? scaleRowByDensity(density) : scaleRowByBits(level.bits));
        platform::printNarrow(row.line);
        const auto levelIndex = static_cast<uint32_t>(i);
        writeSquares(map, path, levelIndex, row.squareSize, level.bits);
        writer.addSideFileNames(levelIndex, path);
    }
    return true;
}

} // namespace zel
