#include "driver/convert.h"

#include "driver/messages.h"
#include "driver/scale.h"
#include "platform/console.h"
#include "reader/load.h"
#include "writer/mapzel.h"
#include "writer/tiling.h"

namespace zel {
namespace {

bool isEmpty(const mapLevel& level) {
    return level.pois.empty() && level.lines.empty() && level.polygons.empty();
}

} // namespace

bool processMap(cMapZEL& writer, const std::u16string& path, bool autoScale) {
    platform::printWide(driverMessages::reading(path));
    writer.reset();
    if (!load(writer, path))
        return false;
    for (size_t i = 0; i < writer.levels.size(); ++i) {
        const mapLevel& level = writer.levels[i];
        if (isEmpty(level))
            continue;
        const double density = levelDensity(level);
        platform::printNarrow("Detected as: ");
        const scaleRow& row =
            scaleRowAt(autoScale ? scaleRowByDensity(density) : scaleRowByBits(level.bits));
        platform::printNarrow(row.line);
        const auto levelIndex = static_cast<uint32_t>(i);
        writeSquares(writer, path, levelIndex, row.squareSize, level.bits);
        writer.addSideFileNames(levelIndex, path, row.squareSize);
    }
    return true;
}

} // namespace zel
