#include "passes/sorting.h"

#include "model/radixsort.h"
#include "passes/reorder.h"
#include "passes/textorder.h"
#include "platform/progress.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zel {
namespace {

// By type, then label; objects with equal keys keep their order (the key
// sort is stable). The objects are large: their positions are sorted by key,
// then each object is moved into its place.
template <typename Object> void sortByTypeAndLabel(std::vector<Object>& objects) {
    // Ranks rather than labels, so that the sort compares integers instead of
    // strings spread over the heap.
    const std::vector<uint32_t> ranks =
        rankByText(objects.size(), [&](size_t i) { return std::u16string_view(objects[i].label); });
    reorder(objects, orderByFields<2>(objects.size(), [&](size_t i) {
                // The type as an unsigned number in the same order as the signed one.
                const uint64_t type = static_cast<uint32_t>(objects[i].type) ^ 0x80000000u;
                return std::array<uint64_t, 2>{type, ranks[i]};
            }));
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
