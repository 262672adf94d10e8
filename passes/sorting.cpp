#include "passes/sorting.h"

#include "platform/progress.h"

#include <algorithm>
#include <vector>

namespace zel {
namespace {

template <typename Object> void sortByTypeAndLabel(std::vector<Object>& objects) {
    std::stable_sort(objects.begin(), objects.end(), [](const Object& a, const Object& b) {
        if (a.type != b.type)
            return a.type < b.type;
        return a.label < b.label;
    });
}

} // namespace

void sortLevels(cMapPolish& map) {
    cProgress progress;
    progress.start("Sorting", static_cast<uint32_t>(3 * map.levels.size()));
    for (mapLevel& level : map.levels) {
        sortByTypeAndLabel(level.pois);
        progress.tick();
        sortByTypeAndLabel(level.lines);
        progress.tick();
        sortByTypeAndLabel(level.polygons);
        progress.tick();
    }
    progress.finish();
}

} // namespace zel
