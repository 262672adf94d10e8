// Little-endian fields of the output's byte layouts, written and read one byte
// at a time so that the layout never depends on the host.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace zel {

using Bytes = std::vector<uint8_t>;

inline void putU8(Bytes& out, uint8_t value) {
    out.push_back(value);
}

inline void putU16(Bytes& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void putU32(Bytes& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

inline void putI32(Bytes& out, int32_t value) {
    putU32(out, static_cast<uint32_t>(value));
}

// A four-letter ASCII tag such as "BLCK".
inline void putTag(Bytes& out, std::string_view tag) {
    for (char c : tag)
        out.push_back(static_cast<uint8_t>(c));
}

inline void setU16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

inline void setU32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint16_t getU16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

inline uint32_t getU32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
           (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

inline int32_t getI32(const uint8_t* at) {
    return static_cast<int32_t>(getU32(at));
}

inline bool hasTag(const uint8_t* at, std::string_view tag) {
    for (size_t i = 0; i < tag.size(); ++i) {
        if (at[i] != static_cast<uint8_t>(tag[i]))
            return false;
    }
    return true;
}

// Reads little-endian fields from a byte block without ever going past its end.
// A read that does not fit sets the failure flag, returns 0 and leaves the
// position where it was; every later read fails too, so a parser may read a
// whole record and check once.
class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const uint8_t> data) : bytes(data) {}
    ByteReader(const uint8_t* data, size_t size) : bytes(data, size) {}

    bool ok() const { return !hasFailed; }
    bool failed() const { return hasFailed; }
    size_t position() const { return offset; }
    size_t remaining() const { return bytes.size() - offset; }

    uint8_t readU8() {
        const uint8_t* at = take(1);
        return at == nullptr ? 0 : at[0];
    }
    uint16_t readU16() {
        const uint8_t* at = take(2);
        return at == nullptr ? 0 : getU16(at);
    }
    uint32_t readU32() {
        const uint8_t* at = take(4);
        return at == nullptr ? 0 : getU32(at);
    }
    int32_t readI32() { return static_cast<int32_t>(readU32()); }
    // The IEEE single-precision bit pattern, as written.
    float readF32() { return std::bit_cast<float>(readU32()); }

    bool skip(size_t count) {
        take(count);
        return ok();
    }

private:
    // The start of the next `count` bytes, consumed; nullptr when they are not
    // all there.
    const uint8_t* take(size_t count) {
        if (hasFailed || count > remaining()) {
            hasFailed = true;
            return nullptr;
        }
        const uint8_t* at = bytes.data() + offset;
        offset += count;
        return at;
    }

    std::span<const uint8_t> bytes;
    size_t offset = 0;
    bool hasFailed = false;
};

} // namespace zel
