#include "platform/utf.h"

#include <cstdint>

namespace zel::platform {
namespace {

constexpr char32_t replacementChar = 0xFFFD;

bool isHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool isLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// UTF-8 of UTF-16 text. For a system name, "\\" becomes "/" and the escapes
// of fromSystemName turn back into their bytes; any other lone surrogate
// becomes U+FFFD.
std::string encode(std::u16string_view text, bool systemName) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (systemName && u == u'\\') {
            out.push_back('/');
        } else if (systemName && u >= 0xDC80 && u <= 0xDCFF) {
            out.push_back(static_cast<char>(u - 0xDC00));
        } else if (isHighSurrogate(u) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (isHighSurrogate(u) || isLowSurrogate(u)) {
            appendUtf8(out, replacementChar);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

} // namespace

Utf8Step decodeUtf8(std::string_view bytes, size_t pos) {
    const auto lead = static_cast<uint8_t>(bytes[pos]);
    if (lead < 0x80)
        return {lead, 1, true};
    // Continuation count and the allowed range of the first continuation byte;
    // narrowing that range rules out overlong forms (E0, F0), surrogates (ED)
    // and values past U+10FFFF (F4).
    size_t needed = 0;
    uint8_t low = 0x80;
    uint8_t high = 0xBF;
    char32_t c = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        needed = 1, c = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        needed = 2, c = lead & 0x0Fu;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        needed = 3, c = lead & 0x07u;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        // A stray continuation byte, C0/C1 (only ever overlong) or F5-FF.
        return {0, 1, false};
    }
    size_t length = 1;
    for (size_t k = 0; k < needed; ++k, ++length) {
        if (pos + length >= bytes.size())
            return {0, length, false};
        const auto next = static_cast<uint8_t>(bytes[pos + length]);
        // The offending byte is not part of the subpart: it may start the next character.
        if (next < low || next > high)
            return {0, length, false};
        c = (c << 6) | (next & 0x3Fu);
        low = 0x80;
        high = 0xBF;
    }
    return {c, length, true};
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
        return;
    }
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
}

std::string toUtf8(std::u16string_view text) {
    return encode(text, false);
}

std::u16string fromSystemName(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (size_t pos = 0; pos < bytes.size();) {
        const Utf8Step step = decodeUtf8(bytes, pos);
        if (step.valid) {
            appendUtf16(out, step.codePoint);
        } else {
            for (size_t k = 0; k < step.length; ++k)
                out.push_back(static_cast<char16_t>(0xDC00 + static_cast<uint8_t>(bytes[pos + k])));
        }
        pos += step.length;
    }
    return out;
}

std::string toSystemName(std::u16string_view name) {
    return encode(name, true);
}

std::u16string fromAscii(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return out;
}

} // namespace zel::platform
