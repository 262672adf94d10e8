#include "reader/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace zel {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Skips blanks and one sign; returns whether the sign was a minus.
bool skipBlanksAndSign(std::string_view text, size_t& pos) {
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        return text[pos++] == '-';
    return false;
}

int32_t low32(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

} // namespace

std::optional<int32_t> scanDecimal(std::string_view text) {
    size_t pos = 0;
    const bool negative = skipBlanksAndSign(text, pos);
    if (pos >= text.size() || !isDigit(text[pos]))
        return std::nullopt;
    // Accumulation stops growing past the clamp limit, so it never overflows.
    constexpr int64_t limit = int64_t{1} << 32;
    int64_t value = 0;
    for (; pos < text.size() && isDigit(text[pos]); ++pos) {
        if (value <= limit)
            value = value * 10 + (text[pos] - '0');
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int32_t>::min())
        value = std::numeric_limits<int32_t>::min();
    if (value > int64_t{UINT32_MAX})
        value = UINT32_MAX;
    return low32(value);
}

int32_t parseInteger(std::string_view text) {
    return scanDecimal(text).value_or(0);
}

std::optional<int32_t> scanHex(std::string_view text) {
    size_t pos = 0;
    const bool negative = skipBlanksAndSign(text, pos);
    bool converted = false;
    if (pos + 1 < text.size() && text[pos] == '0' &&
        (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        pos += 2;
        converted = true;
    }
    uint32_t value = 0;
    for (; pos < text.size() && hexValue(text[pos]) >= 0; ++pos) {
        value = value * 16 + static_cast<uint32_t>(hexValue(text[pos]));
        converted = true;
    }
    if (!converted)
        return std::nullopt;
    return static_cast<int32_t>(negative ? 0u - value : value);
}

double parseCoordinate(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    const size_t start = pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    const bool negative = pos > start && text[start] == '-';
    const size_t mantissaStart = pos;
    // Decimal exponent of the leading digit, to tell overflow from underflow.
    int64_t magnitude = 0;
    bool seenNonZero = false;
    bool anyDigit = false;
    for (; pos < text.size() && isDigit(text[pos]); ++pos) {
        anyDigit = true;
        seenNonZero = seenNonZero || text[pos] != '0';
        if (seenNonZero)
            ++magnitude;
    }
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        for (; pos < text.size() && isDigit(text[pos]); ++pos) {
            anyDigit = true;
            if (!seenNonZero && text[pos] == '0')
                --magnitude;
            seenNonZero = seenNonZero || text[pos] != '0';
        }
    }
    if (!anyDigit)
        return 0.0;
    size_t end = pos;
    int64_t exponent = 0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        size_t e = pos + 1;
        bool negativeExponent = false;
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            negativeExponent = text[e++] == '-';
        // An "e" without digits is not part of the number.
        if (e < text.size() && isDigit(text[e])) {
            for (; e < text.size() && isDigit(text[e]); ++e) {
                if (exponent < 100000)
                    exponent = exponent * 10 + (text[e] - '0');
            }
            if (negativeExponent)
                exponent = -exponent;
            end = e;
        }
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data() + mantissaStart, text.data() + end, value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        const bool huge = seenNonZero && magnitude + exponent > 0;
        value = huge ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

} // namespace zel
