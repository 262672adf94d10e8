#include "reader/parser.h"

#include "support/maptext.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace zel {
namespace {

PolishParser parseText(cMapPolish& map, const std::string& text) {
    return test::readMapText(map, text);
}

const std::string fourLevels =
    "[IMG ID]\nLevels=5\nLevel0=24\nLevel1=22\nLevel2=20\nLevel3=18\n[END-IMG ID]\n";

TEST(Parser, MarkersIgnoreCaseButNotBlanksOrLength) {
    struct Case {
        std::string line;
        int32_t section;
    };
    const std::vector<Case> cases = {
        {"[POI]", sectionPoi},
        {"[Polyline]", sectionPolyline},
        {"[RGN80]", sectionNone},
        {"[POI] ", sectionNone},
        {"[poi]" + std::string(35, 'x'), sectionNone},
        {"[IMG ID]", sectionImgId},
        {"[Restrict]", sectionRestrict},
        {std::string("[POI]\0junk", 10), sectionPoi},
    };
    for (const Case& c : cases) {
        cMapPolish map;
        PolishParser parser(map);
        parser.parseLine(c.line);
        EXPECT_EQ(parser.section, c.section) << c.line;
    }
}

TEST(Parser, TypeSpellingsAndHexThatKeepsTheOldValue) {
    for (const char* line : {"Type=0x2F00", "type=2f00", "TYPE=2F00"}) {
        cMapPolish map;
        EXPECT_EQ(parseText(map, std::string("[POI]\n") + line + "\n").poi.type, 0x2f00) << line;
    }
    cMapPolish map;
    EXPECT_EQ(parseText(map, "[POI]\nType=0x10\nType=zz\n").poi.type, 0x10);
}

TEST(Parser, LevelsAndLevelBits) {
    cMapPolish map;
    parseText(map, "[IMG ID]\nLevels=4\nLevel0=24\nLevel1=22\nLevel2=20\nLevel3=18\n");
    ASSERT_EQ(map.levels.size(), 3u);
    EXPECT_EQ(map.levels[0].bits, 24);
    EXPECT_EQ(map.levels[1].bits, 22);
    EXPECT_EQ(map.levels[2].bits, 20);

    const std::vector<std::pair<std::string, size_t>> counts = {
        {"Levels=0", 1},  {"Levels=1", 0},        {"Levels=5", 4},
        {"Levels=-3", 1}, {"Levels=100000", 256}, {"Levels=x", 1},
    };
    for (const auto& [line, count] : counts) {
        cMapPolish m;
        parseText(m, "[IMG ID]\n" + line + "\n");
        EXPECT_EQ(m.levels.size(), count) << line;
    }

    cMapPolish grown;
    parseText(grown, "[IMG ID]\nLevel200=30\nLevel-1=5\nLevel5000=20\nLevel0=-4\n");
    ASSERT_EQ(grown.levels.size(), 200u);
    EXPECT_EQ(grown.levels[199].bits, 26);
    EXPECT_EQ(grown.levels[0].bits, 26);
}

TEST(Parser, PointsOfInterestPerLevel) {
    cMapPolish map;
    parseText(map,
              fourLevels +
                  "[POI]\nType=0x2f00\nLabel=Cafe\nCityIdx=1\nStreetDesc=~[0x05]Main\n"
                  "HouseNumber=5\nCity=Y\nEndLevel=2\nData0=(45.5,12.5)\nData1=(45.6,12.6)\n[END]\n"
                  "[POI]\nType=1\nData0=(0,10)\n[END]\n"
                  "[POI]\nType=2\nEndLevel=0\nData1=(1,1)\n[END]\n");
    // Data0 with EndLevel 2 gives levels 0..2; Data1 gives 1..2.
    ASSERT_EQ(map.levels[0].pois.size(), 1u);
    ASSERT_EQ(map.levels[1].pois.size(), 3u);
    ASSERT_EQ(map.levels[2].pois.size(), 2u);
    const mapPoi& first = map.levels[0].pois[0];
    EXPECT_EQ(first.label, u"Cafe");
    EXPECT_EQ(first.streetDesc, u"Main");
    EXPECT_EQ(first.houseNumber, u"5");
    EXPECT_EQ(first.cityIdx, 1);
    EXPECT_EQ(first.isCity, 1);
    EXPECT_EQ(first.pos.x, 12.5f);
    EXPECT_EQ(first.pos.y, 45.5f);
    // Only the first stored copy keeps the address.
    EXPECT_TRUE(map.levels[1].pois[0].houseNumber.empty());
    EXPECT_EQ(map.levels[1].pois[0].isCity, 0);
    EXPECT_EQ(map.levels[1].pois[1].level, 1);
    EXPECT_EQ(map.levels[1].pois[1].pos.x, 12.6f);
    EXPECT_EQ(map.levels[1].pois[1].cityIdx, 0);
    // EndLevel below the object's level: its own level only; zero latitude: not stored.
    EXPECT_EQ(map.levels[1].pois[2].type, 2);
}

TEST(Parser, PolylinesKeepRoutingOnTheirFirstLevelOnly) {
    cMapPolish map;
    parseText(
        map,
        fourLevels +
            "[POLYLINE]\nType=0x2\nLabel=~[0x2f]Main\nRoadID=7\nDirIndicator=0\n"
            "RouteParam=3,2,1,0,0,0,0,0,0,0,0,1\nCityIdx=3\nStreetDesc=Main\nEndLevel=9\n"
            "Data0=(1,1),(1,2),(1,3)\nNod1=0,100,0\nNodes=(2,101,1)\nHLevel1=(0,1),(2,3)\n[END]\n");
    for (size_t l = 0; l < 4; ++l)
        ASSERT_EQ(map.levels[l].lines.size(), 1u) << l;
    const mapPoly& first = map.levels[0].lines[0];
    EXPECT_EQ(first.label, u"Main");
    EXPECT_EQ(first.roadId, 7);
    EXPECT_EQ(first.speed, 60);
    EXPECT_EQ(first.roadClass, 3);
    EXPECT_EQ(first.roadFlags, 0x05);
    EXPECT_EQ(first.accessFlags, 0x80);
    EXPECT_EQ(first.cityIdx, 3);
    EXPECT_EQ(first.points.size(), 3u);
    ASSERT_EQ(first.nodeRefs.size(), 2u);
    EXPECT_EQ(first.nodeRefs[1].nodeId, 101);
    EXPECT_EQ(first.heightLevels.size(), 2u);
    EXPECT_EQ(map.levels[0].linePoints, 3u);
    // Higher copies: simplified, no nodes, no address; the three collinear
    // points become two, which drops the height levels.
    const mapPoly& upper = map.levels[1].lines[0];
    EXPECT_TRUE(upper.nodeRefs.empty());
    EXPECT_TRUE(upper.streetDesc.empty());
    EXPECT_EQ(upper.cityIdx, 0);
    EXPECT_EQ(upper.points.size(), 2u);
    EXPECT_TRUE(upper.heightLevels.empty());
    EXPECT_EQ(upper.roadId, 7);
    EXPECT_EQ(map.levels[3].linePoints, 3u);
}

TEST(Parser, PolygonsFloorsAndLabels) {
    cMapPolish map;
    parseText(
        map,
        fourLevels +
            "[POLYGON]\nType=0x13\nLabel=~[0x1]Hall\nFloors=2\nHouseNumber=1\n"
            "Data0=(1,1),(1,2),(2,2),(2,1)\n[END]\n"
            "[POLYGON]\nType=0x13\nFloors=x\nFloors=-715827883\nData0=(1,1),(1,2),(2,2)\n[END]\n");
    ASSERT_EQ(map.levels[0].polygons.size(), 2u);
    EXPECT_EQ(map.levels[0].polygons[0].label, u"~[0x1]Hall");
    EXPECT_EQ(map.levels[0].polygons[0].floorsHeight, 6);
    EXPECT_EQ(map.levels[0].polygons[0].houseNumber, u"1");
    // Three times the floors, wrapped to 32 bits without overflow.
    EXPECT_EQ(map.levels[0].polygons[1].floorsHeight, 2147483647);
    EXPECT_EQ(map.labelChars, u",-.01H[]alx~");
}

TEST(Parser, UnfinishedObjectsAreDroppedAndSecondDataKeysCommit) {
    cMapPolish map;
    parseText(map,
              fourLevels +
                  "[POLYLINE]\nType=1\nData0=(1,1),(1,2)\n[POI]\nType=2\nData0=(3,3)\n[END]\n"
                  "[POLYLINE]\nType=3\nData0=(1,1),(1,2)\nData2=(5,5),(6,6)\n[END]\n"
                  "[POLYGON]\nType=4\nData0=(1,1),(1,2),(2,2)\nData9=(5,5),(6,6),(7,7)\n[END]\n");
    ASSERT_EQ(map.levels[0].lines.size(), 1u);
    EXPECT_EQ(map.levels[0].lines[0].type, 3);
    ASSERT_EQ(map.levels[2].lines.size(), 1u);
    EXPECT_EQ(map.levels[2].lines[0].points[0].x, 5.0f);
    EXPECT_EQ(map.levels[0].pois.size(), 1u);
    // The polygon on level 9 does not exist and is skipped.
    EXPECT_EQ(map.levels[0].polygons.size(), 1u);
}

TEST(Parser, AdministrativeTables) {
    cMapPolish map;
    parseText(map, "[Countries]\nCountry1=Foo~[0x1d]Bar\nCountry2=Land\n[END-Countries]\n"
                   "[Regions]\nRegion1=St.Peter-Ording\nCountryIdx1=2\nRegion2=North\n"
                   "CountryIdx7=1\nCountryIdx0=1\n[END-Regions]\n"
                   "[Cities]\nCity3=Town~[0x1]X\nRegionIdx1=2\nRegionIdx2=1\n[END-Cities]\n");
    ASSERT_EQ(map.countries.size(), 2u);
    EXPECT_EQ(map.countries[0].name, u"Foo ( Bar)");
    EXPECT_EQ(map.countries[0].index, -1);
    EXPECT_EQ(map.countries[0].ownerIndex, -1);
    ASSERT_EQ(map.regions.size(), 2u);
    EXPECT_EQ(map.regions[0].name, u"St. Peter- Ording");
    EXPECT_EQ(map.regions[0].ownerIndex, 1);
    EXPECT_EQ(map.regions[1].index, 1);
    EXPECT_EQ(map.regions[1].ownerIndex, 0);
    ASSERT_EQ(map.cities.size(), 1u);
    EXPECT_EQ(map.cities[0].name, u"Town~[0x1]X");
    EXPECT_EQ(map.cities[0].index, 2);
    EXPECT_EQ(map.cities[0].ownerIndex, 1);
}

TEST(Parser, RestrictionsAreStoredByTheirEndMarker) {
    cMapPolish map;
    parseText(map, "[Restrict]\nTraffPoints=11393,6,11393\nTraffRoads=572,572\n[END-Restrict]\n"
                   "[Restrict]\nTraffPoints=9,9,9\n[POI]\n[END-Restrict]\n"
                   "[Restrict]\nTraffPoints=4\n[END]\n[END-Restrict]\n");
    ASSERT_EQ(map.restrictions.size(), 2u);
    EXPECT_EQ(map.restrictions[0].node1, 11393);
    EXPECT_EQ(map.restrictions[0].node2, 6);
    EXPECT_EQ(map.restrictions[0].road2, 572);
    EXPECT_EQ(map.restrictions[1].node1, 4);
    EXPECT_EQ(map.restrictions[1].node2, 0);
}

TEST(Parser, CodePageDeclaredInTheHeader) {
    cMapPolish map;
    EXPECT_EQ(
        parseText(map, "[IMG ID]\nCodePage=1251\n[END-IMG ID]\n[POI]\nLabel=\xC0\xE1\n").poi.label,
        u"\u0410\u0431");
    cMapPolish central;
    EXPECT_EQ(parseText(central, "[IMG ID]\nCODEPAGE=1250\n[END]\n[POI]\nLabel=\x8A\n").poi.label,
              u"\u0160");
    cMapPolish undeclared;
    EXPECT_EQ(parseText(undeclared, "[POI]\nLabel=\x80\x81\xE9\n").poi.label,
              u"\u20AC\u0081\u00E9");
    cMapPolish unknown;
    EXPECT_EQ(parseText(unknown, "[IMG ID]\nCodePage=437\n[END]\n[POI]\nLabel=\x80\n").poi.label,
              u"\u20AC");
}

} // namespace
} // namespace zel
