#include "geometry/clip.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <span>
#include <utility>

namespace zel {

int32_t regionCode(mapPoint p, const Rect& rect) {
    // Rows from the bottom: codes 1–3, 8 9 4, 7–5.
    static constexpr int32_t below[3] = {1, 2, 3};
    static constexpr int32_t level[3] = {8, 9, 4};
    static constexpr int32_t above[3] = {7, 6, 5};
    const int32_t* row = level;
    if (p.y < rect.y0)
        row = below;
    else if (p.y > rect.y1)
        row = above;
    if (p.x < rect.x0)
        return row[0];
    if (p.x > rect.x1)
        return row[2];
    return row[1];
}

// ---------------------------------------------------------------------------
// Segments

namespace {

bool isInside(int32_t code) {
    return code == 9;
}

// Both ends outside on the same side, or in a corner and the region two steps
// round from it: no crossing needs computing.
bool triviallyOutside(int32_t c1, int32_t c2) {
    const int32_t d = std::abs(c1 - c2);
    if (d == 0 || d == 1 || d == 7)
        return true;
    return (d == 2 || d == 6) && c1 % 2 == 1;
}

// Where the segment from p in direction (dx, dy) meets the horizontal border
// line y = borderY, when that lies on the rectangle's side.
bool meetHorizontal(mapPoint p, float dx, float dy, float borderY, const Rect& rect,
                    mapPoint& hit) {
    const float x = p.x + dx * (borderY - p.y) / dy;
    if (!(rect.x0 <= x && x <= rect.x1))
        return false;
    hit = {x, borderY};
    return true;
}

bool meetVertical(mapPoint p, float dx, float dy, float borderX, const Rect& rect, mapPoint& hit) {
    const float y = p.y + dy * (borderX - p.x) / dx;
    if (!(rect.y0 <= y && y <= rect.y1))
        return false;
    hit = {borderX, y};
    return true;
}

// A corner region: the corner's horizontal side is tried before its vertical one.
bool meetCorner(mapPoint p, float dx, float dy, float cornerX, float cornerY, const Rect& rect,
                mapPoint& hit) {
    return meetHorizontal(p, dx, dy, cornerY, rect, hit) ||
           meetVertical(p, dx, dy, cornerX, rect, hit);
}

// Axis-parallel segments need no division; from a corner region or from the
// side they run along, they cannot reach the rectangle.
bool moveAxisParallel(mapPoint& p, int32_t code, bool vertical, const Rect& rect) {
    if (vertical && (code == 2 || code == 6)) {
        p.y = code == 2 ? rect.y0 : rect.y1;
        return true;
    }
    if (!vertical && (code == 4 || code == 8)) {
        p.x = code == 4 ? rect.x1 : rect.x0;
        return true;
    }
    return false;
}

// Moves the outside end p of a segment running in direction (dx, dy) from p
// onto the border; false when the segment misses the rectangle.
bool moveOntoBorder(mapPoint& p, int32_t code, float dx, float dy, const Rect& rect) {
    if (dx == 0.0f || dy == 0.0f)
        return moveAxisParallel(p, code, dx == 0.0f, rect);
    const mapPoint from = p;
    switch (code) {
    case 1:
        return meetCorner(from, dx, dy, rect.x0, rect.y0, rect, p);
    case 2:
        return meetHorizontal(from, dx, dy, rect.y0, rect, p);
    case 3:
        return meetCorner(from, dx, dy, rect.x1, rect.y0, rect, p);
    case 4:
        return meetVertical(from, dx, dy, rect.x1, rect, p);
    case 5:
        return meetCorner(from, dx, dy, rect.x1, rect.y1, rect, p);
    case 6:
        return meetHorizontal(from, dx, dy, rect.y1, rect, p);
    case 7:
        return meetCorner(from, dx, dy, rect.x0, rect.y1, rect, p);
    case 8:
        return meetVertical(from, dx, dy, rect.x0, rect, p);
    default:
        return false;
    }
}

ClippedSegment unclipped(int32_t result, mapPoint p1, mapPoint p2) {
    ClippedSegment segment;
    segment.result = result;
    segment.start = p1;
    segment.end = p2;
    return segment;
}

} // namespace

ClippedSegment clipSegment(mapPoint p1, mapPoint p2, const Rect& rect) {
    const int32_t c1 = regionCode(p1, rect);
    const int32_t c2 = regionCode(p2, rect);
    if (isInside(c1) && isInside(c2))
        return unclipped(segmentInside, p1, p2);
    if (!isInside(c1) && !isInside(c2) && triviallyOutside(c1, c2))
        return unclipped(segmentRejected, p1, p2);

    const float dx = p2.x - p1.x;
    const float dy = p2.y - p1.y;
    ClippedSegment segment = unclipped(segmentClipped, p1, p2);
    if (!isInside(c1)) {
        if (!moveOntoBorder(segment.start, c1, dx, dy, rect))
            return unclipped(segmentRejected, p1, p2);
        segment.flags |= startMoved;
    }
    if (!isInside(c2)) {
        if (!moveOntoBorder(segment.end, c2, -dx, -dy, rect))
            return unclipped(segmentRejected, p1, p2);
        segment.flags |= endMoved;
    }
    return segment;
}

// ---------------------------------------------------------------------------
// Polylines

namespace {

// Node references by point index. A reference is looked up as the first one in
// stored order with that index, so a sorted view must keep stored order among
// equal indices.
class NodeRefIndex {
public:
    explicit NodeRefIndex(const std::vector<mapNodeRef>& refs) {
        auto byPoint = [](const mapNodeRef& a, const mapNodeRef& b) {
            return a.pointIndex < b.pointIndex;
        };
        if (std::is_sorted(refs.begin(), refs.end(), byPoint)) {
            sorted_ = refs;
            return;
        }
        copy_ = refs;
        std::stable_sort(copy_.begin(), copy_.end(), byPoint);
        sorted_ = copy_;
    }
    NodeRefIndex(const NodeRefIndex&) = delete;
    NodeRefIndex& operator=(const NodeRefIndex&) = delete;

