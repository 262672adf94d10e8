#include "model/labelchars.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace zel {
namespace {

// Against a plain sorted set that each unit is inserted into.
TEST(LabelChars, SetEqualsSortedInsertionOnRandomUnits) {
    std::mt19937 random(4711);
    // Surrogate halves are units like any other; 0 and 0xFFFF are the ends.
    const char16_t edges[] = {0, 0xFFFF, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, u' ', u'a', 63, 64};
    const auto unit = [&]() -> char16_t {
        if (random() % 3 == 0)
            return edges[random() % std::size(edges)];
        return static_cast<char16_t>(random() % 2 == 0 ? 0xD800 + random() % 0x800 : random());
    };
    for (int round = 0; round < 200; ++round) {
        LabelChars chars;
        std::set<char16_t> expected;
        for (int label = 0; label < 20; ++label) {
            std::u16string units(random() % 12, u'\0');
            std::generate(units.begin(), units.end(), unit);
            chars.add(units);
            expected.insert(units.begin(), units.end());
            ASSERT_EQ(chars.units(), std::u16string(expected.begin(), expected.end()))
                << "round " << round << ", label " << label;
            ASSERT_EQ(chars.size(), expected.size());
        }
        chars.clear();
        ASSERT_EQ(chars.size(), 0u);
        ASSERT_TRUE(chars.units().empty());
    }
}

} // namespace
} // namespace zel
