#include "passes/heights.h"

#include "platform/console.h"
#include "platform/progress.h"

#include <cstddef>
#include <cstdint>

namespace zel {

namespace {

float heightOf(int32_t level, float scale) {
    return static_cast<float>(level) * scale;
}

// A negative index is no point either. (Comparing it as unsigned rejects it
// too, but only as long as no line has 2^31 points.)
bool isPointIndex(int32_t index, size_t pointCount) {
    return index >= 0 && static_cast<size_t>(index) < pointCount;
}

// Appends `count` values starting at `from`, each `step` above the last.
// Accumulating (rather than multiplying) keeps the values the same on every
// build.
void appendRamp(std::vector<float>& heights, float from, float step, int64_t count) {
    float value = from;
    for (int64_t i = 0; i < count; ++i) {
        heights.push_back(value);
        value += step;
    }
}

// False when a height level names a point the line does not have; the line
// then keeps no heights.
bool spreadHeights(mapPoly& line, float scale) {
    const size_t pointCount = line.points.size();
    line.heights.reserve(pointCount);
    const auto& first = *line.heightLevels.begin();
    float current = first.first == 0 ? heightOf(first.second, scale) : 0.0f;
    int64_t previous = 0;
    for (const auto& [index, level] : line.heightLevels) {
        if (!isPointIndex(index, pointCount))
            return false;
        const float target = heightOf(level, scale);
        if (index != previous) {
            // Indices ascend from 0, so the distance is at least 1.
            const int64_t distance = index - previous;
            const float step = (target - current) / static_cast<float>(distance);
            appendRamp(line.heights, current, step, distance);
        }
        previous = index;
        current = target;
    }
    line.heights.push_back(current);
    const int64_t remaining = static_cast<int64_t>(pointCount) - (previous + 1);
    if (remaining > 0) {
        const float step = -current / static_cast<float>(remaining);
        appendRamp(line.heights, current + step, step, remaining);
    }
    return true;
}

void computeLineHeights(mapPoly& line, float scale) {
    line.heights.clear();
    if (line.points.empty() || line.heightLevels.empty())
        return;
    if (!spreadHeights(line, scale)) {
        platform::printNarrow("wrong HLevel data\n");
        line.heights.clear();
        return;
    }
    if (line.heights.size() != line.points.size())
        platform::printNarrow(" error");
}

} // namespace

void computeHeights(cMapPolish& map, float scale) {
    cProgress progress;
    progress.start("Heights", map.lineCount);
    for (mapLevel& level : map.levels) {
        for (mapPoly& line : level.lines) {
            computeLineHeights(line, scale);
            progress.tick();
        }
    }
    progress.finish();
}

} // namespace zel
