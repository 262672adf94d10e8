// ASCII letter case: section names, keys, options and the "*.mp" pattern are
// matched without regard to it, whatever code page the rest of the text is in.
#pragma once

#include <string>
#include <string_view>

namespace zel::platform {

constexpr char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char16_t lowerAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

inline std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = lowerAscii(c);
    return lower;
}

} // namespace zel::platform
