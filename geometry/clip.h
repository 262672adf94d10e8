// Cutting polylines and polygon rings to axis-parallel rectangles. The square
// tiler cuts every object to each square it touches; the longitude cut of a
// loaded map uses the same routines with 360-degree columns.
#pragma once

#include "model/mappolish.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zel {

// A closed rectangle in degrees, x0 < x1 and y0 < y1: its border belongs to it.
struct Rect {
    float x0, y0, x1, y1;
};

// Where a point lies against a rectangle:
//   7 6 5
//   8 9 4
//   1 2 3
// 9 is inside (border included); the outside codes run counter-clockwise from
// the lower-left corner, odd ones are corners, even ones sides.
int32_t regionCode(mapPoint p, const Rect& rect);

enum : int32_t {
    segmentInside = 0,   // unchanged
    segmentRejected = 1, // nothing of it is inside
    segmentClipped = 2,  // see the flags for the ends that moved
};

enum : uint32_t {
    startMoved = 1u, // the start now lies on the border
    endMoved = 2u,   // the end now lies on the border
};

struct ClippedSegment {
    int32_t result = segmentRejected;
    uint32_t flags = 0;
    mapPoint start, end;
};

// Cohen–Sutherland on the nine regions; ends are moved onto the border only.
ClippedSegment clipSegment(mapPoint p1, mapPoint p2, const Rect& rect);

// The per-point data of a piece of a line: its points, heights and node
// references (indexed within the piece).
struct LinePart {
    std::vector<mapPoint> points;
    std::vector<float> heights;
    std::vector<mapNodeRef> nodeRefs;
};

// Appends to `parts` the pieces of `line` inside `rect`. Cut points get
// interpolated heights and no node reference. A piece whose points are all
// equal is not appended.
void clipLineParts(const mapPoly& line, const Rect& rect, std::vector<LinePart>& parts);

// The same pieces, each a copy of the line's attributes with its own points,
// heights and node references.
void clipLine(const mapPoly& line, const Rect& rect, std::vector<mapPoly>& parts);

// Replaces `rings` by the rings of the polygon ring `points` inside `rect`:
// pieces that meet only along the rectangle's border come out as separate
// rings. A ring lists every point once (no closing repeat) and has at least
// three distinct points, not all on one vertical or one horizontal line.
// Returns 2 when at least one ring results, else 1.
int32_t clipPolygon(const mapPoint* points, size_t count, const Rect& rect,
                    std::vector<std::vector<mapPoint>>& rings);

// What cutting an object to a rectangle it lies strictly inside leaves of it,
// worked out in place: the object itself, less what every cut drops (a line
// of fewer than two points or of points all equal, repeated points of a ring
// and a ring without area), with node references and heights as a cut gives
// them. `notInside` when the object does not lie strictly inside `rect` (or
// is a line too long to renumber in place); then it has to be cut.
enum class InPlaceCut { kept, dropped, notInside };
InPlaceCut cutInPlace(mapPoly& object, PolyKind kind, const Rect& rect);

// The boxes of a ring's points taken a stretch at a time, worked out once for
// a polygon cut to many squares: thinning then passes a stretch that lies
// wholly in one far region without looking at its points.
class RingBoxes {
public:
    static constexpr size_t stretch = 64;

    RingBoxes(const mapPoint* points, size_t count);

    const Box& box(size_t index) const { return boxes[index]; }
    bool usableFor(const Rect& rect) const;

private:
    std::vector<Box> boxes;
};

// clipPolygon for many rectangles in a row: the working buffers are kept
// from one call to the next. The results are those of clipPolygon. A polygon
// over many squares is mostly far from any one of them: before cutting, its
// ring is thinned of the points that cannot change the result (runs of points
// that one stage drops whole); `Thinning::off` cuts every point, which gives
// the same rings, more slowly.
class PolygonClipper {
public:
    enum class Thinning { on, off };
    explicit PolygonClipper(Thinning thinning = Thinning::on);
    PolygonClipper(const PolygonClipper&) = delete;
    PolygonClipper& operator=(const PolygonClipper&) = delete;
    ~PolygonClipper();

    // `boxes`, when given, are those of the same points.
    int32_t clip(const mapPoint* points, size_t count, const Rect& rect,
                 std::vector<std::vector<mapPoint>>& rings, const RingBoxes* boxes = nullptr);

private:
    void cutAll(size_t plane, const Rect& rect, std::vector<std::vector<mapPoint>>& rings);

    struct Buffers;
    std::unique_ptr<Buffers> buffers;
    Thinning thinning;
};

} // namespace zel
