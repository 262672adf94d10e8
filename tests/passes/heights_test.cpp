#include "passes/heights.h"

#include "platform/console.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace zel {
namespace {

using Levels = std::map<int32_t, int32_t>;

mapPoly lineOf(size_t pointCount, const Levels& heightLevels) {
    mapPoly line;
    line.points.resize(pointCount);
    line.heightLevels = heightLevels;
    return line;
}

// A line without levels or points gets no heights, nor does one with a level
// for a point it does not have, which is reported; heights of an earlier run
// never survive; other lines are not affected, polygons get none.
TEST(Heights, SpreadsLevelsOverTheLine) {
    const std::vector<std::tuple<size_t, Levels, std::vector<float>>> cases = {
        {5, {{0, 2}}, {64, 48, 32, 16, 0}},
        {5, {{2, 1}}, {0, 16, 32, 16, 0}},
        {3, {{0, 1}, {2, 3}}, {32, 64, 96}},
        {3, {{1, -1}}, {0, -32, 0}},
        {1, {{0, 5}}, {160}},
        {6, {{1, 2}, {3, 1}, {4, 4}}, {0, 64, 48, 32, 128, 0}},
        // The steps are added up in f32, so the last value misses 0 slightly.
        {4, {{0, 1}}, {32, 21.3333321f, 10.6666651f, -1.90734863e-06f}},
        {3, {}, {}},
        {0, {{0, 1}}, {}},
        {5, {{7, 1}}, {}},
        {5, {{5, 1}}, {}},
        {5, {{-1, 1}, {2, 1}}, {}},
        {5, {{INT32_MIN, 1}}, {}},
        {5, {{INT32_MAX, 1}}, {}},
        {5, {{0, 1}, {2, 2}, {9, 1}}, {}},
    };
    for (const auto& [pointCount, levels, heights] : cases) {
        cMapPolish map;
        map.levels.resize(2);
        map.levels[1].lines = {lineOf(pointCount, levels), lineOf(2, {{0, 1}})};
        map.levels[1].lines[0].heights = {1, 2, 3};
        map.levels[1].polygons = {lineOf(3, {{1, 1}})};
        map.lineCount = 2;
        platform::ConsoleCapture console;
        computeHeights(map, 32.0f);
        const bool wrong = heights.empty() && pointCount > 0 && !levels.empty();
        EXPECT_EQ(console.text().find("wrong HLevel data\n") != std::string::npos, wrong);
        EXPECT_EQ(map.levels[1].lines[0].heights, heights) << pointCount;
        EXPECT_EQ(map.levels[1].lines[1].heights, (std::vector<float>{32, 0}));
        EXPECT_TRUE(map.levels[1].polygons[0].heights.empty());
    }
}

} // namespace
} // namespace zel
