#include "format/routing.h"

#include "format/bytes.h"
#include "format/layout.h"

#include <algorithm>
#include <string>
#include <tuple>

namespace zel::format {
namespace {

constexpr uint64_t headerSize = layout::routingHeaderSize;

std::string dec(uint64_t value) {
    return std::to_string(value);
}

class RoutingReader {
public:
    RoutingReader(std::span<const uint8_t> bytes, uint64_t baseOffset, RoutingSection& out)
        : bytes(bytes), base(baseOffset), out(out) {}

    void read() {
        if (bytes.size() < headerSize) {
            report(0, "routing data shorter than its " + dec(headerSize) + "-byte header");
            return;
        }
        if (!hasTag(bytes.data(), layout::routingTag))
            report(0, "routing data tag is not \"BRIF\"");
        readHeader();
        in = ByteReader(bytes.subspan(headerSize));
        if (!readRoads() || !readExternNodes() || !readExternCosts())
            return;
        checkLargestCost();
        out.section4Start = in.position();
        if (out.section4Start != out.header.section4Offset) {
            aligned = false;
            report(8, "section 4 offset " + dec(out.header.section4Offset) +
                          ", but section 3 ends at " + dec(out.section4Start));
        }
        if (!readNodeArcs() || !readAdjustments() || !readReplacements() || !readRestrictions())
            return;
        out.complete = true;
        if (in.remaining() != 0) {
            report(headerSize + in.position(),
                   dec(in.remaining()) + " bytes after the last routing section");
            return;
        }
        if (aligned)
            out.problems.insert(out.problems.end(), flaws.begin(), flaws.end());
    }

private:
    void report(uint64_t at, std::string what) {
        out.problems.push_back({base + at, std::move(what)});
    }

    // A fault in an entry's values. Once a count is wrong, every list after
    // it is read from the wrong place and such faults mean nothing, so they
    // are reported only when the sections fill the routing data exactly and
    // start where the header says.
    void flaw(uint64_t at, std::string what) { flaws.push_back({base + at, std::move(what)}); }

    // Where the section reader stands, as an offset into `bytes`.
    uint64_t here() const { return headerSize + in.position(); }

    // A count of elements of at least `minBytes` each that the bytes left
    // cannot hold is reported at the section's start, before reading what
    // lies beyond it; false then.
    bool room(uint32_t count, size_t minBytes, const char* section) {
        if (in.remaining() / minBytes >= count)
            return true;
        report(here(), std::string(section) + " run past the routing data");
        return false;
    }

    // Marks where the next element (an entry, or a list with its count)
    // starts, for the report of one the bytes end inside of.
    void startElement() { elementAt = here(); }

    // Reports a section that the bytes end inside of, at the element cut
    // off; false then.
    bool fits(const char* section) {
        if (in.ok())
            return true;
        report(elementAt, std::string(section) + " run past the routing data");
        return false;
    }

    void readHeader() {
        ByteReader h(bytes.subspan(4, headerSize - 4));
        out.header = readRoutingHeader(h);
        const RoutingHeader& header = out.header;
        const uint64_t section3 =
            4 * uint64_t{header.roadCount} + 12 * uint64_t{header.externNodeCount};
        if (header.section3Offset != section3) {
            aligned = false;
            report(4, "section 3 offset " + dec(header.section3Offset) + ", expected " +
                          dec(section3));
        }
    }

    bool readRoads() {
        if (!room(out.header.roadCount, 4, "roads"))
            return false;
        for (uint32_t i = 0; i < out.header.roadCount && in.ok(); ++i) {
            startElement();
            RoutingRoad road;
            road.speedClass = in.readU8();
            road.roadClass = in.readU8();
            road.roadFlags = in.readU8();
            road.accessFlags = in.readU8();
            if (in.ok() && road.speedClass > 7)
                flaw(here() - 4, "speed class " + dec(road.speedClass) + " above 7");
            if (in.ok())
                out.roads.push_back(road);
        }
        return fits("roads");
    }

    bool readExternNodes() {
        if (!room(out.header.externNodeCount, 12, "boundary nodes"))
            return false;
        for (uint32_t i = 0; i < out.header.externNodeCount && in.ok(); ++i) {
            startElement();
            RoutingExternNode node;
            node.node = in.readU32();
            node.x = in.readI32();
            node.y = in.readI32();
            if (!in.ok())
                break;
            if (!out.externNodes.empty() && out.externNodes.back().node >= node.node)
                flaw(here() - 12, "boundary node " + dec(node.node) + " out of order");
            out.externNodes.push_back(node);
        }
        return fits("boundary nodes");
    }

    bool readExternCosts() {
        if (!room(out.header.externCostCount, 6, "boundary costs"))
            return false;
        for (uint32_t i = 0; i < out.header.externCostCount && in.ok(); ++i) {
            startElement();
            const uint64_t at = here();
            RoutingCostList list;
            list.node = in.readU32();
            const uint16_t count = in.readU16();
            for (uint16_t k = 0; k < count && in.ok(); ++k) {
                RoutingCost cost;
                cost.zero = in.readU32();
                cost.node = in.readU32();
                cost.cost = in.readU32();
                if (!in.ok())
                    break;
                if (cost.zero != 0)
                    flaw(here() - 12, "non-zero reserved field in a boundary cost");
                if (!list.costs.empty() && list.costs.back().node >= cost.node)
                    flaw(here() - 8, "boundary cost to node " + dec(cost.node) + " out of order");
                list.costs.push_back(cost);
            }
            if (!in.ok())
                break;
            if (!out.externCosts.empty() && out.externCosts.back().node >= list.node)
                flaw(at, "boundary cost list of node " + dec(list.node) + " out of order");
            out.externCosts.push_back(std::move(list));
        }
        return fits("boundary costs");
    }

