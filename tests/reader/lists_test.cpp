#include "model/names.h"
#include "reader/lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zel {
namespace {

std::vector<std::pair<float, float>> coordinates(const std::string& value) {
    std::vector<mapPoint> points;
    appendCoordinates(value, points);
    std::vector<std::pair<float, float>> xy;
    for (const mapPoint& p : points)
        xy.emplace_back(p.x, p.y);
    return xy;
}

using XY = std::vector<std::pair<float, float>>;

TEST(Lists, CoordinateGroupsSwapLatitudeAndLongitude) {
    EXPECT_EQ(coordinates("(45.5,12.25),(46,13)"), (XY{{12.25f, 45.5f}, {13.0f, 46.0f}}));
    EXPECT_EQ(coordinates("(45.5, 12.25),(46 , 13)"), (XY{{12.25f, 45.5f}, {13.0f, 46.0f}}));
    // Groups are separated by exactly one character: with more, the next
    // group's longitude is read after the separating comma.
    EXPECT_EQ(coordinates("(45.5,12.25) , (46,13)"), (XY{{12.25f, 45.5f}, {0.0f, 46.0f}}));
    EXPECT_EQ(coordinates(""), XY{});
    EXPECT_EQ(coordinates("(1,2"), XY{});
    // Coordinates are stored as f32 after a double conversion.
    EXPECT_EQ(coordinates("(0.1,0.2)"), (XY{{static_cast<float>(0.2), static_cast<float>(0.1)}}));
}

TEST(Lists, ImpossibleCoordinatesSkipTheirGroup) {
    EXPECT_EQ(coordinates("(1000,5),(1,2)"), (XY{{2.0f, 1.0f}}));
    EXPECT_EQ(coordinates("(1,1e39),(1,-1e39),(1,2)"), (XY{{2.0f, 1.0f}}));
    EXPECT_EQ(coordinates("(nan,inf),(1,2)"), (XY{{0.0f, 0.0f}, {2.0f, 1.0f}}));
    EXPECT_EQ(coordinates("(-90,-720),(90,720),(90.5,0),(0,720.5)"),
              (XY{{-720.0f, -90.0f}, {720.0f, 90.0f}}));
    EXPECT_FALSE(firstCoordinate("(1000,5),(1,2)").has_value());
    EXPECT_FALSE(firstCoordinate("1,2").has_value());
    EXPECT_EQ(firstCoordinate("(1,2),(3,4)")->x, 2.0f);
}

TEST(Lists, NodeEntriesAndLists) {
    const mapNodeRef nod = nodeEntry("4,15400,1");
    EXPECT_EQ(nod.pointIndex, 4);
    EXPECT_EQ(nod.nodeId, 15400);
    EXPECT_EQ(nod.boundary, 1);
    const mapNodeRef partial = nodeEntry("70000,-3");
    EXPECT_EQ(partial.pointIndex, 70000 & 0xFFFF);
    EXPECT_EQ(partial.nodeId, -3);
    EXPECT_EQ(partial.boundary, 0);

    std::vector<mapNodeRef> refs;
    appendNodeList("(0,7,0),(3,9,1),(5,11)", refs);
    ASSERT_EQ(refs.size(), 3u);
    EXPECT_EQ(refs[1].pointIndex, 3);
    EXPECT_EQ(refs[1].nodeId, 9);
    EXPECT_EQ(refs[1].boundary, 1);
    EXPECT_EQ(refs[2].nodeId, 11);
    // A value without a further group ends its parsing.
    refs.clear();
    appendNodeList("(1,2,0),(3,4,0", refs);
    EXPECT_EQ(refs.size(), 1u);
    refs.clear();
    appendNodeList(")(", refs);
    appendNodeList(std::string(100000, '('), refs);
    EXPECT_LE(refs.size(), 1u);
}

TEST(Lists, HeightLevels) {
    std::map<int32_t, int32_t> levels;
    enterHeightLevels("(0,1),(2,3),(2,5)", levels);
    EXPECT_EQ(levels, (std::map<int32_t, int32_t>{{0, 1}, {2, 5}}));
    levels.clear();
    enterHeightLevels(")(,)(,", levels);
    enterHeightLevels(std::string(100000, ')') + "(1,2)", levels);
    EXPECT_LE(levels.size(), 2u);
}

TEST(Lists, CommaSeparatedIntegers) {
    EXPECT_EQ(commaIntegers<3>("11393,6,11393"), (std::array<int32_t, 3>{11393, 6, 11393}));
    EXPECT_EQ(commaIntegers<3>("1,2"), (std::array<int32_t, 3>{1, 2, 0}));
    EXPECT_EQ(commaIntegers<2>(""), (std::array<int32_t, 2>{0, 0}));
    EXPECT_EQ(commaIntegers<2>(",5,6"), (std::array<int32_t, 2>{0, 5}));
}

TEST(Lists, RouteParameters) {
    struct Case {
        int32_t type;
        std::string value;
        uint8_t speed, roadClass, roadFlags, accessFlags;
    };
    const std::vector<Case> cases = {
        {0x2, "3,2,1,0,0,0,0,0,0,0,0,1", 60, 3, 0x01, 0x80},
        {0x2, "7,0,0,1,1,1,1,1,1,1,1,1", 180, 1, 0x02, 0xFF},
        {0x2, "8,4", 50, 5, 0, 0},
        {0x2, "256", 5, 1, 0, 0},
        {0x0a, "1,3", 20, 0, 0, 0},
        {0x42, "0,3", 5, 0, 0, 0},
        {0x2, "-1,-1,-1,-1", 50, 0, 0, 0},
        {0x2, "2,2147483647", 40, 0, 0, 0},
    };
    for (const Case& c : cases) {
        mapPoly line;
        line.type = c.type;
        line.accessFlags = 0x10;
        applyRouteParams(c.value, line);
        EXPECT_EQ(line.speed, c.speed) << c.value;
        EXPECT_EQ(line.roadClass, c.roadClass) << c.value;
        EXPECT_EQ(line.roadFlags, c.roadFlags) << c.value;
        EXPECT_EQ(line.accessFlags, c.accessFlags) << c.value;
    }
}

TEST(Names, NormalisationOfCountriesRegionsAndCities) {
    const std::vector<std::pair<std::u16string, std::u16string>> adminCases = {
        {u"Foo~[0x1d]Bar", u"Foo ( Bar)"},
        {u"Venezuela~[0x1d]VEN", u"Venezuela ( VEN)"},
        {u"Foo~[0x1dBar", u"Foo"},
        {u"Foo~Bar", u"Foo~Bar"},
        {u"St.Peter-Ording", u"St. Peter- Ording"},
        {u"Saint  Paul.", u"Saint Paul."},
        {u"a.(b)", u"a. ( b)"},
        {u"   ", u" "},
    };
    for (const auto& [name, normalised] : adminCases)
        EXPECT_EQ(normaliseAdminName(name), normalised);
    // Cities get the separator step only.
    EXPECT_EQ(normaliseSeparators(u"Foo~[0x1d]Bar"), u"Foo~[0x1d]Bar");
    EXPECT_EQ(normaliseSeparators(u"St.Peter-Ording"), u"St. Peter- Ording");
}

TEST(Names, LeadingCodeRemoval) {
    EXPECT_EQ(removeLeadingCode("~[0x2f]Main Street"), "Main Street");
    EXPECT_EQ(removeLeadingCode("~[0x2fMain"), "~[0x2fMain");
    EXPECT_EQ(removeLeadingCode("Main ~[0x2f]"), "Main ~[0x2f]");
    EXPECT_EQ(removeLeadingCode("~["), "~[");
    EXPECT_EQ(removeLeadingCode("~[]"), "");
}

} // namespace
} // namespace zel
