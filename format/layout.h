// The byte layout of a main map file (".zel") and of the side files it is
// merged from, written down once for the writer and the decoder alike. All
// integers are little-endian; text is UTF-16LE.
//
//   offset 0     header (456 bytes): magic, CRC-32, version, banner, the
//                number of levels and the offsets of the level directory and
//                the character block
//   456          character block: "BCHR", u16 byte length, u16 0, the units
//   directory    per level an index: "BIDX" header (40 bytes) and one entry
//                (i32 square number, u32 block offset) per square with data
//   level data   per level: its blocks ("BLCK", 28-byte header, records),
//                its routing data ("BRIF", 44-byte header, seven sections)
//                and its address data ("BADR", 36-byte header, five sections)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zel::layout {

// --- main file header ---------------------------------------------------
constexpr uint32_t headerSize = 456;
constexpr std::string_view magic = "ZEL\x1A";
constexpr uint32_t crcOffset = 4;
constexpr uint32_t versionOffset = 8;
constexpr uint8_t versionMajor = 0;
constexpr uint8_t versionMinor = 9;
constexpr uint32_t bannerOffset = 78;
constexpr uint32_t bannerSize = 56;
// No version in the banner, so that output stays the same from release to
// release.
constexpr std::string_view banner = "mp2zel map compiler";
constexpr uint32_t levelCountOffset = 444;
constexpr uint32_t directoryOffsetField = 448;
constexpr uint32_t charOffsetField = 452;

// --- character block ------------------------------------------------------
constexpr std::string_view charTag = "BCHR";
constexpr uint32_t charBlockOffset = 456;
constexpr uint32_t charHeaderSize = 8;
// The 16-bit byte length of the block holds at most this many units.
constexpr size_t maxChars = 32767;

// --- level index ------------------------------------------------------------
// u8 level, u8 bits, u16 0, u32 entries, u32 square size, u32 routing offset,
// u32 address offset, i32 c0, r0, c1, r1.
constexpr std::string_view indexTag = "BIDX";
constexpr uint32_t indexHeaderSize = 40;
constexpr uint32_t indexEntryCountField = 8;
constexpr uint32_t indexRoutingOffsetField = 16;
constexpr uint32_t indexAddressOffsetField = 20;
constexpr uint32_t indexEntrySize = 8;
// Squares in a row of the grid: 360 degrees in seconds of arc.
constexpr uint32_t secondsPerTurn = 1296000;

// --- blocks -------------------------------------------------------------------
// u32 POIs, u32 polylines, u32 polygons, u32 record bytes, i32 base x, base y.
constexpr std::string_view blockTag = "BLCK";
constexpr uint32_t blockHeaderSize = 28;

// A record's first byte: the kind in its low two bits, and flags.
constexpr uint8_t recordPoi = 0x01;
constexpr uint8_t recordLine = 0x02;
constexpr uint8_t recordPolygon = 0x03;
constexpr uint8_t recordKindMask = 0x03;
constexpr uint8_t recordRouting = 0x20;
constexpr uint8_t recordExtra = 0x40;
constexpr uint8_t recordReserved = 0x9C;

// What one record can carry: the label length is one byte of byte count and
// the point count a u16.
constexpr size_t maxLabelUnits = 127;
constexpr size_t maxPartPoints = 65535;

// --- routing and address data ---------------------------------------------
constexpr std::string_view routingTag = "BRIF";
constexpr uint32_t routingHeaderSize = 44;
constexpr std::string_view addressTag = "BADR";
constexpr uint32_t addressHeaderSize = 36;

} // namespace zel::layout