    const mapNodeRef* find(uint16_t pointIndex) const {
        auto it = std::lower_bound(
            sorted_.begin(), sorted_.end(), pointIndex,
            [](const mapNodeRef& ref, uint16_t index) { return ref.pointIndex < index; });
        if (it == sorted_.end() || it->pointIndex != pointIndex)
            return nullptr;
        return &*it;
    }

private:
    std::vector<mapNodeRef> copy_;
    std::span<const mapNodeRef> sorted_;
};

// Every attribute of the line, without its per-point data. Copied field by
// field so that a long line's points are not copied once per square.
mapPoly attributesOf(const mapPoly& line) {
    mapPoly part;
    part.level = line.level;
    part.endLevel = line.endLevel;
    part.type = line.type;
    part.floorsHeight = line.floorsHeight;
    part.speed = line.speed;
    part.roadClass = line.roadClass;
    part.roadFlags = line.roadFlags;
    part.accessFlags = line.accessFlags;
    part.weight = line.weight;
    part.roadId = line.roadId;
    part.heightLevels = line.heightLevels;
    part.bbox = line.bbox;
    part.label = line.label;
    part.houseNumber = line.houseNumber;
    part.streetDesc = line.streetDesc;
    part.cityIdx = line.cityIdx;
    part.dontFind = line.dontFind;
    return part;
}

bool allEqual(const std::vector<mapPoint>& points) {
    return std::all_of(points.begin(), points.end(), [&](const mapPoint& p) {
        return p.x == points.front().x && p.y == points.front().y;
    });
}

// Walks a polyline segment by segment and collects the parts inside the
// rectangle.
class LineSplitter {
public:
    LineSplitter(const mapPoly& line, std::vector<LinePart>& parts)
        : line_(line), parts_(parts), refs_(line.nodeRefs) {}

    void run(const Rect& rect) {
        const std::vector<mapPoint>& points = line_.points;
        bool endedInside = isInside(regionCode(points[0], rect));
        if (endedInside)
            addVertex(0);
        for (size_t i = 1; i < points.size(); ++i) {
            const ClippedSegment segment = clipSegment(points[i - 1], points[i], rect);
            endedInside = addSegment(i, segment, endedInside);
        }
        emit();
    }

private:
    // Returns whether the walk now stands inside the rectangle at point cur.
    bool addSegment(size_t cur, const ClippedSegment& segment, bool endedInside) {
        const size_t prev = cur - 1;
        if (segment.result == segmentInside) {
            addVertex(cur);
            return true;
        }
        if (segment.result != segmentClipped)
            return false;
        if (segment.flags == startMoved) {
            emit();
            addCut(segment.start, prev, cur);
            addVertex(cur);
            return true;
        }
        if (segment.flags == endMoved) {
            if (!endedInside)
                addPoint(line_.points[prev], heightAt(prev));
            addCut(segment.end, prev, cur);
            emit();
            return false;
        }
        emit();
        addCut(segment.start, prev, cur);
        addCut(segment.end, prev, cur);
        emit();
        return false;
    }

    bool hasHeights() const { return !line_.heights.empty(); }

    // A line whose heights list is short reads the missing ones as 0, as the
    // heights block of the encoding does.
    float heightAt(size_t i) const { return i < line_.heights.size() ? line_.heights[i] : 0.0f; }

