// Writing one side file whole or not at all.
#pragma once

#include "platform/files.h"
#include "writer/bytes.h"

#include <string>

namespace zel {

// A side file being written. A file that cannot be created or written is
// reported once and removed when closed: the main file then misses it and is
// not written, instead of being merged from a truncated piece.
class cSideFile {
public:
    explicit cSideFile(std::u16string name);
    cSideFile(const cSideFile&) = delete;
    cSideFile& operator=(const cSideFile&) = delete;
    ~cSideFile();

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
