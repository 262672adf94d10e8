#include "format/zelfile.h"

#include "format/bytes.h"
#include "format/crc32.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>

namespace zel::format {
namespace {

using namespace layout;

constexpr uint8_t maxBits = 26;

std::string hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

std::string dec(int64_t value) {
    return std::to_string(value);
}

int64_t floorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// A double to a 64-bit integer without leaving the range a cast may take.
int64_t saturate(double value) {
    if (std::isnan(value))
        return 0;
    constexpr double limit = 4.0e18;
    if (value > limit)
        return static_cast<int64_t>(limit);
    if (value < -limit)
        return -static_cast<int64_t>(limit);
    return static_cast<int64_t>(value);
}

// The base point coordinate of column (row) c: truncated for c >= 0, rounded
// down below, so that the points on a southern square's border stay inside it.
int64_t baseCoordinate(int64_t c, double squareUnits) {
    const double v = static_cast<double>(c) * squareUnits - 0.5;
    return saturate(c >= 0 ? std::trunc(v) : std::floor(v));
}

class ZelReader {
public:
    ZelReader(std::span<const uint8_t> bytes, ZelFile& out) : bytes(bytes), out(out) {}

    void read() {
        out.size = bytes.size();
        out.computedCrc = crcRegister(bytes);
        if (!readHeader())
            return;
        readChars();
        const uint64_t directoryEnd = readDirectory();
        readLevelData(directoryEnd);
    }

private:
    void report(uint64_t at, std::string what) { out.problems.push_back({at, std::move(what)}); }

    // The bytes from `at` to the end of the file, empty when `at` lies beyond.
    std::span<const uint8_t> from(uint64_t at) const {
        return at >= bytes.size() ? std::span<const uint8_t>() : bytes.subspan(at);
    }

    void checkZero(uint32_t begin, uint32_t end, const char* what) {
        for (uint32_t i = begin; i < end; ++i) {
            if (bytes[i] != 0) {
                report(i, std::string("non-zero byte in ") + what);
                return;
            }
        }
    }

    bool readHeader() {
        if (bytes.size() < headerSize) {
            report(bytes.size(), "file ends inside the " + dec(headerSize) + "-byte header");
            return false;
        }
        const uint8_t* h = bytes.data();
        if (!hasTag(h, layout::magic))
            report(0, "wrong magic");
        out.storedCrc = getU32(h + crcOffset);
        if (out.storedCrc != out.computedCrc) {
            report(crcOffset,
                   "CRC " + hex(out.storedCrc) + " stored, " + hex(out.computedCrc) + " computed");
        }
        out.version[0] = h[versionOffset];
        out.version[1] = h[versionOffset + 1];
        if (out.version[0] != versionMajor || out.version[1] != versionMinor)
            report(versionOffset, "version " + dec(out.version[0]) + "." + dec(out.version[1]) +
                                      ", expected " + dec(versionMajor) + "." + dec(versionMinor));
        checkZero(versionOffset + 2, bannerOffset, "the reserved header bytes before the banner");
        checkBanner();
        checkZero(bannerOffset + bannerSize, levelCountOffset,
                  "the reserved header bytes after the banner");
        out.levelCount = getU32(h + levelCountOffset);
        out.directoryOffset = getU32(h + directoryOffsetField);
        out.charOffset = getU32(h + charOffsetField);
        if (out.charOffset != charBlockOffset) {
            report(charOffsetField, "character block offset " + dec(out.charOffset) +
                                        ", expected " + dec(charBlockOffset));
        }
        return true;
    }

    void checkBanner() {
        const std::string_view expected = banner;
        uint32_t i = 0;
        for (; i < bannerSize && bytes[bannerOffset + i] != 0; ++i)
            out.banner.push_back(static_cast<char>(bytes[bannerOffset + i]));
        if (out.banner != expected) {
            report(bannerOffset, "banner is not \"" + std::string(expected) + "\"");
            return;
        }
        checkZero(bannerOffset + i, bannerOffset + bannerSize, "the banner after its text");
    }

