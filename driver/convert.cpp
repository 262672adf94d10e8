#include "driver/convert.h"

#include "driver/messages.h"
#include "passes/run.h"
#include "platform/console.h"
#include "reader/load.h"
#include "writer/mapzel.h"
#include "writer/scale.h"
#include "writer/tiling.h"

namespace zel {

bool isEmpty(const mapLevel& level) {
    return level.pois.empty() && level.lines.empty() && level.polygons.empty();
}

const ScaleRow& levelScale(const mapLevel& level, bool autoScale) {
    return scaleRowAt(autoScale ? scaleRowByDensity(levelDensity(level))
                                : scaleRowByBits(level.bits));
}

bool readAndComplete(cMapZEL& writer, const std::u16string& path) {
    platform::printWide(driverMessages::reading(path));
    cMapPolish& map = writer.map;
    map.reset();
    if (!load(map, path))
        return false;
    runPasses(map);
    return true;
}

void tileLevels(cMapZEL& writer, const std::u16string& path, bool autoScale) {
    const cMapPolish& map = writer.map;
    for (size_t i = 0; i < map.levels.size(); ++i) {
        const mapLevel& level = map.levels[i];
        if (isEmpty(level))
            continue;
        platform::printNarrow("Detected as: ");
        const ScaleRow& row = levelScale(level, autoScale);
        platform::printNarrow(row.line);
        const auto levelIndex = static_cast<uint32_t>(i);
        writeSquares(map, path, levelIndex, row.squareSize, level.bits);
        writer.addSideFileNames(levelIndex, path);
    }
}

bool processMap(cMapZEL& writer, const std::u16string& path, bool autoScale) {
    if (!readAndComplete(writer, path))
        return false;
    tileLevels(writer, path, autoScale);
    return true;
}

} // namespace zel
