// What the three outputs share: where a record's points lie, how a square
// number splits into column and row, and the counts a level is summed up by.
#pragma once

#include "format/zelfile.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zel::dump {

// A point in level units: the block's base point plus the stored offset.
struct Point {
    int64_t x = 0;
    int64_t y = 0;
};

std::vector<Point> absolutePoints(const format::Block& block, const format::Record& record);

// Degrees as map makers write them: longitudes in -180..180 although the
// file keeps them in 0..360.
double longitude(int64_t units, uint8_t bits);
double latitude(int64_t units, uint8_t bits);

const char* kindName(uint8_t kind);

struct SquarePlace {
    int64_t column = 0;
    int64_t row = 0;
};

// Nothing for a square size that gives no grid (0 or above a full turn).
std::optional<SquarePlace> squarePlace(const format::Level& level, int32_t square);

// The edge of a square in level units.
double squareUnits(const format::Level& level);

struct RecordCounts {
    uint64_t pois = 0;
    uint64_t lines = 0;
    uint64_t polygons = 0;
    uint64_t total() const { return pois + lines + polygons; }
};

RecordCounts countRecords(const format::Level& level);

// The routing counts of a level. The header's counts are always there; the
// totals over the lists are empty when the sections could not all be read.
struct RoutingCounts {
    uint64_t roads = 0;
    uint64_t nodes = 0;
    std::optional<uint64_t> arcs;
    uint64_t adjustments = 0;
    uint64_t replacements = 0;
    uint64_t boundaryNodes = 0;
    uint64_t boundaryCostLists = 0;
    std::optional<uint64_t> boundaryCosts;
    uint64_t largestCost = 0;
    uint64_t restrictions = 0;
};

struct AddressCounts {
    uint64_t strings = 0;
    uint64_t cities = 0;
    uint64_t regions = 0;
    uint64_t countries = 0;
    std::optional<uint64_t> objects;
};

// A file as zeldump reports it: its name and what the main-file reader makes
// of it.
struct Inspection {
    std::string name; // the file name as UTF-8
    format::ZelFile zel;
};

Inspection inspect(std::string name, std::span<const uint8_t> bytes);

RoutingCounts routingCounts(const format::Level& level);
AddressCounts addressCounts(const format::Level& level);

} // namespace zel::dump