    // The fraction along the segment is taken on its longer axis.
    float heightAtCut(mapPoint cut, size_t prev, size_t cur) const {
        const mapPoint a = line_.points[prev];
        const mapPoint b = line_.points[cur];
        const bool alongX = std::fabs(b.x - a.x) >= std::fabs(b.y - a.y);
        const float travelled = alongX ? std::fabs(cut.x - a.x) : std::fabs(cut.y - a.y);
        const float length = alongX ? std::fabs(b.x - a.x) : std::fabs(b.y - a.y);
        const float t = length != 0.0f ? travelled / length : 0.0f;
        const float h0 = heightAt(prev);
        return h0 + (heightAt(cur) - h0) * t;
    }

    void addPoint(mapPoint p, float height) {
        part_.points.push_back(p);
        if (hasHeights())
            part_.heights.push_back(height);
    }

    void addCut(mapPoint cut, size_t prev, size_t cur) {
        addPoint(cut, hasHeights() ? heightAtCut(cut, prev, cur) : 0.0f);
    }

    // The running index is 16 bits wide like the references' point index.
    void addVertex(size_t i) {
        const mapNodeRef* ref = refs_.find(static_cast<uint16_t>(i));
        if (ref) {
            mapNodeRef moved = *ref;
            moved.pointIndex = static_cast<uint16_t>(part_.points.size());
            part_.nodeRefs.push_back(moved);
        }
        addPoint(line_.points[i], heightAt(i));
    }

    void emit() {
        if (part_.points.empty())
            return;
        if (!allEqual(part_.points)) {
            parts_.push_back(std::move(part_));
            part_ = LinePart{};
            return;
        }
        part_.points.clear();
        part_.heights.clear();
        part_.nodeRefs.clear();
    }

    const mapPoly& line_;
    std::vector<LinePart>& parts_;
    NodeRefIndex refs_;
    LinePart part_;
};

} // namespace

void clipLineParts(const mapPoly& line, const Rect& rect, std::vector<LinePart>& parts) {
    if (line.points.size() < 2)
        return;
    LineSplitter(line, parts).run(rect);
}

void clipLine(const mapPoly& line, const Rect& rect, std::vector<mapPoly>& parts) {
    std::vector<LinePart> pieces;
    clipLineParts(line, rect, pieces);
    for (LinePart& piece : pieces) {
        parts.push_back(attributesOf(line));
        parts.back().points = std::move(piece.points);
        parts.back().heights = std::move(piece.heights);
        parts.back().nodeRefs = std::move(piece.nodeRefs);
    }
}

// ---------------------------------------------------------------------------
// Polygons
//
// A ring is clipped by four half-planes in turn (x >= x0, y >= y0, x <= x1,
// y <= y1). One stage cuts a ring as follows.
//
// Classification. A vertex is inside when its distance s from the line is
// positive, on the line when s is exactly 0, else outside. For cutting, a
// vertex on the line counts as NOT inside: the ring falls into runs of inside
// vertices, and each run is extended by the two points where the boundary
// meets the line, its entry and its exit: an on-line vertex next to the run,
// or the crossing point of the edge that crosses the line. Everything between
// two runs (outside vertices, on-line vertices, edges along the line) is left
// out and replaced by an edge along the line.
//
// Pairing. Each exit is joined along the line to one entry. The pairing is the
// one the ring would get if the line were moved an infinitesimal distance
// inward: the entries and exits are sorted along the line, equal positions by
// the direction in which the boundary leaves the line, and matched like
// brackets (an exit with the nearest unmatched entry before it, or the other
// way round), which pairs the two ends of every stretch of the line that lies
// inside the polygon. Following the runs from exit to paired entry gives the
// output rings.
//
//        inside (s > 0)
//      +--+  +--+        +----+        +--+ +--+
//      |A |  | B|        | C  |        |D | | E|
//   ===x--x==x--x===  ===+====+===  ===+--p-+--+===   the clipping line (s = 0)
//      |  +--+  |                    (one ring, pinched at p)
//      +--------+
//        outside
//   two rings A, B      one ring C     two rings D, E
//
// A and B hang together below the line only: the boundary between their
// crossing points x is dropped, and each exit is joined to the entry of its
// own piece; the gap between them is never bridged. C's bottom edge lies on
// the line: its corners are its entry and exit, and C comes back whole. D and
// E meet only at the on-line vertex p and come apart. In short:
// - a ring touching the line at one vertex from inside keeps that vertex;
//   one touching it from outside, or lying on it, yields nothing;
// - pieces that meet only at a point of the line, or along the line, become
//   separate rings;
// - on-line vertices between an exit and the entry it is paired with are kept
//   when they lead from one to the other without turning back (the ring's
//   own edge along the line), so a ring inside the rectangle keeps every
//   point; otherwise the exit is joined straight to the entry.
// Consecutive repeated points are merged, and a ring without area (fewer than
// three distinct points, or all on one vertical or horizontal line) is dropped
// after every stage.

namespace {

using PointRing = std::vector<mapPoint>;

bool samePoint(mapPoint a, mapPoint b) {
    return a.x == b.x && a.y == b.y;
}

// Drops consecutive repeats, cyclically.
void mergeRepeats(PointRing& ring) {
    size_t kept = 0;
    for (size_t i = 0; i < ring.size(); ++i) {
        if (kept == 0 || !samePoint(ring[i], ring[kept - 1]))
            ring[kept++] = ring[i];
    }
    while (kept > 1 && samePoint(ring[kept - 1], ring[0]))
        --kept;
    ring.resize(kept);
}

// Fewer than three distinct points, or all on one vertical or horizontal line.
// Such a ring has no area; kept, a sliver on a cut line would become a record.
bool isDegenerate(const PointRing& ring) {
    if (ring.size() < 3)
        return true;
    const mapPoint first = ring.front();
    const mapPoint* second = nullptr;
    bool third = false;
    bool sameX = true;
    bool sameY = true;
    for (const mapPoint& p : ring) {
        sameX = sameX && p.x == first.x;
        sameY = sameY && p.y == first.y;
        if (samePoint(p, first))
            continue;
        if (!second)
            second = &p;
        else if (!samePoint(p, *second))
            third = true;
    }
    return !third || sameX || sameY;
}

// The closed half-plane on the right of the line through `through` with
// direction (dirX, dirY). All four lines are axis-parallel.
struct HalfPlane {
    mapPoint through;
    float dirX;
    float dirY;
    bool vertical;
    // +1 when the inside lies towards larger coordinates, else -1.
    double inward;

