// One line of a Polish map file applied to the model: section markers and the
// keys of the section the reader is in.
#pragma once

#include "reader/model.h"

#include <string_view>

namespace zel {

// `line` is the raw 8-bit line without its line end. It ends at its first NUL
// byte: text after one is no part of any key.
void parseLine(cMapPolish& map, std::string_view line);

} // namespace zel
