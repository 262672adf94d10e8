// The object records inside a block: decoding them back into plain values, and
// the problems found on the way, each with the byte offset where it lies.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zel::format {

// A rule of the format that the bytes break. `offset` counts from the start of
// the main file, so a problem can be found again with a hex viewer.
struct Problem {
    uint64_t offset = 0;
    std::string what;
};

// A point as stored: its offset east and north of the square's base point.
struct Offset {
    int32_t dx = 0;
    int32_t dy = 0;
    bool operator==(const Offset&) const = default;
};

struct NodeRef {
    uint16_t pointIndex = 0;
    int32_t nodeId = 0;
    uint16_t boundary = 0;
    bool operator==(const NodeRef&) const = default;
};

struct Record {
    uint64_t offset = 0; // of the record's first byte in the file
    uint8_t flags = 0;
    uint8_t kind = 0;
    uint16_t type = 0;
    uint16_t pointCount = 0; // as stored; a POI's points are read as one whatever it says
    std::u16string label;
    uint64_t labelOffset = 0;
    std::vector<Offset> offsets;
    bool hasHeights = false;
    std::vector<int32_t> heights;
    bool hasFloors = false;
    uint16_t floors = 0;
    bool hasRouting = false;
    uint32_t roadId = 0;
    std::vector<NodeRef> nodeRefs;
};

// Decodes the records of one block: `lineCount` polyline records, then
// `poiCount` POI records, then `polygonCount` polygon records, which together
// must fill `bytes` exactly. `baseOffset` is the file offset of bytes[0].
// Stops at the first record that cannot be decoded; never reads past `bytes`.
std::vector<Record> decodeRecords(std::span<const uint8_t> bytes, uint32_t poiCount,
                                  uint32_t lineCount, uint32_t polygonCount,
                                  std::vector<Problem>& problems, uint64_t baseOffset);

} // namespace zel::format