    float distance(mapPoint p) const { return (p.x - through.x) * dirY - (p.y - through.y) * dirX; }
    float along(mapPoint p) const { return vertical ? p.y : p.x; }
    double depth(mapPoint p) const {
        const double across = vertical ? p.x : p.y;
        return inward * (across - (vertical ? through.x : through.y));
    }
    mapPoint onLine(float alongValue) const {
        return vertical ? mapPoint{through.x, alongValue} : mapPoint{alongValue, through.y};
    }
};

std::array<HalfPlane, 4> halfPlanesOf(const Rect& rect) {
    const mapPoint lowerLeft{rect.x0, rect.y0};
    const mapPoint upperRight{rect.x1, rect.y1};
    return {{
        {lowerLeft, 0.0f, 1.0f, true, 1.0},
        {lowerLeft, -1.0f, 0.0f, false, 1.0},
        {upperRight, 0.0f, -1.0f, true, -1.0},
        {upperRight, 1.0f, 0.0f, false, -1.0},
    }};
}

// Where the edge prev → cur crosses the line (s of its ends of opposite
// signs). The formula is evaluated as written in f32; since its rounding may
// leave the point an ulp off the line or beyond the edge's ends, the point is
// put on the line and kept within the edge's span: every ring then stays
// inside the closed rectangle and the next stage's tests remain exact.
mapPoint crossingPoint(const HalfPlane& plane, mapPoint prev, mapPoint cur, float sPrev,
                       float sCur) {
    const bool leaving = sPrev > 0.0f;
    const float share = leaving ? sPrev : -sPrev;
    const float whole = leaving ? sPrev - sCur : sCur - sPrev;
    const float from = plane.along(prev);
    const float to = plane.along(cur);
    float along = from + (to - from) * share / whole;
    const float low = std::min(from, to);
    const float high = std::max(from, to);
    if (!(along >= low))
        along = low;
    if (along > high)
        along = high;
    return plane.onLine(along);
}

enum class Side : uint8_t { outside, onLine, inside };

Side sideOf(float distance) {
    if (distance > 0.0f)
        return Side::inside;
    return distance == 0.0f ? Side::onLine : Side::outside;
}

// A maximal run of inside vertices with its entry and exit on the line.
// Positions count from the ring's first vertex that is not inside.
struct InsideRun {
    size_t first = 0;
    size_t last = 0;
    mapPoint entry;
    mapPoint exit;
    // The on-line vertices strictly between the exit and the next run's entry,
    // when the boundary runs straight along the line from one to the other.
    bool hasTail = false;
    size_t tailFirst = 0;
    size_t tailCount = 0;
};

// An entry or exit, sorted along the line.
struct LineEnd {
    double along;
    // How far along the line the boundary moves per unit of depth as it
    // leaves this point: the order of equal positions one step inside.
    double slope;
    uint32_t run;
    bool isExit;
};

// NaN would break the sort's ordering; it only arises from impossible
// coordinates, which may go anywhere but must not corrupt the sort.
double orderKey(double value) {
    return std::isnan(value) ? std::numeric_limits<double>::infinity() : value;
}

bool endsBefore(const LineEnd& a, const LineEnd& b) {
    if (a.along != b.along)
        return a.along < b.along;
    if (a.slope != b.slope)
        return a.slope < b.slope;
    if (a.run != b.run)
        return a.run < b.run;
    return a.isExit < b.isExit;
}

// Buffers kept over all rings and stages of one polygon.
struct StageBuffers {
    std::vector<float> distances;
    std::vector<Side> sides;
    std::vector<InsideRun> runs;
    std::vector<LineEnd> ends;
    std::vector<uint32_t> joinedRun;
    std::vector<uint32_t> openEntries;
    std::vector<uint32_t> openExits;
    std::vector<uint8_t> used;
    // Rings no longer in use, kept with their storage for the next ones.
    std::vector<PointRing> spare;

