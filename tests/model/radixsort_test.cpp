#include "model/radixsort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
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

} // namespace
} // namespace zel
