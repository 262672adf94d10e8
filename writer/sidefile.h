// The side files a tiled level leaves next to its map, and writing one of
// them whole or not at all.
#pragma once

#include "format/bytes.h"
#include "model/labelchars.h"
#include "platform/files.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

// The five files of one tiled level, named "<map path><level index><suffix>",
// e.g. in/maps/town.mp0.blck; merged into the main file at the end.
struct SideFiles {
    std::u16string indexFile;
    std::u16string blockFile;
    std::u16string addressFile;
    std::u16string charFile;
    std::u16string routingFile;
};

namespace sideFileSuffix {
constexpr std::u16string_view index = u".bidx";
constexpr std::u16string_view blocks = u".blck";
constexpr std::u16string_view address = u".badr";
constexpr std::u16string_view chars = u".bchr";
constexpr std::u16string_view routing = u".brif";
} // namespace sideFileSuffix

// The character block: the whole of a level's character file, and in the main
// file the block of every level's characters.
Bytes charBlock(const LabelChars& chars);

// The names of the side files of level `levelIndex` of the map at `mapPath`.
SideFiles sideFilesOf(const std::u16string& mapPath, uint32_t levelIndex);

// A side file being written. A file that cannot be created or written is
// reported once and removed when closed: the main file then misses it and is
// not written, instead of being merged from a truncated piece.
class SideFile {
public:
    explicit SideFile(std::u16string name);
    SideFile(const SideFile&) = delete;
    SideFile& operator=(const SideFile&) = delete;
    ~SideFile();

    void write(const Bytes& bytes);
    void write(const uint8_t* data, size_t count);
    // Bytes written so far.
    uint64_t size() const { return written; }
    void close();
    // Gives the file up: reported, and removed when closed.
    void fail();

private:
    std::u16string name;
    platform::File file;
    uint64_t written = 0;
    bool failed = false;
    bool closed = false;
};

// Writes a whole side file from one buffer.
void writeSideFile(const std::u16string& name, const Bytes& bytes);

} // namespace zel
