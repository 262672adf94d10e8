#include "writer/squares.h"

#include "format/layout.h"

#include <algorithm>
#include <cmath>

namespace zel {
namespace {

constexpr double secondsPerDegree = 3600.0;

// Truncation toward zero of a float in the range of the grid, saturated.
int32_t truncated(double value) {
    if (std::isnan(value))
        return 0;
    return static_cast<int32_t>(std::clamp(value, -2147483648.0, 2147483647.0));
}

// Columns and rows stay far from the limits of 32 bits, so that the next
// column or row can always be formed.
constexpr double cellLimit = 1 << 30;

// The grid column (row) of a value: truncated, with one subtracted first for a
// negative value.
int32_t cellOf(float value, float squareDeg) {
    const float cells = value / squareDeg;
    return truncated(
        std::clamp<double>(cells >= 0.0f ? cells : cells - 1.0f, -cellLimit, cellLimit));
}

// Brings the column of a value in line with the squares' own edges, which are
// computed in f32 and can disagree with the quotient near a grid line.
int32_t settledCell(float value, float squareDeg) {
    int32_t c = cellOf(value, squareDeg);
    for (int guard = 0; guard < 4 && static_cast<float>(c) * squareDeg > value; ++guard)
        --c;
    for (int guard = 0; guard < 4 && static_cast<float>(c + 1) * squareDeg < value; ++guard)
        ++c;
    return c;
}

} // namespace

SquareGrid::SquareGrid(uint32_t squareSize, uint8_t bits)
    : squareSize(squareSize), squareDeg(static_cast<float>(squareSize / secondsPerDegree)),
      squaresPerRow(layout::secondsPerTurn / squareSize),
      squareUnits(std::ldexp(1.0, std::min<int>(bits, 62)) * squareSize / secondsPerDegree / 360.0),
      bits(bits) {}

SquareRange SquareGrid::rangeOfBox(const Box& box) const {
    SquareRange r{settledCell(box.minX, squareDeg), settledCell(box.minY, squareDeg),
                  settledCell(box.maxX, squareDeg), settledCell(box.maxY, squareDeg)};
    if (static_cast<float>(r.c0) * squareDeg == box.minX)
        --r.c0;
    if (static_cast<float>(r.r0) * squareDeg == box.minY)
        --r.r0;
    if (static_cast<float>(r.c1 + 1) * squareDeg == box.maxX)
        ++r.c1;
    if (static_cast<float>(r.r1 + 1) * squareDeg == box.maxY)
        ++r.r1;
    return r;
}

SquareRange SquareGrid::rangeOfPoint(mapPoint p) const {
    const int32_t c = settledCell(p.x, squareDeg);
    const int32_t r = settledCell(p.y, squareDeg);
    SquareRange range{c, r, c, r};
    if (static_cast<float>(c) * squareDeg == p.x)
        range.c0 = c - 1;
    else if (static_cast<float>(c + 1) * squareDeg == p.x)
        range.c1 = c + 1;
    if (static_cast<float>(r) * squareDeg == p.y)
        range.r0 = r - 1;
    else if (static_cast<float>(r + 1) * squareDeg == p.y)
        range.r1 = r + 1;
    return range;
}

int32_t SquareGrid::poiSquare(mapPoint p) const {
    const int32_t row = truncated(std::clamp<double>(p.y / squareDeg, -cellLimit, cellLimit)) -
                        (p.y < 0.0f ? 1 : 0);
    const int32_t column = truncated(std::clamp<double>(p.x / squareDeg, -cellLimit, cellLimit));
    return number(column, row);
}

int32_t SquareGrid::number(int64_t column, int64_t row) const {
    return static_cast<int32_t>(static_cast<uint32_t>(row * squaresPerRow + column));
}

void SquareGrid::columnAndRow(int32_t squareNumber, int32_t& column, int32_t& row) const {
    const int64_t perRow = squaresPerRow;
    int64_t r = squareNumber / perRow;
    if (squareNumber % perRow != 0 && squareNumber < 0)
        --r;
    row = static_cast<int32_t>(r);
    column = static_cast<int32_t>(squareNumber - r * perRow);
}

Rect SquareGrid::rectangle(int32_t column, int32_t row) const {
    return {static_cast<float>(column) * squareDeg, static_cast<float>(row) * squareDeg,
            static_cast<float>(column + 1) * squareDeg, static_cast<float>(row + 1) * squareDeg};
}

LevelPoint SquareGrid::basePoint(int32_t column, int32_t row) const {
    // Truncation would put the border points of squares south or west of the
    // origin one unit outside their square; there the base rounds down.
    const auto base = [&](int32_t c) {
        const double v = c * squareUnits - 0.5;
        return truncated(c >= 0 ? v : std::floor(v));
    };
    return {base(column), base(row)};
}

} // namespace zel