    PointRing takeRing() {
        if (spare.empty())
            return {};
        PointRing ring = std::move(spare.back());
        spare.pop_back();
        return ring;
    }
    // Only small rings are kept: the many pieces of a cut are small, and
    // keeping every large one would hold memory for nothing.
    void giveBack(PointRing&& ring) {
        constexpr size_t keptCapacity = 1024;
        if (ring.capacity() > keptCapacity)
            return;
        ring.clear();
        spare.push_back(std::move(ring));
    }
};

class RingCutter {
public:
    RingCutter(const HalfPlane& plane, StageBuffers& buffers) : plane_(plane), buf_(buffers) {}

    void cut(PointRing&& ring, std::vector<PointRing>& out) {
        ring_ = &ring;
        const size_t insideCount = classify();
        if (insideCount == ring.size()) {
            out.push_back(std::move(ring));
            return;
        }
        if (insideCount != 0) {
            findRuns();
            pairExitsWithEntries();
            assemble(out);
        }
        buf_.giveBack(std::move(ring));
    }

private:
    size_t size() const { return ring_->size(); }

    size_t indexAt(size_t pos) const {
        const size_t i = start_ + pos;
        return i < size() ? i : i - size();
    }
    mapPoint pointAt(size_t pos) const { return (*ring_)[indexAt(pos)]; }
    Side sideAt(size_t pos) const { return buf_.sides[indexAt(pos)]; }
    float distanceAt(size_t pos) const { return buf_.distances[indexAt(pos)]; }

    // Returns the number of inside vertices; positions start at the first
    // vertex that is not inside.
    size_t classify() {
        buf_.distances.resize(size());
        buf_.sides.resize(size());
        size_t insideCount = 0;
        start_ = size();
        for (size_t i = 0; i < size(); ++i) {
            buf_.distances[i] = plane_.distance((*ring_)[i]);
            buf_.sides[i] = sideOf(buf_.distances[i]);
            if (buf_.sides[i] == Side::inside)
                ++insideCount;
            else if (start_ == size())
                start_ = i;
        }
        return insideCount;
    }

    // The point where the boundary meets the line between the inside vertex at
    // insidePos and its neighbour at linePos, which is not inside.
    mapPoint meetingPoint(size_t linePos, size_t insidePos, bool isExit) const {
        if (sideAt(linePos) == Side::onLine)
            return pointAt(linePos);
        const size_t prev = isExit ? insidePos : linePos;
        const size_t cur = isExit ? linePos : insidePos;
        return crossingPoint(plane_, pointAt(prev), pointAt(cur), distanceAt(prev),
                             distanceAt(cur));
    }

    void findRuns() {
        buf_.runs.clear();
        size_t pos = 1;
        while (pos < size()) {
            if (sideAt(pos) != Side::inside) {
                ++pos;
                continue;
            }
            InsideRun run;
            run.first = pos;
            while (pos < size() && sideAt(pos) == Side::inside)
                ++pos;
            run.last = pos - 1;
            run.entry = meetingPoint(run.first - 1, run.first, false);
            run.exit = meetingPoint(pos, run.last, true);
            buf_.runs.push_back(run);
        }
        for (size_t r = 0; r < buf_.runs.size(); ++r)
            findTail(r);
    }

    // The gap after run r reaches up to the vertex before the next run (the
    // positions wrap round for the last run).
    void findTail(size_t r) {
        InsideRun& run = buf_.runs[r];
        const size_t exitPos = run.last + 1;
        const size_t nextRun = r + 1 < buf_.runs.size() ? r + 1 : 0;
        size_t entryPos = buf_.runs[nextRun].first - 1;
        if (nextRun == 0)
            entryPos += size();
        if (!runsStraightAlongLine(exitPos, entryPos))
            return;
        run.hasTail = true;
        run.tailFirst = exitPos + 1;
        run.tailCount = entryPos > exitPos ? entryPos - exitPos - 1 : 0;
    }

