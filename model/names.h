// Cleaning of names and labels as map makers write them.
#pragma once

#include <string>
#include <string_view>

namespace zel {

// Drops a leading "~[code]" (a label's highway shield or similar code) from
// the raw 8-bit value: everything up to and including the first "]".
std::string_view removeLeadingCode(std::string_view value);

// Country and region names: a "~[code]" inside the name becomes a bracketed
// remainder ("Foo~[0x1d]Bar" → "Foo (Bar)"), then the separator step below.
std::u16string normaliseAdminName(std::u16string name);

// One blank after each of ".()-" that is not followed by one, then runs of
// blanks collapsed, so differently spaced spellings of a name compare equal.
std::u16string normaliseSeparators(std::u16string name);

} // namespace zel
