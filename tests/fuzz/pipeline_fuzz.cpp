// Any bytes as a map file: reading, tiling and writing the main file must
// finish without a crash, a hang or a sanitizer report, and leave no side file.
// The files live in a memory-backed folder when the system has one, so that a
// run costs what the compiler costs, not what the disk does. A map whose
// levels span more squares than a small map could is read but not tiled: such
// maps cost in proportion to their hundreds of megabytes of output, which
// says nothing new (the hostile tests hold them), and would hold the fuzzer at
// a few runs a second.
#include "driver/convert.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/utf.h"
#include "writer/mainfile.h"
#include "writer/mapzel.h"
#include "writer/scale.h"
#include "writer/squares.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

std::string memoryBackedRoot() {
    struct stat info {};
    if (stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode))
        return "/dev/shm";
    return "/tmp";
}

std::u16string workFolder() {
    static const std::u16string folder = [] {
        std::string pattern = memoryBackedRoot() + "/mp2zel-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        return zel::platform::fromSystemName(pattern) + u"/";
    }();
    return folder;
}

constexpr int64_t mostSquares = 1 << 14;

bool smallEnoughToTile(const zel::cMapPolish& map, bool autoScale) {
    for (const zel::mapLevel& level : map.levels) {
        if (zel::isEmpty(level))
            continue;
        const zel::SquareGrid grid(zel::levelScale(level, autoScale).squareSize, level.bits);
        const zel::SquareRange range = grid.rangeOfBox(level.bbox);
        if (range.columns() * range.rows() > mostSquares)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string mapPath = workFolder() + u"in.mp";
    const std::u16string outPath = workFolder() + u"out.zel";
    {
        zel::platform::File file;
        if (!file.open(mapPath, zel::platform::File::Mode::write) || !file.write(data, size) ||
            !file.close()) {
            std::abort();
        }
    }
    zel::platform::ConsoleCapture quiet;
    zel::cMapZEL writer;
    const bool autoScale = size > 0 && data[0] % 2 == 1;
    if (zel::readAndComplete(writer, mapPath) && smallEnoughToTile(writer.map, autoScale)) {
        zel::tileLevels(writer, mapPath, autoScale);
        zel::writeMainFile(writer, outPath);
    }
    // Whatever happened, only the map (and maybe the main file) may be left.
    for (const zel::platform::DirEntry& entry : zel::platform::listFolder(workFolder())) {
        if (entry.name != u"in.mp" && entry.name != u"out.zel")
            std::abort();
    }
    zel::platform::removeFile(outPath);
    return 0;
}
