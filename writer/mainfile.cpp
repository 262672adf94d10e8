#include "writer/mainfile.h"

#include "format/bytes.h"
#include "format/crc32.h"
#include "format/layout.h"
#include "model/labelchars.h"
#include "platform/files.h"
#include "writer/sidefile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace zel {
namespace {

using platform::File;
using namespace layout;

constexpr size_t copyPieceSize = 1 << 20;

bool readExact(File& file, void* buffer, size_t count) {
    return file.read(buffer, count) == count;
}

// The size of a side file, or nothing when it is missing: a level without its
// data would leave the directory pointing at another level's bytes.
std::optional<uint64_t> sideFileSize(const std::u16string& name) {
    File file;
    if (!file.open(name, File::Mode::read))
        return std::nullopt;
    const int64_t size = file.size();
    if (size < 0)
        return std::nullopt;
    return static_cast<uint64_t>(size);
}

bool fitsOffset(uint64_t value) {
    return value <= UINT32_MAX;
}

class MainFileWriter {
public:
    MainFileWriter(const cMapZEL& writer, const std::u16string& path)
        : writer(writer), tempPath(path + u".tmp") {}

    bool write(const std::u16string& path) {
        if (!out.open(tempPath, File::Mode::create))
            return false;
        if (!mergeCharFiles() || !writeHeaderAndChars() || !sizeDirectory() || !writeDirectory() ||
            !copyLevelData() || !finishHeader()) {
            return false;
        }
        return platform::renameFile(tempPath, path);
    }

    void discard() {
        out.close();
        platform::removeFile(tempPath);
        for (const SideFiles& group : writer.sideFiles) {
            for (const std::u16string* name :
                 {&group.indexFile, &group.blockFile, &group.addressFile, &group.charFile,
                  &group.routingFile}) {
                platform::removeFile(*name);
            }
        }
    }

private:
    bool emit(const uint8_t* data, size_t count) {
        crc.update(data, count);
        return out.write(data, count);
    }
    bool emit(const Bytes& bytes) { return emit(bytes.data(), bytes.size()); }

    bool mergeCharFiles() {
        chars.clear();
        chars.add(u"0123456789");
        for (const SideFiles& group : writer.sideFiles) {
            if (!mergeCharFile(group.charFile))
                return false;
        }
        return chars.size() <= maxChars;
    }

    bool mergeCharFile(const std::u16string& name) {
        File file;
        std::array<uint8_t, charHeaderSize> header{};
        if (!file.open(name, File::Mode::read) || !readExact(file, header.data(), header.size()) ||
            !hasTag(header.data(), charTag)) {
            return false;
        }
        Bytes data(getU16(header.data() + 4));
        // A short character file would drop characters that labels need; so
        // would a longer one, whose set outgrew the 16-bit length and wrapped.
        uint8_t beyond = 0;
        if (!readExact(file, data.data(), data.size()) || file.read(&beyond, 1) != 0)
            return false;
        std::u16string units;
        for (size_t i = 0; i + 1 < data.size(); i += 2) {
            const char16_t unit = getU16(data.data() + i);
            if (unit == 0)
                break;
            units.push_back(unit);
        }
        chars.add(units);
        file.close();
        platform::removeFile(name);
        return true;
    }

    bool writeHeaderAndChars() {
        const Bytes block = charBlock(chars);
        const auto byteLength = static_cast<uint16_t>(block.size() - charHeaderSize);
        header.assign(headerSize, 0);
        std::memcpy(header.data(), magic.data(), magic.size());
        header[versionOffset] = versionMajor;
        header[versionOffset + 1] = versionMinor;
        std::memcpy(header.data() + bannerOffset, banner.data(), banner.size());
        setU32(header.data() + levelCountOffset, static_cast<uint32_t>(writer.sideFiles.size()));
        setU32(header.data() + directoryOffsetField, charBlockOffset + charHeaderSize + byteLength);
        setU32(header.data() + charOffsetField, charBlockOffset);
        dataOffset = charBlockOffset + charHeaderSize + byteLength;
        return emit(header) && emit(block);
    }

    // Opens an index file and reads its header; the file must hold every
    // entry the header counts.
    bool readIndexHeader(File& file, const std::u16string& name, Bytes& indexHeader) {
        indexHeader.assign(indexHeaderSize, 0);
        if (!file.open(name, File::Mode::read))
            return false;
        const int64_t size = file.size();
        if (size < 0 || !readExact(file, indexHeader.data(), indexHeader.size()) ||
            !hasTag(indexHeader.data(), indexTag)) {
            return false;
        }
        const uint64_t count = getU32(indexHeader.data() + indexEntryCountField);
        return static_cast<uint64_t>(size) >= indexHeaderSize + indexEntrySize * count;
    }

