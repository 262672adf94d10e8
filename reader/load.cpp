#include "reader/load.h"

#include "platform/files.h"
#include "platform/progress.h"
#include "reader/parser.h"

#include <algorithm>
#include <array>
#include <string>

namespace zel {
namespace {

constexpr size_t readChunkSize = 1 << 16;

// Splits the file into lines at CR and LF; blank lines (and the LF of CR LF)
// are skipped, and text after the last line end is not a line.
void readLines(PolishParser& parser, platform::File& file, cProgress& progress) {
    std::array<char, readChunkSize> chunk{};
    std::string line;
    while (size_t got = file.read(chunk.data(), chunk.size())) {
        for (size_t i = 0; i < got; ++i) {
            const char c = chunk[i];
            progress.tick();
            if (c != '\n' && c != '\r') {
                line.push_back(c);
            } else if (!line.empty()) {
                parser.parseLine(line);
                line.clear();
            }
        }
    }
}

} // namespace

bool load(cMapPolish& map, const std::u16string& path) {
    platform::File file;
    if (!file.open(path, platform::File::Mode::read))
        return false;
    const int64_t length = std::max<int64_t>(file.size(), 0);
    cProgress progress;
    progress.start("Reading file", static_cast<uint32_t>(std::min<int64_t>(length, UINT32_MAX)));
    PolishParser parser(map);
    readLines(parser, file, progress);
    progress.finish();
    return true;
}

} // namespace zel