    void readChars() {
        const uint64_t at = out.charOffset;
        ByteReader in(from(at));
        const bool tagged = in.remaining() >= 4 && hasTag(bytes.data() + at, layout::charTag);
        in.skip(4);
        const uint16_t length = in.readU16();
        const uint16_t reserved = in.readU16();
        if (in.failed()) {
            report(at, "character block runs past the end of the file");
            return;
        }
        if (!tagged)
            report(at, "character block tag is not \"BCHR\"");
        if (reserved != 0)
            report(at + 6, "non-zero reserved field in the character block");
        if ((length & 1) != 0)
            report(at + 4, "odd character block length " + dec(length));
        if (in.remaining() < length)
            report(at + 4, "character block runs past the end of the file");
        const size_t count = std::min<size_t>(length, in.remaining()) / 2;
        out.chars.reserve(count);
        bool ascending = true;
        for (size_t i = 0; i < count; ++i) {
            const char16_t c = static_cast<char16_t>(in.readU16());
            if (ascending && !out.chars.empty() && c <= out.chars.back()) {
                report(at + charHeaderSize + 2 * i,
                       "character block not ascending without duplicates");
                ascending = false;
            }
            out.chars.push_back(c);
        }
        std::string missing;
        for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
            if (out.chars.find(digit) == std::u16string::npos)
                missing.push_back(static_cast<char>(digit));
        }
        if (!missing.empty())
            report(at, "character block lacks the digits " + missing);
        for (char16_t c : out.chars)
            known[c] = true;
        const uint64_t expected = uint64_t{charBlockOffset} + charHeaderSize + length;
        if (out.directoryOffset != expected) {
            report(directoryOffsetField, "directory offset " + dec(out.directoryOffset) +
                                             ", expected " + dec(static_cast<int64_t>(expected)));
        }
    }

    // Reads every level's index header and entries; returns where the
    // directory ends, which is where the first level's data must begin.
    uint64_t readDirectory() {
        uint64_t at = out.directoryOffset;
        for (uint32_t k = 0; k < out.levelCount; ++k) {
            ByteReader in(from(at));
            if (in.remaining() < indexHeaderSize) {
                report(at, "directory ends inside the header of level " + dec(k));
                return bytes.size();
            }
            Level level;
            level.directoryOffset = at;
            if (!hasTag(bytes.data() + at, layout::indexTag))
                report(at, "level header tag is not \"BIDX\"");
            in.skip(4);
            level.index = in.readU8();
            level.bits = in.readU8();
            if (in.readU16() != 0)
                report(at + 6, "non-zero reserved field in a level header");
            level.entryCount = in.readU32();
            level.squareSize = in.readU32();
            level.routingOffset = in.readU32();
            level.addressOffset = in.readU32();
            level.c0 = in.readI32();
            level.r0 = in.readI32();
            level.c1 = in.readI32();
            level.r1 = in.readI32();
            if (level.bits > maxBits)
                report(at + 5, "level bits " + dec(level.bits) + " above " + dec(maxBits));
            if (level.squareSize == 0 || level.squareSize > secondsPerTurn)
                report(at + 12, "square size " + dec(level.squareSize));

            uint64_t count = level.entryCount;
            if (count > in.remaining() / indexEntrySize) {
                report(at + 8, dec(count) + " entries do not fit in the file");
                count = in.remaining() / indexEntrySize;
            }
            level.blocks.reserve(count);
            bool ascending = true;
            for (uint64_t i = 0; i < count; ++i) {
                const uint64_t entryAt = at + indexHeaderSize + indexEntrySize * i;
                Block block;
                block.square = in.readI32();
                block.offset = in.readU32();
                if (ascending && !level.blocks.empty() &&
                    block.square <= level.blocks.back().square) {
                    report(entryAt, "square numbers not ascending");
                    ascending = false;
                }
                level.blocks.push_back(block);
            }
            at += indexHeaderSize + indexEntrySize * count;
            out.levels.push_back(std::move(level));
        }
        return at;
    }

