// The file checksum: the reflected CRC-32 (polynomial 0xEDB88320) without the
// final complement, so the stored value is the register as it stands after the
// last byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zel {

namespace detail {

// Table k gives the register's change for a byte followed by k zero bytes, so
// that eight bytes are folded in at once ("slicing by eight"); table 0 is the
// usual byte-at-a-time table.
constexpr std::array<std::array<uint32_t, 256>, 8> makeCrcTables() {
    std::array<std::array<uint32_t, 256>, 8> tables{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; ++n) {
        for (size_t k = 1; k < 8; ++k)
            tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xFF];
    }
    return tables;
}

inline constexpr std::array<std::array<uint32_t, 256>, 8> crcTables = makeCrcTables();

} // namespace detail

class Crc32 {
public:
    void update(const uint8_t* data, size_t count) {
        const auto& t = detail::crcTables;
        size_t i = 0;
        for (; i + 8 <= count; i += 8) {
            const uint32_t low = reg ^ (uint32_t{data[i]} | uint32_t{data[i + 1]} << 8 |
                                        uint32_t{data[i + 2]} << 16 | uint32_t{data[i + 3]} << 24);
            reg = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^
                  t[4][low >> 24] ^ t[3][data[i + 4]] ^ t[2][data[i + 5]] ^ t[1][data[i + 6]] ^
                  t[0][data[i + 7]];
        }
        for (; i < count; ++i)
            reg = t[0][(reg ^ data[i]) & 0xFF] ^ (reg >> 8);
    }
    uint32_t value() const { return reg; }

private:
    uint32_t reg = 0xFFFFFFFFu;
};

} // namespace zel
