#include "passes/analysis.h"

#include "platform/console.h"

#include <gtest/gtest.h>

#include <algorithm>
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

} // namespace
} // namespace zel
