#include "passes/analysis.h"

#include "platform/console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>

namespace zel {
namespace {

mapPoly polyAt(std::vector<mapPoint> points) {
    mapPoly poly;
    poly.points = std::move(points);
    return poly;
}

// One level per case, each with the box (1, 2, 3, 4) before.
TEST(Analysis, ObjectsAreCutAt360AndLevelBoxesFollowThem) {
    cMapPolish map;
    map.levels.resize(5);
    // A point west of 0 moves to 350 and counts there.
    map.levels[0].pois.resize(1);
    map.levels[0].pois[0].pos = {-10, 5};
    // A line wholly west of 0 moves by 360 degrees.
    map.levels[1].lines = {polyAt({{-20, 1}, {-10, 2}})};
    // Within one column, also from its edge, objects stay whole; a line
    // without points goes.
    map.levels[2].lines = {polyAt({{0, 1}, {15, 2}, {20, 1.5f}}), polyAt({})};
    map.levels[2].polygons = {polyAt({{0, 0}, {5, 0}, {5, 5}, {0, 5}})};
    // A polygon from 350 to 370 becomes one from 350 to 360 and one from 0 to
    // 10; the level then spans the globe.
    map.levels[3].polygons = {polyAt({{350, 10}, {370, 10}, {370, 20}, {350, 20}})};
    // A level without objects keeps its box.
    for (mapLevel& level : map.levels)
        level.bbox = {1, 2, 3, 4};
    countObjects(map);
    platform::ConsoleCapture quiet;
    analyzeLevels(map);

    using Box4 = std::tuple<float, float, float, float>;
    const std::vector<std::pair<Box4, std::vector<float>>> expected = {
        {{350, 5, 350, 5}, {}},
        {{340, 1, 350, 2}, {340, 350}},
        {{0, 0, 20, 5}, {0, 0, 0, 5, 5, 15, 20}},
        {{0, 10, 360, 20}, {0, 0, 10, 10, 350, 350, 360, 360}},
        {{1, 2, 3, 4}, {}},
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        const mapLevel& level = map.levels[i];
        EXPECT_EQ(Box4(level.bbox.minX, level.bbox.minY, level.bbox.maxX, level.bbox.maxY),
                  expected[i].first)
            << i;
        std::vector<float> xs; // the longitudes of the pieces' points
        for (const auto* list : {&level.lines, &level.polygons}) {
            for (const mapPoly& piece : *list) {
                for (const mapPoint& p : piece.points)
                    xs.push_back(p.x);
            }
        }
        std::sort(xs.begin(), xs.end());
        EXPECT_EQ(xs, expected[i].second) << i;
    }
}

// The pieces are written back into the level's own lists; whatever mix of
// objects that stay whole, vanish or fall into several pieces, the lists and
// boxes must be those of cutting every object into a new list in turn.
TEST(Analysis, CuttingInPlaceGivesThePiecesOfCuttingIntoANewList) {
    std::mt19937 random(20261207);
    const auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    for (int round = 0; round < 300; ++round) {
        std::vector<mapPoly> objects;
        for (int i = below(12); i > 0; --i) {
            // Mostly inside one column; now and then across one or two edges,
            // or without points.
            const float west = below(3) == 0 ? static_cast<float>(below(900) - 450) : 10.0f;
            const float width = below(4) == 0 ? static_cast<float>(below(800)) : 5.0f;
            std::vector<mapPoint> points;
            if (below(8) != 0) {
                points = {{west, 1}, {west + width, 2}, {west + width, 8}, {west, 7}};
            }
            objects.push_back(polyAt(points));
            objects.back().label = std::u16string(1, static_cast<char16_t>(u'a' + i));
        }
        for (const PolyKind kind : {PolyKind::polyline, PolyKind::polygon}) {
            std::vector<mapPoly> expected;
            for (const mapPoly& object : objects) {
                mapPoly copy = object;
                normalizeLongitudes(copy, kind, expected);
            }
            cMapPolish map;
            map.levels.resize(1);
            (kind == PolyKind::polyline ? map.levels[0].lines : map.levels[0].polygons) = objects;
            countObjects(map);
            platform::ConsoleCapture quiet;
            analyzeLevels(map);
            const std::vector<mapPoly>& got =
                kind == PolyKind::polyline ? map.levels[0].lines : map.levels[0].polygons;
            ASSERT_EQ(got.size(), expected.size()) << round;
            for (size_t i = 0; i < got.size(); ++i) {
                ASSERT_EQ(got[i].label, expected[i].label) << round << ": " << i;
                ASSERT_EQ(got[i].points.size(), expected[i].points.size()) << round << ": " << i;
                for (size_t k = 0; k < got[i].points.size(); ++k) {
                    ASSERT_EQ(got[i].points[k].x, expected[i].points[k].x) << round;
                    ASSERT_EQ(got[i].points[k].y, expected[i].points[k].y) << round;
                }
            }
        }
    }
}

} // namespace
} // namespace zel
