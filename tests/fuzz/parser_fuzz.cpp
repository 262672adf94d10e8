// Any bytes as lines of a map file, applied to the model and committed.
#include "reader/commit.h"
#include "reader/parser.h"

#include <cstdint>
#include <string_view>

// The harness's own line splitting is left uninstrumented: its comparisons
// teach the fuzzer nothing and cost a good share of every run.
#if defined(__clang__)
#define HARNESS_ONLY __attribute__((no_sanitize("coverage")))
#else
#define HARNESS_ONLY
#endif

namespace {

HARNESS_ONLY size_t lineEnd(std::string_view text, size_t start) {
    while (start < text.size() && text[start] != '\r' && text[start] != '\n')
        ++start;
    return start;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zel::cMapPolish map;
    zel::PolishParser parser(map);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = lineEnd(text, start);
        if (end > start)
            parser.parseLine(text.substr(start, end - start));
        start = end + 1;
    }
    zel::commitPoi(map, parser.poi);
    zel::commitLine(map, parser.line);
    zel::commitPolygon(map, parser.polygon);
    return 0;
}
