#include "model/labelchars.h"
#include "model/mappolish.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(MapModel, StartsWithOneEmptyLevelAndThePunctuationCharacters) {
    cMapPolish map;
    ASSERT_EQ(map.levels.size(), 1u);
    EXPECT_EQ(map.levels[0].bits, 0);
    EXPECT_EQ(map.labelChars, u",-.");
}

TEST(MapModel, ResetClearsTheMapButKeepsLabelCharacters) {
    cMapPolish map;
    map.levels.resize(4);
    map.levels[0].bits = 24;
    map.levels[0].pois.push_back({});
    map.restrictions.push_back({1, 2, 3, 4, 5});
    map.tempRestrictions.push_back({});
    map.poiCount = 3;
    map.routeInfo.nodeArcs.resize(2);
    map.countries.emplace_back(u"Land", -1);
    map.cities.emplace_back(u"Town", 0);
    map.adrObjects.push_back({});
    map.streetNames.emplace_back(u"Main St");
    mergeLabelChars(map.labelChars, u"xy");

    map.reset();

    ASSERT_EQ(map.levels.size(), 1u);
    EXPECT_EQ(map.levels[0].bits, 0);
    EXPECT_TRUE(map.levels[0].pois.empty());
    EXPECT_TRUE(map.restrictions.empty());
    EXPECT_TRUE(map.tempRestrictions.empty());
    EXPECT_EQ(map.poiCount, 0u);
    EXPECT_TRUE(map.routeInfo.nodeArcs.empty());
    // Each map's address index holds that map's data only.
    EXPECT_TRUE(map.countries.empty());
    EXPECT_TRUE(map.cities.empty());
    EXPECT_TRUE(map.adrObjects.empty());
    EXPECT_TRUE(map.streetNames.empty());
    EXPECT_EQ(map.labelChars, u",-.xy");
}

TEST(LabelChars, MergeKeepsEachUnitOnceInAscendingOrder) {
    struct Case {
        std::u16string set;
        std::u16string added;
        std::u16string result;
    };
    const std::vector<Case> cases = {
        {u",-.", u"", u",-."},
        {u",-.", u"Main St.", u" ,-.MSaint"},
        {u"", u"cba", u"abc"},
        {u"ab", u"ba", u"ab"},
        {u"A", std::u16string(u"\xFFFF\0A", 3), std::u16string(u"\0A\xFFFF", 3)},
        // Surrogate halves are units like any other.
        {u"", u"\U0001F600", u"\xD83D\xDE00"},
    };
    for (const Case& c : cases) {
        std::u16string set = c.set;
        mergeLabelChars(set, c.added);
        EXPECT_EQ(set, c.result);
    }
}

} // namespace
} // namespace zel
