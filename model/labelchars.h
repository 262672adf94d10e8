// The set of label characters: a UTF-16 string holding each unit once, in
// ascending order, as the character block of the output stores it.
#pragma once

#include <string>
#include <string_view>

namespace zel {

// Adds the units of `units` to the set `chars`.
void mergeLabelChars(std::u16string& chars, std::u16string_view units);

} // namespace zel
