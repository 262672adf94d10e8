#include "support/zelsample.h"

#include "format/crc32.h"

#include <string_view>

namespace zel::test {

Bytes sampleAddressSection() {
    Bytes out;
    putTag(out, "BADR");
    putU8(out, 0);
    putU8(out, 1);
    putU16(out, 1);
    for (uint32_t v : {1u, 1u, 113u, 102u, 47u, 9u, 0u})
        putU32(out, v);
    const auto name = [&](std::u16string_view text) {
        putU8(out, static_cast<uint8_t>(text.size()));
        for (char16_t c : text)
            putU16(out, c);
    };
    name(u"Main");
    putU8(out, 2); // the street: kind, ref, name, x, y
    putU32(out, 0);
    name(u"Main");
    putU32(out, 0x41460000); // 12.375
    putU32(out, 0x42360000); // 45.5
    for (uint32_t v : {0xFFFFFFFFu, 0u, 0xFFFFFFFFu, 0u})
        putU32(out, v);
    name(u"C");
    for (uint32_t v : {3u, 9u, 1u, 0u, 9u, 2u, 1u, 9u, 3u, 0u, 31u, 31u, 1u})
        putU32(out, v);
    name(u"R");
    putU32(out, 1);
    putU32(out, 47);
    name(u"X");
    putU32(out, 1);
    putU32(out, 102);
    return out;
}

void fixCrc(Bytes& bytes) {
    setU32(bytes.data() + 4, 0);
    Crc32 crc;
    crc.update(bytes.data(), bytes.size());
    setU32(bytes.data() + 4, crc.value());
}

} // namespace zel::test
