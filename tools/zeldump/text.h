// Text for the three outputs: escaping for JSON and XML, and numbers written
// the same way whatever the locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zel::dump {

// A JSON string literal, quotes included. `utf8` must be valid UTF-8 (what
// platform::toUtf8 returns); control characters become escapes.
std::string jsonString(std::string_view utf8);

// Text for XML character data or a quoted attribute value. Stored labels may
// hold code units that XML 1.0 does not allow at all (control characters,
// lone surrogates, U+FFFE, U+FFFF); they become U+FFFD so that the document
// stays well-formed.
std::string xmlText(std::u16string_view text);

// Bytes of unknown encoding (the banner) as UTF-8, each byte one character,
// so that any bytes print.
std::string bannerText(std::string_view bytes);

// "0x2f00": object types are written in hex, as map makers write them.
std::string hexType(uint16_t type);
std::string hex32(uint32_t value);

// Fixed decimals, never exponent notation.
std::string fixed(double value, int decimals);

} // namespace zel::dump
