#include "model/labelchars.h"

#include <algorithm>

namespace zel {

void mergeLabelChars(std::u16string& chars, std::u16string_view units) {
    // Most labels bring no new unit; a binary search per unit settles that
    // without rebuilding the set.
    const auto known = [&](char16_t c) {
        return std::binary_search(chars.begin(), chars.end(), c);
    };
    if (std::all_of(units.begin(), units.end(), known))
        return;
    chars.append(units);
    std::sort(chars.begin(), chars.end());
    chars.erase(std::unique(chars.begin(), chars.end()), chars.end());
}

} // namespace zel
