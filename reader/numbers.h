// The number conversions of map text. Every one of them is total: any byte
// sequence converts to a defined value (or to "nothing"), independent of the
// locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zel {

// Decimal integer: blanks skipped, one optional sign, the digits up to the
// first other character; 0 without digits. Clamped to -2^31 .. 2^32-1 and
// kept to its low 32 bits, so identifiers up to 4294967295 stay distinct.
int32_t parseInteger(std::string_view text);

// As parseInteger, but nothing when no digit follows the blanks and sign, so
// the caller can keep the field's old value.
std::optional<int32_t> scanDecimal(std::string_view text);

// Hexadecimal ("2f00", "0x2F00", " -0x10"): nothing when neither a hex digit
// nor a "0x" prefix follows, so the field keeps its old value; wraps modulo
// 2^32.
std::optional<int32_t> scanHex(std::string_view text);

// Decimal floating point with optional fraction and exponent ("45.5", "-1e3");
// no "inf", "nan" or hexadecimal forms; 0 when nothing converts. Out-of-range
// magnitudes give an infinity (or zero), which callers reject.
double parseCoordinate(std::string_view text);
// The same, and `converted` tells how many characters the number took: 0
// when nothing converts.
double parseCoordinate(std::string_view text, size_t& converted);

// C white space other than line ends, which never occur inside a line.
inline bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

} // namespace zel
