// The file checksum: the reflected CRC-32 (polynomial 0xEDB88320) without the
// final complement, so the stored value is the register as it stands after the
// last byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

class cCrc32 {
public:
    void update(const uint8_t* data, size_t count);
    uint32_t value() const { return reg; }

private:
    uint32_t reg = 0xFFFFFFFFu;
};

} // namespace zel