    void readLevelData(uint64_t start) {
        std::optional<uint64_t> next = start;
        for (Level& level : out.levels) {
            // After an address section whose end could not be found, the
            // level's own directory is the best guess of where it starts.
            level.dataOffset = next                   ? *next
                               : level.blocks.empty() ? level.routingOffset
                                                      : level.blocks.front().offset;
            readBlocks(level);
            readRouting(level);
            next = readAddress(level);
        }
        if (next && *next < bytes.size())
            report(*next, dec(static_cast<int64_t>(bytes.size() - *next)) +
                              " bytes after the last level's address data");
    }

    void readBlocks(Level& level) {
        const uint64_t begin = level.dataOffset;
        const uint64_t end = level.routingOffset;
        if (end < begin) {
            report(level.directoryOffset + 16, "routing data at " + dec(end) +
                                                   " before the level's data start " +
                                                   dec(static_cast<int64_t>(begin)));
            return;
        }
        if (end > bytes.size()) {
            report(level.directoryOffset + 16,
                   "routing data at " + dec(end) + " beyond the end of the file");
            return;
        }
        level.blockBytes = end - begin;
        uint64_t expected = begin;
        bool synced = true;
        for (size_t i = 0; i < level.blocks.size(); ++i) {
            Block& block = level.blocks[i];
            const uint64_t entryAt = level.directoryOffset + indexHeaderSize + indexEntrySize * i;
            if (block.offset < begin || block.offset > end ||
                end - block.offset < blockHeaderSize) {
                report(entryAt + 4,
                       "block offset " + dec(block.offset) + " outside the level's block data");
                synced = false;
                continue;
            }
            if (synced && block.offset != expected) {
                report(entryAt + 4, "block at " + dec(block.offset) + ", expected at " +
                                        dec(static_cast<int64_t>(expected)));
            }
            readBlock(level, block, entryAt, end);
            expected = uint64_t{block.offset} + blockHeaderSize + block.length;
            synced = true;
        }
        if (synced && expected < end) {
            report(expected, dec(static_cast<int64_t>(end - expected)) +
                                 " bytes between the last block and the routing data");
        }
    }

    void readBlock(const Level& level, Block& block, uint64_t entryAt, uint64_t end) {
        const uint64_t at = block.offset;
        ByteReader in(bytes.subspan(at, end - at));
        if (!hasTag(bytes.data() + at, layout::blockTag))
            report(at, "block tag is not \"BLCK\"");
        in.skip(4);
        block.poiCount = in.readU32();
        block.lineCount = in.readU32();
        block.polygonCount = in.readU32();
        block.length = in.readU32();
        block.baseX = in.readI32();
        block.baseY = in.readI32();
        block.decoded = true;
        uint64_t length = block.length;
        if (length > in.remaining()) {
            report(at + 16,
                   "block length " + dec(block.length) + " runs past the level's block data");
            length = in.remaining();
        }
        checkSquare(level, block, entryAt);
        const uint64_t recordsAt = at + blockHeaderSize;
        block.records = decodeRecords(bytes.subspan(recordsAt, length), block.poiCount,
                                      block.lineCount, block.polygonCount, out.problems, recordsAt);
        for (const Record& record : block.records)
            checkLabel(record);
    }

