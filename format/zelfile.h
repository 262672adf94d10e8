// Reading a main map file (".zel") back into plain values: the header, the
// character block, every level's directory and blocks with their decoded
// records, and the routing and address sections: their headers, the totals a
// walk over their structure finds, and their raw bytes for the decoders of
// their contents. Every rule of the layout that the bytes break is listed as a
// problem with its file offset, so that tests and the inspector share one
// decoder and one notion of a well-formed file.
#pragma once

#include "format/bytes.h"
#include "format/layout.h"
#include "format/records.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zel::format {

struct Block {
    int32_t square = 0;
    uint32_t offset = 0; // absolute, from the directory entry
    uint32_t poiCount = 0;
    uint32_t lineCount = 0;
    uint32_t polygonCount = 0;
    uint32_t length = 0; // bytes of records after the 28-byte header
    int32_t baseX = 0;
    int32_t baseY = 0;
    bool decoded = false; // false when the entry's offset left nothing to read
    std::vector<Record> records;
};

// The routing section's header fields in file order.
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

// One entry of the routing data's road table (section 1); entry k describes
// road index k + 1, as road index 0 ("no road") has none.
struct RoadEntry {
    uint8_t speedClass = 0;
    uint8_t roadClass = 0;
    uint8_t roadFlags = 0;
    uint8_t accessFlags = 0;
    bool operator==(const RoadEntry&) const = default;
};

// What walking the seven routing sections finds beyond the header's counts.
// `walked` is false when a section ran past the routing data, so the totals
// cover only what came before.
struct RoutingTotals {
    bool walked = false;
    std::vector<RoadEntry> roads;
    uint64_t arcs = 0;                // over all nodes' arc lists
    uint64_t boundaryCostEntries = 0; // over all boundary nodes' cost lists
    uint64_t adjustmentEntries = 0;   // replacements over all via nodes
    uint64_t replacementEntries = 0;  // node indices over all secondary nodes
};

struct AddressHeader {
    bool present = false;
    uint8_t reserved = 0;
    uint8_t countryCount = 0;
    uint16_t regionCount = 0;
    uint32_t cityCount = 0;
    uint32_t stringCount = 0;
    uint32_t countryOffset = 0;
    uint32_t regionOffset = 0;
    uint32_t cityOffset = 0;
    uint32_t stringBytes = 0;
    uint32_t reserved2 = 0;
};

// The fields of a routing or address header after its tag, as `in` reads
// them; the header is marked present.
RoutingHeader readRoutingHeader(ByteReader& in);
AddressHeader readAddressHeader(ByteReader& in);

// What walking the address sections finds. The object section between the
// strings and the cities is not walked here; its size per city and kind is
// what the city records say.
struct AddressTotals {
    bool walked = false;
    uint64_t cityRecords = 0;
    uint64_t regionRecords = 0;
    uint64_t countryRecords = 0;
    uint64_t objects = 0; // the sum of the cities' counts of objects by kind
};

struct Level {
    uint64_t directoryOffset = 0; // of this level's index header
    uint8_t index = 0;
    uint8_t bits = 0;
    uint32_t entryCount = 0; // N as stored
    uint32_t squareSize = 0;
    uint32_t routingOffset = 0;
    uint32_t addressOffset = 0;
    int32_t c0 = 0, r0 = 0, c1 = 0, r1 = 0;
    std::vector<Block> blocks;
    // Where the level's data lies: blocks from dataOffset, then routing, then
    // address data. The address data's length comes from its header and its
    // last section, so the next level's start is known without guessing.
    uint64_t dataOffset = 0;
    uint64_t blockBytes = 0;
    uint64_t routingBytes = 0;
    uint64_t addressBytes = 0;
    RoutingHeader routingHeader;
    RoutingTotals routingTotals;
    AddressHeader AddressFileHeader;
    AddressTotals addressTotals;
    std::vector<uint8_t> routing; // the raw section, header included
    std::vector<uint8_t> address;
};

struct ZelFile {
    uint64_t size = 0;
    uint32_t storedCrc = 0;
    uint32_t computedCrc = 0;
    uint8_t version[2] = {0, 0};
    std::string banner;
    uint32_t levelCount = 0;
    uint32_t directoryOffset = 0;
    uint32_t charOffset = 0;
    std::u16string chars;
    std::vector<Level> levels;
    std::vector<Problem> problems;

    bool valid() const { return problems.empty(); }
};

// Level units of a level with `bits` back to degrees: 2^bits units make the
// full circle.
double unitsToDegrees(int64_t units, uint8_t bits);

// The road table entry of a road index, or nullptr when the level's routing
// data has none for it.
const RoadEntry* findRoad(const Level& level, uint32_t roadIndex);

// Never throws for malformed bytes and never reads outside `bytes`.
ZelFile readZel(std::span<const uint8_t> bytes);

// The reflected CRC-32 register (polynomial 0xEDB88320, start 0xFFFFFFFF, no
// final complement) over a whole main file with its CRC field taken as zero:
// the value the file stores at offset 4.
uint32_t crcRegister(std::span<const uint8_t> bytes);

} // namespace zel::format
