// Any bytes as a main map file: the reader reports problems, never crashes.
#include "format/zelfile.h"

#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const zel::format::ZelFile file = zel::format::readZel(std::span<const uint8_t>(data, size));
    (void)file.valid();
    return 0;
}