    // All on the line, moving along it in one direction only.
    bool runsStraightAlongLine(size_t fromPos, size_t toPos) const {
        const float from = plane_.along(pointAt(fromPos));
        const float to = plane_.along(pointAt(toPos));
        float previous = from;
        for (size_t pos = fromPos; pos <= toPos; ++pos) {
            if (sideAt(pos) != Side::onLine)
                return false;
            const float here = plane_.along(pointAt(pos));
            const bool forward = to >= from ? here >= previous : here <= previous;
            if (!forward)
                return false;
            previous = here;
        }
        return true;
    }

    LineEnd endOf(uint32_t r, bool isExit) const {
        const InsideRun& run = buf_.runs[r];
        const mapPoint onLine = isExit ? run.exit : run.entry;
        const mapPoint neighbour = pointAt(isExit ? run.last : run.first);
        const double travel = static_cast<double>(plane_.along(neighbour)) - plane_.along(onLine);
        const double depth = plane_.depth(neighbour);
        const double slope = depth > 0.0 ? travel / depth : 0.0;
        return {orderKey(plane_.along(onLine)), orderKey(slope), r, isExit};
    }

    // Bracket matching along the line: at any time only entries or only exits
    // wait, and every run has one of each, so all are matched.
    void pairExitsWithEntries() {
        const uint32_t count = static_cast<uint32_t>(buf_.runs.size());
        buf_.joinedRun.resize(count);
        // A single run's exit can only join its own entry (the usual case of
        // a ring crossing a square's border once each way).
        if (count == 1) {
            buf_.joinedRun[0] = 0;
            return;
        }
        buf_.ends.clear();
        for (uint32_t r = 0; r < count; ++r) {
            buf_.ends.push_back(endOf(r, false));
            buf_.ends.push_back(endOf(r, true));
        }
        std::sort(buf_.ends.begin(), buf_.ends.end(), endsBefore);
        for (uint32_t r = 0; r < count; ++r)
            buf_.joinedRun[r] = r;
        buf_.openEntries.clear();
        buf_.openExits.clear();
        for (const LineEnd& end : buf_.ends)
            matchEnd(end);
    }

    void matchEnd(const LineEnd& end) {
        std::vector<uint32_t>& opposite = end.isExit ? buf_.openEntries : buf_.openExits;
        if (opposite.empty()) {
            (end.isExit ? buf_.openExits : buf_.openEntries).push_back(end.run);
            return;
        }
        const uint32_t exitRun = end.isExit ? end.run : opposite.back();
        const uint32_t entryRun = end.isExit ? opposite.back() : end.run;
        buf_.joinedRun[exitRun] = entryRun;
        opposite.pop_back();
    }

    void assemble(std::vector<PointRing>& out) {
        const size_t count = buf_.runs.size();
        buf_.used.assign(count, 0);
        for (size_t startRun = 0; startRun < count; ++startRun) {
            if (buf_.used[startRun])
                continue;
            PointRing piece = buf_.takeRing();
            for (size_t r = startRun; !buf_.used[r]; r = buf_.joinedRun[r]) {
                buf_.used[r] = 1;
                appendRun(buf_.runs[r], piece);
                const size_t following = r + 1 < count ? r + 1 : 0;
                if (buf_.joinedRun[r] == following)
                    appendTail(buf_.runs[r], piece);
            }
            mergeRepeats(piece);
            if (isDegenerate(piece))
                buf_.giveBack(std::move(piece));
            else
                out.push_back(std::move(piece));
        }
    }

    void appendRun(const InsideRun& run, PointRing& piece) const {
        piece.push_back(run.entry);
        for (size_t pos = run.first; pos <= run.last; ++pos)
            piece.push_back(pointAt(pos));
        piece.push_back(run.exit);
    }

    void appendTail(const InsideRun& run, PointRing& piece) const {
        if (!run.hasTail)
            return;
        for (size_t k = 0; k < run.tailCount; ++k)
            piece.push_back(pointAt(run.tailFirst + k));
    }

    const HalfPlane& plane_;
    StageBuffers& buf_;
    PointRing* ring_ = nullptr;
    size_t start_ = 0;
};

} // namespace

// Leaving out points that cannot change a rectangle's rings.
//
// A point strictly outside one of the four half-planes, and strictly inside
// every earlier one, comes through the earlier stages as it is, next to its
// neighbours, and is dropped by that stage. In a run of such points (all
// dropped by the same stage) only the first and the last matter there: the
// stage's crossings are computed on the edges into and out of the run, and the
// points between are left out with the rest of the run. So the points between
// may be left out from the start, and each stage computes the same points from
// the same points. What else could tell: the test for rings without area,
// which runs on every piece of every stage and sees such a run whole. It only
// asks whether a ring has three distinct points and two distinct x and y
// values, so a few witnesses of the run are kept for it: points that add a
// distinct point (up to three) or a distinct x or y value (up to two).
namespace {

class RingThinner {
public:
    RingThinner(const Rect& rect, const RingBoxes* boxes)
        : rect_(rect), planes_(halfPlanesOf(rect)),
          boxes_(boxes && boxes->usableFor(rect) ? boxes : nullptr) {}

