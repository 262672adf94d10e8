#include "reader/load.h"

#include "platform/files.h"
#include "platform/progress.h"
#include "reader/parser.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace zel {
namespace {

constexpr size_t readChunkSize = 1 << 20;

// Finds line ends in one buffer with memchr. The next LF is remembered, so
// that a file whose lines end in CR alone is not searched to the buffer's end
// for an LF once per line.
class LineEnds {
public:
    explicit LineEnds(std::string_view data) : data(data) {}

    // The first CR or LF at or after `from` (below the buffer's size), or npos.
    size_t after(size_t from) {
        if (!searched || (nextLf != std::string_view::npos && nextLf < from)) {
            searched = true;
            const void* lf = std::memchr(data.data() + from, '\n', data.size() - from);
            nextLf = lf ? static_cast<size_t>(static_cast<const char*>(lf) - data.data())
                        : std::string_view::npos;
        }
        const size_t beforeLf = std::min(nextLf, data.size()) - from;
        if (const void* cr = std::memchr(data.data() + from, '\r', beforeLf))
            return static_cast<size_t>(static_cast<const char*>(cr) - data.data());
        return nextLf;
    }

private:
    std::string_view data;
    // The first LF at or after the last search's start; npos when none is left.
    size_t nextLf = std::string_view::npos;
    bool searched = false;
};

// Splits the file into lines at CR and LF; blank lines (and the LF of CR LF)
// are skipped, and text after the last line end is not a line. Lines are
// parsed where they lie in the read buffer; only a line cut by the end of a
// buffer is gathered in `pending`. Progress counts every byte, in bulk.
// A small file gets a buffer of its own size: the pages of a large one would be
// cleared for nothing.
void readLines(PolishParser& parser, platform::File& file, int64_t length, cProgress& progress) {
    std::vector<char> chunk(static_cast<size_t>(std::clamp<int64_t>(length + 1, 1, readChunkSize)));
    std::string pending;
    while (size_t got = file.read(chunk.data(), chunk.size())) {
        const std::string_view data(chunk.data(), got);
        LineEnds ends(data);
        size_t start = 0;
        while (start < data.size()) {
            const size_t end = ends.after(start);
            if (end == std::string_view::npos) {
                pending.append(data.substr(start));
                break;
            }
            if (!pending.empty()) {
                pending.append(data.substr(start, end - start));
                parser.parseLine(pending);
                pending.clear();
            } else if (end > start) {
                parser.parseLine(data.substr(start, end - start));
            }
            start = end + 1;
        }
        progress.tickMany(got);
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
    readLines(parser, file, length, progress);
    progress.finish();
    return true;
}

} // namespace zel
