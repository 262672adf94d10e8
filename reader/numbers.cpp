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

// Most coordinates are plain decimals of a few digits: their digits as an
// integer below 2^53 and a power of ten up to 10^22 are both exact doubles, so
// one division gives the correctly rounded value, the one from_chars gives.
struct ExactDecimal {
    static constexpr uint64_t exactLimit = uint64_t{1} << 53;
    uint64_t digits = 0;
    int fractionDigits = 0;
    bool exact = true;

    void addDigit(char c, bool afterPoint) {
        if (digits >= exactLimit) {
            exact = false;
            return;
        }
        digits = digits * 10 + static_cast<uint64_t>(c - '0');
        fractionDigits += afterPoint ? 1 : 0;
    }

    bool usable() const { return exact && digits <= exactLimit && fractionDigits <= 22; }

    double value() const {
        static constexpr double powers[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        return static_cast<double>(digits) / powers[fractionDigits];
    }
};

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
    size_t end = 0;
    return parseCoordinate(text, end);
}

double parseCoordinate(std::string_view text, size_t& converted) {
    converted = 0;
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
    ExactDecimal exact;
    for (; pos < text.size() && isDigit(text[pos]); ++pos) {
        anyDigit = true;
        seenNonZero = seenNonZero || text[pos] != '0';
        if (seenNonZero)
            ++magnitude;
        exact.addDigit(text[pos], false);
    }
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        for (; pos < text.size() && isDigit(text[pos]); ++pos) {
            anyDigit = true;
            if (!seenNonZero && text[pos] == '0')
                --magnitude;
            seenNonZero = seenNonZero || text[pos] != '0';
            exact.addDigit(text[pos], true);
        }
    }
    if (!anyDigit)
        return 0.0;
    const bool hasExponent = pos < text.size() && (text[pos] == 'e' || text[pos] == 'E');
    if (!hasExponent && exact.usable()) {
        converted = pos;
        return negative ? -exact.value() : exact.value();
    }
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
    converted = end;
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
