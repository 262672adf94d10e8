// Reading a main map file (".zel") back into plain values: the header, the
// character block, every level's directory and blocks with their decoded
// records, and its routing and address sections as their own decoders read
// them. Every rule of the layout that the bytes break is listed as a problem
// with its file offset, so that tests and the inspector share one decoder and
// one notion of a well-formed file.
#pragma once

#include "format/address.h"
#include "format/layout.h"
#include "format/records.h"
#include "format/routing.h"

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
    // address data. The address data ends after its last country record
    // (address.size), so the next level's start is known without guessing.
    uint64_t dataOffset = 0;
    uint64_t routingBytes = 0;
    // Their problems are the file's too, with the same offsets.
    RoutingSection routing;
    AddressSection address;
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
    std::vector<Problem> problems; // in file order
    // Odd but readable, in file order: they do not make the file invalid.
    std::vector<Problem> warnings;

    bool valid() const { return problems.empty(); }
};

// Level units of a level with `bits` back to degrees: 2^bits units make the
// full circle.
double unitsToDegrees(int64_t units, uint8_t bits);

// The road table entry of a road index, or nullptr when the level's routing
// data has none for it.
const RoutingRoad* findRoad(const Level& level, uint32_t roadIndex);

// Never throws for malformed bytes and never reads outside `bytes`.
ZelFile readZel(std::span<const uint8_t> bytes);

// The reflected CRC-32 register (polynomial 0xEDB88320, start 0xFFFFFFFF, no
// final complement) over a whole main file with its CRC field taken as zero:
// the value the file stores at offset 4.
uint32_t crcRegister(std::span<const uint8_t> bytes);

} // namespace zel::format
