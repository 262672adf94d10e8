#include "passes/sorting.h"

#include "passes/reorder.h"
#include "passes/textindex.h"
#include "platform/progress.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace zel {
namespace {

// Each distinct label's place among the distinct labels, so that the sort
// compares two integers instead of two strings spread over the heap.
template <typename Object> std::vector<uint32_t> labelRanks(const std::vector<Object>& objects) {
    TextIndex labels;
    std::vector<uint32_t> idOf(objects.size());
    for (size_t i = 0; i < objects.size(); ++i)
        idOf[i] = labels.add(objects[i].label);
    const std::vector<std::u16string_view>& distinct = labels.texts();
    std::vector<uint32_t> byLabel(distinct.size());
    for (size_t id = 0; id < byLabel.size(); ++id)
        byLabel[id] = static_cast<uint32_t>(id);
    std::sort(byLabel.begin(), byLabel.end(),
              [&](uint32_t a, uint32_t b) { return distinct[a] < distinct[b]; });
    std::vector<uint32_t> rankOfId(distinct.size());
    for (size_t rank = 0; rank < byLabel.size(); ++rank)
        rankOfId[byLabel[rank]] = static_cast<uint32_t>(rank);
    for (uint32_t& id : idOf)
        id = rankOfId[id];
    return idOf;
}

// By type, then label; objects with equal keys keep their order (the index
// breaks ties). The objects are large: their keys are sorted, then each
// object is moved into its place.
template <typename Object> void sortByTypeAndLabel(std::vector<Object>& objects) {
    const std::vector<uint32_t> ranks = labelRanks(objects);
    std::vector<std::pair<uint64_t, uint32_t>> order(objects.size());
    for (size_t i = 0; i < objects.size(); ++i) {
        // The type as an unsigned number in the same order as the signed one.
        const uint64_t type = static_cast<uint32_t>(objects[i].type) ^ 0x80000000u;
        order[i] = {type << 32 | ranks[i], static_cast<uint32_t>(i)};
    }
    std::sort(order.begin(), order.end());
    reorder(objects, [&](size_t place) { return order[place].second; });
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
