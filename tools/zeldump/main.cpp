// zeldump: reads a main map file, says whether it keeps every rule of the
// layout, and shows what it holds as a summary, as JSON or as a picture.
#include "format/zelfile.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/utf.h"
#include "tools/zeldump/json.h"
#include "tools/zeldump/options.h"
#include "tools/zeldump/summary.h"
#include "tools/zeldump/svg.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace zel;

constexpr int exitValid = 0;
constexpr int exitInvalid = 1;
constexpr int exitUsage = 2;

// Offsets in the layout are 32 bits wide, so no main file is much larger than
// 4 GiB; anything beyond is refused before it is read into memory.
constexpr int64_t largestFile = (int64_t{1} << 32) + (int64_t{1} << 24);

int usageError(const std::string& message) {
    std::fprintf(stderr, "zeldump: %s\n%s", message.c_str(), dump::usageText);
    return exitUsage;
}

int failure(const std::string& message) {
    std::fprintf(stderr, "zeldump: %s\n", message.c_str());
    return exitUsage;
}

bool readWhole(const std::u16string& path, std::vector<uint8_t>& bytes, std::string& error) {
    if (platform::isDirectory(path)) {
        error = "is a folder";
        return false;
    }
    platform::File file;
    if (!file.open(path, platform::File::Mode::read)) {
        error = "cannot be opened";
        return false;
    }
    const int64_t size = file.size();
    if (size < 0) {
        error = "cannot be measured";
        return false;
    }
    if (size > largestFile) {
        error = "is larger than any main map file can be";
        return false;
    }
    bytes.resize(static_cast<size_t>(size));
    if (file.read(bytes.data(), bytes.size()) != bytes.size()) {
        error = "cannot be read";
        return false;
    }
    return true;
}

bool writeWhole(const std::u16string& path, const std::string& text) {
    platform::File file;
    return file.open(path, platform::File::Mode::write) && file.write(text.data(), text.size()) &&
           file.close();
}

void print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

} // namespace

int main(int argc, char** argv) {
    platform::prepareConsole();
    std::vector<std::string> arguments = platform::commandLineBytes(argc, argv);
    if (!arguments.empty())
        arguments.erase(arguments.begin());
    const dump::ParsedOptions parsed = dump::parseOptions(arguments);
    if (!parsed.error.empty())
        return usageError(parsed.error);
    const dump::Options& options = parsed.options;
    if (options.help) {
        print(dump::usageText);
        return exitValid;
    }
    if (options.version) {
        print("zeldump " MP2ZEL_VERSION "\n");
        return exitValid;
    }

    const std::u16string path = platform::fromSystemName(options.file);
    const std::string name = platform::toUtf8(path);
    std::vector<uint8_t> bytes;
    std::string error;
    if (!readWhole(path, bytes, error))
        return failure(name + " " + error);
    const dump::Inspection inspection = dump::inspect(name, bytes);
    const format::ZelFile& zel = inspection.zel;

    const uint32_t level = options.level.value_or(0);
    if ((options.level || options.mode == dump::Mode::svg) && level >= zel.levels.size()) {
        return usageError(name + " has no level " + std::to_string(level) + " (it has " +
                          std::to_string(zel.levels.size()) + ")");
    }

    switch (options.mode) {
    case dump::Mode::summary:
        print(dump::summaryText(inspection, options.level));
        break;
    case dump::Mode::json:
        print(dump::jsonText(inspection, {options.records, options.level, options.square}));
        break;
    case dump::Mode::svg: {
        const std::string svg = dump::svgText(inspection, {level, options.labels});
        const std::u16string out = platform::fromSystemName(options.svgOut);
        if (!writeWhole(out, svg))
            return failure("cannot write " + platform::toUtf8(out));
        std::string text = "wrote " + platform::toUtf8(out) + ": level " + std::to_string(level);
        if (!zel.valid())
            text += "\n" + name + " is invalid: " + std::to_string(zel.problems.size()) +
                    " problems\n" + dump::problemText(zel.problems);
        else
            text += "\n";
        print(text);
        break;
    }
    }
    std::fflush(stdout);
    return zel.valid() ? exitValid : exitInvalid;
}
