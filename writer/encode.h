// The object records of a square's block: points in integer level units,
// written as offsets from the square's base point, behind a six-byte header.
#pragma once

#include "format/bytes.h"
#include "format/layout.h"
#include "geometry/clip.h"
#include "model/levelunits.h"
#include "model/records.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace zel {

// Edge bits of a point on its square's border.
enum : uint32_t {
    edgeWest = 0x1,
    edgeEast = 0x2,
    edgeSouth = 0x4,
    edgeNorth = 0x8,
};

// One byte for 0..127, two (high byte first, bit 7 set) for 128..32767.
// Negative offsets are written as 0; larger ones are reported and written as
// 32767, so the record stays decodable.
void putOffset(Bytes& out, int32_t offset);

// Which edges of the closed rectangle the point lies on (exact comparisons);
// 0 for a point inside or outside it. West wins over east and south over
// north when the rectangle is degenerate.
uint32_t edgeFlags(mapPoint p, const Rect& rect);

// Each appends one record to `out`; labels longer than a record can carry
// (layout::maxLabelUnits) and parts of more points (layout::maxPartPoints) are
// cut.
void encodePoi(Bytes& out, const mapPoi& poi, LevelPoint base, uint8_t bits);
void encodeLine(Bytes& out, const mapPoly& line, const Rect& rect, LevelPoint base, uint8_t bits);
void encodePolygon(Bytes& out, const mapPoly& polygon, LevelPoint base, uint8_t bits);

// The same records for a piece of an object cut to a square: the piece's own
// points (and heights and node references), the object's other attributes.
void encodeLine(Bytes& out, const mapPoly& line, const LinePart& part, const Rect& rect,
                LevelPoint base, uint8_t bits);
void encodePolygon(Bytes& out, const mapPoly& polygon, std::span<const mapPoint> points,
                   int32_t floorsHeight, LevelPoint base, uint8_t bits);

} // namespace zel
