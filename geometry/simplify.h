// Thinning of polylines and polygons for a level: runs of points that lie
// within one grid unit of a straight line become the ends of a least-squares
// segment through them.
#pragma once

#include "model/mappolish.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zel {

// The least-squares segment through a window of points. `a` and `b` are the
// fitted positions of the window's first and last point.
struct SegmentFit {
    bool ok = false;
    mapPoint a;
    mapPoint b;
    double meanSquared = 0.0;
    double maxDistance = 0.0;
};

// Fits points[first] … points[last]. No fit when the window has fewer than
// two points, reaches past the end, or all its points coincide.
SegmentFit fitSegment(const std::vector<mapPoint>& points, size_t first, size_t last);

// Thins `points` to a tolerance of one unit of a `bits` grid
// (360 / 2^(bits mod 32) degrees).
void simplifyPointsForLevel(std::vector<mapPoint>& points, uint8_t bits, PolyKind kind);

} // namespace zel
