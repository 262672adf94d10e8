#include "tools/zeldump/options.h"

#include <charconv>
#include <limits>

namespace zel::dump {
namespace {

// A whole decimal number in [low, high], nothing else in the text.
template <typename T>
std::optional<T> parseNumber(const std::string& text, int64_t low, int64_t high) {
    int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || next != end || value < low || value > high)
        return std::nullopt;
    return static_cast<T>(value);
}

} // namespace

const char* const usageText =
    "usage: zeldump [--level K] FILE                 validate FILE and sum it up\n"
    "       zeldump --json [--records] [--level K] [--square N] FILE\n"
    "                                                the same as JSON, with every record\n"
    "       zeldump --svg OUT.svg [--level K] [--labels] FILE\n"
    "                                                picture one level (default 0)\n"
    "K counts the levels of the file from 0; N is a square number.\n"
    "Exit status: 0 valid, 1 invalid (each violation with its byte offset),\n"
    "2 usage error or a file that cannot be read or written.\n"
    "zeldump -h shows this text, zeldump -v the version. More: man zeldump\n";

ParsedOptions parseOptions(std::span<const std::string> arguments) {
    ParsedOptions parsed;
    Options& o = parsed.options;
    bool json = false;
    bool svg = false;
    bool onlyFiles = false;
    std::optional<std::string> file;
    const auto fail = [&](std::string error) {
        parsed.error = std::move(error);
        return parsed;
    };

    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        const bool takesValue = arg == "--svg" || arg == "--level" || arg == "--square";
        if (!onlyFiles && takesValue && i + 1 >= arguments.size())
            return fail(arg + " needs a value");
        if (onlyFiles || arg == "-" || arg.empty() || arg[0] != '-') {
            if (file)
                return fail("more than one file: " + *file + " and " + arg);
            file = arg;
        } else if (arg == "--") {
            onlyFiles = true;
        } else if (arg == "--help" || arg == "-h" || arg == "-?") {
            o.help = true;
        } else if (arg == "--version" || arg == "-v") {
            o.version = true;
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--records") {
            o.records = true;
        } else if (arg == "--labels") {
            o.labels = true;
        } else if (arg == "--svg") {
            if (svg)
                return fail("--svg given twice");
            svg = true;
            o.svgOut = arguments[++i];
        } else if (arg == "--level") {
            if (o.level)
                return fail("--level given twice");
            o.level =
                parseNumber<uint32_t>(arguments[++i], 0, std::numeric_limits<uint32_t>::max());
            if (!o.level)
                return fail("--level needs a level number, not \"" + arguments[i] + "\"");
        } else if (arg == "--square") {
            if (o.square)
                return fail("--square given twice");
            o.square = parseNumber<int32_t>(arguments[++i], std::numeric_limits<int32_t>::min(),
                                            std::numeric_limits<int32_t>::max());
            if (!o.square)
                return fail("--square needs a square number, not \"" + arguments[i] + "\"");
        } else {
            return fail("unknown option " + arg);
        }
    }
    if (o.help || o.version)
        return parsed;
    if (json && svg)
        return fail("--json and --svg exclude each other");
    o.mode = json ? Mode::json : svg ? Mode::svg : Mode::summary;
    if (o.records && !json)
        return fail("--records belongs to --json");
    if (o.square && !json)
        return fail("--square belongs to --json");
    if (o.labels && !svg)
        return fail("--labels belongs to --svg");
    if (svg && o.svgOut.empty())
        return fail("--svg needs a file name");
    if (!file)
        return fail("no file given");
    o.file = *file;
    return parsed;
}

} // namespace zel::dump