    // `out` receives the ring's points less those that cannot matter; the
    // first point is always kept, so the ring also starts where it did.
    void thin(const mapPoint* points, size_t count, PointRing& out) const {
        out.clear();
        size_t first = 0;
        while (first < count) {
            const uint8_t stage = droppingStage(points[first]);
            const size_t end = stage == 0 ? first + 1 : runEnd(points, count, first, stage);
            keepRun(points, first, end, out);
            first = end;
        }
    }

private:
    // The end of the run of points from `first` that `stage` drops; whole
    // stretches of the ring that lie in the stage's region are passed at once.
    size_t runEnd(const mapPoint* points, size_t count, size_t first, uint8_t stage) const {
        size_t end = first + 1;
        while (end < count) {
            if (boxes_ && end % RingBoxes::stretch == 0) {
                const size_t stretchEnd = std::min(count, end + RingBoxes::stretch);
                if (stageOfStretch(end / RingBoxes::stretch) == stage) {
                    end = stretchEnd;
                    continue;
                }
            }
            if (droppingStage(points[end]) != stage)
                break;
            ++end;
        }
        return end;
    }

    // 1 to 4 for the stage that drops the point when every earlier one keeps
    // it strictly inside; 0 for a point that has to be kept.
    uint8_t droppingStage(mapPoint p) const {
        for (uint8_t k = 0; k < 4; ++k) {
            const Side side = sideOf(planes_[k].distance(p));
            if (side == Side::outside)
                return static_cast<uint8_t>(k + 1);
            if (side == Side::onLine)
                return 0;
        }
        return 0;
    }

    // The stage that drops every point of a stretch, or 0. The boxes hold
    // moderate coordinates only, for which each side test is a comparison.
    uint8_t stageOfStretch(size_t index) const {
        const Box& box = boxes_->box(index);
        if (box.maxX < rect_.x0)
            return 1;
        if (!(box.minX > rect_.x0))
            return 0;
        if (box.maxY < rect_.y0)
            return 2;
        if (!(box.minY > rect_.y0))
            return 0;
        if (box.minX > rect_.x1)
            return 3;
        if (box.maxX < rect_.x1 && box.minY > rect_.y1)
            return 4;
        return 0;
    }

    // Keeps the first and last point of the run [first, end) and its witnesses.
    void keepRun(const mapPoint* points, size_t first, size_t end, PointRing& out) const {
        const size_t last = end - 1;
        out.push_back(points[first]);
        if (last == first)
            return;
        Witnesses seen;
        seen.add(points[first]);
        seen.add(points[last]);
        for (size_t i = first + 1; i < last && !seen.complete(); ++i) {
            if (seen.add(points[i]))
                out.push_back(points[i]);
        }
        out.push_back(points[last]);
    }

    // Up to three distinct points and two distinct x and y values.
    struct Witnesses {
        std::array<mapPoint, 3> points{};
        std::array<float, 2> xs{};
        std::array<float, 2> ys{};
        size_t pointCount = 0;
        size_t xCount = 0;
        size_t yCount = 0;

        bool complete() const { return pointCount == 3 && xCount == 2 && yCount == 2; }

        // Whether p adds to what has been seen.
        bool add(mapPoint p) {
            bool added = false;
            if (pointCount < 3 && !contains(points, pointCount, p, samePoint)) {
                points[pointCount++] = p;
                added = true;
            }
            if (xCount < 2 && !contains(xs, xCount, p.x, sameValue)) {
                xs[xCount++] = p.x;
                added = true;
            }
            if (yCount < 2 && !contains(ys, yCount, p.y, sameValue)) {
                ys[yCount++] = p.y;
                added = true;
            }
            return added;
        }

        static bool sameValue(float a, float b) { return a == b; }

        template <class T, size_t N, class Same>
        static bool contains(const std::array<T, N>& values, size_t count, T value, Same same) {
            for (size_t i = 0; i < count; ++i) {
                if (same(values[i], value))
                    return true;
            }
            return false;
        }
    };