    // The square must lie in the level's range and carry the base point the
    // tiler derives from its column and row.
    void checkSquare(const Level& level, const Block& block, uint64_t entryAt) {
        if (level.squareSize == 0 || level.squareSize > secondsPerTurn)
            return;
        const int64_t perRow = secondsPerTurn / level.squareSize;
        const int64_t row = floorDiv(block.square, perRow);
        const int64_t col = block.square - row * perRow;
        if (col < level.c0 || col > level.c1 || row < level.r0 || row > level.r1) {
            report(entryAt, "square " + dec(block.square) + " (column " + dec(col) + ", row " +
                                dec(row) + ") outside the level's range");
        }
        if (level.bits > maxBits)
            return;
        const double squareUnits =
            static_cast<double>(uint32_t{1} << level.bits) * level.squareSize / 3600.0 / 360.0;
        const int64_t baseX = baseCoordinate(col, squareUnits);
        const int64_t baseY = baseCoordinate(row, squareUnits);
        if (block.baseX != baseX || block.baseY != baseY) {
            report(uint64_t{block.offset} + 20, "base point " + dec(block.baseX) + "/" +
                                                    dec(block.baseY) + ", the square's is " +
                                                    dec(baseX) + "/" + dec(baseY));
        }
    }

    void checkLabel(const Record& record) {
        for (size_t i = 0; i < record.label.size(); ++i) {
            if (!known[record.label[i]]) {
                report(record.labelOffset + 2 * i,
                       "label character " + hex(record.label[i]) + " not in the character block");
            }
        }
    }

    void readRouting(Level& level) {
        const uint64_t at = level.routingOffset;
        if (at > bytes.size() || level.addressOffset < at) {
            report(level.directoryOffset + 20, "address data at " + dec(level.addressOffset) +
                                                   " before the routing data or the file");
            return;
        }
        level.routingBytes = level.addressOffset - at;
        const uint64_t available = std::min<uint64_t>(level.routingBytes, bytes.size() - at);
        level.routing.assign(bytes.begin() + at, bytes.begin() + at + available);
        if (available < routingHeaderSize) {
            report(at, "routing data shorter than its " + dec(routingHeaderSize) + "-byte header");
            return;
        }
        if (!hasTag(bytes.data() + at, layout::routingTag))
            report(at, "routing data tag is not \"BRIF\"");
        ByteReader in(level.routing);
        in.skip(4);
        level.routingHeader = readRoutingHeader(in);
        const RoutingHeader& h = level.routingHeader;
        const uint64_t section3 = 4 * uint64_t{h.roadCount} + 12 * uint64_t{h.externNodeCount};
        if (h.section3Offset != section3)
            report(at + 4, "routing section 3 offset " + dec(h.section3Offset) + ", expected " +
                               dec(static_cast<int64_t>(section3)));
        walkRouting(level, at);
    }

