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
        // In file order, as one would walk them with a hex viewer.
        const auto byOffset = [](const Problem& a, const Problem& b) {
            return a.offset < b.offset;
        };
        std::stable_sort(out.problems.begin(), out.problems.end(), byOffset);
        std::stable_sort(out.warnings.begin(), out.warnings.end(), byOffset);
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

    // The routing data runs from its offset up to the address data.
    void readRouting(Level& level) {
        const uint64_t at = level.routingOffset;
        if (at > bytes.size() || level.addressOffset < at) {
            report(level.directoryOffset + 20, "address data at " + dec(level.addressOffset) +
                                                   " before the routing data or the file");
            return;
        }
        level.routingBytes = level.addressOffset - at;
        const uint64_t available = std::min<uint64_t>(level.routingBytes, bytes.size() - at);
        level.routing = decodeRouting(bytes.subspan(at, available), at);
        adopt(level.routing.problems);
    }

    // Returns where the address data ends, which is where the next level's
    // data begins; nothing when that cannot be told.
    std::optional<uint64_t> readAddress(Level& level) {
        const uint64_t at = level.addressOffset;
        level.address = readAddressSection(from(at), at, AddressContainer::mainFile);
        adopt(level.address.problems);
        out.warnings.insert(out.warnings.end(), level.address.warnings.begin(),
                            level.address.warnings.end());
        if (level.address.size == 0)
            return std::nullopt;
        return at + level.address.size;
    }

    void adopt(const std::vector<Problem>& problems) {
        out.problems.insert(out.problems.end(), problems.begin(), problems.end());
    }

    std::span<const uint8_t> bytes;
    ZelFile& out;
    std::vector<bool> known = std::vector<bool>(0x10000, false);
};

} // namespace

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

const RoutingRoad* findRoad(const Level& level, uint32_t roadIndex) {
    const std::vector<RoutingRoad>& roads = level.routing.roads;
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
