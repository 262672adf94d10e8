// Sorting many items by a 64-bit key without comparisons: the squares of a
// level's objects and the objects of a level by type and label are sorted by
// integer keys, a million of them on a large map, where a comparison sort
// spends most of its time on branches it cannot predict.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <numeric>
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

// The order of `count` items (fewer than 2^32) by a key of N unsigned
// fields, most significant first: fieldsOf(i) gives item i's fields as a
// std::array<uint64_t, N>. Items with equal keys keep their order. A field
// takes only as many bits as its largest value needs, so that a key of
// several 32-bit fields usually packs into one 64-bit word; longer keys take
// several words, sorted from the least significant one.
template <size_t N, typename FieldsOf>
std::vector<uint32_t> orderByFields(size_t count, FieldsOf fieldsOf) {
    std::array<uint64_t, N> anyBits{};
    for (size_t i = 0; i < count; ++i) {
        const std::array<uint64_t, N> fields = fieldsOf(i);
        for (size_t k = 0; k < N; ++k)
            anyBits[k] |= fields[k];
    }
    // Word w holds fields [firstField[w], firstField[w + 1]).
    std::array<unsigned, N> widths{};
    std::vector<size_t> firstField{0};
    unsigned used = 0;
    for (size_t k = 0; k < N; ++k) {
        widths[k] = static_cast<unsigned>(std::bit_width(anyBits[k]));
        if (used + widths[k] > 64) {
            firstField.push_back(k);
            used = 0;
        }
        used += widths[k];
    }
    firstField.push_back(N);
    std::vector<uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::vector<std::pair<uint64_t, uint32_t>> keyed(count);
    for (size_t word = firstField.size() - 1; word-- > 0;) {
        for (size_t j = 0; j < count; ++j) {
            const std::array<uint64_t, N> fields = fieldsOf(order[j]);
            uint64_t key = 0;
            for (size_t k = firstField[word]; k < firstField[word + 1]; ++k)
                key = widths[k] == 64 ? fields[k] : key << widths[k] | fields[k];
            keyed[j] = {key, order[j]};
        }
        radixSort(keyed, [](const std::pair<uint64_t, uint32_t>& item) { return item.first; });
        for (size_t j = 0; j < count; ++j)
            order[j] = keyed[j].second;
    }
    return order;
}

} // namespace zel
