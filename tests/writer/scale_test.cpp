#include "writer/scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zel {
namespace {

std::string_view lineByBits(int bits) {
    return scaleRowAt(scaleRowByBits(static_cast<uint8_t>(bits))).line;
}

TEST(Scale, RowsByBitsAndByDensity) {
    EXPECT_EQ(lineByBits(24), "1:50000 (500m)\n");
    EXPECT_EQ(lineByBits(10), "1:50000000 (500km)\n");
    EXPECT_EQ(lineByBits(30), "1:10000 (100m)\n");

    // A density exactly on a threshold takes the coarser row.
    const std::vector<std::pair<double, size_t>> cases = {
        {0.1, 15},        {0.10001, 14}, {1.0, 13},
        {16000.0, 1},     {16000.5, 0},  {std::numeric_limits<double>::infinity(), 0},
        {std::nan(""), 0}};
    for (const auto& [density, row] : cases)
        EXPECT_EQ(scaleRowByDensity(density), row) << density;
    // Rows 5, 7, 9, 11 and 12 are reached by bits only.
    for (double d = 0.0; d < 20000.0; d += 0.05) {
        const size_t row = scaleRowByDensity(d);
        ASSERT_TRUE(row != 5 && row != 7 && row != 9 && row != 11 && row != 12) << d;
    }
}

TEST(Scale, DensityOfTheDensestCell) {
    // A 1 × 1 degree box whose densest cell holds 10 points: 10 / 2 = 5.
    mapLevel level;
    level.bbox = {0.0f, 0.0f, 1.0f, 1.0f};
    for (int i = 0; i < 10; ++i)
        level.pois.emplace_back().pos = {0.01f + 0.001f * static_cast<float>(i), 0.01f};
    level.lines.emplace_back().points = {{0.5f, 0.5f}, {0.7f, 0.7f}};
    EXPECT_EQ(densestCellCount(level), 10u);
    EXPECT_EQ(scaleRowAt(scaleRowByDensity(levelDensity(level))).line, "1:1000000 (10km)\n");
    // A single point of interest: 1 / 0, detected as the finest row.
    level.pois.resize(1);
    level.lines.clear();
    level.bbox = {0.01f, 0.01f, 0.01f, 0.01f};
    EXPECT_EQ(scaleRowAt(scaleRowByDensity(levelDensity(level))).line, "1:10000 (100m)\n");
}

} // namespace
} // namespace zel
