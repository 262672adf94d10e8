// Reading a routing section ("BRIF": the 44-byte header and its seven
// sections) back into plain values. Used by the main-file reader, the tests
// of the writer and the inspector; never reads outside the bytes it is given,
// whatever they hold, and lists every rule of the layout they break. The
// values of the entries are judged only when the sections start where the
// header says and fill the bytes exactly: after a wrong count they are read
// from the wrong place.
#pragma once

#include "format/bytes.h"
#include "format/records.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zel::format {

// The header's fields in file order.
struct RoutingHeader {
    bool present = false;
    uint32_t section3Offset = 0;
    uint32_t section4Offset = 0;
    uint32_t roadCount = 0;
    uint32_t nodeArcCount = 0;
    uint32_t adjustmentCount = 0;
    uint32_t replacementCount = 0;
    uint32_t restrictionCount = 0;
    uint32_t externNodeCount = 0;
    uint32_t externCostCount = 0;
    uint32_t largestCost = 0;
};

// The fields after the tag, as `in` reads them; the header is marked present.
RoutingHeader readRoutingHeader(ByteReader& in);

// One entry of the road table (section 1).
struct RoutingRoad {
    uint8_t speedClass = 0;
    uint8_t roadClass = 0;
    uint8_t roadFlags = 0;
    uint8_t accessFlags = 0;
    bool operator==(const RoutingRoad&) const = default;
};

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
    // Entry k is road index k + 1, as road index 0 ("no road") has none.
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
