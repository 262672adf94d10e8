// The decoder against the example town as the real compiler wrote it: read
// back as its map says, and damaged in the ways the decoder must notice.
#include "format/zelfile.h"

#include "support/example.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace zel::format {
namespace {

using test::ByteVector;

std::string describe(const ZelFile& file) {
    std::string text;
    for (const Problem& p : file.problems)
        text += "  @" + std::to_string(p.offset) + ": " + p.what + "\n";
    return text;
}

bool hasProblem(const std::vector<Problem>& problems, uint64_t offset, std::string_view what) {
    return std::any_of(problems.begin(), problems.end(), [&](const Problem& p) {
        return p.offset == offset && p.what.find(what) != std::string::npos;
    });
}

// The last record of `kind` labelled `label`, with the block it lies in.
std::pair<const Block*, const Record*> find(const Level& level, uint8_t kind,
                                            std::u16string_view label) {
    std::pair<const Block*, const Record*> found = {nullptr, nullptr};
    for (const Block& block : level.blocks) {
        for (const Record& record : block.records) {
            if (record.kind == kind && record.label == label)
                found = {&block, &record};
        }
    }
    return found;
}

TEST(ReadZel, TheExampleDecodesAsItsMapSays) {
    const ZelFile zel = readZel(test::compiledExample().bytes);
    ASSERT_TRUE(zel.valid()) << describe(zel);
    const Level& level = zel.levels.at(0);

    // The café at (45.51075, 12.40210): 2^24 units to the turn on level 0.
    const auto [cafeBlock, cafe] = find(level, layout::recordPoi, u"Caf\u00E9 \u00C9lan");
    ASSERT_NE(cafe, nullptr);
    EXPECT_EQ(cafe->type, 0x2f00);
    EXPECT_EQ(cafeBlock->baseX + cafe->offsets.at(0).dx, 577980);
    EXPECT_EQ(cafeBlock->baseY + cafe->offsets.at(0).dy, 2120955);

    // The bridge east of the square border: height level 1 (32 units) on its
    // middle points, and its last point the map's boundary node 6 (the fifth
    // node once numbered from 0 in the order the roads name them).
    const Record* bridge = find(level, layout::recordLine, u"Old Bridge").second;
    ASSERT_NE(bridge, nullptr);
    EXPECT_EQ(bridge->heights, (std::vector<int32_t>{0, 32, 32, 0}));
    EXPECT_EQ(bridge->nodeRefs, (std::vector<NodeRef>{{3, 4, 1}}));
    // Road entries as RouteParam gives them: speed class, road class plus
    // one, and Mill Lane's one-way flag.
    const auto road = [&](std::u16string_view label) {
        const Record* line = find(level, layout::recordLine, label).second;
        return line != nullptr ? findRoad(level, line->roadId) : nullptr;
    };
    ASSERT_TRUE(road(u"Old Bridge") != nullptr && road(u"Mill Lane") != nullptr);
    EXPECT_EQ(*road(u"Old Bridge"), (RoutingRoad{2, 2, 0, 0}));
    EXPECT_EQ(*road(u"Mill Lane"), (RoutingRoad{1, 1, 1, 0}));
    EXPECT_TRUE(findRoad(level, 0) == nullptr && findRoad(level, 5) == nullptr);
    // The three boundary nodes at their points, 2^26 units to the turn:
    // (45.509, 12.399), (45.508, 12.4035) and (45.514, 12.412).
    EXPECT_EQ(level.routing.externNodes,
              (std::vector<RoutingExternNode>{
                  {0, 2311341, 8483492}, {4, 2312180, 8483306}, {5, 2313764, 8484425}}));

    // The café's house number 12 of Main Street, at the café's position.
    const AddressObject& house = level.address.cities.at(0).houses.at(1).houses.at(1);
    EXPECT_EQ(house.name, u"12");
    EXPECT_EQ(house.x, 12.40210f);
    EXPECT_EQ(house.y, 45.51075f);
}

TEST(ReadZel, EveryTruncationIsReported) {
    const ByteVector& bytes = test::compiledExample().bytes;
    for (size_t size = 0; size < bytes.size(); ++size) {
        const ZelFile file = readZel(std::span(bytes.data(), size));
        ASSERT_FALSE(file.valid()) << size;
        // A cut header is the only thing said, where the bytes end.
        if (size < layout::headerSize) {
            ASSERT_EQ(file.problems.size(), 1u);
            EXPECT_EQ(file.problems[0].offset, size);
        }
    }
}

// Bytes a rule of the layout fixes: any change must be reported even with the
// CRC made right. The level index may repeat (merged files), the square range
// need not be tight; labels, coordinates, types, heights, node references
// and the section contents may take other values.
std::vector<bool> fixedBytes(const ZelFile& zel) {
    std::vector<bool> fixed(zel.size, false);
    const auto mark = [&](uint64_t from, uint64_t to) {
        for (uint64_t i = from; i < to; ++i)
            fixed.at(i) = true;
    };
    mark(0, 4);
    mark(8, layout::headerSize + layout::charHeaderSize);
    for (const Level& level : zel.levels) {
        mark(level.directoryOffset, level.directoryOffset + 4);
        mark(level.directoryOffset + 5, level.directoryOffset + 24);
        mark(level.directoryOffset + 40, level.directoryOffset + 40 + 8 * level.blocks.size());
        for (const Block& block : level.blocks) {
            mark(block.offset, block.offset + layout::blockHeaderSize);
            for (const Record& r : block.records) {
                mark(r.offset, r.offset + 2);     // flags, label length
                mark(r.offset + 4, r.offset + 6); // point count
            }
        }
        mark(level.routingOffset, level.routingOffset + layout::routingHeaderSize);
        mark(level.addressOffset, level.addressOffset + layout::addressHeaderSize);
    }
    return fixed;
}

// The CRC sees every change; with it made right, no change makes the decoder
// read outside the file and every change of a fixed byte is reported.
TEST(ReadZel, EverySingleByteChangeIsReportedOrHarmless) {
    const ByteVector& bytes = test::compiledExample().bytes;
    const std::vector<bool> fixed = fixedBytes(readZel(bytes));
    for (size_t i = 0; i < bytes.size(); ++i) {
        for (uint8_t mask : {0x01, 0x10, 0x80, 0xFF}) {
            ByteVector changed = bytes;
            changed[i] ^= mask;
            EXPECT_FALSE(readZel(changed).valid()) << "byte " << i;
            if (i >= layout::crcOffset && i < layout::crcOffset + 4)
                continue;
            test::fixCrc(changed);
            const bool valid = readZel(changed).valid();
            EXPECT_TRUE(!valid || !fixed[i]) << "byte " << i << " ^ " << int{mask};
        }
    }
}

TEST(ReadZel, DamageIsReportedWhereItLies) {
    const ByteVector& bytes = test::compiledExample().bytes;
    const ZelFile zel = readZel(bytes);
    ASSERT_TRUE(zel.valid());
    const Level& l0 = zel.levels.at(0);
    const Level& l1 = zel.levels.at(1);
    // The west square of level 0 holds polylines only, the first one a road
    // with two nodes and its first offset in two bytes; the east square holds
    // every kind.
    const Block& west = l0.blocks.at(0);
    const Block& east = l0.blocks.at(1);
    const Record& street = west.records.at(0);
    const Record& poi = east.records.at(east.lineCount);
    const Record& polygon = east.records.at(east.lineCount + east.poiCount);
    const Record& twoPoints = l1.blocks.at(0).records.back();
    ASSERT_TRUE(west.poiCount == 0 && east.poiCount > 0 && east.polygonCount > 0 &&
                street.nodeRefs.size() == 2 && street.offsets[0].dx >= 128 &&
                twoPoints.offsets.size() == 2);
    const uint64_t entries = l0.directoryOffset + layout::indexHeaderSize;
    const uint64_t road = street.labelOffset + 2 * street.label.size();
    const uint64_t r0 = l0.routingOffset, a0 = l0.addressOffset;
    const uint64_t roads = r0 + layout::routingHeaderSize;
    const uint64_t nodes = roads + 4 * l0.routing.roads.size();
    const uint64_t costs = roads + l0.routing.header.section3Offset;
    const uint64_t arcs = roads + l0.routing.header.section4Offset;
    const AddressCity& city = l0.address.cities.at(0);
    const uint64_t kinds = city.offset + 1 + 2 * city.name.size() + 8;
    const AddressNode& region = l0.address.regions.at(0);
    const AddressNode& country = l0.address.countries.at(0);
    const uint64_t here = UINT64_MAX; // reported at the changed field

    struct Damage {
        uint64_t at;    // the field changed
        int width;      // its bytes
        uint32_t value; // stored there
        uint64_t reportAt;
        const char* what;
    };
    const Damage damages[] = {
        {2, 1, 'X', 0, "magic"},
        {5, 1, bytes[5] ^ 1u, 4, "CRC"},
        {120, 1, 'X', here, "banner after its text"},
        {448, 4, zel.directoryOffset + 1, here, "directory offset"},
        {456 + 8 + 40, 2, '0', here, "not ascending"},
        {456 + 8 + 8, 2, '/', 456, "lacks the digits 0"},
        {l1.directoryOffset, 1, 'X', here, "BIDX"},
        {l0.directoryOffset + 8, 4, 0x7FFFFFFF, here, "do not fit"},
        {entries + 8, 4, static_cast<uint32_t>(west.square), here, "not ascending"},
        {entries + 8, 4, static_cast<uint32_t>(east.square + 1), here, "outside the level's range"},
        {l1.directoryOffset + 44, 4, west.offset, here, "outside the level's block"},
        {east.offset, 1, 'X', here, "BLCK"},
        {east.offset + 20, 4, static_cast<uint32_t>(east.baseX + 1), here, "base point"},
        {west.offset + 16, 4, west.length - 1, west.records.back().offset, "runs past the end"},
        {west.offset + 8, 4, west.lineCount + 1, east.offset, "block ends after"},
        {east.offset + 4, 4, east.poiCount + 1, polygon.offset, "polygon record where"},
        {street.offset, 1, street.flags | 0x84u, here, "reserved flag"},
        {polygon.offset, 1, polygon.flags | 0x20u, here, "routing flag"},
        {poi.offset + 4, 2, 2, here, "POI record with 2 points"},
        {twoPoints.offset + 4, 2, 1, here, "fewer than 2 points"},
        {street.offset + 6, 1, 0x80, here, "written in two"},
        {poi.offset + 1, 1, bytes[poi.offset + 1] + 1u, here, "odd label length"},
        {poi.labelOffset, 2, 'Z', here, "not in the character"},
        {road, 4, 0, here, "road index 0"},
        {road + 8 + 8, 2, 3, here, "node reference to point 3"},
        {l1.routingOffset + 3, 1, 'X', l1.routingOffset, "BRIF"},
        {r0 + 4, 4, l0.routing.header.section3Offset + 4, here, "section 3 offset"},
        {r0 + 40, 4, l0.routing.header.largestCost + 1, here, "largest cost"},
        {roads, 1, 8, here, "speed class 8 above 7"},
        {nodes + 12, 4, 0, here, "node 0 out of order"},
        {costs + 6, 4, 1, here, "reserved field"},
        {arcs, 1, 0xFF, here, "arc lists run"},
        {arcs + 5, 4, 99, here, "to node 99 beyond"},
        {a0, 1, 'X', here, "BADR"},
        {a0 + 28, 4, 0xFFFF, a0 + 16, "out of order"},
        {a0 + 36, 1, 0xFF, here, "string 0 runs past"},
        {kinds, 4, 2, city.offset, "kind records out of order"},
        {region.offset + 1 + 2 * region.name.size(), 4, 3, region.offset, "claims 3 city"},
        {country.offset + 1 + 2 * country.name.size() + 4, 4, 0, country.offset, "no region"},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        ByteVector changed = bytes;
        for (int k = 0; k < d.width; ++k)
            changed.at(d.at + k) = static_cast<uint8_t>(d.value >> (8 * k));
        if (d.at >= layout::versionOffset) // a changed CRC field is the fault itself
            test::fixCrc(changed);
        const ZelFile file = readZel(changed);
        EXPECT_TRUE(hasProblem(file.problems, d.reportAt == here ? d.at : d.reportAt, d.what))
            << describe(file);
        // Each fault is said once, though the sections' decoders find it.
        std::set<std::pair<uint64_t, std::string>> distinct;
        for (const Problem& p : file.problems)
            distinct.insert({p.offset, p.what});
        EXPECT_EQ(distinct.size(), file.problems.size()) << describe(file);
    }
    ByteVector longer = bytes;
    longer.push_back(0);
    test::fixCrc(longer);
    EXPECT_TRUE(hasProblem(readZel(longer).problems, bytes.size(), "1 bytes after the last level"));
}

} // namespace
} // namespace zel::format
