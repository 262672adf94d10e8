#include "model/radixsort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <numeric>
#include <random>
#include <utility>
#include <vector>

namespace zel {
namespace {

using Item = std::pair<uint64_t, uint32_t>;

// Keys that leave some 16-bit digits alike in every item (passed over) and
// vary others, at sizes on both sides of the switch to counting.
TEST(RadixSort, SortsAsAStableComparisonSortWould) {
    const std::vector<std::pair<const char*, std::function<uint64_t(std::mt19937_64&)>>> keys = {
        {"random", [](std::mt19937_64& r) { return r(); }},
        {"few values", [](std::mt19937_64& r) { return r() % 5 * 0x0001000100010001u; }},
        {"high half only", [](std::mt19937_64& r) { return r() << 32; }},
        {"middle digit only", [](std::mt19937_64& r) { return (r() & 0xFFFF) << 16; }},
        {"all equal", [](std::mt19937_64&) { return uint64_t{42}; }},
        {"extremes", [](std::mt19937_64& r) { return r() % 2 == 0 ? 0 : UINT64_MAX; }},
    };
    std::mt19937_64 random(21);
    for (const auto& [name, keyOf] : keys) {
        for (const size_t count :
             {size_t{0}, size_t{1}, size_t{4095}, size_t{4096}, size_t{70000}}) {
            std::vector<Item> items(count);
            for (size_t i = 0; i < count; ++i)
                items[i] = {keyOf(random), static_cast<uint32_t>(i)};
            std::vector<Item> expected = items;
            std::stable_sort(expected.begin(), expected.end(),
                             [](const Item& a, const Item& b) { return a.first < b.first; });
            radixSort(items, [](const Item& item) { return item.first; });
            ASSERT_EQ(items, expected) << name << ", " << count << " items";
        }
    }
}

// Keys of four fields whose widths add up to less than one word, to exactly
// one, and to more (a field of 64 bits among them), with few distinct values
// so that ties are common; compared with a stable sort of whole arrays.
TEST(RadixSort, OrderByFieldsIsThatOfTheFieldsCompared) {
    using Fields = std::array<uint64_t, 4>;
    const std::vector<std::array<unsigned, 4>> widthSets = {{0, 0, 0, 0},   {3, 1, 17, 20},
                                                            {32, 2, 1, 29}, {32, 32, 32, 32},
                                                            {1, 64, 0, 5},  {64, 64, 64, 64}};
    std::mt19937_64 random(7);
    for (const std::array<unsigned, 4>& widths : widthSets) {
        for (const size_t count : {size_t{0}, size_t{1}, size_t{3000}, size_t{20000}}) {
            std::vector<Fields> items(count);
            for (Fields& fields : items) {
                for (size_t k = 0; k < 4; ++k) {
                    const uint64_t mask =
                        widths[k] == 64 ? UINT64_MAX : (uint64_t{1} << widths[k]) - 1;
                    // Mostly the extremes and a few values, so that keys tie.
                    const uint64_t pick = random() % 4;
                    fields[k] = (pick == 0           ? mask
                                 : pick == 1         ? 0
                                 : random() % 3 == 0 ? random()
                                                     : pick) &
                                mask;
                }
            }
            std::vector<uint32_t> expected(count);
            std::iota(expected.begin(), expected.end(), 0u);
            std::stable_sort(expected.begin(), expected.end(),
                             [&](uint32_t a, uint32_t b) { return items[a] < items[b]; });
            const std::vector<uint32_t> order =
                orderByFields<4>(count, [&](size_t i) { return items[i]; });
            ASSERT_EQ(order, expected) << widths[0] << " " << widths[1] << " " << widths[2] << " "
                                       << widths[3] << ", " << count << " items";
        }
    }
}

} // namespace
} // namespace zel
