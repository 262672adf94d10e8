#include "passes/analysis.h"
#include "passes/sorting.h"

#include "platform/console.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

mapPoly polyAt(std::vector<mapPoint> points, int32_t type = 1) {
    mapPoly poly;
    poly.type = type;
    poly.points = std::move(points);
    return poly;
}

mapPoi poiAt(float x, float y, int32_t type = 1, std::u16string label = u"") {
    mapPoi poi;
    poi.type = type;
    poi.label = std::move(label);
    poi.pos = {x, y};
    return poi;
}

void analyze(cMapPolish& map) {
    countObjects(map);
    platform::ConsoleCapture quiet;
    analyzeLevels(map);
}

void expectBox(const Box& box, float minX, float minY, float maxX, float maxY) {
    EXPECT_EQ(box.minX, minX);
    EXPECT_EQ(box.minY, minY);
    EXPECT_EQ(box.maxX, maxX);
    EXPECT_EQ(box.maxY, maxY);
}

TEST(Analysis, PoiWestOfZeroMovesTo350) {
    cMapPolish map;
    map.levels[0].pois.push_back(poiAt(-10.0f, 5.0f));
    analyze(map);
    EXPECT_EQ(map.levels[0].pois[0].pos.x, 350.0f);
    expectBox(map.levels[0].bbox, 350.0f, 5.0f, 350.0f, 5.0f);
}

TEST(Analysis, PolygonAcross360BecomesTwo) {
    cMapPolish map;
    map.levels[0].polygons.push_back(
        polyAt({{350.0f, 10.0f}, {370.0f, 10.0f}, {370.0f, 20.0f}, {350.0f, 20.0f}}));
    analyze(map);
    const std::vector<mapPoly>& polygons = map.levels[0].polygons;
    ASSERT_EQ(polygons.size(), 2u);
    for (const mapPoly& piece : polygons) {
        Box box{piece.points[0].x, piece.points[0].y, piece.points[0].x, piece.points[0].y};
        for (const mapPoint& p : piece.points) {
            box.minX = std::min(box.minX, p.x);
            box.maxX = std::max(box.maxX, p.x);
        }
        const bool east = box.minX == 350.0f && box.maxX == 360.0f;
        const bool west = box.minX == 0.0f && box.maxX == 10.0f;
        EXPECT_TRUE(east || west) << box.minX << " " << box.maxX;
        // Pieces keep the box of the uncut object.
        expectBox(piece.bbox, 350.0f, 10.0f, 370.0f, 20.0f);
    }
    // Spanning 0 to 360, the level wraps round the globe.
    expectBox(map.levels[0].bbox, 0.0f, 10.0f, 360.0f, 20.0f);
}

TEST(Analysis, LinesWithinOneColumnStayAndEmptyOnesGo) {
    cMapPolish map;
    const std::vector<mapPoint> points = {{10.0f, 1.0f}, {15.0f, 2.0f}, {20.0f, 1.5f}};
    map.levels[0].lines.push_back(polyAt(points));
    map.levels[0].lines.push_back(polyAt({}));
    analyze(map);
    ASSERT_EQ(map.levels[0].lines.size(), 1u);
    const mapPoly& line = map.levels[0].lines[0];
    ASSERT_EQ(line.points.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(line.points[i].x, points[i].x);
        EXPECT_EQ(line.points[i].y, points[i].y);
    }
    expectBox(line.bbox, 10.0f, 1.0f, 20.0f, 2.0f);
    expectBox(map.levels[0].bbox, 10.0f, 1.0f, 20.0f, 2.0f);
}

TEST(Analysis, LevelBoxesFollowThePiecesAfterTheirShift) {
    // A level spreading from 5 to 355 degrees wraps.
    cMapPolish wide;
    wide.levels[0].pois.push_back(poiAt(5.0f, 1.0f));
    wide.levels[0].pois.push_back(poiAt(355.0f, 2.0f));
    analyze(wide);
    expectBox(wide.levels[0].bbox, 0.0f, 1.0f, 360.0f, 2.0f);

    // A level wholly west of 0 gets the box of its shifted objects.
    cMapPolish west;
    west.levels[0].lines.push_back(polyAt({{-20.0f, 1.0f}, {-10.0f, 2.0f}}));
    analyze(west);
    ASSERT_EQ(west.levels[0].lines.size(), 1u);
    expectBox(west.levels[0].bbox, 340.0f, 1.0f, 350.0f, 2.0f);

    // A level without objects keeps its box.
    cMapPolish empty;
    empty.levels[0].bbox = {1.0f, 2.0f, 3.0f, 4.0f};
    analyze(empty);
    expectBox(empty.levels[0].bbox, 1.0f, 2.0f, 3.0f, 4.0f);
}

TEST(Analysis, ObjectsOnAColumnEdgeGiveNoSliver) {
    cMapPolish map;
    map.levels[0].lines.push_back(polyAt({{0.0f, 1.0f}, {10.0f, 1.0f}}));
    map.levels[0].polygons.push_back(
        polyAt({{0.0f, 0.0f}, {5.0f, 0.0f}, {5.0f, 5.0f}, {0.0f, 5.0f}}));
    analyze(map);
    ASSERT_EQ(map.levels[0].lines.size(), 1u);
    ASSERT_EQ(map.levels[0].polygons.size(), 1u);
    expectBox(map.levels[0].bbox, 0.0f, 0.0f, 10.0f, 5.0f);
}

TEST(Analysis, ProgressCountsEveryObject) {
    cMapPolish map;
    map.levels[0].pois.push_back(poiAt(1.0f, 1.0f));
    map.levels[0].lines.push_back(polyAt({}));
    countObjects(map);
    platform::ConsoleCapture console;
    analyzeLevels(map);
    EXPECT_EQ(console.text(),
              "\rAnalyzing: 0%\rAnalyzing: 50%\rAnalyzing: 100%\rAnalyzing: Done             \n");
}

TEST(Sorting, ByTypeThenLabelKeepingEqualKeysInOrder) {
    cMapPolish map;
    map.levels.resize(2);
    std::vector<mapPoi>& pois = map.levels[1].pois;
    pois = {poiAt(1, 1, 0x2a00, u"B"), poiAt(2, 1, 0x2a00, u"A"), poiAt(3, 1, 0x1000, u"Z"),
            poiAt(4, 1, 0, u""),       poiAt(5, 1, -1, u"Q"),     poiAt(6, 1, 0x2a00, u"A"),
            poiAt(7, 1, 0, u"a"),      poiAt(8, 1, 0, u"\xFFFF"), poiAt(9, 1, 0, u"aa")};
    platform::ConsoleCapture console;
    sortLevels(map);
    std::vector<float> order;
    for (const mapPoi& poi : pois)
        order.push_back(poi.pos.x);
    EXPECT_EQ(order, (std::vector<float>{5, 4, 7, 9, 8, 3, 2, 6, 1}));
    EXPECT_EQ(console.text(),
              "\rSorting: 0%\rSorting: 16%\rSorting: 32%\rSorting: 48%\rSorting: 64%"
              "\rSorting: 80%\rSorting: 96%\rSorting: Done             \n");
}

} // namespace
} // namespace zel
