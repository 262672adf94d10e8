// The file checksum: the reflected CRC-32 (polynomial 0xEDB88320) without the
// final complement, so the stored value is the register as it stands after the
// last byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zel {

namespace detail {

constexpr std::array<uint32_t, 256> makeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

inline constexpr std::array<uint32_t, 256> crcTable = makeCrcTable();

} // namespace detail

class Crc32 {
public:
    void update(const uint8_t* data, size_t count) {
        for (size_t i = 0; i < count; ++i)
            reg = detail::crcTable[(reg ^ data[i]) & 0xFF] ^ (reg >> 8);
    }
    uint32_t value() const { return reg; }

private:
    uint32_t reg = 0xFFFFFFFFu;
};

} // namespace zel
