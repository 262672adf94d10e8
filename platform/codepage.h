#pragma once

// Map text is stored as UTF-16 whatever 8-bit code page the map was written
// in; these functions do that conversion.

#include <string>
#include <string_view>

namespace zel::platform {

// The code page text is read in when a map declares `declared`: the value itself when it is one we
// support, else 1252.
int supportedCodePage(int declared);

// Appends the UTF-16 form of the 8-bit text `bytes`, read in `codePage` (a value supportedCodePage
// returns), to `out`.
void appendDecoded(std::u16string& out, std::string_view bytes, int codePage);

std::u16string decodeText(std::string_view bytes, int codePage);

} // namespace zel::platform