    // Walks the seven sections behind a routing header: each must hold what
    // the header counts, keys ascending as the writer sorts them, and
    // together they must fill the routing data exactly.
    void walkRouting(Level& level, uint64_t at) {
        const RoutingHeader& h = level.routingHeader;
        RoutingTotals& t = level.routingTotals;
        ByteReader in(level.routing);
        in.skip(routingHeaderSize);
        const auto here = [&] { return at + in.position(); };
        const auto overrun = [&](const char* what) {
            report(here(), std::string(what) + " run past the routing data");
        };

        if (in.remaining() / 4 < h.roadCount)
            return overrun("road entries");
        t.roads.reserve(h.roadCount);
        for (uint32_t i = 0; i < h.roadCount; ++i) {
            const uint64_t entryAt = here();
            RoadEntry road;
            road.speedClass = in.readU8();
            road.roadClass = in.readU8();
            road.roadFlags = in.readU8();
            road.accessFlags = in.readU8();
            if (road.speedClass > 7)
                report(entryAt, "speed class " + dec(road.speedClass) + " above 7");
            t.roads.push_back(road);
        }

        if (in.remaining() / 12 < h.externNodeCount)
            return overrun("boundary nodes");
        Ascending nodes(*this, "boundary nodes");
        for (uint32_t i = 0; i < h.externNodeCount; ++i) {
            const uint64_t entryAt = here();
            nodes.next(entryAt, in.readU32());
            in.skip(8);
        }

        // Every boundary node takes at least six bytes, so a count the bytes
        // cannot hold stops before the loop.
        if (in.remaining() / 6 < h.externCostCount)
            return overrun("boundary costs");
        Ascending costNodes(*this, "boundary cost lists");
        uint32_t largest = 0;
        for (uint32_t i = 0; i < h.externCostCount; ++i) {
            const uint64_t listAt = here();
            costNodes.next(listAt, in.readU32());
            const uint16_t n = in.readU16();
            if (in.remaining() / 12 < n)
                return overrun("boundary costs");
            Ascending others(*this, "the other boundary nodes of a cost list");
            for (uint16_t k = 0; k < n; ++k) {
                if (in.readU32() != 0)
                    report(here() - 4, "non-zero reserved field in a boundary cost");
                const uint64_t otherAt = here();
                others.next(otherAt, in.readU32());
                largest = std::max(largest, in.readU32());
            }
            t.boundaryCostEntries += n;
        }
        if (largest != h.largestCost) {
            report(at + 40, "largest cost " + dec(h.largestCost) + ", the boundary costs' is " +
                                dec(largest));
        }
        const uint64_t section4 = in.position() - routingHeaderSize;
        if (h.section4Offset != section4) {
            report(at + 8, "routing section 4 offset " + dec(h.section4Offset) + ", expected " +
                               dec(static_cast<int64_t>(section4)));
        }

        if (in.remaining() < h.nodeArcCount)
            return overrun("arc lists");
        for (uint32_t i = 0; i < h.nodeArcCount; ++i) {
            const uint64_t listAt = here();
            const uint8_t m = in.readU8();
            if (!in.skip(12 * size_t{m})) {
                report(listAt, "arc lists run past the routing data");
                return;
            }
            t.arcs += m;
        }

        if (!walkKeyedLists(in, at, h.adjustmentCount, 20, "adjustments", t.adjustmentEntries) ||
            !walkKeyedLists(in, at, h.replacementCount, 4, "replacements", t.replacementEntries))
            return;

        if (in.remaining() / 20 < h.restrictionCount)
            return overrun("restrictions");
        std::array<uint32_t, 5> previous{};
        for (uint32_t i = 0; i < h.restrictionCount; ++i) {
            const uint64_t entryAt = here();
            std::array<uint32_t, 5> fields{};
            for (uint32_t& field : fields)
                field = in.readU32();
            // Sorted by the two roads first, then the three nodes.
            const std::array<uint32_t, 5> key = {fields[3], fields[4], fields[0], fields[1],
                                                 fields[2]};
            if (i > 0 && key < previous)
                report(entryAt, "restrictions not sorted by their roads and nodes");
            previous = key;
        }
        if (in.remaining() != 0)
            report(here(),
                   dec(static_cast<int64_t>(in.remaining())) + " bytes after the routing sections");
        t.walked = true;
    }

    // Sections 5 and 6: per key a u32, a u16 count and that many elements.
    bool walkKeyedLists(ByteReader& in, uint64_t at, uint32_t count, size_t elementSize,
                        const char* what, uint64_t& elements) {
        if (in.remaining() / 6 < count) {
            report(at + in.position(), std::string(what) + " run past the routing data");
            return false;
        }
        Ascending keys(*this, what);
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t keyAt = at + in.position();
            keys.next(keyAt, in.readU32());
            const uint16_t n = in.readU16();
            if (!in.skip(elementSize * n)) {
                report(at + in.position(), std::string(what) + " run past the routing data");
                return false;
            }
            elements += n;
        }
        return true;
    }

    // Reports the first key of a sequence that is not above the one before.
    class Ascending {
    public:
        Ascending(ZelReader& reader, const char* what) : reader(reader), what(what) {}
        void next(uint64_t at, uint32_t key) {
            if (!reported && any && key <= last) {
                reader.report(at, std::string(what) + " not ascending");
                reported = true;
            }
            any = true;
            last = key;
        }

