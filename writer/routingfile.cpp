#include "writer/routingfile.h"

#include "format/layout.h"

#include <algorithm>
#include <span>
#include <tuple>
#include <vector>

namespace zel {
namespace {

// Counts inside a section are stored in fields narrower than the real sizes:
// the low bits are kept, and all the elements are still written.
uint8_t count8(size_t count) {
    return static_cast<uint8_t>(count & 0xFF);
}

uint16_t count16(size_t count) {
    return static_cast<uint16_t>(count & 0xFFFF);
}

uint32_t count32(uint64_t count) {
    return static_cast<uint32_t>(count & 0xFFFFFFFF);
}

// Bytes of the boundary cost table: 6 per boundary node with costs, 12 per
// cost.
uint64_t externCostTableSize(const cRouteInfo& routeInfo) {
    uint64_t size = 0;
    for (const auto& [node, costs] : routeInfo.externCosts)
        size += 6 + 12 * uint64_t{costs.size()};
    return size;
}

// The largest boundary cost; 0 when there is none.
uint32_t largestExternCost(const cRouteInfo& routeInfo) {
    uint32_t largest = 0;
    for (const auto& [node, costs] : routeInfo.externCosts) {
        for (const mapExternCost& cost : costs)
            largest = std::max(largest, cost.cost);
    }
    return largest;
}

// Road index 0 is "no road" and has nothing to route on: the road table
// starts at road index 1, so entry k is road index k + 1.
std::span<const mapRoadParams> writtenRoads(const cRouteInfo& routeInfo) {
    std::span<const mapRoadParams> roads = routeInfo.roads;
    return roads.empty() ? roads : roads.subspan(1);
}

void putHeader(Bytes& out, const cRouteInfo& routeInfo, size_t restrictionCount) {
    const uint64_t section3Offset =
        4 * uint64_t{writtenRoads(routeInfo).size()} + 12 * uint64_t{routeInfo.externNodes.size()};
    const uint64_t section4Offset = section3Offset + externCostTableSize(routeInfo);
    putTag(out, layout::routingTag);
    putU32(out, count32(section3Offset));
    putU32(out, count32(section4Offset));
    putU32(out, count32(writtenRoads(routeInfo).size()));
    putU32(out, count32(routeInfo.nodeArcs.size()));
    putU32(out, count32(routeInfo.adjustments.size()));
    putU32(out, count32(routeInfo.replacements.size()));
    putU32(out, count32(restrictionCount));
    putU32(out, count32(routeInfo.externNodes.size()));
    putU32(out, count32(routeInfo.externCosts.size()));
    putU32(out, largestExternCost(routeInfo));
}

void putRoads(Bytes& out, const cRouteInfo& routeInfo) {
    for (const mapRoadParams& road : writtenRoads(routeInfo)) {
        putU8(out, speedClass(road.speed));
        putU8(out, road.roadClass);
        putU8(out, road.roadFlags);
        putU8(out, road.accessFlags);
    }
}

void putExternNodes(Bytes& out, const cRouteInfo& routeInfo) {
    for (const auto& [node, position] : routeInfo.externNodes) {
        putU32(out, node);
        putI32(out, position.x);
        putI32(out, position.y);
    }
}

void putExternCosts(Bytes& out, const cRouteInfo& routeInfo) {
    for (const auto& [node, costs] : routeInfo.externCosts) {
        putU32(out, node);
        putU16(out, count16(costs.size()));
        for (const mapExternCost& cost : costs) {
            putU32(out, cost.zero);
            putU32(out, cost.node);
            putU32(out, cost.cost);
        }
    }
}

void putNodeArcs(Bytes& out, const cRouteInfo& routeInfo) {
    for (const std::vector<mapArc>& arcs : routeInfo.nodeArcs) {
        putU8(out, count8(arcs.size()));
        for (const mapArc& arc : arcs) {
            putU32(out, arc.road);
            putU32(out, arc.target);
            putU32(out, arc.length);
        }
    }
}

void putAdjustments(Bytes& out, const cRouteInfo& routeInfo) {
    for (const auto& [via, set] : routeInfo.adjustments) {
        putU32(out, via);
        putU16(out, count16(set.size()));
        for (const mapReplacement& entry : set) {
            putU32(out, entry.road);
            putU32(out, entry.neighbour);
            putU32(out, entry.length);
            putU32(out, entry.gate);
            putU32(out, entry.arrival);
        }
    }
}

void putReplacements(Bytes& out, const cRouteInfo& routeInfo) {
    const NodeLists& replacements = routeInfo.replacements;
    for (uint32_t node = 0; node < replacements.nodeBound(); ++node) {
        if (!replacements.contains(node))
            continue;
        putU32(out, node);
        putU16(out, count16(replacements.countOf(node)));
        replacements.forEach(node, [&](uint32_t original) { putU32(out, original); });
    }
}

// Sorted by (first road, second road, nodes in order), all unsigned, so a
// reader can find the restrictions of a road by binary search.
void putRestrictions(Bytes& out, std::vector<mapRestriction> restrictions) {
    const auto key = [](const mapRestriction& r) {
        return std::tuple{static_cast<uint32_t>(r.road1), static_cast<uint32_t>(r.road2),
                          static_cast<uint32_t>(r.node1), static_cast<uint32_t>(r.node2),
                          static_cast<uint32_t>(r.node3)};
    };
    std::stable_sort(
        restrictions.begin(), restrictions.end(),
        [&](const mapRestriction& a, const mapRestriction& b) { return key(a) < key(b); });
    for (const mapRestriction& r : restrictions) {
        for (int32_t field : {r.node1, r.node2, r.node3, r.road1, r.road2})
            putI32(out, field);
    }
}

} // namespace

uint8_t speedClass(uint8_t speed) {
    constexpr uint8_t limits[] = {5, 20, 40, 60, 80, 90, 110};
    uint8_t result = 0;
    while (result < std::size(limits) && speed > limits[result])
        ++result;
    return result;
}

Bytes routingFile(const cMapPolish& map, uint32_t levelIndex) {
    const cRouteInfo& routeInfo = map.routeInfo;
    Bytes out;
    if (levelIndex != 0) {
        // Sized first: GCC 12 at -O3 otherwise warns, wrongly, that growing
        // the buffer after the tag writes out of bounds.
        out.reserve(layout::routingHeaderSize);
        putTag(out, layout::routingTag);
        out.resize(layout::routingHeaderSize, 0);
        return out;
    }
    putHeader(out, routeInfo, map.tempRestrictions.size());
    putRoads(out, routeInfo);
    putExternNodes(out, routeInfo);
    putExternCosts(out, routeInfo);
    putNodeArcs(out, routeInfo);
    putAdjustments(out, routeInfo);
    putReplacements(out, routeInfo);
    putRestrictions(out, map.tempRestrictions);
    return out;
}

} // namespace zel
