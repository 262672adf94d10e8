#include "tools/zeldump/view.h"

#include <cmath>

namespace zel::dump {
namespace {

double wrapLongitude(double degrees) {
    if (!std::isfinite(degrees))
        return 0;
    double wrapped = std::fmod(degrees, 360.0);
    if (wrapped > 180.0)
        wrapped -= 360.0;
    else if (wrapped <= -180.0)
        wrapped += 360.0;
    return wrapped;
}

} // namespace

std::vector<Point> absolutePoints(const format::Block& block, const format::Record& record) {
    std::vector<Point> points;
    points.reserve(record.offsets.size());
    for (const format::Offset& offset : record.offsets)
        points.push_back({int64_t{block.baseX} + offset.dx, int64_t{block.baseY} + offset.dy});
    return points;
}

double longitude(int64_t units, uint8_t bits) {
    return wrapLongitude(format::unitsToDegrees(units, bits));
}

double latitude(int64_t units, uint8_t bits) {
    return format::unitsToDegrees(units, bits);
}

const char* kindName(uint8_t kind) {
    switch (kind) {
    case layout::recordPoi:
        return "POI";
    case layout::recordLine:
        return "polyline";
    case layout::recordPolygon:
        return "polygon";
    default:
        return "unknown";
    }
}

std::optional<SquarePlace> squarePlace(const format::Level& level, int32_t square) {
    if (level.squareSize == 0 || level.squareSize > layout::secondsPerTurn)
        return std::nullopt;
    const int64_t perRow = layout::secondsPerTurn / level.squareSize;
    int64_t row = square / perRow;
    if (square % perRow != 0 && square < 0)
        --row;
    return SquarePlace{square - row * perRow, row};
}

double squareUnits(const format::Level& level) {
    return std::ldexp(1.0, level.bits) * level.squareSize / 3600.0 / 360.0;
}

RecordCounts countRecords(const format::Level& level) {
    RecordCounts counts;
    for (const format::Block& block : level.blocks) {
        for (const format::Record& record : block.records) {
            if (record.kind == layout::recordPoi)
                ++counts.pois;
            else if (record.kind == layout::recordLine)
                ++counts.lines;
            else if (record.kind == layout::recordPolygon)
                ++counts.polygons;
        }
    }
    return counts;
}

RoutingCounts routingCounts(const format::Level& level) {
    const format::RoutingSection& routing = level.routing;
    const format::RoutingHeader& h = routing.header;
    RoutingCounts counts;
    counts.roads = h.roadCount;
    counts.nodes = h.nodeArcCount;
    counts.adjustments = h.adjustmentCount;
    counts.replacements = h.replacementCount;
    counts.boundaryNodes = h.externNodeCount;
    counts.boundaryCostLists = h.externCostCount;
    counts.largestCost = h.largestCost;
    counts.restrictions = h.restrictionCount;
    if (routing.complete) {
        counts.arcs = 0;
        for (const std::vector<format::RoutingArc>& arcs : routing.nodeArcs)
            *counts.arcs += arcs.size();
        counts.boundaryCosts = 0;
        for (const format::RoutingCostList& list : routing.externCosts)
            *counts.boundaryCosts += list.costs.size();
    }
    return counts;
}

AddressCounts addressCounts(const format::Level& level) {
    const format::AddressSection& address = level.address;
    const format::AddressHeader& h = address.header;
    AddressCounts counts;
    counts.strings = h.stringCount;
    counts.cities = h.cityCount;
    counts.regions = h.regionCount;
    counts.countries = h.countryCount;
    // The objects written: houses left out for want of their street are
    // counted by the cities' kind records but not here.
    if (address.complete) {
        counts.objects = 0;
        for (const format::AddressCity& city : address.cities) {
            *counts.objects += city.points.size() + city.streets.size();
            for (const format::AddressStreetHouses& street : city.houses)
                *counts.objects += street.houses.size();
        }
    }
    return counts;
}

Inspection inspect(std::string name, std::span<const uint8_t> bytes) {
    return {std::move(name), format::readZel(bytes)};
}

} // namespace zel::dump
