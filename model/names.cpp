#include "model/names.h"

#include <algorithm>
#include <array>

namespace zel {
namespace {

// Kept in ascending order of code unit for the binary search.
constexpr std::array<char16_t, 4> nameSeparators = {u'(', u')', u'-', u'.'};

bool isNameSeparator(char16_t c) {
    return std::binary_search(nameSeparators.begin(), nameSeparators.end(), c);
}

} // namespace

std::string_view removeLeadingCode(std::string_view value) {
    if (value.substr(0, 2) != "~[")
        return value;
    const size_t close = value.find(']');
    return close == std::string_view::npos ? value : value.substr(close + 1);
}

std::u16string normaliseAdminName(std::u16string name) {
    const size_t tilde = name.find(u'~');
    const size_t open = tilde == std::u16string::npos ? tilde : name.find(u'[', tilde);
    if (open != std::u16string::npos) {
        const size_t close = name.find(u']', open);
        if (close == std::u16string::npos) {
            name.erase(tilde);
        } else {
            name.replace(tilde, close + 1 - tilde, u" (");
            name.push_back(u')');
        }
    }
    return normaliseSeparators(std::move(name));
}

std::u16string normaliseSeparators(std::u16string name) {
    std::u16string spaced;
    spaced.reserve(name.size() + name.size() / 4);
    for (size_t i = 0; i < name.size(); ++i) {
        spaced.push_back(name[i]);
        if (isNameSeparator(name[i]) && i + 1 < name.size() && name[i + 1] != u' ')
            spaced.push_back(u' ');
    }
    // Collapsing every run of blanks to one is what replacing double blanks
    // until none is left amounts to.
    std::u16string collapsed;
    collapsed.reserve(spaced.size());
    for (char16_t c : spaced) {
        if (c != u' ' || collapsed.empty() || collapsed.back() != u' ')
            collapsed.push_back(c);
    }
    return collapsed;
}

} // namespace zel
