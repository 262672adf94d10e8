#include "writer/crc32.h"

#include <array>

namespace zel {
namespace {

constexpr std::array<uint32_t, 256> makeTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> crcTable = makeTable();

} // namespace

void cCrc32::update(const uint8_t* data, size_t count) {
    for (size_t i = 0; i < count; ++i)
        reg = crcTable[(reg ^ data[i]) & 0xFF] ^ (reg >> 8);
}

} // namespace zel
