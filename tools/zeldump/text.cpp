#include "tools/zeldump/text.h"

#include "platform/utf.h"

#include <cmath>
#include <cstdio>

namespace zel::dump {

std::string jsonString(std::string_view utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", byte);
                out += escape;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string xmlText(std::u16string_view text) {
    std::u16string clean;
    clean.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool low = c >= 0xDC00 && c <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            clean += c;
            clean += text[++i];
        } else if (high || low || c == 0xFFFE || c == 0xFFFF ||
                   (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')) {
            clean += u'\uFFFD';
        } else {
            clean += c;
        }
    }
    std::string out;
    for (char c : platform::toUtf8(clean)) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string bannerText(std::string_view bytes) {
    std::u16string text;
    for (char c : bytes)
        text += static_cast<char16_t>(static_cast<unsigned char>(c));
    return platform::toUtf8(text);
}

std::string hexType(uint16_t type) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%x", type);
    return text;
}

std::string hex32(uint32_t value) {
    char text[12];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

std::string fixed(double value, int decimals) {
    if (!std::isfinite(value))
        return "0";
    char text[512];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string out = text;
    // "-0.0" reads as a different value to a human; it is 0.
    if (out.find_first_not_of("-0.") == std::string::npos)
        out = out.substr(out[0] == '-' ? 1 : 0);
    return out;
}

} // namespace zel::dump
