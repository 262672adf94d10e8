// Map text straight into the model, as the loader reads it, for tests that
// set up a model from a few lines of a map.
#pragma once

#include "reader/parser.h"

#include <string>
#include <string_view>

namespace zel::test {

// Applies the lines of `text` (split at CR and LF, blank lines skipped; text
// after the last line end is a line too) to `map`. The parser is returned
// with the object it was reading, which is stored only when its section ends.
inline PolishParser readMapText(cMapPolish& map, std::string_view text) {
    PolishParser parser(map);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        if (end > start)
            parser.parseLine(text.substr(start, end - start));
        start = end + 1;
    }
    return parser;
}

} // namespace zel::test
