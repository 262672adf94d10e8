#include "passes/heights.h"

#include "platform/console.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zel {
namespace {

const std::string done = "\rHeights: Done             \n";

mapPoly lineOf(size_t pointCount, const std::map<int32_t, int32_t>& heightLevels) {
    mapPoly line;
    for (size_t i = 0; i < pointCount; ++i)
        line.points.push_back({static_cast<float>(i) * 0.001f, 47.0f});
    line.heightLevels = heightLevels;
    return line;
}

// Runs the pass over a map that holds `line` alone; returns what it printed.
std::string computeAlone(mapPoly& line) {
    cMapPolish map;
    map.levels[0].lines.push_back(line);
    map.lineCount = 1;
    platform::ConsoleCapture console;
    computeHeights(map, 32.0f);
    line = map.levels[0].lines[0];
    return console.text();
}

TEST(Heights, SpreadsLevelsOverTheLine) {
    struct Case {
        const char* name;
        size_t pointCount;
        std::map<int32_t, int32_t> heightLevels;
        std::vector<float> expected;
    };
    const std::vector<Case> cases = {
        {"falls from the first point", 5, {{0, 2}}, {64, 48, 32, 16, 0}},
        {"rises and falls around one point", 5, {{2, 1}}, {0, 16, 32, 16, 0}},
        {"runs between two points", 3, {{0, 1}, {2, 3}}, {32, 64, 96}},
        {"negative levels", 3, {{1, -1}}, {0, -32, 0}},
        {"a single point", 1, {{0, 5}}, {160}},
        // Taken by ascending point index, whatever the order of insertion.
        {"added in descending order", 5, {{4, 1}, {0, 2}}, {64, 56, 48, 40, 32}},
        {"three points", 6, {{1, 2}, {3, 1}, {4, 4}}, {0, 64, 48, 32, 128, 0}},
        // The steps are added up in f32, so the values carry its rounding
        // and the last one misses 0 slightly.
        {"rises by thirds", 4, {{3, 1}}, {0, 10.666667f, 21.333334f, 32}},
        {"falls by thirds", 4, {{0, 1}}, {32, 21.3333321f, 10.6666651f, -1.90734863e-06f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mapPoly line = lineOf(c.pointCount, c.heightLevels);
        EXPECT_EQ(computeAlone(line), "\rHeights: 0%\rHeights: 100%" + done);
        EXPECT_EQ(line.heights, c.expected);
    }
}

TEST(Heights, LeavesNoHeightsWhereThereAreNone) {
    struct Case {
        const char* name;
        size_t pointCount;
        std::map<int32_t, int32_t> heightLevels;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"no height levels", 3, {}, ""},
        {"no points", 0, {{0, 1}}, ""},
        {"index beyond the line", 5, {{7, 1}}, "wrong HLevel data\n"},
        {"index one past the end", 5, {{5, 1}}, "wrong HLevel data\n"},
        {"negative index", 5, {{-1, 1}, {2, 1}}, "wrong HLevel data\n"},
        {"most negative index", 5, {{INT32_MIN, 1}}, "wrong HLevel data\n"},
        {"largest index", 5, {{INT32_MAX, 1}}, "wrong HLevel data\n"},
        {"bad index after good ones", 5, {{0, 1}, {2, 2}, {9, 1}}, "wrong HLevel data\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mapPoly line = lineOf(c.pointCount, c.heightLevels);
        // Values from an earlier run must not survive.
        line.heights = {1, 2, 3};
        EXPECT_EQ(computeAlone(line), "\rHeights: 0%" + c.message + "\rHeights: 100%" + done);
        EXPECT_TRUE(line.heights.empty());
    }
}

TEST(Heights, HandlesEveryLineOfEveryLevelAndNoPolygon) {
    cMapPolish map;
    map.levels.resize(2);
    map.levels[0].lines.push_back(lineOf(3, {{1, 1}}));
    map.levels[0].lines.push_back(lineOf(3, {{3, 1}}));
    map.levels[1].lines.push_back(lineOf(2, {{0, 1}}));
    mapPoly polygon = lineOf(3, {{1, 1}});
    polygon.heights = {7};
    map.levels[1].polygons.push_back(polygon);
    map.lineCount = 3;

    platform::ConsoleCapture console;
    computeHeights(map, 32.0f);
    EXPECT_EQ(console.text(), "\rHeights: 0%\rHeights: 33%wrong HLevel data\n\rHeights: 66%"
                              "\rHeights: 99%" +
                                  done);
    EXPECT_EQ(map.levels[0].lines[0].heights, (std::vector<float>{0, 32, 0}));
    EXPECT_TRUE(map.levels[0].lines[1].heights.empty());
    EXPECT_EQ(map.levels[1].lines[0].heights, (std::vector<float>{32, 0}));
    EXPECT_EQ(map.levels[1].polygons[0].heights, (std::vector<float>{7}));
}

TEST(Heights, UsesTheGivenScale) {
    cMapPolish map;
    map.levels[0].lines.push_back(lineOf(3, {{0, 2}, {2, 4}}));
    map.lineCount = 1;
    platform::ConsoleCapture console;
    computeHeights(map, 0.5f);
    EXPECT_EQ(map.levels[0].lines[0].heights, (std::vector<float>{1, 1.5f, 2}));
}

TEST(Heights, HandlesLinesOfMoreThan65535Points) {
    const int32_t last = 69999;
    mapPoly line = lineOf(70000, {{1000, 3}, {last - 1, 1}});
    computeAlone(line);
    const std::vector<float>& h = line.heights;
    ASSERT_EQ(h.size(), 70000u);
    EXPECT_EQ(h[0], 0.0f);
    EXPECT_EQ(h[1000], 96.0f);
    EXPECT_EQ(h[last - 1], 32.0f);
    EXPECT_EQ(h[last], 0.0f);
    for (int32_t i = 1001; i < last - 1; ++i)
        ASSERT_LE(h[i], h[i - 1]) << i;

    mapPoly falling = lineOf(70000, {{0, 1}});
    computeAlone(falling);
    ASSERT_EQ(falling.heights.size(), 70000u);
    EXPECT_EQ(falling.heights[0], 32.0f);
    // 69,999 f32 additions of -32/69999 drift about 0.016 from 0.
    EXPECT_NEAR(falling.heights[last], 0.0f, 0.05f);
}

} // namespace
} // namespace zel
