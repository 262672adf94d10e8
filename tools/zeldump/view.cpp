#include "tools/zeldump/view.h"

#include "format/address.h"
#include "format/routing.h"

#include <algorithm>
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
    const format::RoutingHeader& h = level.routingHeader;
    const format::RoutingTotals& t = level.routingTotals;
    RoutingCounts counts;
    counts.roads = h.roadCount;
    counts.nodes = h.nodeArcCount;
    counts.adjustments = h.adjustmentCount;
    counts.replacements = h.replacementCount;
    counts.boundaryNodes = h.externNodeCount;
    counts.boundaryCostLists = h.externCostCount;
    counts.largestCost = h.largestCost;
    counts.restrictions = h.restrictionCount;
    if (t.walked) {
        counts.arcs = t.arcs;
        counts.boundaryCosts = t.boundaryCostEntries;
    }
    return counts;
}

AddressCounts addressCounts(const Inspection& inspection, size_t position) {
    const format::Level& level = inspection.zel.levels.at(position);
    const format::AddressHeader& h = level.AddressFileHeader;
    AddressCounts counts;
    counts.strings = h.stringCount;
    counts.cities = h.cityCount;
    counts.regions = h.regionCount;
    counts.countries = h.countryCount;
    // The decoder counts the objects written; the cities' kind records also
    // count houses left out for want of their street.
    if (position < inspection.addressObjects.size() && inspection.addressObjects[position])
        counts.objects = inspection.addressObjects[position];
    else if (level.addressTotals.walked)
        counts.objects = level.addressTotals.objects;
    return counts;
}

Inspection inspect(std::string name, std::span<const uint8_t> bytes) {
    Inspection inspection{std::move(name), format::readZel(bytes), {}};
    format::ZelFile& zel = inspection.zel;
    const auto clean = [&](uint64_t begin, uint64_t size) {
        return std::none_of(zel.problems.begin(), zel.problems.end(),
                            [&](const format::Problem& p) {
                                return p.offset >= begin && p.offset - begin <= size;
                            });
    };
    std::vector<format::Problem> found;
    for (const format::Level& level : zel.levels) {
        std::optional<uint64_t> objects;
        if (level.routingHeader.present && level.routingTotals.walked &&
            clean(level.routingOffset, level.routing.size())) {
            const format::RoutingSection routing =
                format::decodeRouting(level.routing, level.routingOffset);
            found.insert(found.end(), routing.problems.begin(), routing.problems.end());
        }
        if (level.AddressFileHeader.present && level.addressTotals.walked &&
            !level.address.empty() && clean(level.addressOffset, level.address.size())) {
            const format::AddressSection address =
                format::readAddressSection(level.address, level.addressOffset);
            found.insert(found.end(), address.problems.begin(), address.problems.end());
            uint64_t count = 0;
            for (const format::AddressCity& city : address.cities) {
                count += city.points.size() + city.streets.size();
                for (const format::AddressStreetHouses& street : city.houses)
                    count += street.houses.size();
            }
            objects = count;
        }
        inspection.addressObjects.push_back(objects);
    }
    zel.problems.insert(zel.problems.end(), found.begin(), found.end());
    // In file order, as one would walk them with a hex viewer.
    std::stable_sort(
        zel.problems.begin(), zel.problems.end(),
        [](const format::Problem& a, const format::Problem& b) { return a.offset < b.offset; });
    return inspection;
}

} // namespace zel::dump
