#include "writer/scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zel {
namespace {

TEST(Scale, RowsByBits) {
    const std::vector<std::pair<int, std::string_view>> cases = {
        {24, "1:50000 (500m)\n"},     {10, "1:50000000 (500km)\n"}, {30, "1:10000 (100m)\n"},
        {26, "1:10000 (100m)\n"},     {21, "1:300000 (3km)\n"},     {19, "1:700000 (7km)\n"},
        {17, "1:1500000 (15km)\n"},   {15, "1:3000000 (30km)\n"},   {14, "1:4000000 (40km)\n"},
        {11, "1:50000000 (500km)\n"}, {0, "1:50000000 (500km)\n"},
    };
    for (const auto& [bits, line] : cases)
        EXPECT_EQ(scaleRowAt(scaleRowByBits(static_cast<uint8_t>(bits))).line, line) << bits;
    EXPECT_EQ(scaleRowAt(scaleRowByBits(24)).squareSize, 90u);
}

TEST(Scale, RowsByDensityTakeTheCoarserRowOnAThreshold) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<double, size_t>> cases = {
        {0.0, 15},    {0.1, 15},    {0.10001, 14}, {0.4, 14},         {1.0, 13},   {4.0, 10},
        {10.0, 8},    {5.0, 8},     {40.0, 6},     {400.0, 4},        {1600.0, 3}, {7800.0, 2},
        {16000.0, 1}, {16000.5, 0}, {inf, 0},      {std::nan(""), 0}, {-1.0, 15},
    };
    for (const auto& [density, row] : cases)
        EXPECT_EQ(scaleRowByDensity(density), row) << density;
    // Rows 5, 7, 9, 11 and 12 are reached by bits only.
    for (double d = 0.0; d < 20000.0; d += 0.05) {
        const size_t row = scaleRowByDensity(d);
        EXPECT_TRUE(row != 5 && row != 7 && row != 9 && row != 11 && row != 12) << d;
    }
}

mapLevel levelWithBox(float minX, float minY, float maxX, float maxY) {
    mapLevel level;
    level.bbox = {minX, minY, maxX, maxY};
    return level;
}

TEST(Scale, CellsAndTheirEdges) {
    const mapLevel level = levelWithBox(0.0f, 0.0f, 10.0f, 10.0f);
    EXPECT_EQ(cellIndex(level, {0.0f, 0.0f}), 0);
    EXPECT_EQ(cellIndex(level, {5.5f, 2.5f}), 25);
    // The right edge counts in column 0 of the next row; the top edge not at all.
    EXPECT_EQ(cellIndex(level, {10.0f, 2.5f}), 30);
    EXPECT_EQ(cellIndex(level, {10.0f, 9.5f}), -1);
    EXPECT_EQ(cellIndex(level, {2.0f, 10.0f}), -1);
    EXPECT_EQ(cellIndex(level, {-0.5f, 2.5f}), 20);
    EXPECT_EQ(cellIndex(level, {-5.0f, 0.0f}), -1);
    // Zero-sized cells put every point in column (row) 0.
    const mapLevel point = levelWithBox(3.0f, 4.0f, 3.0f, 4.0f);
    EXPECT_EQ(cellIndex(point, {3.0f, 4.0f}), 0);
    const mapLevel flat = levelWithBox(0.0f, 4.0f, 10.0f, 4.0f);
    EXPECT_EQ(cellIndex(flat, {7.5f, 4.0f}), 7);
}

TEST(Scale, DensityOfTheDensestCell) {
    // A 1 × 1 degree box whose densest cell holds 10 points: 10 / 2 = 5.
    mapLevel level = levelWithBox(0.0f, 0.0f, 1.0f, 1.0f);
    mapPoly line;
    for (int i = 0; i < 10; ++i)
        line.points.push_back({0.01f + 0.001f * i, 0.01f});
    level.lines.push_back(line);
    mapPoi poi;
    poi.pos = {0.5f, 0.5f};
    level.pois.push_back(poi);
    EXPECT_EQ(densestCellCount(level), 10u);
    EXPECT_EQ(levelDensity(level), 5.0);
    EXPECT_EQ(scaleRowAt(scaleRowByDensity(levelDensity(level))).line, "1:1000000 (10km)\n");
    // A single point of interest: 1 / 0, detected as the finest row.
    mapLevel single = levelWithBox(3.0f, 4.0f, 3.0f, 4.0f);
    single.pois.push_back(poi);
    EXPECT_EQ(scaleRowAt(scaleRowByDensity(levelDensity(single))).line, "1:10000 (100m)\n");
    EXPECT_EQ(densestCellCount(levelWithBox(0, 0, 1, 1)), 0u);
}

} // namespace
} // namespace zel
