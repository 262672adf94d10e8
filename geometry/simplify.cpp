#include "geometry/simplify.h"

#include <algorithm>
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

// A sum kept with its rounding error (Neumaier's compensated summation) and
// the sum of its terms' magnitudes: its error is then a few units of
// rounding of that magnitude, whatever the number of terms.
struct CompensatedSum {
    double sum = 0.0;
    double compensation = 0.0;
    double magnitude = 0.0;

    void add(double term) {
        const double next = sum + term;
        compensation +=
            std::fabs(sum) >= std::fabs(term) ? (sum - next) + term : (term - next) + sum;
        sum = next;
        magnitude += std::fabs(term);
    }
    double value() const { return sum + compensation; }
};

// The sums of a window that grows one point at a time from its first point:
// the raw sums, added in the same order as sumWindow adds them (so they are
// the same doubles), and sums taken relative to the first point, which stay
// small and let the mean squared distance be estimated without a pass over
// the window.
class GrowingWindow {
public:
    void start(const std::vector<mapPoint>& points, size_t first) {
        *this = GrowingWindow{};
        origin = points[first];
    }

    void add(mapPoint p) {
        const double x = p.x;
        const double y = p.y;
        ++count;
        raw.count = static_cast<double>(count);
        raw.sumX += x;
        raw.sumY += y;
        raw.sumXX += x * x;
        raw.sumXY += x * y;
        raw.sumYY += y * y;
        // Exact: both are floats, far closer to each other than 2^29 times
        // their own precision.
        const double u = x - static_cast<double>(origin.x);
        const double v = y - static_cast<double>(origin.y);
        dx.add(u);
        dy.add(v);
        dxx.add(u * u);
        dyy.add(v * v);
        dxy.add(u * v);
        maxAbsX = std::max(maxAbsX, std::fabs(x));
        maxAbsY = std::max(maxAbsY, std::fabs(y));
    }

    WindowSums raw;
    mapPoint origin;
    CompensatedSum dx, dy, dxx, dyy, dxy;
    double maxAbsX = 0.0, maxAbsY = 0.0;
    size_t count = 0;
};

enum class Verdict { within, beyond, unsure };

// Whether the window's mean squared distance from `line`, as fitSegment
// computes it point by point, is at most `limit`. The distances' sum of
// squares is estimated from the window's sums, with a bound on how far both
// that estimate and fitSegment's own rounding can stray; only when the limit
// lies within the bound is the answer left open.
Verdict judge(const GrowingWindow& w, const FittedLine& line, double limit) {
    constexpr double eps = std::numeric_limits<double>::epsilon();
    const double n = static_cast<double>(w.count);
    const double s = line.slope;
    // Along and across the line, relative to the first point.
    const CompensatedSum& u = line.steep ? w.dy : w.dx;
    const CompensatedSum& v = line.steep ? w.dx : w.dy;
    const CompensatedSum& uu = line.steep ? w.dyy : w.dxx;
    const CompensatedSum& vv = line.steep ? w.dxx : w.dyy;
    const double along0 = line.steep ? w.origin.y : w.origin.x;
    const double across0 = line.steep ? w.origin.x : w.origin.y;
    const double c = line.offset - across0 + s * along0;
    const double estimate = vv.value() - 2.0 * s * w.dxy.value() - 2.0 * c * v.value() +
                            s * s * uu.value() + 2.0 * s * c * u.value() + n * c * c;
    // Every term of the estimate, by magnitude: the bound of the sums' and
    // the formula's rounding.
    const double magnitude = vv.magnitude + 2.0 * std::fabs(s) * w.dxy.magnitude +
                             2.0 * std::fabs(c) * v.magnitude + s * s * uu.magnitude +
                             2.0 * std::fabs(s * c) * u.magnitude + n * c * c;
    const double maxAlong = line.steep ? w.maxAbsY : w.maxAbsX;
    const double maxAcross = line.steep ? w.maxAbsX : w.maxAbsY;
    const double scale = maxAcross + std::fabs(s) * maxAlong + std::fabs(line.offset);
    const double cError =
        8.0 * eps * (std::fabs(line.offset) + std::fabs(across0) + std::fabs(s * along0));
    const double estimateError = (64.0 + 8.0 * n * eps) * eps * magnitude;
    const double high1 = std::max(estimate, 0.0) + estimateError;
    const double high = high1 + 2.0 * std::sqrt(n * high1) * cError + n * cError * cError;
    const double low = std::max(0.0, estimate - (high - estimate));
    // How far each distance fitSegment computes may stray, and what that
    // does to its sum of squares.
    const double delta = 8.0 * eps * scale;
    const double spread = delta * (2.0 * std::sqrt(n * high) + n * delta);
    const double sumHigh = (high + spread) * (1.0 + 4.0 * (n + 2.0) * eps);
    const double sumLow = std::max(0.0, low - spread) * (1.0 - 4.0 * (n + 2.0) * eps);
    const double bound = limit * (w.raw.count * (s * s + 1.0));
    if (!std::isfinite(sumHigh) || !std::isfinite(bound))
        return Verdict::unsure;
    if (sumHigh <= bound * (1.0 - 1e-9))
        return Verdict::within;
    if (sumLow >= bound * (1.0 + 1e-9))
        return Verdict::beyond;
    return Verdict::unsure;
}

// Grows a window while the points stay within `tolerance` of their segment.
// The window's sums grow with it, and only a window whose fit lies close to
// the tolerance is measured point by point, so a long run of points in line
// costs its length, not its square. `points` holds at least three points.
std::vector<mapPoint> fitWindows(const std::vector<mapPoint>& points, double tolerance) {
    const size_t count = points.size();
    const double limit = tolerance * tolerance;
    std::vector<mapPoint> out;
    out.reserve(count);
    size_t start = 0;
    size_t end = 2;
    bool ok = false;
    SegmentFit last;
    GrowingWindow window;
    window.start(points, start);
    for (size_t i = start; i <= end; ++i)
        window.add(points[i]);
    while (end < count) {
        FittedLine line;
        bool fits = fitLine(window.raw, line);
        bool within = false;
        if (fits) {
            const Verdict verdict = judge(window, line, limit);
            within = verdict == Verdict::within;
            if (verdict == Verdict::unsure)
                within = fitSegment(points, start, end).meanSquared <= limit;
        }
        if (!fits || within) {
            if (fits) {
                ok = true;
                last.ok = true;
                last.a = projectOnto(points[start], line);
                last.b = projectOnto(points[end], line);
            }
            ++end;
            if (end < count)
                window.add(points[end]);
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
        window.start(points, start);
        for (size_t i = start; i <= end && i < count; ++i)
            window.add(points[i]);
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

void simplifyPointsForLevel(std::vector<mapPoint>& points, uint8_t bits, PolyKind kind) {
    if (keepsAllPoints(points.size(), kind))
        return;
    std::vector<mapPoint> fitted = fitWindows(points, toleranceFor(bits));
    if (fitted.size() == 1) {
        // The whole line fitted one segment: keep its true start, which the
        // fitted start may have moved.
        points = {points.front(), fitted.front()};
    } else {
        points = std::move(fitted);
    }
}

} // namespace zel
