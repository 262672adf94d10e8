// Reading a routing section ("BRIF": the 44-byte header and its seven
// sections) back into plain values. Used by the tests of the writer and by
// the inspector; never reads outside the bytes it is given, whatever they
// hold, and lists every rule of the layout they break.
#pragma once

#include "format/records.h"
#include "format/zelfile.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zel::format {

// The road table's record is the one the file reader already decodes.
using RoutingRoad = RoadEntry;

struct RoutingExternNode {
    uint32_t node = 0;
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const RoutingExternNode&) const = default;
};

struct RoutingCost {
    uint32_t zero = 0;
    uint32_t node = 0;
    uint32_t cost = 0;
    bool operator==(const RoutingCost&) const = default;
};

struct RoutingCostList {
    uint32_t node = 0;
    std::vector<RoutingCost> costs;
    bool operator==(const RoutingCostList&) const = default;
};

struct RoutingArc {
    uint32_t road = 0;
    uint32_t target = 0;
    uint32_t length = 0;
    bool operator==(const RoutingArc&) const = default;
};

struct RoutingReplacement {
    uint32_t road = 0;
    uint32_t neighbour = 0;
    uint32_t length = 0;
    uint32_t gate = 0;
    uint32_t arrival = 0;
    bool operator==(const RoutingReplacement&) const = default;
};

struct RoutingAdjustment {
    uint32_t via = 0;
    std::vector<RoutingReplacement> entries;
    bool operator==(const RoutingAdjustment&) const = default;
};

struct RoutingReplacementList {
    uint32_t node = 0;
    std::vector<uint32_t> nodes;
    bool operator==(const RoutingReplacementList&) const = default;
};

struct RoutingRestriction {
    uint32_t node1 = 0;
    uint32_t node2 = 0;
    uint32_t node3 = 0;
    uint32_t road1 = 0;
    uint32_t road2 = 0;
    bool operator==(const RoutingRestriction&) const = default;
};

struct RoutingSection {
    RoutingHeader header;
    // Entry k is road index k + 1.
    std::vector<RoutingRoad> roads;
    std::vector<RoutingExternNode> externNodes;
    std::vector<RoutingCostList> externCosts;
    // Indexed by node; each list as long as its stored count.
    std::vector<std::vector<RoutingArc>> nodeArcs;
    std::vector<RoutingAdjustment> adjustments;
    std::vector<RoutingReplacementList> replacements;
    std::vector<RoutingRestriction> restrictions;
    // Where section 4 (the arc lists) really starts, counted from the end of
    // the header like the header's offsets.
    uint64_t section4Start = 0;
    // True when all seven sections could be read to their stored counts.
    bool complete = false;
    std::vector<Problem> problems;

    bool valid() const { return problems.empty(); }
};

// `baseOffset` is the file offset of bytes[0], for the problems' offsets.
RoutingSection decodeRouting(std::span<const uint8_t> bytes, uint64_t baseOffset = 0);

} // namespace zel::format
