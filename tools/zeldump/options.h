// The command line of zeldump.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zel::dump {

enum class Mode { summary, json, svg };

struct Options {
    Mode mode = Mode::summary;
    std::string file;   // as the system handed it over
    std::string svgOut; // --svg OUT
    bool records = false;
    bool labels = false;
    bool help = false;
    bool version = false;
    std::optional<uint32_t> level;
    std::optional<int32_t> square;
};

// The options, or the reason the command line cannot be followed (a usage
// error) in `error`.
struct ParsedOptions {
    Options options;
    std::string error;
};

ParsedOptions parseOptions(std::span<const std::string> arguments);

extern const char* const usageText;

} // namespace zel::dump
