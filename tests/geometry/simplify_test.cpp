#include "geometry/simplify.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

namespace zel {
namespace {

using Xy = std::pair<float, float>;

std::vector<mapPoint> pointsOf(const std::vector<Xy>& coords) {
    std::vector<mapPoint> points;
    for (const auto& [x, y] : coords)
        points.push_back({x, y});
    return points;
}

std::vector<Xy> simplified(const std::vector<Xy>& coords, uint8_t bits,
                           PolyKind kind = PolyKind::polyline) {
    mapPoly line;
    line.points = pointsOf(coords);
    std::vector<Xy> out;
    for (const mapPoint& p : simplifyForLevel(line, bits, kind).points)
        out.emplace_back(p.x, p.y);
    return out;
}

// Collinear points: a polyline of up to 2 points and a polygon of up to 4
// are kept whole, longer ones become their first and last point.
TEST(SimplifyForLevel, KeepsShortLinesAndSmallPolygonsWhole) {
    const std::vector<std::tuple<PolyKind, size_t, size_t>> cases = {
        {PolyKind::polyline, 0, 0}, {PolyKind::polyline, 1, 1}, {PolyKind::polyline, 2, 2},
        {PolyKind::polyline, 3, 2}, {PolyKind::polygon, 4, 4},  {PolyKind::polygon, 5, 2},
    };
    for (const auto& [kind, count, kept] : cases) {
        std::vector<Xy> collinear;
        for (size_t i = 0; i < count; ++i)
            collinear.emplace_back(static_cast<float>(i), 0.5f * static_cast<float>(i));
        EXPECT_EQ(simplified(collinear, 24, kind).size(), kept) << count;
    }
}

// One unit of a `bits` grid is 360 / 2^(bits mod 32) degrees.
TEST(SimplifyForLevel, ToleranceIsOneUnitOfTheLevelsGrid) {
    // A line that fits one segment keeps its first point, not the fitted start
    // (0, 1/3).
    const std::vector<Xy> bump = {{0, 0}, {1, 1}, {2, 0}};
    const std::vector<Xy> fitted = {{0, 0}, {2, 1 / 3.0f}};
    EXPECT_EQ(simplified(bump, 0), fitted);
    EXPECT_EQ(simplified(bump, 32), fitted);
    EXPECT_EQ(simplified(bump, 31), bump);
    EXPECT_EQ(simplified(bump, 255), bump);
    // A zigzag 0.001 degrees high: kept at 24 bits (0.0000215 degrees), one
    // straight line at 10 bits (0.35 degrees).
    std::vector<Xy> zigzag;
    for (int i = 0; i < 8; ++i)
        zigzag.emplace_back(10.0f + 0.01f * static_cast<float>(i), i % 2 == 1 ? 50.001f : 50.0f);
    EXPECT_EQ(simplified(zigzag, 24), zigzag);
    EXPECT_EQ(simplified(zigzag, 10).size(), 2u);
}

TEST(SimplifyForLevel, SuccessiveRunsMeetAtTheMidpointOfTheirEnds) {
    // Run 1 (points 0-3) fits y = 0.5 with offsets of ±0.5; run 2 (points 3-6)
    // is steep and fits x = y / 8 + 3.5, also ±0.5; run 3 (points 6-8) is
    // exact. At 9 bits (0.703 degrees) each run fits and no longer one does.
    const std::vector<Xy> points = {{0, 0},  {1, 1},  {2, 1},   {3, 0},  {5, 8},
                                    {6, 16}, {6, 24}, {16, 24}, {26, 24}};
    const std::vector<Xy> expected = {
        {0, 0.5f},      // run 1's fitted start
        {3.25f, 0.25f}, // between run 1's end (3, 0.5) and run 2's start (3.5, 0)
        {6.5f, 24},     // run 2's end; the last run's start is not merged in
        {26, 24},       // run 3's end
    };
    EXPECT_EQ(simplified(points, 9), expected);
}

} // namespace
} // namespace zel