    private:
        ZelReader& reader;
        const char* what;
        uint32_t last = 0;
        bool any = false;
        bool reported = false;
    };

    // Returns where the address data ends, which is where the next level's
    // data begins; nothing when that cannot be told.
    std::optional<uint64_t> readAddress(Level& level) {
        const uint64_t at = level.addressOffset;
        if (at > bytes.size() || bytes.size() - at < addressHeaderSize) {
            report(at, "address data runs past the end of the file");
            return std::nullopt;
        }
        if (!hasTag(bytes.data() + at, layout::addressTag))
            report(at, "address data tag is not \"BADR\"");
        ByteReader in(from(at));
        in.skip(4);
        level.AddressFileHeader = readAddressHeader(in);
        const AddressHeader& h = level.AddressFileHeader;
        if (h.reserved != 0)
            report(at + 4, "non-zero reserved byte in the address header");
        if (h.reserved2 != 0)
            report(at + 32, "non-zero reserved field in the address header");
        // Strings, objects, cities, regions and countries follow each other.
        if (h.stringBytes > h.cityOffset || h.cityOffset > h.regionOffset ||
            h.regionOffset > h.countryOffset) {
            report(at + 16, "address sections out of order");
        } else {
            walkAddress(level, at);
        }

        // The country section comes last; walking its records finds the end.
        if (in.remaining() < h.countryOffset) {
            report(at + 16, "country section beyond the end of the file");
            return std::nullopt;
        }
        in.skip(h.countryOffset);
        for (uint32_t i = 0; i < h.countryCount; ++i) {
            const uint8_t nameUnits = in.readU8();
            in.skip(2 * size_t{nameUnits} + 8);
        }
        if (in.failed()) {
            report(at + addressHeaderSize + h.countryOffset,
                   "country records run past the end of the file");
            return std::nullopt;
        }
        level.addressBytes = in.position();
        level.address.assign(bytes.begin() + at, bytes.begin() + at + level.addressBytes);
        return at + level.addressBytes;
    }

    // The sections of known layout must hold the header's counts exactly:
    // the strings fill their byte size, the cities end where the regions
    // begin and the regions where the countries begin. The tree's positions
    // point into the section below, and each level of the tree counts the
    // records of the next.
    void walkAddress(Level& level, uint64_t at) {
        const AddressHeader& h = level.AddressFileHeader;
        AddressTotals& t = level.addressTotals;
        const uint64_t body = at + addressHeaderSize;
        ByteReader in(from(body));
        const auto overrun = [&](const char* what) {
            report(body + in.position(), std::string(what) + " run past the end of the file");
        };
        const auto endsAt = [&](uint64_t expected, const char* what) {
            if (in.position() != expected) {
                report(body + in.position(),
                       std::string(what) + " end at " + dec(static_cast<int64_t>(in.position())) +
                           ", the next section starts at " + dec(static_cast<int64_t>(expected)));
            }
        };

        for (uint32_t i = 0; i < h.stringCount && in.ok(); ++i)
            in.skip(2 * size_t{in.readU8()});
        if (in.failed())
            return overrun("address strings");
        endsAt(h.stringBytes, "address strings");

        in = ByteReader(from(body));
        if (!in.skip(h.cityOffset))
            return overrun("address objects");
        for (uint32_t i = 0; i < h.cityCount; ++i) {
            const uint64_t recordAt = body + in.position();
            in.skip(2 * size_t{in.readU8()});
            const uint32_t kinds = in.readU32();
            const uint32_t objectsAt = in.readU32();
            if (in.failed() || in.remaining() / 12 < kinds)
                return overrun("city records");
            if (objectsAt < h.stringBytes || objectsAt > h.cityOffset)
                report(recordAt, "city objects at " + dec(objectsAt) + " outside their section");
            uint32_t previousKind = 0;
            for (uint32_t k = 0; k < kinds; ++k) {
                const uint32_t kind = in.readU32();
                const uint32_t count = in.readU32();
                const uint32_t pos = in.readU32();
                if (kind <= previousKind || kind > 3)
                    report(recordAt, "city kinds not 1, 2 and 3 in order");
                previousKind = kind;
                if (pos < h.stringBytes || pos > h.cityOffset)
                    report(recordAt, "city kind " + dec(kind) + " at " + dec(pos) +
                                         " outside the object section");
                t.objects += count;
            }
            in.skip(8); // the position and count of the city's first house table
            if (in.failed())
                return overrun("city records");
            ++t.cityRecords;
        }
        endsAt(h.regionOffset, "city records");
        if (!walkOwners(in, body, h.regionCount, h.cityOffset, h.regionOffset, h.cityCount,
                        "region records", t.regionRecords))
            return;
        endsAt(h.countryOffset, "region records");
        if (!walkOwners(in, body, h.countryCount, h.regionOffset, h.countryOffset, h.regionCount,
                        "country records", t.countryRecords))
            return;
        t.walked = true;
    }

