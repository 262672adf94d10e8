// Sorting many texts by their code units, as std::u16string_view's operator<
// orders them, without comparing whole texts again and again: a map's
// labels and names share long beginnings ("Street ", "ulica "), and a
// comparison sort reaches into two scattered strings for every comparison.
#pragma once

#include "passes/textindex.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zel {

// The indices of `texts`, ordered by their texts; equal texts come in no
// particular order.
std::vector<uint32_t> textOrder(const std::vector<std::u16string_view>& texts);

// For each index of `texts`, its place in that order; the texts must be
// distinct (as those of a TextIndex are), so that each place is one text's.
std::vector<uint32_t> textRanks(const std::vector<std::u16string_view>& texts);

// For each of `count` items, the place of its text `textOf(i)` among the
// distinct texts of all items: sorting by it orders the items by text with
// a comparison of two integers.
template <typename TextOf> std::vector<uint32_t> rankByText(size_t count, TextOf textOf) {
    TextIndex index;
    std::vector<uint32_t> ranks(count);
    for (size_t i = 0; i < count; ++i)
        ranks[i] = index.add(textOf(i));
    const std::vector<uint32_t> rankOf = textRanks(index.texts());
    for (uint32_t& rank : ranks)
        rank = rankOf[rank];
    return ranks;
}

} // namespace zel
