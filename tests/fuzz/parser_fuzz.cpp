// Any bytes as lines of a map file, applied to the model and committed.
#include "reader/commit.h"
#include "reader/parser.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zel::cMapPolish map;
    zel::PolishParser parser(map);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        if (end > start)
            parser.parseLine(text.substr(start, end - start));
        start = end + 1;
    }
    zel::commitPoi(map, parser.poi);
    zel::commitLine(map, parser.line);
    zel::commitPolygon(map, parser.polygon);
    return 0;
}