    bool sizeDirectory() {
        for (const SideFiles& group : writer.sideFiles) {
            File file;
            Bytes indexHeader;
            if (!readIndexHeader(file, group.indexFile, indexHeader))
                return false;
            dataOffset += indexHeaderSize + uint64_t{indexEntrySize} *
                                                getU32(indexHeader.data() + indexEntryCountField);
        }
        return true;
    }

    bool writeDirectory() {
        for (const SideFiles& group : writer.sideFiles) {
            if (!writeLevelDirectory(group))
                return false;
        }
        return true;
    }

    bool writeLevelDirectory(const SideFiles& group) {
        File file;
        Bytes indexHeader;
        if (!readIndexHeader(file, group.indexFile, indexHeader))
            return false;
        const auto blockSize = sideFileSize(group.blockFile);
        const auto routingSize = sideFileSize(group.routingFile);
        const auto addressSize = sideFileSize(group.addressFile);
        if (!blockSize || !routingSize || !addressSize)
            return false;
        const uint64_t routingOffset = dataOffset + *blockSize;
        const uint64_t addressOffset = routingOffset + *routingSize;
        if (!fitsOffset(addressOffset))
            return false;
        setU32(indexHeader.data() + indexRoutingOffsetField, static_cast<uint32_t>(routingOffset));
        setU32(indexHeader.data() + indexAddressOffsetField, static_cast<uint32_t>(addressOffset));

        const uint32_t count = getU32(indexHeader.data() + indexEntryCountField);
        Bytes entries(uint64_t{indexEntrySize} * count);
        if (!readExact(file, entries.data(), entries.size()))
            return false;
        for (size_t i = 0; i < entries.size(); i += indexEntrySize) {
            const uint64_t blockOffset = dataOffset + getU32(entries.data() + i + 4);
            if (!fitsOffset(blockOffset))
                return false;
            setU32(entries.data() + i + 4, static_cast<uint32_t>(blockOffset));
        }
        if (!emit(indexHeader) || !emit(entries))
            return false;
        file.close();
        platform::removeFile(group.indexFile);
        expectedSizes.push_back({*blockSize, *routingSize, *addressSize});
        dataOffset = addressOffset + *addressSize;
        return true;
    }

    bool copyLevelData() {
        for (size_t level = 0; level < writer.sideFiles.size(); ++level) {
            const SideFiles& group = writer.sideFiles[level];
            const std::array<const std::u16string*, 3> names = {
                &group.blockFile, &group.routingFile, &group.addressFile};
            for (size_t k = 0; k < names.size(); ++k) {
                if (!copyFile(*names[k], expectedSizes[level][k]))
                    return false;
            }
        }
        return true;
    }

    // Copies a side file whole; it must still have the size the directory
    // was computed from, or every later offset would be wrong.
    bool copyFile(const std::u16string& name, uint64_t expectedSize) {
        File file;
        if (!file.open(name, File::Mode::read))
            return false;
        // Side files of small maps are small; their buffer need not be a full piece.
        std::vector<uint8_t> piece(
            static_cast<size_t>(std::min<uint64_t>(expectedSize + 1, copyPieceSize)));
        uint64_t copied = 0;
        while (size_t got = file.read(piece.data(), piece.size())) {
            if (!emit(piece.data(), got))
                return false;
            copied += got;
        }
        file.close();
        if (copied != expectedSize)
            return false;
        platform::removeFile(name);
        return true;
    }

    bool finishHeader() {
        setU32(header.data() + crcOffset, crc.value());
        return out.seek(0) && out.write(header.data(), header.size()) && out.flush() && out.close();
    }

    const cMapZEL& writer;
    std::u16string tempPath;
    // The character set of the whole file: the digits and every level's
    // characters.
    LabelChars chars;
    File out;
    Crc32 crc;
    Bytes header;
    // Where the next level's data starts in the main file.
    uint64_t dataOffset = 0;
    std::vector<std::array<uint64_t, 3>> expectedSizes;
};

} // namespace

bool writeMainFile(const cMapZEL& writer, const std::u16string& path) {
    MainFileWriter mainFileWriter(writer, path);
    if (mainFileWriter.write(path))
        return true;
    mainFileWriter.discard();
    return false;
}

} // namespace zel