    Rect rect_;
    std::array<HalfPlane, 4> planes_;
    const RingBoxes* boxes_;
};

// Beyond this magnitude a difference of two coordinates could overflow and a
// side test would no longer be a comparison.
constexpr float moderate = 1e30f;

bool isModerate(float value) {
    return value >= -moderate && value <= moderate;
}

} // namespace

RingBoxes::RingBoxes(const mapPoint* points, size_t count) {
    // A box of NaN matches no region: the points of a stretch with a
    // coordinate out of moderation are looked at one by one.
    constexpr float unusable = std::numeric_limits<float>::quiet_NaN();
    boxes.reserve(count / stretch + 1);
    for (size_t first = 0; first < count; first += stretch) {
        const size_t end = std::min(count, first + stretch);
        Box box{points[first].x, points[first].y, points[first].x, points[first].y};
        bool usable = true;
        for (size_t i = first; i < end; ++i) {
            const mapPoint p = points[i];
            usable = usable && isModerate(p.x) && isModerate(p.y);
            box.minX = std::min(box.minX, p.x);
            box.maxX = std::max(box.maxX, p.x);
            box.minY = std::min(box.minY, p.y);
            box.maxY = std::max(box.maxY, p.y);
        }
        boxes.push_back(usable ? box : Box{unusable, unusable, unusable, unusable});
    }
}

bool RingBoxes::usableFor(const Rect& rect) const {
    return isModerate(rect.x0) && isModerate(rect.y0) && isModerate(rect.x1) && isModerate(rect.y1);
}

struct PolygonClipper::Buffers {
    StageBuffers stage;
    std::vector<PointRing> next;
};

PolygonClipper::PolygonClipper(Thinning thinning)
    : buffers(std::make_unique<Buffers>()), thinning(thinning) {}

PolygonClipper::~PolygonClipper() = default;

int32_t PolygonClipper::clip(const mapPoint* points, size_t count, const Rect& rect,
                             std::vector<std::vector<mapPoint>>& rings, const RingBoxes* boxes) {
    StageBuffers& stage = buffers->stage;
    for (PointRing& ring : rings)
        stage.giveBack(std::move(ring));
    rings.clear();
    if (points == nullptr || count == 0)
        return 1;
    PointRing whole = stage.takeRing();
    if (thinning == Thinning::on)
        RingThinner(rect, boxes).thin(points, count, whole);
    else
        whole.assign(points, points + count);
    mergeRepeats(whole);
    if (isDegenerate(whole))
        stage.giveBack(std::move(whole));
    else
        rings.push_back(std::move(whole));
    for (size_t plane = 0; plane < 4; ++plane)
        cutAll(plane, rect, rings);
    return rings.empty() ? 1 : 2;
}

void PolygonClipper::cutAll(size_t plane, const Rect& rect,
                            std::vector<std::vector<mapPoint>>& rings) {
    std::vector<PointRing>& next = buffers->next;
    next.clear();
    const HalfPlane half = halfPlanesOf(rect)[plane];
    for (PointRing& ring : rings)
        RingCutter(half, buffers->stage).cut(std::move(ring), next);
    rings.swap(next);
}

namespace {

bool strictlyInside(const Box& box, const Rect& rect) {
    return box.minX > rect.x0 && box.maxX < rect.x1 && box.minY > rect.y0 && box.maxY < rect.y1;
}

// A line cut to a rectangle it lies inside keeps every point; each point takes
// the first node reference stored for its index, the heights are one per
// point (missing ones 0), and a line whose points are all equal is dropped.
InPlaceCut lineInPlace(mapPoly& line) {
    const size_t count = line.points.size();
    if (count < 2)
        return InPlaceCut::dropped;
    if (allEqual(line.points))
        return InPlaceCut::dropped;
    if (!line.heights.empty())
        line.heights.resize(count, 0.0f);
    std::vector<mapNodeRef> refs;
    {
        const NodeRefIndex index(line.nodeRefs);
        for (size_t i = 0; i < count; ++i) {
            if (const mapNodeRef* ref = index.find(static_cast<uint16_t>(i)))
                refs.push_back(*ref);
        }
    }
    line.nodeRefs = std::move(refs);
    return InPlaceCut::kept;
}

InPlaceCut polygonInPlace(mapPoly& polygon) {
    mergeRepeats(polygon.points);
    if (isDegenerate(polygon.points))
        return InPlaceCut::dropped;
    return InPlaceCut::kept;
}

} // namespace

InPlaceCut cutInPlace(mapPoly& object, PolyKind kind, const Rect& rect) {
    // Indices are renumbered in 16 bits as a line is cut; a longer line is
    // left to the cut itself.
    constexpr size_t renumbered = 65535;
    if (object.points.empty() || !strictlyInside(boundingBox(object.points), rect))
        return InPlaceCut::notInside;
    if (kind == PolyKind::polygon)
        return polygonInPlace(object);
    if (object.points.size() > renumbered)
        return InPlaceCut::notInside;
    return lineInPlace(object);
}

int32_t clipPolygon(const mapPoint* points, size_t count, const Rect& rect,
                    std::vector<std::vector<mapPoint>>& rings) {
    return PolygonClipper().clip(points, count, rect, rings);
}

} // namespace zel
