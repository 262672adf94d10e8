#include "geometry/simplify.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
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
    std::vector<mapPoint> points = pointsOf(coords);
    simplifyPointsForLevel(points, bits, kind);
    std::vector<Xy> out;
    for (const mapPoint& p : points)
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

// The windows, fitted from scratch for every point added: the plain way the
// fast version must agree with.
std::vector<mapPoint> plainFit(const std::vector<mapPoint>& points, double tolerance) {
    const double limit = tolerance * tolerance;
    std::vector<mapPoint> out;
    size_t start = 0, end = 2;
    bool ok = false;
    SegmentFit last;
    const auto meet = [&](mapPoint a) {
        if (out.empty())
            out.push_back(a);
        else
            out.back() = {(out.back().x + a.x) * 0.5f, (out.back().y + a.y) * 0.5f};
    };
    while (end < points.size()) {
        const SegmentFit fit = fitSegment(points, start, end);
        if (!fit.ok || fit.meanSquared <= limit) {
            if (fit.ok) {
                ok = true;
                last = fit;
            }
            ++end;
            continue;
        }
        if (ok) {
            meet(last.a);
            out.push_back(last.b);
            start = end - 1;
        } else {
            if (out.empty())
                out.push_back(points[start]);
            out.push_back(points[start + 1]);
            ++start;
        }
        end = start + 2;
        ok = false;
    }
    if (ok)
        out.push_back(last.b);
    else
        out.insert(out.end(), points.begin() + static_cast<std::ptrdiff_t>(start + 1),
                   points.end());
    return out;
}

// Runs of points in line, scattered by about the tolerance so that many fits
// lie near it, far from the origin and near it, steep and flat, with repeated
// points: the growing sums decide as the fit from scratch does.
TEST(SimplifyForLevel, GrowingSumsAgreeWithFittingEveryWindowAfresh) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int round = 0; round < 400; ++round) {
        const uint8_t bits = static_cast<uint8_t>(16 + random() % 11);
        const double tolerance = 360.0 / static_cast<double>(uint64_t{1} << bits);
        const double noise = tolerance * std::vector<double>{0.0, 0.5, 1.0, 1.7}[random() % 4];
        const double x0 = std::vector<double>{0.0, 12.5, 359.9, -170.0}[random() % 4];
        const double y0 = unit(random) * 80.0;
        mapPoly line;
        double x = x0, y = y0, angle = unit(random) * 3.2;
        for (size_t i = 2 + random() % 300; i > 0; --i) {
            if (random() % 40 == 0)
                angle = unit(random) * 3.2;
            if (random() % 10 != 0) {
                const double step = tolerance * (0.2 + 3.0 * std::fabs(unit(random)));
                x += step * std::cos(angle);
                y += step * std::sin(angle);
            }
            line.points.push_back({static_cast<float>(x + noise * unit(random)),
                                   static_cast<float>(y + noise * unit(random))});
        }
        std::vector<mapPoint> fast = line.points;
        simplifyPointsForLevel(fast, bits, PolyKind::polygon);
        if (line.points.size() <= 4)
            continue;
        std::vector<mapPoint> plain = plainFit(line.points, tolerance);
        if (plain.size() == 1)
            plain = {line.points.front(), plain.front()};
        ASSERT_EQ(fast.size(), plain.size()) << round;
        for (size_t i = 0; i < fast.size(); ++i) {
            ASSERT_EQ(fast[i].x, plain[i].x) << round << " point " << i;
            ASSERT_EQ(fast[i].y, plain[i].y) << round << " point " << i;
        }
    }
}

} // namespace
} // namespace zel
