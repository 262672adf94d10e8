// The square grid of a level: squares of `squareSize` seconds of arc from
// longitude 0, latitude 0, numbered row × squaresPerRow + column.
#pragma once

#include "geometry/clip.h"
#include "model/mappolish.h"
#include "writer/encode.h"

#include <cstdint>

namespace zel {

struct SquareRange {
    int32_t c0 = 0;
    int32_t r0 = 0;
    int32_t c1 = 0;
    int32_t r1 = 0;

    int64_t columns() const { return int64_t{c1} - c0 + 1; }
    int64_t rows() const { return int64_t{r1} - r0 + 1; }
};

struct SquareGrid {
    SquareGrid(uint32_t squareSize, uint8_t bits);

    uint32_t squareSize;
    // The edge in degrees.
    float squareDeg;
    // Squares in 360 degrees.
    uint32_t squaresPerRow;
    // The edge in integer level units.
    double squareUnits;
    uint8_t bits;

    // The squares a box touches; a bound exactly on a grid line takes the
    // square beyond it too.
    SquareRange rangeOfBox(const Box& box) const;
    // The square of a point; on a grid line, the squares on both sides.
    SquareRange rangeOfPoint(mapPoint p) const;
    // The square a point of interest goes to: the one on the high side of a
    // grid line it lies on.
    int32_t poiSquare(mapPoint p) const;

    int32_t number(int64_t column, int64_t row) const;
    // Column and row of a square number (floor division, so numbers below
    // zero give the rows south of the equator).
    void columnAndRow(int32_t number, int32_t& column, int32_t& row) const;
    Rect rectangle(int32_t column, int32_t row) const;
    LevelPoint basePoint(int32_t column, int32_t row) const;
};

} // namespace zel
