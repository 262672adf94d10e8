#include "format/zelfile.h"
#include "support/zelsample.h"

#include "format/bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

namespace zel::format {
namespace {

// ---- Building small main files byte by byte ----

struct Pt {
    int32_t dx, dy;
};

void putOffset(Bytes& out, int32_t value) {
    if (value < 128) {
        putU8(out, static_cast<uint8_t>(value));
    } else {
        putU8(out, static_cast<uint8_t>(0x80 | (value >> 8)));
        putU8(out, static_cast<uint8_t>(value & 0xFF));
    }
}

void putLabel(Bytes& out, std::u16string_view label) {
    for (char16_t c : label)
        putU16(out, c);
}

void putHeader(Bytes& out, uint8_t flags, std::u16string_view label, uint16_t type, size_t points) {
    putU8(out, flags);
    putU8(out, static_cast<uint8_t>(2 * label.size()));
    putU16(out, type);
    putU16(out, static_cast<uint16_t>(points));
}

Bytes poiRecord(uint16_t type, std::u16string_view label, Pt p) {
    Bytes out;
    putHeader(out, 0x01, label, type, 1);
    putOffset(out, p.dx);
    putOffset(out, p.dy);
    putLabel(out, label);
    return out;
}

Bytes lineRecord(uint16_t type, std::u16string_view label, const std::vector<Pt>& points,
                 const std::vector<int32_t>& heights = {}, uint32_t roadId = 0,
                 const std::vector<NodeRef>& refs = {}) {
    Bytes out;
    const uint8_t flags = 0x02 | (roadId != 0 ? 0x20 : 0) | (heights.empty() ? 0 : 0x40);
    putHeader(out, flags, label, type, points.size());
    for (Pt p : points) {
        putOffset(out, p.dx);
        putOffset(out, p.dy);
    }
    for (int32_t h : heights)
        putI32(out, h);
    putLabel(out, label);
    if (roadId != 0) {
        putU32(out, roadId);
        putU32(out, static_cast<uint32_t>(refs.size()));
        for (const NodeRef& r : refs) {
            putU16(out, r.pointIndex);
            putI32(out, r.nodeId);
            putU16(out, r.boundary);
        }
    }
    return out;
}

Bytes polygonRecord(uint16_t type, std::u16string_view label, const std::vector<Pt>& points,
                    std::optional<uint16_t> floors = std::nullopt) {
    Bytes out;
    putHeader(out, floors ? 0x43 : 0x03, label, type, points.size());
    if (floors)
        putU16(out, *floors);
    for (Pt p : points) {
        putOffset(out, p.dx);
        putOffset(out, p.dy);
    }
    putLabel(out, label);
    return out;
}

Bytes bareRouting() {
    Bytes out;
    putTag(out, "BRIF");
    out.resize(44, 0);
    return out;
}

Bytes bareAddress() {
    Bytes out;
    putTag(out, "BADR");
    out.resize(36, 0);
    return out;
}

struct TestBlock {
    int32_t square, baseX, baseY;
    std::vector<Bytes> lines, pois, polygons;
};

struct TestLevel {
    uint8_t index, bits;
    uint32_t squareSize;
    int32_t c0, r0, c1, r1;
    std::vector<TestBlock> blocks;
    Bytes routing = bareRouting();
    Bytes address = bareAddress();
};

// Where the builder put things, so that a test can aim at a field.
struct Built {
    Bytes bytes;
    std::vector<uint64_t> levelAt, routingAt, addressAt;
    std::vector<std::vector<uint64_t>> blockAt;
    std::vector<std::vector<std::vector<uint64_t>>> recordAt; // in file order
    uint64_t entryAt(size_t level, size_t block) const { return levelAt[level] + 40 + 8 * block; }
};

Built build(std::u16string_view chars, const std::vector<TestLevel>& levels) {
    Built b;
    Bytes& out = b.bytes;
    out.assign(456, 0);
    const uint8_t magic[] = {0x5A, 0x45, 0x4C, 0x1A};
    std::copy(std::begin(magic), std::end(magic), out.begin());
    out[9] = 9;
    const std::string banner = "mp2zel map compiler";
    std::copy(banner.begin(), banner.end(), out.begin() + 78);
    const auto charBytes = static_cast<uint32_t>(2 * chars.size());
    setU32(out.data() + 444, static_cast<uint32_t>(levels.size()));
    setU32(out.data() + 448, 464 + charBytes);
    setU32(out.data() + 452, 456);
    putTag(out, "BCHR");
    putU16(out, static_cast<uint16_t>(charBytes));
    putU16(out, 0);
    putLabel(out, chars);

    uint64_t data = out.size();
    for (const TestLevel& level : levels)
        data += 40 + 8 * level.blocks.size();
    Bytes body;
    for (const TestLevel& level : levels) {
        b.levelAt.push_back(out.size());
        b.blockAt.emplace_back();
        b.recordAt.emplace_back();
        Bytes blocks;
        std::vector<uint32_t> offsets;
        for (const TestBlock& block : level.blocks) {
            const uint64_t at = data + body.size() + blocks.size();
            offsets.push_back(static_cast<uint32_t>(at));
            b.blockAt.back().push_back(at);
            b.recordAt.back().emplace_back();
            Bytes records;
            for (const auto* group : {&block.lines, &block.pois, &block.polygons}) {
                for (const Bytes& r : *group) {
                    b.recordAt.back().back().push_back(at + 28 + records.size());
                    records.insert(records.end(), r.begin(), r.end());
                }
            }
            putTag(blocks, "BLCK");
            putU32(blocks, static_cast<uint32_t>(block.pois.size()));
            putU32(blocks, static_cast<uint32_t>(block.lines.size()));
            putU32(blocks, static_cast<uint32_t>(block.polygons.size()));
            putU32(blocks, static_cast<uint32_t>(records.size()));
            putI32(blocks, block.baseX);
            putI32(blocks, block.baseY);
            blocks.insert(blocks.end(), records.begin(), records.end());
        }
        const uint64_t routingAt = data + body.size() + blocks.size();
        const uint64_t addressAt = routingAt + level.routing.size();
        b.routingAt.push_back(routingAt);
        b.addressAt.push_back(addressAt);
        putTag(out, "BIDX");
        putU8(out, level.index);
        putU8(out, level.bits);
        putU16(out, 0);
        putU32(out, static_cast<uint32_t>(level.blocks.size()));
        putU32(out, level.squareSize);
        putU32(out, static_cast<uint32_t>(routingAt));
        putU32(out, static_cast<uint32_t>(addressAt));
        for (int32_t v : {level.c0, level.r0, level.c1, level.r1})
            putI32(out, v);
        for (size_t i = 0; i < level.blocks.size(); ++i) {
            putI32(out, level.blocks[i].square);
            putU32(out, offsets[i]);
        }
        body.insert(body.end(), blocks.begin(), blocks.end());
        body.insert(body.end(), level.routing.begin(), level.routing.end());
        body.insert(body.end(), level.address.begin(), level.address.end());
    }
    out.insert(out.end(), body.begin(), body.end());
    test::fixCrc(out);
    return b;
}

const std::u16string digits = u"0123456789";

// Two levels. Level 0: one-degree squares at 26 bits, two blocks in row 45;
// its routing and address sections carry data. Level 1: ten-degree squares at
// 22 bits, one block south of the equator, bare routing and address headers.
// Base points: column c of squareUnits u gives trunc(c*u - 0.5), a negative
// row floor(row*u - 0.5); u = 186413.5111 (level 0), 116508.4444 (level 1).
const std::u16string sampleChars = u" 0123456789CMPSaefiknrt\u00E9";

// Level 0's routing data, at these offsets from its start: the header; two
// roads at 44; boundary nodes 0 and 2 at 52 and 64; their cost lists at 76 and
// 94 (section 3 at 32 past the header), one entry each; the arc lists of nodes
// 0, 1 and 2 at 112, 125 and 150 (section 4 at 68); one adjustment at 163; one
// replacement list at 189; two restrictions at 203 and 223; 243 bytes.
Bytes sampleRouting() {
    Bytes out;
    putTag(out, "BRIF");
    for (uint32_t v : {32u, 68u, 2u, 3u, 1u, 1u, 2u, 2u, 2u, 150u})
        putU32(out, v);
    for (uint8_t v : {3, 2, 0, 0, 1, 0, 1, 0})
        putU8(out, v);
    for (uint32_t v : {0u, 1000u, 2000u, 2u, 1010u, 2000u})
        putU32(out, v);
    for (uint32_t node : {0u, 2u}) {
        putU32(out, node);
        putU16(out, 1);
        for (uint32_t v : {0u, 2u - node, 150u})
            putU32(out, v);
    }
    const std::vector<std::vector<uint32_t>> arcs = {
        {1, 1, 100}, {1, 0, 100, 2, 2, 50}, {2, 1, 50}};
    for (const std::vector<uint32_t>& list : arcs) {
        putU8(out, static_cast<uint8_t>(list.size() / 3));
        for (uint32_t v : list)
            putU32(out, v);
    }
    putU32(out, 1); // via node 1, one replacement
    putU16(out, 1);
    for (uint32_t v : {1u, 0u, 100u, 3u, 4u})
        putU32(out, v);
    putU32(out, 3); // secondary node 3 stands for nodes 4 and 5
    putU16(out, 2);
    putU32(out, 4);
    putU32(out, 5);
    for (uint32_t v : {0u, 1u, 2u, 1u, 2u, 2u, 1u, 0u, 2u, 1u}) // by roads, then nodes
        putU32(out, v);
    return out;
}

std::vector<TestLevel> sampleLevels() {
    TestLevel level0{0, 26, 3600, 10, 45, 11, 45, {}};
    TestBlock first{16210, 1864134, 8388607, {}, {}, {}};
    first.lines.push_back(lineRecord(0x0401, u"Main St", {{0, 5}, {127, 128}, {300, 32767}},
                                     {10, -3, 7}, 12, {{0, 4, 0}, {2, -9, 1}}));
    first.pois.push_back(poiRecord(0x2C00, u"Caf\u00E9", {200, 3}));
    first.polygons.push_back(polygonRecord(0x13, u"Park", {{1, 1}, {9, 1}, {9, 9}}, 20));
    TestBlock second{16211, 2050548, 8388607, {}, {}, {}};
    second.pois.push_back(poiRecord(0x6400, u"", {0, 0}));
    level0.blocks = {first, second};

    level0.routing = sampleRouting();
    level0.address = test::sampleAddressSection();

    TestLevel level1{1, 22, 36000, 0, -1, 1, 0, {}};
    TestBlock south{-35, 116507, -116509, {}, {}, {}};
    south.lines.push_back(lineRecord(0x0001, u"", {{3, 4}, {5, 6}}));
    south.polygons.push_back(polygonRecord(0x50, u"", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}));
    level1.blocks = {south};
    return {level0, level1};
}

Built sample() {
    return build(sampleChars, sampleLevels());
}

std::string describe(const ZelFile& file) {
    std::string text;
    for (const Problem& p : file.problems)
        text += "  @" + std::to_string(p.offset) + ": " + p.what + "\n";
    return text;
}

bool hasProblem(const ZelFile& file, uint64_t offset, std::string_view what) {
    return std::any_of(file.problems.begin(), file.problems.end(), [&](const Problem& p) {
        return p.offset == offset && p.what.find(what) != std::string::npos;
    });
}

// ---- Whole files ----

TEST(ReadZel, ValidFileDecodesCompletely) {
    const Built b = sample();
    const ZelFile file = readZel(b.bytes);
    ASSERT_TRUE(file.valid()) << describe(file);
    EXPECT_EQ(file.banner, "mp2zel map compiler");
    EXPECT_EQ(file.version[0], 0);
    EXPECT_EQ(file.version[1], 9);
    EXPECT_EQ(file.chars, sampleChars);
    EXPECT_EQ(file.storedCrc, file.computedCrc);
    ASSERT_EQ(file.levels.size(), 2u);

    const Level& l0 = file.levels[0];
    EXPECT_EQ(l0.bits, 26);
    EXPECT_EQ(l0.squareSize, 3600u);
    EXPECT_EQ(l0.dataOffset, 456u + 8 + 2 * sampleChars.size() + 40 + 16 + 40 + 8);
    EXPECT_EQ(l0.routingOffset, b.routingAt[0]);
    EXPECT_EQ(l0.routingBytes, 243u);
    const RoutingSection& routing = l0.routing;
    EXPECT_TRUE(routing.complete);
    EXPECT_EQ(routing.header.largestCost, 150u);
    ASSERT_EQ(routing.roads.size(), 2u);
    EXPECT_EQ(routing.roads[1].roadFlags, 1);
    EXPECT_EQ(findRoad(l0, 1), &routing.roads[0]);
    EXPECT_EQ(findRoad(l0, 0), nullptr);
    EXPECT_EQ(findRoad(l0, 3), nullptr);
    EXPECT_EQ(routing.nodeArcs.size(), 3u);
    EXPECT_EQ(routing.restrictions.size(), 2u);
    const AddressSection& address = l0.address;
    EXPECT_TRUE(address.complete);
    EXPECT_EQ(address.size, 160u);
    EXPECT_EQ(address.header.stringBytes, 9u);
    ASSERT_EQ(address.cities.size(), 1u);
    EXPECT_EQ(address.cities[0].streets.size(), 1u);
    EXPECT_EQ(address.countries.size(), 1u);
    ASSERT_EQ(l0.blocks.size(), 2u);

    const Block& block = l0.blocks[0];
    EXPECT_EQ(block.square, 16210);
    EXPECT_EQ(block.offset, b.blockAt[0][0]);
    EXPECT_EQ(block.baseX, 1864134);
    EXPECT_EQ(block.baseY, 8388607);
    EXPECT_EQ(block.poiCount, 1u);
    EXPECT_EQ(block.lineCount, 1u);
    EXPECT_EQ(block.polygonCount, 1u);
    ASSERT_EQ(block.records.size(), 3u);

    const Record& line = block.records[0];
    EXPECT_EQ(line.offset, b.recordAt[0][0][0]);
    EXPECT_EQ(line.kind, layout::recordLine);
    EXPECT_EQ(line.type, 0x0401);
    EXPECT_EQ(line.label, u"Main St");
    EXPECT_EQ(line.offsets, (std::vector<Offset>{{0, 5}, {127, 128}, {300, 32767}}));
    EXPECT_TRUE(line.hasHeights);
    EXPECT_EQ(line.heights, (std::vector<int32_t>{10, -3, 7}));
    EXPECT_TRUE(line.hasRouting);
    EXPECT_EQ(line.roadId, 12u);
    EXPECT_EQ(line.nodeRefs, (std::vector<NodeRef>{{0, 4, 0}, {2, -9, 1}}));

    const Record& poi = block.records[1];
    EXPECT_EQ(poi.kind, layout::recordPoi);
    EXPECT_EQ(poi.label, u"Caf\u00E9");
    EXPECT_EQ(poi.offsets, (std::vector<Offset>{{200, 3}}));
    EXPECT_FALSE(poi.hasRouting);

    const Record& polygon = block.records[2];
    EXPECT_EQ(polygon.kind, layout::recordPolygon);
    EXPECT_TRUE(polygon.hasFloors);
    EXPECT_EQ(polygon.floors, 20);
    EXPECT_EQ(polygon.offsets.size(), 3u);
    EXPECT_EQ(l0.blocks[1].records.at(0).label, u"");

    const Level& l1 = file.levels[1];
    EXPECT_EQ(l1.dataOffset, b.addressAt[0] + 160);
    EXPECT_TRUE(l1.routing.complete);
    EXPECT_TRUE(l1.address.complete);
    EXPECT_EQ(l1.routingBytes, 44u);
    EXPECT_EQ(l1.address.size, 36u);
    ASSERT_EQ(l1.blocks.size(), 1u);
    EXPECT_EQ(l1.blocks[0].square, -35);
    const Record& plain = l1.blocks[0].records.at(0);
    EXPECT_FALSE(plain.hasHeights);
    EXPECT_FALSE(plain.hasRouting);
    EXPECT_FALSE(l1.blocks[0].records.at(1).hasFloors);
}

TEST(ReadZel, FileWithoutLevelsIsValid) {
    const Built b = build(digits, {});
    ASSERT_EQ(b.bytes.size(), 484u);
    const ZelFile file = readZel(b.bytes);
    EXPECT_TRUE(file.valid()) << describe(file);
    EXPECT_EQ(file.directoryOffset, 484u);
    EXPECT_EQ(file.chars, digits);
    EXPECT_TRUE(file.levels.empty());
}

TEST(ReadZel, EveryTruncationIsReported) {
    const Built b = sample();
    for (size_t size = 0; size < b.bytes.size(); ++size) {
        const ZelFile file = readZel(std::span<const uint8_t>(b.bytes.data(), size));
        EXPECT_FALSE(file.valid()) << "prefix of " << size << " bytes";
    }
}

// The CRC catches any single changed byte; the structure checks must also
// survive every such change without reading outside the file.
TEST(ReadZel, EverySingleByteChangeIsCaught) {
    const Built b = sample();
    for (size_t i = 0; i < b.bytes.size(); ++i) {
        for (uint8_t mask : {0x01, 0x80, 0xFF}) {
            Bytes bytes = b.bytes;
            bytes[i] ^= mask;
            EXPECT_FALSE(readZel(bytes).valid()) << "byte " << i;
            test::fixCrc(bytes);
            (void)readZel(bytes);
        }
    }
}

// Named places in the sample file, for aiming a change at a field.
enum class At {
    file,
    level1,
    entry01, // level 0's second directory entry
    entry10,
    block00, // level 0's first block
    block01,
    block10,
    line,    // "Main St", the first record of block00
    poi,     // "Café"
    polygon, // "Park"
    line10,  // the polyline of block10
    routing0,
    routing1,
    address0,
    address1,
};

uint64_t place(const Built& b, At at) {
    switch (at) {
    case At::file:
        return 0;
    case At::level1:
        return b.levelAt[1];
    case At::entry01:
        return b.entryAt(0, 1);
    case At::entry10:
        return b.entryAt(1, 0);
    case At::block00:
        return b.blockAt[0][0];
    case At::block01:
        return b.blockAt[0][1];
    case At::block10:
        return b.blockAt[1][0];
    case At::line:
        return b.recordAt[0][0][0];
    case At::poi:
        return b.recordAt[0][0][1];
    case At::polygon:
        return b.recordAt[0][0][2];
    case At::line10:
        return b.recordAt[1][0][0];
    case At::routing0:
        return b.routingAt[0];
    case At::routing1:
        return b.routingAt[1];
    case At::address0:
        return b.addressAt[0];
    case At::address1:
        return b.addressAt[1];
    }
    return 0;
}

struct Corruption {
    const char* name;
    At base;
    uint64_t delta;
    int add; // to the byte there, modulo 256
    At reportBase;
    uint64_t reportDelta;
    const char* what;
};

constexpr uint64_t chars0 = 456 + 8;
constexpr int set0 = 0x100; // marks a byte set to the low 8 bits instead of added to

// "Main St": 6 header bytes; points (0, 5) at 6-7, (127, 128) at 8-10,
// (300, 32767) at 11-14; heights 15-26; label 27-40; road id 41-44, reference
// count 45-48; references at 49 and 57. "Café": header, dx 200 in two bytes,
// dy, then the label at 9.
const Corruption corruptions[] = {
    {"magic", At::file, 2, 1, At::file, 0, "magic"},
    {"version", At::file, 9, -1, At::file, 8, "version"},
    {"banner text", At::file, 80, 1, At::file, 78, "banner"},
    {"byte after the banner", At::file, 130, 1, At::file, 130, "banner after its text"},
    {"reserved header", At::file, 200, 1, At::file, 200, "reserved header bytes"},
    {"crc", At::file, 5, 1, At::file, 4, "CRC"},
    {"char offset field", At::file, 452, 2, At::file, 452, "character block offset"},
    {"directory offset field", At::file, 448, 1, At::file, 448, "directory offset"},
    {"characters out of order", At::file, chars0 + 24, set0 + '0', At::file, chars0 + 24,
     "not ascending"},
    {"digit missing", At::file, chars0 + 2, -1, At::file, 456, "lacks the digits 0"},
    {"level tag", At::level1, 0, 1, At::level1, 0, "BIDX"},
    {"squares not ascending", At::entry01, 0, -1, At::entry01, 0, "not ascending"},
    {"square outside the range", At::entry01, 0, 1, At::entry01, 0, "outside the level's range"},
    {"block offset outside the level", At::entry10, 7, 0x7F, At::entry10, 4,
     "outside the level's block"},
    {"block tag", At::block01, 0, 1, At::block01, 0, "BLCK"},
    {"base point", At::block10, 20, 1, At::block10, 20, "base point"},
    {"record length short", At::block00, 16, -1, At::polygon, 0, "runs past the end of its block"},
    {"one count too many", At::block00, 8, 1, At::block01, 0, "block ends after 3 records"},
    {"kind out of order", At::block00, 4, 1, At::polygon, 0, "polygon record where"},
    {"reserved flag bit 2", At::line, 0, 0x04, At::line, 0, "reserved flag"},
    {"reserved flag bit 7", At::poi, 0, 0x80, At::poi, 0, "reserved flag"},
    {"routing flag on a polygon", At::polygon, 0, 0x20, At::polygon, 0, "routing flag"},
    {"POI with two points", At::poi, 4, 1, At::poi, 4, "POI record with 2 points"},
    {"polyline of one point", At::line10, 4, -1, At::line10, 4, "fewer than 2 points"},
    {"short offset in two bytes", At::line, 11, -1, At::line, 11, "offset 44 written in two"},
    {"odd label length", At::poi, 1, 1, At::poi, 1, "odd label length"},
    {"label character missing", At::poi, 9, set0 + 'Z', At::poi, 9, "not in the character"},
    {"routing block of road 0", At::line, 41, -12, At::line, 41, "road index 0"},
    {"node reference past the points", At::line, 57, 1, At::line, 57, "node reference to point 3"},
    {"routing tag", At::routing1, 3, 1, At::routing1, 0, "BRIF"},
    {"routing section 3 offset", At::routing0, 4, 4, At::routing0, 4, "section 3 offset"},
    {"largest cost without costs", At::routing1, 40, 1, At::routing1, 40, "largest cost"},
    {"address tag", At::address0, 0, 1, At::address0, 0, "BADR"},
    {"address reserved", At::address1, 4, 1, At::address1, 4, "reserved byte"},
    {"address sections out of order", At::address0, 28, set0 + 0xFF, At::address0, 16,
     "out of order"},
    {"speed class", At::routing0, 44, set0 + 8, At::routing0, 44, "speed class 8 above 7"},
    {"boundary nodes", At::routing0, 64, set0 + 0, At::routing0, 64, "node 0 out of order"},
    {"cost lists", At::routing0, 94, set0 + 0, At::routing0, 94, "list of node 0 out of order"},
    {"largest cost", At::routing0, 40, 1, At::routing0, 40, "largest cost 151"},
    {"reserved cost field", At::routing0, 82, 1, At::routing0, 82, "reserved field"},
    {"routing section 4 offset", At::routing0, 8, 1, At::routing0, 8, "section 4 offset 69"},
    {"restrictions unsorted", At::routing0, 235, set0 + 0, At::routing0, 223, "restriction out"},
    {"arcs past the data", At::routing0, 150, set0 + 0xFF, At::routing0, 150, "arc lists run"},
    {"string length", At::address0, 36, 1, At::address0, 36, "string 0 runs past"},
    {"city kinds", At::address0, 94, 1, At::address0, 83, "kind records out of order"},
    {"city objects", At::address0, 90, set0 + 0xFF, At::address0, 83, "starts outside the object"},
    {"house kind's objects", At::address0, 126, set0 + 0xFF, At::address0, 83, "3 at 255 outside"},
    {"region's children", At::address0, 141, 1, At::address0, 138, "claims 2 city records"},
    {"country's children", At::address0, 156, set0 + 0, At::address0, 149, "points at no region"},
};

TEST(ReadZel, CorruptionsAreReportedWhereTheyLie) {
    for (const Corruption& c : corruptions) {
        SCOPED_TRACE(c.name);
        Built b = sample();
        const uint64_t where = place(b, c.base) + c.delta;
        ASSERT_LT(where, b.bytes.size());
        uint8_t& byte = b.bytes[where];
        byte = static_cast<uint8_t>(c.add >= set0 ? c.add - set0 : byte + c.add);
        if (where >= 8) // a changed CRC field is the fault itself
            test::fixCrc(b.bytes);
        const ZelFile file = readZel(b.bytes);
        EXPECT_TRUE(hasProblem(file, place(b, c.reportBase) + c.reportDelta, c.what))
            << describe(file);
    }
}

TEST(ReadZel, LevelDataMustFollowEachOtherToTheEnd) {
    Built b = sample();
    b.bytes.push_back(0);
    test::fixCrc(b.bytes);
    EXPECT_TRUE(hasProblem(readZel(b.bytes), b.bytes.size() - 1, "1 bytes after the last level"));

    // An address section one byte longer than its country records leaves a
    // byte that neither it nor the next level's blocks account for.
    std::vector<TestLevel> levels = sampleLevels();
    levels[0].address.push_back(0);
    b = build(sampleChars, levels);
    const ZelFile file = readZel(b.bytes);
    EXPECT_TRUE(hasProblem(file, b.entryAt(1, 0) + 4, "expected at")) << describe(file);

    // A header without data is the whole section.
    levels = sampleLevels();
    levels[1].routing.push_back(0);
    b = build(sampleChars, levels);
    EXPECT_TRUE(
        hasProblem(readZel(b.bytes), b.routingAt[1] + 44, "1 bytes after the last routing"));
}

TEST(ReadZel, ShortOrAbsentHeaderStopsEarly) {
    for (size_t size : {0, 3, 455}) {
        const Bytes bytes(size, 0);
        const ZelFile file = readZel(bytes);
        ASSERT_EQ(file.problems.size(), 1u);
        EXPECT_EQ(file.problems[0].offset, size);
    }
}

TEST(ReadZel, HugeCountsAreCheckedAgainstTheBytes) {
    Built b = build(digits, {});
    setU32(b.bytes.data() + 444, 0xFFFFFFFF); // levels
    test::fixCrc(b.bytes);
    EXPECT_TRUE(hasProblem(readZel(b.bytes), 484, "directory ends inside"));

    std::vector<TestLevel> levels = sampleLevels();
    b = build(sampleChars, levels);
    setU32(b.bytes.data() + b.levelAt[0] + 8, 0x7FFFFFFF); // entries of level 0
    test::fixCrc(b.bytes);
    EXPECT_TRUE(hasProblem(readZel(b.bytes), b.levelAt[0] + 8, "do not fit"));
}

// ---- Records on their own ----

std::vector<Record> decode(const Bytes& bytes, uint32_t pois, uint32_t lines, uint32_t polygons,
                           std::vector<Problem>& problems) {
    return decodeRecords(bytes, pois, lines, polygons, problems, 1000);
}

TEST(DecodeRecords, OffsetCoding) {
    struct Case {
        Bytes coded;
        int32_t value;
        bool canonical;
    };
    const Case cases[] = {
        {{0x00}, 0, true},           {{0x7F}, 127, true},       {{0x80, 0x80}, 128, true},
        {{0xFF, 0xFF}, 32767, true}, {{0x81, 0x2C}, 300, true}, {{0x80, 0x05}, 5, false},
    };
    for (const Case& c : cases) {
        Bytes record = {0x01, 0x00, 0x00, 0x00, 0x01, 0x00};
        record.insert(record.end(), c.coded.begin(), c.coded.end());
        record.push_back(0x00); // dy
        std::vector<Problem> problems;
        const std::vector<Record> records = decode(record, 1, 0, 0, problems);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].offsets.at(0), (Offset{c.value, 0})) << c.value;
        EXPECT_EQ(problems.empty(), c.canonical) << c.value;
        if (!c.canonical) {
            EXPECT_EQ(problems.at(0).offset, 1006u);
        }
    }
}

