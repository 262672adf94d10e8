#include "tools/zeldump/summary.h"

#include "tools/zeldump/text.h"
#include "tools/zeldump/view.h"

#include <cstdio>

namespace zel::dump {
namespace {

std::string num(uint64_t value) {
    return std::to_string(value);
}

std::string maybe(const std::optional<uint64_t>& value) {
    return value ? num(*value) : "?";
}

bool isEmpty(const format::RoutingHeader& h) {
    return h.roadCount == 0 && h.nodeArcCount == 0 && h.adjustmentCount == 0 &&
           h.replacementCount == 0 && h.restrictionCount == 0 && h.externNodeCount == 0 &&
           h.externCostCount == 0;
}

bool isEmpty(const format::AddressHeader& h) {
    return h.countryCount == 0 && h.regionCount == 0 && h.cityCount == 0 && h.stringCount == 0 &&
           h.countryOffset == 0;
}

std::string levelText(const format::Level& level, size_t position) {
    std::string text = "level " + num(position) + " (index " + num(level.index) +
                       "): " + num(level.bits) + " bits, " + num(level.squareSize) + "\" squares";
    const int64_t columns = int64_t{level.c1} - level.c0 + 1;
    const int64_t rows = int64_t{level.r1} - level.r0 + 1;
    text += ", columns " + std::to_string(level.c0) + ".." + std::to_string(level.c1) + ", rows " +
            std::to_string(level.r0) + ".." + std::to_string(level.r1);
    if (columns > 0 && rows > 0)
        text += " (" + num(static_cast<uint64_t>(columns * rows)) + " squares)";
    text += ", " + num(level.blocks.size()) + " with data\n";

    const RecordCounts records = countRecords(level);
    text += "  records: POI " + num(records.pois) + ", polylines " + num(records.lines) +
            ", polygons " + num(records.polygons) + "\n";
    // Upper levels carry bare routing and address headers; "none" says so
    // without a row of zeros.
    const format::RoutingHeader& routing = level.routing.header;
    if (routing.present && isEmpty(routing)) {
        text += "  routing: none\n";
    } else if (routing.present) {
        const RoutingCounts r = routingCounts(level);
        text += "  routing: roads " + num(r.roads) + ", nodes " + num(r.nodes) + ", arcs " +
                maybe(r.arcs) + ", adjustments " + num(r.adjustments) + ", replacements " +
                num(r.replacements) + ", boundary nodes " + num(r.boundaryNodes) +
                ", boundary costs " + maybe(r.boundaryCosts) + " (largest " + num(r.largestCost) +
                "), restrictions " + num(r.restrictions) + "\n";
    }
    const format::AddressHeader& address = level.address.header;
    if (address.present && isEmpty(address)) {
        text += "  address: none\n";
    } else if (address.present) {
        const AddressCounts a = addressCounts(level);
        text += "  address: strings " + num(a.strings) + ", cities " + num(a.cities) +
                ", regions " + num(a.regions) + ", countries " + num(a.countries) + ", objects " +
                maybe(a.objects) + "\n";
    }
    return text;
}

} // namespace

std::string summaryText(const Inspection& inspection, std::optional<uint32_t> level) {
    const format::ZelFile& zel = inspection.zel;
    std::string text = inspection.name + ": " + num(zel.size) + " bytes";
    if (zel.size >= layout::headerSize) {
        text += ", format version " + num(zel.version[0]) + "." + num(zel.version[1]) +
                ", banner " + jsonString(bannerText(zel.banner)) + "\n";
        text +=
            "CRC " + hex32(zel.storedCrc) + " stored, " + hex32(zel.computedCrc) + " computed\n";
        text += "characters: " + num(zel.chars.size()) + "\n";
        text += "levels: " + num(zel.levelCount) + "\n";
    } else {
        text += "\n";
    }
    for (size_t k = 0; k < zel.levels.size(); ++k) {
        if (!level || *level == k)
            text += levelText(zel.levels[k], k);
    }
    if (zel.valid())
        text += "valid\n";
    else
        text += "invalid: " + num(zel.problems.size()) + " problems\n" + problemText(zel.problems);
    if (!zel.warnings.empty())
        text += num(zel.warnings.size()) + " warnings\n" + problemText(zel.warnings);
    return text;
}

std::string problemText(const std::vector<format::Problem>& problems) {
    std::string text;
    for (const format::Problem& p : problems) {
        char offset[48];
        std::snprintf(offset, sizeof offset,
                      "  byte %llu (0x%llX): ", static_cast<unsigned long long>(p.offset),
                      static_cast<unsigned long long>(p.offset));
        text += offset + p.what + "\n";
    }
    return text;
}

} // namespace zel::dump