    bool readNodeArcs() {
        if (!room(out.header.nodeArcCount, 1, "arc lists"))
            return false;
        for (uint32_t i = 0; i < out.header.nodeArcCount && in.ok(); ++i) {
            startElement();
            std::vector<RoutingArc> arcs;
            const uint8_t count = in.readU8();
            for (uint8_t k = 0; k < count && in.ok(); ++k) {
                RoutingArc arc;
                arc.road = in.readU32();
                arc.target = in.readU32();
                arc.length = in.readU32();
                if (!in.ok())
                    break;
                if (arc.target >= out.header.nodeArcCount)
                    flaw(here() - 8, "arc of node " + dec(i) + " to node " + dec(arc.target) +
                                         " beyond the " + dec(out.header.nodeArcCount) + " nodes");
                if (!arcs.empty() && std::tie(arcs.back().target, arcs.back().road) >=
                                         std::tie(arc.target, arc.road))
                    flaw(here() - 12, "arc of node " + dec(i) + " out of order");
                arcs.push_back(arc);
            }
            if (!in.ok())
                break;
            out.nodeArcs.push_back(std::move(arcs));
        }
        return fits("arc lists");
    }

    bool readAdjustments() {
        if (!room(out.header.adjustmentCount, 6, "replacement sets"))
            return false;
        for (uint32_t i = 0; i < out.header.adjustmentCount && in.ok(); ++i) {
            startElement();
            const uint64_t at = here();
            RoutingAdjustment adjustment;
            adjustment.via = in.readU32();
            const uint16_t count = in.readU16();
            for (uint16_t k = 0; k < count && in.ok(); ++k) {
                RoutingReplacement entry;
                entry.road = in.readU32();
                entry.neighbour = in.readU32();
                entry.length = in.readU32();
                entry.gate = in.readU32();
                entry.arrival = in.readU32();
                if (!in.ok())
                    break;
                const std::vector<RoutingReplacement>& entries = adjustment.entries;
                if (!entries.empty() && std::tie(entries.back().neighbour, entries.back().road) >=
                                            std::tie(entry.neighbour, entry.road))
                    flaw(here() - 20,
                         "replacement of via node " + dec(adjustment.via) + " out of order");
                adjustment.entries.push_back(entry);
            }
            if (!in.ok())
                break;
            if (!out.adjustments.empty() && out.adjustments.back().via >= adjustment.via)
                flaw(at, "via node " + dec(adjustment.via) + " out of order");
            out.adjustments.push_back(std::move(adjustment));
        }
        return fits("replacement sets");
    }

    bool readReplacements() {
        if (!room(out.header.replacementCount, 6, "secondary nodes"))
            return false;
        for (uint32_t i = 0; i < out.header.replacementCount && in.ok(); ++i) {
            startElement();
            const uint64_t at = here();
            RoutingReplacementList list;
            list.node = in.readU32();
            const uint16_t count = in.readU16();
            for (uint16_t k = 0; k < count && in.ok(); ++k) {
                const uint32_t node = in.readU32();
                if (in.ok())
                    list.nodes.push_back(node);
            }
            if (!in.ok())
                break;
            if (!out.replacements.empty() && out.replacements.back().node >= list.node)
                flaw(at, "secondary node " + dec(list.node) + " out of order");
            out.replacements.push_back(std::move(list));
        }
        return fits("secondary nodes");
    }

    bool readRestrictions() {
        const auto key = [](const RoutingRestriction& r) {
            return std::tie(r.road1, r.road2, r.node1, r.node2, r.node3);
        };
        if (!room(out.header.restrictionCount, 20, "restrictions"))
            return false;
        for (uint32_t i = 0; i < out.header.restrictionCount && in.ok(); ++i) {
            startElement();
            RoutingRestriction r;
            r.node1 = in.readU32();
            r.node2 = in.readU32();
            r.node3 = in.readU32();
            r.road1 = in.readU32();
            r.road2 = in.readU32();
            if (!in.ok())
                break;
            if (!out.restrictions.empty() && key(out.restrictions.back()) > key(r))
                flaw(here() - 20, "restriction out of order");
            out.restrictions.push_back(r);
        }
        return fits("restrictions");
    }

    void checkLargestCost() {
        uint32_t largest = 0;
        for (const RoutingCostList& list : out.externCosts) {
            for (const RoutingCost& cost : list.costs)
                largest = std::max(largest, cost.cost);
        }
        if (largest != out.header.largestCost)
            report(40, "largest cost " + dec(out.header.largestCost) + ", but the costs reach " +
                           dec(largest));
    }

    std::span<const uint8_t> bytes;
    uint64_t base;
    RoutingSection& out;
    ByteReader in;
    uint64_t elementAt = 0;
    bool aligned = true; // sections 3 and 4 start where the header says
    std::vector<Problem> flaws;
};

} // namespace

RoutingHeader readRoutingHeader(ByteReader& in) {
    RoutingHeader h;
    h.present = true;
    h.section3Offset = in.readU32();
    h.section4Offset = in.readU32();
    h.roadCount = in.readU32();
    h.nodeArcCount = in.readU32();
    h.adjustmentCount = in.readU32();
    h.replacementCount = in.readU32();
    h.restrictionCount = in.readU32();
    h.externNodeCount = in.readU32();
    h.externCostCount = in.readU32();
    h.largestCost = in.readU32();
    return h;
}

RoutingSection decodeRouting(std::span<const uint8_t> bytes, uint64_t baseOffset) {
    RoutingSection section;
    RoutingReader(bytes, baseOffset, section).read();
    return section;
}

} // namespace zel::format
