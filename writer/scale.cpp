#include "writer/scale.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zel {
namespace {

constexpr std::array<ScaleRow, scaleRowCount> scaleRows = {{
    {"1:10000 (100m)\n", 30},
    {"1:20000 (200m)\n", 45},
    {"1:50000 (500m)\n", 90},
    {"1:100000 (1km)\n", 120},
    {"1:200000 (2km)\n", 360},
    {"1:300000 (3km)\n", 540},
    {"1:500000 (5km)\n", 900},
    {"1:700000 (7km)\n", 1200},
    {"1:1000000 (10km)\n", 1800},
    {"1:1500000 (15km)\n", 2700},
    {"1:2000000 (20km)\n", 3600},
    {"1:3000000 (30km)\n", 5400},
    {"1:4000000 (40km)\n", 7200},
    {"1:5000000 (50km)\n", 9000},
    {"1:20000000 (200km)\n", 36000},
    {"1:50000000 (500km)\n", 108000},
}};

struct DensityThreshold {
    double atMost;
    size_t row;
};

// Rows 5, 7, 9, 11 and 12 have no density band of their own.
constexpr std::array<DensityThreshold, 10> densityThresholds = {{
    {0.1, 15},
    {0.4, 14},
    {1.0, 13},
    {4.0, 10},
    {10.0, 8},
    {40.0, 6},
    {400.0, 4},
    {1600.0, 3},
    {7800.0, 2},
    {16000.0, 1},
}};

constexpr int32_t gridCells = 10;

// The grid cell along one axis: the offset in double over the f32 cell size,
// truncated toward zero, saturated so that no value is out of range.
int64_t cellAlong(float value, float origin, float cellSize) {
    if (cellSize == 0.0f)
        return 0;
    const double cells = (static_cast<double>(value) - origin) / cellSize;
    if (std::isnan(cells))
        return -1;
    return static_cast<int64_t>(std::clamp(cells, -1e9, 1e9));
}

float cellSize(float min, float max) {
    const float extent = max - min;
    return static_cast<float>(extent / 10.0);
}

} // namespace

const ScaleRow& scaleRowAt(size_t index) {
    return scaleRows[index];
}

size_t scaleRowByBits(uint8_t bits) {
    return static_cast<size_t>(26 - std::clamp<int>(bits, 11, 26));
}

size_t scaleRowByDensity(double density) {
    for (const DensityThreshold& t : densityThresholds) {
        if (density <= t.atMost)
            return t.row;
    }
    return 0;
}

int32_t cellIndex(const mapLevel& level, mapPoint point) {
    const Box& box = level.bbox;
    const int64_t column = cellAlong(point.x, box.minX, cellSize(box.minX, box.maxX));
    const int64_t row = cellAlong(point.y, box.minY, cellSize(box.minY, box.maxY));
    const int64_t index = column + gridCells * row;
    return index < 0 || index >= gridCells * gridCells ? -1 : static_cast<int32_t>(index);
}

uint32_t densestCellCount(const mapLevel& level) {
    std::array<uint32_t, gridCells * gridCells> counts{};
    const auto count = [&](mapPoint p) {
        const int32_t cell = cellIndex(level, p);
        if (cell >= 0)
            ++counts[static_cast<size_t>(cell)];
    };
    for (const mapPoi& poi : level.pois)
        count(poi.pos);
    for (const std::vector<mapPoly>* objects : {&level.lines, &level.polygons}) {
        for (const mapPoly& poly : *objects) {
            for (const mapPoint& p : poly.points)
                count(p);
        }
    }
    return *std::max_element(counts.begin(), counts.end());
}

double levelDensity(const mapLevel& level) {
    const float dx = level.bbox.maxX - level.bbox.minX;
    const float dy = level.bbox.maxY - level.bbox.minY;
    return static_cast<double>(densestCellCount(level)) /
           (static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
}

} // namespace zel
