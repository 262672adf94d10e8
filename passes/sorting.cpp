#include "passes/sorting.h"

#include "model/radixsort.h"
#include "passes/reorder.h"
#include "passes/textorder.h"
#include "platform/progress.h"

#include <cstdint>
#include <numeric>
#include <string_view>
#include <vector>

namespace zel {
namespace {

// By type, then label; objects with equal keys keep their order (the key
// sort is stable). The objects are large: their keys are sorted, then each
// object is moved into its place.
template <typename Object> void sortByTypeAndLabel(std::vector<Object>& objects) {
    // Ranks rather than labels, so that the sort compares integers instead of
    // strings spread over the heap.
    const std::vector<uint32_t> ranks =
        rankByText(objects.size(), [&](size_t i) { return std::u16string_view(objects[i].label); });
    std::vector<uint64_t> keys(objects.size());
    for (size_t i = 0; i < objects.size(); ++i) {
        // The type as an unsigned number in the same order as the signed one.
        const uint64_t type = static_cast<uint32_t>(objects[i].type) ^ 0x80000000u;
        keys[i] = type << 32 | ranks[i];
    }
    // The objects' positions, sorted by their keys, name the object each
    // place receives.
    std::vector<uint32_t> from(objects.size());
    std::iota(from.begin(), from.end(), 0u);
    radixSort(from, [&](uint32_t i) { return keys[i]; });
    reorder(objects, from);
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
