#include "passes/textorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace zel {
namespace {

using Family = std::function<std::u16string(std::mt19937&)>;

std::u16string unitsFrom(std::mt19937& random, const std::u16string& alphabet, size_t most) {
    std::u16string text(std::uniform_int_distribution<size_t>(0, most)(random), u'\0');
    for (char16_t& unit : text)
        unit = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
    return text;
}

// Kinds of text that trip a sort by chunks: zeros where a shorter text has
// run out, units above 0x7FFF (a signed comparison would put them first),
// texts that begin others, long shared beginnings, and plain repeats.
const std::vector<std::pair<const char*, Family>> families = {
    {"zeros and ends", [](std::mt19937& r) { return unitsFrom(r, std::u16string(u"\0a", 2), 9); }},
    {"high units",
     [](std::mt19937& r) { return unitsFrom(r, u"a\u7fff\u8000\xd800\xdc00\xffff", 7); }},
    {"shared beginnings",
     [](std::mt19937& r) { return u"Street of the " + unitsFrom(r, u"ab ", 12); }},
    {"long shared beginnings",
     [](std::mt19937& r) { return std::u16string(300, u'x') + unitsFrom(r, u"xy", 40); }},
    {"repeats", [](std::mt19937& r) { return unitsFrom(r, u"ab", 2); }},
};

std::vector<std::u16string> textsOf(const Family& family, size_t count, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::u16string> texts(count);
    for (std::u16string& text : texts)
        text = family(random);
    return texts;
}

// The order matches a comparison sort of the texts: equal texts may come in
// any order, so the texts themselves are compared.
TEST(TextOrder, OrdersAsAComparisonSortWould) {
    for (const auto& [name, family] : families) {
        for (const size_t count : {size_t{0}, size_t{1}, size_t{5}, size_t{40}, size_t{3000}}) {
            const std::vector<std::u16string> texts = textsOf(family, count, 11 + count);
            const std::vector<std::u16string_view> views(texts.begin(), texts.end());
            std::vector<std::u16string> expected = texts;
            std::sort(expected.begin(), expected.end());
            std::vector<std::u16string> got;
            for (const uint32_t index : textOrder(views))
                got.push_back(texts.at(index));
            EXPECT_EQ(got, expected) << name << ", " << count << " texts";
        }
    }
}

// Ranks of distinct texts are their places in the sorted list.
TEST(TextOrder, RanksOfDistinctTextsArePlaces) {
    for (const auto& [name, family] : families) {
        std::vector<std::u16string> texts = textsOf(family, 2000, 5);
        std::sort(texts.begin(), texts.end());
        texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
        std::vector<std::u16string> shuffled = texts;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(9));
        const std::vector<uint32_t> ranks =
            textRanks(std::vector<std::u16string_view>(shuffled.begin(), shuffled.end()));
        for (size_t i = 0; i < shuffled.size(); ++i)
            ASSERT_EQ(texts.at(ranks.at(i)), shuffled[i]) << name;
    }
}

// Many texts that share a beginning of a megabyte are sorted without a call
// per chunk of it (which would overflow the stack).
TEST(TextOrder, LongSharedBeginningsNeedNoDeepCalls) {
    const std::u16string beginning(1 << 20, u'q');
    std::vector<std::u16string> texts;
    for (char16_t last = u'z'; last >= u'a'; --last)
        texts.push_back(beginning + last);
    const std::vector<uint32_t> order =
        textOrder(std::vector<std::u16string_view>(texts.begin(), texts.end()));
    for (size_t k = 0; k < order.size(); ++k)
        EXPECT_EQ(order[k], texts.size() - 1 - k);
}

} // namespace
} // namespace zel
