#include "reader/parser.h"

#include "support/maptext.h"

#include <gtest/gtest.h>

#include <string>

namespace zel {
namespace {

TEST(Parser, MarkersAndKeysIgnoreCaseButNotBlanksOrLength) {
    const std::vector<std::pair<std::string, int32_t>> cases = {
        {"[POI]", sectionPoi},
        {"[Polyline]", sectionPolyline},
        {"[RGN80]", sectionNone},
        {"[POI] ", sectionNone},
        {"[poi]" + std::string(35, 'x'), sectionNone},
        {"[IMG ID]", sectionImgId},
        {"[Restrict]", sectionRestrict},
        {std::string("[POI]\0junk", 10), sectionPoi},
    };
    for (const auto& [line, section] : cases) {
        cMapPolish map;
        EXPECT_EQ(test::readMapText(map, line).section, section) << line;
    }
    // Keys too ignore case; a hex value that does not convert keeps the old one.
    for (const char* lines : {"Type=0x2F00", "type=2f00", "TYPE=2F00", "Type=0x2f00\nType=zz"}) {
        cMapPolish map;
        EXPECT_EQ(test::readMapText(map, std::string("[POI]\n") + lines).poi.type, 0x2f00);
    }
}

TEST(Parser, LevelsAndTheirBits) {
    // "Levels=N" makes N - 1 levels, at least one and at most 256.
    const std::vector<std::pair<std::string, size_t>> counts = {
        {"Levels=0", 1},  {"Levels=1", 0},        {"Levels=5", 4},
        {"Levels=-3", 1}, {"Levels=100000", 256}, {"Levels=x", 1},
    };
    for (const auto& [line, count] : counts) {
        cMapPolish m;
        test::readMapText(m, "[IMG ID]\n" + line + "\n");
        EXPECT_EQ(m.levels.size(), count) << line;
    }
    // A level key past the end grows the table to that many levels and sets
    // the last; bits outside 0..26 become 26.
    cMapPolish grown;
    test::readMapText(grown, "[IMG ID]\nLevel200=30\nLevel-1=5\nLevel5000=20\nLevel0=-4\n");
    ASSERT_EQ(grown.levels.size(), 200u);
    EXPECT_EQ(grown.levels[199].bits, 26);
    EXPECT_EQ(grown.levels[0].bits, 26);
}

TEST(Parser, ObjectsAreStoredWhenTheirSectionEnds) {
    cMapPolish map;
    test::readMapText(
        map, std::string("[IMG ID]\nLevels=5\n[END-IMG ID]\n") +
                 // Cut off by the next marker: dropped.
                 "[POLYLINE]\nType=1\nData0=(1,1),(1,2)\n[POI]\nType=2\nData0=(3,3)\n[END]\n"
                 // A second coordinate key stores the first copy.
                 "[POLYLINE]\nType=3\nLabel=~[0x2f]Main\nData0=(1,1),(1,2)\nData2=(5,5),(6,6)\n"
                 "[END]\n"
                 // Level 9 does not exist; the copy for it is skipped.
                 "[POLYGON]\nType=4\nLabel=~[0x1]Hall\nFloors=-715827883\n"
                 "Data0=(1,1),(1,2),(2,2)\nData9=(5,5),(6,6),(7,7)\n[END]\n"
                 "[Restrict]\nTraffPoints=11393,6,11393\nTraffRoads=572,572\n[END-Restrict]\n"
                 "[Restrict]\nTraffPoints=9,9,9\n[POI]\n[END-Restrict]\n"
                 "[Restrict]\nTraffPoints=4\n[END]\n[END-Restrict]\n");
    ASSERT_EQ(map.levels[0].lines.size(), 1u);
    EXPECT_EQ(map.levels[0].lines[0].type, 3);
    EXPECT_EQ(map.levels[0].lines[0].label, u"Main");
    ASSERT_EQ(map.levels[2].lines.size(), 1u);
    EXPECT_EQ(map.levels[2].lines[0].points[0].x, 5.0f);
    EXPECT_EQ(map.levels[0].pois.size(), 1u);
    ASSERT_EQ(map.levels[0].polygons.size(), 1u);
    // Polygons keep a leading code; three times the floors wraps to 32 bits
    // without overflowing.
    EXPECT_EQ(map.levels[0].polygons[0].label, u"~[0x1]Hall");
    EXPECT_EQ(map.levels[0].polygons[0].floorsHeight, 2147483647);
    // A restriction is stored by its own end marker only, even after [END].
    ASSERT_EQ(map.restrictions.size(), 2u);
    EXPECT_EQ(map.restrictions[0].node2, 6);
    EXPECT_EQ(map.restrictions[0].road2, 572);
    EXPECT_EQ(map.restrictions[1].node1, 4);
}

TEST(Parser, CodePageDeclaredInTheHeader) {
    const std::vector<std::pair<std::string, std::u16string>> cases = {
        {"[IMG ID]\nCodePage=1251\n[END-IMG ID]\n[POI]\nLabel=\xC0\xE1\n", u"\u0410\u0431"},
        {"[IMG ID]\nCODEPAGE=1250\n[END]\n[POI]\nLabel=\x8A\n", u"\u0160"},
        {"[IMG ID]\nCodePage=65001\n[END]\n[POI]\nLabel=\xC3\xA9\xFF\n", u"\u00E9\uFFFD"},
        {"[POI]\nLabel=\x80\x81\xE9\n", u"\u20AC\u0081\u00E9"},
        {"[IMG ID]\nCodePage=437\n[END]\n[POI]\nLabel=\x80\n", u"\u20AC"},
    };
    for (const auto& [text, label] : cases) {
        cMapPolish map;
        EXPECT_EQ(test::readMapText(map, text).poi.label, label) << text;
    }
}

} // namespace
} // namespace zel
