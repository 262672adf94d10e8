// The object records of a square's block: points in integer level units,
// written as offsets from the square's base point, behind a six-byte header.
#pragma once

#include "reader/model.h"
#include "writer/bytes.h"
#include "writer/clip.h"

#include <cstddef>
#include <cstdint>

namespace zel {

// A position in level units: degrees × 2^bits / 360.
struct mapLevelPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// The finest resolution a level can have; coarser levels divide its units by
// powers of two.
constexpr uint8_t maxLevelBits = 26;

// What one record can carry: the label length is one byte of byte count and
// the point count a u16. Longer labels and parts are cut to these.
constexpr size_t maxLabelUnits = 127;
constexpr size_t maxPartPoints = 65535;

// Record kinds and flags of the header's first byte.
enum : uint8_t {
    recordPoi = 0x01,
    recordLine = 0x02,
    recordPolygon = 0x03,
    recordRouting = 0x20,
    recordExtra = 0x40,
};

// Edge bits of a point on its square's border.
enum : uint32_t {
    edgeWest = 0x1,
    edgeEast = 0x2,
    edgeSouth = 0x4,
    edgeNorth = 0x8,
};

// Scaled in f64 and rounded half away from zero; values beyond i32 saturate.
mapLevelPoint toLevelUnits(mapPoint p, uint8_t bits);

// One byte for 0..127, two (high byte first, bit 7 set) for 128..32767.
// Negative offsets are written as 0; larger ones are reported and written as
// 32767, so the record stays decodable.
void putOffset(Bytes& out, int32_t offset);

// Which edges of the closed rectangle the point lies on (exact comparisons);
// 0 for a point inside or outside it. West wins over east and south over
// north when the rectangle is degenerate.
uint32_t edgeFlags(mapPoint p, const mapRect& rect);

// Each appends one record to `out`.
void encodePoi(Bytes& out, const mapPoi& poi, mapLevelPoint base, uint8_t bits);
void encodeLine(Bytes& out, const mapPoly& line, const mapRect& rect, mapLevelPoint base,
                uint8_t bits);
void encodePolygon(Bytes& out, const mapPoly& polygon, mapLevelPoint base, uint8_t bits);

} // namespace zel
