// Sorting many items by a 64-bit key without comparisons: the squares of a
// level's objects and the objects of a level by type and label are sorted by
// integer keys, a million of them on a large map, where a comparison sort
// spends most of its time on branches it cannot predict.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace zel {

// Sorts `items` by `keyOf(item)` (a uint64_t), stably: items with equal keys
// keep their order. Sixteen bits of the key at a time, from the lowest;
// digits that are the same in every key are passed over.
template <typename Item, typename KeyOf> void radixSort(std::vector<Item>& items, KeyOf keyOf) {
    // Below this many items, clearing the counts would cost more than sorting.
    constexpr size_t fewItems = 4096;
    if (items.size() < fewItems) {
        std::stable_sort(items.begin(), items.end(),
                         [&](const Item& a, const Item& b) { return keyOf(a) < keyOf(b); });
        return;
    }
    uint64_t differing = 0;
    const uint64_t firstKey = keyOf(items.front());
    for (const Item& item : items)
        differing |= keyOf(item) ^ firstKey;
    std::vector<Item> sorted(items.size());
    std::vector<size_t> starts(size_t{1} << 16);
    for (unsigned shift = 0; shift < 64; shift += 16) {
        if (((differing >> shift) & 0xFFFFu) == 0)
            continue;
        std::fill(starts.begin(), starts.end(), 0);
        for (const Item& item : items)
            ++starts[(keyOf(item) >> shift) & 0xFFFFu];
        size_t start = 0;
        for (size_t& count : starts)
            start += std::exchange(count, start);
        for (Item& item : items)
            sorted[starts[(keyOf(item) >> shift) & 0xFFFFu]++] = std::move(item);
        items.swap(sorted);
    }
}

} // namespace zel
