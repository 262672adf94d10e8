// Conversions between the UTF-16 text the program stores and the UTF-8 bytes
// the system's console and file names use.
#pragma once

#include <string>
#include <string_view>

namespace zel::platform {

// UTF-8 for the console: a lone surrogate becomes U+FFFD, so any stored text
// can be printed.
std::string toUtf8(std::u16string_view text);

// A file name or command-line argument as the system hands it over. Bytes
// that are not valid UTF-8 become the lone surrogates U+DC80..U+DCFF, so that
// such a name survives the round trip back to the system unchanged.
std::u16string fromSystemName(std::string_view bytes);

// The bytes of a name for a system call: the inverse of fromSystemName, with
// "\" turned into "/" because map makers write folders both ways.
std::string toSystemName(std::u16string_view name);

// Plain ASCII text as UTF-16, for literals built at run time.
std::u16string fromAscii(std::string_view text);

// One step of UTF-8 decoding at `pos`. For a well-formed character, its code
// point and byte length; otherwise `valid` is false and `length` covers the
// maximal invalid subpart (the longest prefix that could still have begun a
// character, at least one byte), so each caller replaces exactly that much.
struct Utf8Step {
    char32_t codePoint = 0;
    size_t length = 0;
    bool valid = false;
};
Utf8Step decodeUtf8(std::string_view bytes, size_t pos);

// Appends a code point as one unit or a surrogate pair.
void appendUtf16(std::u16string& out, char32_t codePoint);

} // namespace zel::platform
