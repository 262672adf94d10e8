#include "model/labelchars.h"

#include <bit>

namespace zel {

void LabelChars::add(std::u16string_view units) {
    for (const char16_t unit : units)
        bits[unit >> 6] |= uint64_t{1} << (unit & 63);
}

std::u16string LabelChars::units() const {
    std::u16string units;
    units.reserve(size());
    for (size_t word = 0; word < bits.size(); ++word) {
        for (uint64_t rest = bits[word]; rest != 0; rest &= rest - 1)
            units.push_back(static_cast<char16_t>(word * 64 + std::countr_zero(rest)));
    }
    return units;
}

size_t LabelChars::size() const {
    size_t count = 0;
    for (const uint64_t word : bits)
        count += static_cast<size_t>(std::popcount(word));
    return count;
}

} // namespace zel
