#include "platform/codepage.h"

#include "platform/codepage_tables.h"
#include "platform/utf.h"

#include <cstddef>

namespace zel::platform {

namespace {

constexpr int kUtf8 = 65001;
constexpr int kDefaultCodePage = 1252;
constexpr char16_t kReplacement = 0xFFFD;

// Malformed input never stops a compile: each maximal subpart of an invalid
// sequence becomes one U+FFFD, the practice Unicode recommends and browsers
// follow, so the same bytes give the same text in every tool a map passes
// through.
void appendUtf8(std::u16string& out, std::string_view bytes) {
    for (std::size_t pos = 0; pos < bytes.size();) {
        const Utf8Step step = decodeUtf8(bytes, pos);
        if (step.valid)
            appendUtf16(out, step.codePoint);
        else
            out.push_back(kReplacement);
        pos += step.length;
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