TEST(DecodeRecords, CountsThatTheBytesCannotHoldStopCleanly) {
    struct Case {
        const char* name;
        Bytes bytes;
        uint32_t pois, lines, polygons;
        std::string what;
        uint64_t at;
    };
    const Case cases[] = {
        {"65535 points in 4 bytes",
         {0x02, 0, 0, 0, 0xFF, 0xFF, 1, 2, 3, 4},
         0,
         1,
         0,
         "runs past",
         1000},
        {"node references beyond the bytes",
         {0x22, 0, 0, 0, 2, 0, 1, 1, 2, 2, 5, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF},
         0,
         1,
         0,
         "runs past",
         1000},
        {"billions of records",
         {0x01, 0, 0, 0, 1, 0, 0, 0},
         0xFFFFFFFF,
         0,
         0,
         "block ends after 1 records",
         1008},
        {"kind 0", {0x00, 0, 0, 0, 1, 0, 0, 0}, 1, 0, 0, "kind 0", 1000},
        {"label past the end", {0x01, 8, 0, 0, 1, 0, 0, 0, 'a', 0}, 1, 0, 0, "runs past", 1000},
        {"bytes left over", {0x01, 0, 0, 0, 1, 0, 0, 0, 9}, 1, 0, 0, "1 bytes after", 1008},
        {"floors cut off", {0x43, 0, 0, 0, 3, 0, 7}, 0, 0, 1, "runs past", 1000},
    };
    for (const Case& c : cases) {
        std::vector<Problem> problems;
        decode(c.bytes, c.pois, c.lines, c.polygons, problems);
        const bool found = std::any_of(problems.begin(), problems.end(), [&](const Problem& p) {
            return p.offset == c.at && p.what.find(c.what) != std::string::npos;
        });
        EXPECT_TRUE(found) << c.name;
    }
}

TEST(CrcRegister, StandardRegisterWithTheCrcFieldAsZero) {
    const Bytes abc = {'a', 'b', 'c'};
    EXPECT_EQ(crcRegister(abc), 0xCADBBE3Du);
    const Bytes zeroed = {1, 2, 3, 4, 0, 0, 0, 0, 5};
    Bytes filled = zeroed;
    setU32(filled.data() + 4, 0xDEADBEEF);
    EXPECT_EQ(crcRegister(filled), crcRegister(zeroed));
}

} // namespace
} // namespace zel::format
