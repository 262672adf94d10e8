#include "geometry/simplify.h"

#include <cmath>
#include <limits>

namespace zel {

// A double that leaves the float range becomes an infinity, never undefined.
static_assert(std::numeric_limits<float>::is_iec559, "IEEE floats expected");

namespace {

// The window's sums, always in double precision: the result must not depend
// on the compiler's choice of intermediate precision.
struct WindowSums {
    double count = 0.0;
    double sumX = 0.0;
    double sumY = 0.0;
    double sumXX = 0.0;
    double sumXY = 0.0;
    double sumYY = 0.0;
};

WindowSums sumWindow(const std::vector<mapPoint>& points, size_t first, size_t last) {
    WindowSums sums;
    sums.count = static_cast<double>(last - first + 1);
    for (size_t i = first; i <= last; ++i) {
        const double x = points[i].x;
        const double y = points[i].y;
        sums.sumX += x;
        sums.sumY += y;
        sums.sumXX += x * x;
        sums.sumXY += x * y;
        sums.sumYY += y * y;
    }
    return sums;
}

// across = slope × along + offset. A steep line is fitted with the axes
// swapped (x as a function of y), so a vertical run still has a finite slope.
struct FittedLine {
    bool steep = false;
    double slope = 0.0;
    double offset = 0.0;
};

double alongOf(const mapPoint& p, const FittedLine& line) {
    return line.steep ? p.y : p.x;
}

double acrossOf(const mapPoint& p, const FittedLine& line) {
    return line.steep ? p.x : p.y;
}

double distanceFrom(const mapPoint& p, const FittedLine& line) {
    return std::fabs(acrossOf(p, line) - line.slope * alongOf(p, line) - line.offset);
}

mapPoint projectOnto(const mapPoint& p, const FittedLine& line) {
    const float across = static_cast<float>(line.slope * alongOf(p, line) + line.offset);
    return line.steep ? mapPoint{across, p.y} : mapPoint{p.x, across};
}

// Regresses y on x while the line is flatter than 45 degrees, x on y
// otherwise; no line when every point of the window coincides.
bool fitLine(const WindowSums& s, FittedLine& line) {
    const double numerator = s.sumY * s.sumX - s.count * s.sumXY;
    const double flatDenominator = s.sumX * s.sumX - s.count * s.sumXX;
    if (flatDenominator != 0.0 && std::fabs(numerator) < std::fabs(flatDenominator)) {
        line.steep = false;
        line.slope = numerator / flatDenominator;
        line.offset = (s.sumY - line.slope * s.sumX) / s.count;
        return true;
    }
    const double steepDenominator = s.sumY * s.sumY - s.count * s.sumYY;
    if (steepDenominator == 0.0)
        return false;
    line.steep = true;
    line.slope = numerator / steepDenominator;
    line.offset = (s.sumX - line.slope * s.sumY) / s.count;
    return true;
}

mapPoint midpoint(const mapPoint& p, const mapPoint& q) {
    // Sum in f32, then halve: the coordinates are floats throughout.
    return {(p.x + q.x) * 0.5f, (p.y + q.y) * 0.5f};
}

// A run that fitted ends: its segment replaces the run's points. The previous
// run's end and this run's start are merged into their midpoint, so the two
// segments meet.
void closeRun(std::vector<mapPoint>& out, const SegmentFit& run) {
    if (out.empty()) {
        out.push_back(run.a);
    } else {
        out.back() = midpoint(out.back(), run.a);
    }
    out.push_back(run.b);
}

// No line fits even the smallest window from `start`: its first point (only
// at the very beginning) and its second point are kept as they are.
void keepPoint(std::vector<mapPoint>& out, const std::vector<mapPoint>& points, size_t start) {
    if (out.empty())
        out.push_back(points[start]);
    out.push_back(points[start + 1]);
}

// Grows a window while the points stay within `tolerance` of their segment.
// The segment is refitted from scratch for every window; `points` holds at
// least three points.
std::vector<mapPoint> fitWindows(const std::vector<mapPoint>& points, double tolerance) {
    const size_t count = points.size();
    const double limit = tolerance * tolerance;
    std::vector<mapPoint> out;
    out.reserve(count);
    size_t start = 0;
    size_t end = 2;
    bool ok = false;
    SegmentFit last;
    while (end < count) {
        const SegmentFit fit = fitSegment(points, start, end);
        if (!fit.ok) {
            ++end;
            continue;
        }
        if (fit.meanSquared <= limit) {
            ok = true;
            last = fit;
            ++end;
            continue;
        }
        if (ok) {
            closeRun(out, last);
            start = end - 1;
        } else {
            keepPoint(out, points, start);
            start = start + 1;
        }
        end = start + 2;
        ok = false;
    }
    if (ok) {
        out.push_back(last.b);
    } else {
        out.insert(out.end(), points.begin() + static_cast<std::ptrdiff_t>(start + 1),
                   points.end());
    }
    out.shrink_to_fit();
    return out;
}

bool keepsAllPoints(size_t count, PolyKind kind) {
    return count <= (kind == PolyKind::polygon ? 4u : 2u);
}

// One unit of a grid of 2^bits units round the globe; the shift is done in
// 64 bits so that bits 31 stays defined.
double toleranceFor(uint8_t bits) {
    return 360.0 / static_cast<double>(uint64_t{1} << (bits % 32));
}

} // namespace

SegmentFit fitSegment(const std::vector<mapPoint>& points, size_t first, size_t last) {
    SegmentFit fit;
    if (first >= last || last >= points.size())
        return fit;
    const WindowSums sums = sumWindow(points, first, last);
    FittedLine line;
    if (!fitLine(sums, line))
        return fit;
    double sumSquares = 0.0;
    for (size_t i = first; i <= last; ++i) {
        const double d = distanceFrom(points[i], line);
        sumSquares += d * d;
        if (d > fit.maxDistance)
            fit.maxDistance = d;
    }
    fit.ok = true;
    // Distances were measured along an axis; this turns them into distances
    // perpendicular to the line.
    fit.meanSquared = sumSquares / (sums.count * (line.slope * line.slope + 1.0));
    fit.a = projectOnto(points[first], line);
    fit.b = projectOnto(points[last], line);
    return fit;
}

mapPoly simplifyForLevel(const mapPoly& source, uint8_t bits, PolyKind kind) {
    mapPoly copy = source;
    if (keepsAllPoints(source.points.size(), kind))
        return copy;
    std::vector<mapPoint> fitted = fitWindows(source.points, toleranceFor(bits));
    if (fitted.size() == 1) {
        // The whole line fitted one segment: keep its true start, which the
        // fitted start may have moved.
        copy.points = {source.points.front(), fitted.front()};
    } else {
        copy.points = std::move(fitted);
    }
    return copy;
}

} // namespace zel
