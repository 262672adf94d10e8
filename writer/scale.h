// Choosing the scale of a level, which fixes the size of the squares it is
// cut into: by the level's resolution bits, or by how densely its points lie.
#pragma once

#include "model/mappolish.h"

#include <cstdint>
#include <string_view>

namespace zel {

struct ScaleRow {
    // Printed after "Detected as: ".
    std::string_view line;
    // Edge of a square in seconds of arc.
    uint32_t squareSize;
};

constexpr size_t scaleRowCount = 16;

const ScaleRow& scaleRowAt(size_t index);

// 26 bits is the finest row, 11 bits and fewer the coarsest.
size_t scaleRowByBits(uint8_t bits);

// Thresholds tested from the coarsest row down, so a density exactly on a
// threshold takes the coarser row; not a number, or infinite, gives row 0.
size_t scaleRowByDensity(double density);

// The cell (0..99) of a point in the level's 10 × 10 density grid, or -1 when
// it falls outside. A grid of zero width (height) puts every point in column
// (row) 0, as such a level has only one column (row) to speak of.
int32_t cellIndex(const mapLevel& level, mapPoint point);

// The largest number of the level's points in one density cell.
uint32_t densestCellCount(const mapLevel& level);

// Points of the densest cell per squared degree of the level's diagonal.
double levelDensity(const mapLevel& level);

} // namespace zel
