#include "writer/encode.h"

#include "platform/console.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string_view>
#include <vector>

namespace zel {
namespace {

constexpr int32_t maxTwoByteOffset = 32767;

// How far a finest-level value is shifted to reach `bits`; levels finer than
// the finest are not shifted at all.
int shiftTo(uint8_t bits) {
    return bits >= maxLevelBits ? 0 : maxLevelBits - bits;
}

// An offset from the base point, wrapping at 32 bits like the record's other
// integer arithmetic; computed unsigned so that it cannot overflow.
int32_t offsetFrom(int32_t value, int32_t base) {
    return static_cast<int32_t>(static_cast<uint32_t>(value) - static_cast<uint32_t>(base));
}

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The part of a label a record can hold. A cut through a surrogate pair would
// leave half a character that no reader can show, so the cut moves before it.
std::u16string_view recordLabel(const std::u16string& label) {
    if (label.size() <= layout::maxLabelUnits)
        return label;
    size_t length = layout::maxLabelUnits;
    if (isHighSurrogate(label[length - 1]) && isLowSurrogate(label[length]))
        --length;
    return std::u16string_view(label.data(), length);
}

void putHeader(Bytes& out, uint8_t flags, std::u16string_view label, int32_t type,
               size_t pointCount) {
    putU8(out, flags);
    putU8(out, static_cast<uint8_t>(label.size() * 2));
    putU16(out, static_cast<uint16_t>(static_cast<uint32_t>(type)));
    putU16(out, static_cast<uint16_t>(pointCount));
}

void putLabel(Bytes& out, std::u16string_view label) {
    for (char16_t unit : label)
        putU16(out, unit);
}

void putPoint(Bytes& out, LevelPoint p, LevelPoint base) {
    putOffset(out, offsetFrom(p.x, base.x));
    putOffset(out, offsetFrom(p.y, base.y));
}

// A point on the square's border, as the clipper's cut points are. The
// coordinate across the edge comes from the finest units, shifted down to the
// level (which rounds toward minus infinity); the coordinate along the edge is
// truncated, not rounded.
LevelPoint borderUnits(mapPoint p, uint32_t edges, uint8_t bits) {
    const int shift = shiftTo(bits);
    const double scale = std::ldexp(1.0, bits);
    LevelPoint units;
    if ((edges & (edgeWest | edgeEast)) != 0)
        units.x = roundHalfAway(static_cast<double>(p.x) * unitsPerDegree26) >> shift;
    else
        units.x = truncToI32(scale * static_cast<double>(p.x) / 360.0);
    if ((edges & (edgeSouth | edgeNorth)) != 0)
        units.y = roundHalfAway(static_cast<double>(p.y) * unitsPerDegree26) >> shift;
    else
        units.y = truncToI32(scale * static_cast<double>(p.y) / 360.0);
    return units;
}

void reportBasePoint(LevelPoint base, LevelPoint p) {
    char text[128];
    const int length =
        std::snprintf(text, sizeof text, "Incorrect base point(X/Y): %d/%d for point %d/%d\n",
                      static_cast<int>(base.x), static_cast<int>(base.y), static_cast<int>(p.x),
                      static_cast<int>(p.y));
    if (length > 0)
        platform::printNarrow(std::string_view(text, std::min<size_t>(length, sizeof text - 1)));
}

// The lowest point of a ring: smallest Y, then smallest X, both unsigned; the
// first of equal points.
size_t lowestPoint(const std::vector<LevelPoint>& points) {
    size_t lowest = 0;
    for (size_t i = 1; i < points.size(); ++i) {
        const auto y = static_cast<uint32_t>(points[i].y);
        const auto x = static_cast<uint32_t>(points[i].x);
        const auto lowY = static_cast<uint32_t>(points[lowest].y);
        const auto lowX = static_cast<uint32_t>(points[lowest].x);
        if (y < lowY || (y == lowY && x < lowX))
            lowest = i;
    }
    return lowest;
}

// The turn at the lowest point in 32-bit wrap-around arithmetic: negative for
// a counter-clockwise ring.
int32_t turnAt(LevelPoint prev, LevelPoint low, LevelPoint next) {
    const auto diff = [](int32_t a, int32_t b) {
        return static_cast<uint32_t>(a) - static_cast<uint32_t>(b);
    };
    const uint32_t value =
        diff(next.y, low.y) * diff(prev.x, low.x) - diff(prev.y, low.y) * diff(next.x, low.x);
    return static_cast<int32_t>(value);
}

} // namespace

void putOffset(Bytes& out, int32_t offset) {
    if (offset < 0) {
        putU8(out, 0);
        return;
    }
    if (offset > maxTwoByteOffset) {
        platform::printNarrow("compression error!!!/n");
        offset = maxTwoByteOffset;
    }
    if (offset <= 127) {
        putU8(out, static_cast<uint8_t>(offset));
        return;
    }
    putU8(out, static_cast<uint8_t>((offset >> 8) | 0x80));
    putU8(out, static_cast<uint8_t>(offset & 0xFF));
}

uint32_t edgeFlags(mapPoint p, const Rect& rect) {
    if (p.x < rect.x0 || p.x > rect.x1 || p.y < rect.y0 || p.y > rect.y1)
        return 0;
    uint32_t edges = 0;
    if (p.x == rect.x0)
        edges |= edgeWest;
    else if (p.x == rect.x1)
        edges |= edgeEast;
    if (p.y == rect.y0)
        edges |= edgeSouth;
    else if (p.y == rect.y1)
        edges |= edgeNorth;
    return edges;
}

void encodePoi(Bytes& out, const mapPoi& poi, LevelPoint base, uint8_t bits) {
    const std::u16string_view label = recordLabel(poi.label);
    putHeader(out, layout::recordPoi, label, poi.type, 1);
    putPoint(out, toLevelUnits(poi.pos, bits), base);
    putLabel(out, label);
}

namespace {

// A line record of `line`'s attributes with the given points, heights and
// node references.
void encodeLineRecord(Bytes& out, const mapPoly& line, std::span<const mapPoint> points,
                      std::span<const float> heights, std::span<const mapNodeRef> nodeRefs,
                      const Rect& rect, LevelPoint base, uint8_t bits) {
    const size_t count = std::min(points.size(), layout::maxPartPoints);
    const bool isCut = count < points.size();
    const std::u16string_view label = recordLabel(line.label);

    uint8_t flags = layout::recordLine;
    if (line.roadId != 0)
        flags |= layout::recordRouting;
    if (!heights.empty())
        flags |= layout::recordExtra;
    putHeader(out, flags, label, line.type, count);

    for (size_t i = 0; i < count; ++i) {
        const mapPoint p = points[i];
        const uint32_t edges = edgeFlags(p, rect);
        const LevelPoint units = edges == 0 ? toLevelUnits(p, bits) : borderUnits(p, edges, bits);
        const int32_t dx = offsetFrom(units.x, base.x);
        const int32_t dy = offsetFrom(units.y, base.y);
        if (dx < 0 || dy < 0)
            reportBasePoint(base, units);
        putOffset(out, dx);
        putOffset(out, dy);
    }

    // One height per written point, whatever the heights pass left behind, so
    // that a reader can step through the block by the header's count.
    if ((flags & layout::recordExtra) != 0) {
        for (size_t i = 0; i < count; ++i) {
            const float height = i < heights.size() ? heights[i] : 0.0f;
            putI32(out, truncToI32(static_cast<double>(height)));
        }
    }

    putLabel(out, label);

    if ((flags & layout::recordRouting) != 0) {
        // A node on a point that was cut off would point past the record's end.
        const auto written = [&](const mapNodeRef& ref) {
            return !isCut || ref.pointIndex < count;
        };
        putU32(out, static_cast<uint32_t>(line.roadId));
        putU32(out,
               static_cast<uint32_t>(std::count_if(nodeRefs.begin(), nodeRefs.end(), written)));
        for (const mapNodeRef& ref : nodeRefs) {
            if (!written(ref))
                continue;
            putU16(out, ref.pointIndex);
            putI32(out, ref.nodeId);
            putU16(out, ref.boundary);
        }
    }
}

} // namespace

void encodeLine(Bytes& out, const mapPoly& line, const Rect& rect, LevelPoint base, uint8_t bits) {
    encodeLineRecord(out, line, line.points, line.heights, line.nodeRefs, rect, base, bits);
}

void encodeLine(Bytes& out, const mapPoly& line, const LinePart& part, const Rect& rect,
                LevelPoint base, uint8_t bits) {
    encodeLineRecord(out, line, part.points, part.heights, part.nodeRefs, rect, base, bits);
}

void encodePolygon(Bytes& out, const mapPoly& polygon, LevelPoint base, uint8_t bits) {
    encodePolygon(out, polygon, polygon.points, polygon.floorsHeight, base, bits);
}

void encodePolygon(Bytes& out, const mapPoly& polygon, std::span<const mapPoint> points,
                   int32_t floorsHeight, LevelPoint base, uint8_t bits) {
    const size_t count = std::min(points.size(), layout::maxPartPoints);
    const std::u16string_view label = recordLabel(polygon.label);
    const bool hasFloors = floorsHeight != -1;

    putHeader(out, hasFloors ? layout::recordPolygon | layout::recordExtra : layout::recordPolygon,
              label, polygon.type, count);
    if (hasFloors)
        putU16(out, static_cast<uint16_t>(static_cast<uint32_t>(floorsHeight)));

    // One buffer for every ring, as a level may hold millions of them.
    static thread_local std::vector<LevelPoint> ring;
    ring.clear();
    for (size_t i = 0; i < count; ++i)
        ring.push_back(toLevelUnits(points[i], bits));

    // Rings are stored clockwise (x east, y north) whichever way the map drew
    // them; one or two points have no direction.
    if (ring.size() > 2) {
        const size_t low = lowestPoint(ring);
        const size_t prev = low == 0 ? ring.size() - 1 : low - 1;
        const size_t next = low + 1 == ring.size() ? 0 : low + 1;
        if (turnAt(ring[prev], ring[low], ring[next]) < 0)
            std::reverse(ring.begin(), ring.end());
    }

    for (const LevelPoint& p : ring)
        putPoint(out, p, base);
    putLabel(out, label);
}

} // namespace zel
