#include "platform/codepage.h"

#include "platform/codepage_tables.h"

#include <cstddef>

namespace zel::platform {

namespace {

constexpr int kUtf8 = 65001;
constexpr int kDefaultCodePage = 1252;
constexpr char16_t kReplacement = 0xFFFD;

// Malformed input never stops a compile: each maximal subpart of an invalid
// sequence (the longest prefix that could still have begun a valid character)
// becomes one U+FFFD, the practice Unicode recommends and browsers follow, so
// the same bytes give the same text in every tool a map passes through.
void appendUtf8(std::u16string& out, std::string_view bytes) {
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    while (i < size) {
        const auto lead = static_cast<unsigned char>(bytes[i++]);
        if (lead < 0x80) {
            out.push_back(static_cast<char16_t>(lead));
            continue;
        }

        // Continuation count and the allowed range of the first continuation
        // byte; narrowing that range is what rules out overlong forms
        // (E0, F0), surrogates (ED) and values past U+10FFFF (F4).
        int needed = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        char32_t cp = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            needed = 1;
            cp = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            needed = 2;
            cp = lead & 0x0Fu;
            if (lead == 0xE0) {
                low = 0xA0;
            } else if (lead == 0xED) {
                high = 0x9F;
            }
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            needed = 3;
            cp = lead & 0x07u;
            if (lead == 0xF0) {
                low = 0x90;
            } else if (lead == 0xF4) {
                high = 0x8F;
            }
        } else {
            // Stray continuation byte, C0/C1 (only ever overlong) or F5-FF.
            out.push_back(kReplacement);
            continue;
        }

        bool complete = true;
        for (int k = 0; k < needed; ++k) {
            if (i >= size) {
                complete = false;
                break;
            }
            const auto next = static_cast<unsigned char>(bytes[i]);
            if (next < low || next > high) {
                // The offending byte is not consumed: it may start the next character.
                complete = false;
                break;
            }
            cp = (cp << 6) | (next & 0x3Fu);
            ++i;
            low = 0x80;
            high = 0xBF;
        }
        if (!complete) {
            out.push_back(kReplacement);
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char16_t>(cp));
        } else {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        }
    }
}

} // namespace

int supportedCodePage(int declared) {
    if (declared == 874 || (declared >= 1250 && declared <= 1258) || declared == kUtf8) {
        return declared;
    }
    return kDefaultCodePage;
}

void appendDecoded(std::u16string& out, std::string_view bytes, int codePage) {
    if (codePage == kUtf8) {
        // UTF-8 never yields more code units than it has bytes.
        out.reserve(out.size() + bytes.size());
        appendUtf8(out, bytes);
        return;
    }
    const char16_t* table = singleByteTable(codePage);
    if (table == nullptr) {
        table = singleByteTable(kDefaultCodePage);
    }
    const std::size_t start = out.size();
    out.resize(start + bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out[start + i] = table[static_cast<unsigned char>(bytes[i])];
    }
}

std::u16string decodeText(std::string_view bytes, int codePage) {
    std::u16string out;
    appendDecoded(out, bytes, codePage);
    return out;
}

} // namespace zel::platform