    // Regions or countries: a name, the number of children and the position
    // of the first, which must lie in the section of the children.
    bool walkOwners(ByteReader& in, uint64_t body, uint32_t count, uint32_t childrenBegin,
                    uint32_t childrenEnd, uint32_t childTotal, const char* what,
                    uint64_t& records) {
        uint64_t children = 0;
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t recordAt = body + in.position();
            in.skip(2 * size_t{in.readU8()});
            const uint32_t childCount = in.readU32();
            const uint32_t childPos = in.readU32();
            if (in.failed()) {
                report(recordAt, std::string(what) + " run past the end of the file");
                return false;
            }
            if (childPos < childrenBegin || childPos >= childrenEnd)
                report(recordAt, "children at " + dec(childPos) + " outside their section");
            children += childCount;
            ++records;
        }
        if (children != childTotal) {
            report(body + in.position(), std::string(what) + " count " +
                                             dec(static_cast<int64_t>(children)) +
                                             " children, the header " + dec(childTotal));
        }
        return true;
    }

    std::span<const uint8_t> bytes;
    ZelFile& out;
    std::vector<bool> known = std::vector<bool>(0x10000, false);
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

AddressHeader readAddressHeader(ByteReader& in) {
    AddressHeader h;
    h.present = true;
    h.reserved = in.readU8();
    h.countryCount = in.readU8();
    h.regionCount = in.readU16();
    h.cityCount = in.readU32();
    h.stringCount = in.readU32();
    h.countryOffset = in.readU32();
    h.regionOffset = in.readU32();
    h.cityOffset = in.readU32();
    h.stringBytes = in.readU32();
    h.reserved2 = in.readU32();
    return h;
}

uint32_t crcRegister(std::span<const uint8_t> bytes) {
    // The register runs over the file with its own field taken as zero.
    Crc32 crc;
    const size_t head = std::min<size_t>(bytes.size(), crcOffset);
    crc.update(bytes.data(), head);
    const size_t field = std::min<size_t>(bytes.size() - head, 4);
    const std::array<uint8_t, 4> zeros{};
    crc.update(zeros.data(), field);
    crc.update(bytes.data() + head + field, bytes.size() - head - field);
    return crc.value();
}

double unitsToDegrees(int64_t units, uint8_t bits) {
    return static_cast<double>(units) * 360.0 / std::ldexp(1.0, bits);
}

const RoadEntry* findRoad(const Level& level, uint32_t roadIndex) {
    const std::vector<RoadEntry>& roads = level.routingTotals.roads;
    if (roadIndex == 0 || roadIndex > roads.size())
        return nullptr;
    return &roads[roadIndex - 1];
}

ZelFile readZel(std::span<const uint8_t> bytes) {
    ZelFile file;
    ZelReader(bytes, file).read();
    return file;
}

} // namespace zel::format
