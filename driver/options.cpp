#include "driver/options.h"

#include "platform/ascii.h"

#include <optional>

namespace zel {
namespace {

using platform::lowerAscii;

void appendSeparatorIfMissing(std::u16string& folder) {
    if (folder.empty() || !isSeparator(folder.back()))
        folder.push_back(u'/');
}

// The folder between "[" and "]". The "[" must belong to the option itself (come
// before any further "-"), but the value is taken whole up to its "]" or the end
// of the argument: folder names with hyphens are common and must not be cut.
std::optional<std::u16string_view> bracketValue(std::u16string_view argument,
                                                std::u16string_view optionToken) {
    const size_t open = optionToken.find(u'[');
    if (open == std::u16string_view::npos)
        return std::nullopt;
    const size_t tokenStart = static_cast<size_t>(optionToken.data() - argument.data());
    std::u16string_view rest = argument.substr(tokenStart + open + 1);
    const size_t start = rest.find_first_not_of(u']');
    if (start == std::u16string_view::npos)
        return std::nullopt;
    rest = rest.substr(start);
    return rest.substr(0, rest.find(u']'));
}

bool isAbsolute(std::u16string_view folder) {
    const bool hasDrive = folder.size() >= 2 && folder[1] == u':';
    return hasDrive || folder.front() == u'/';
}

void setOutputFolder(DriverState& state, std::u16string_view value) {
    // A relative folder lies in the working folder; an absolute one is added to
    // what an earlier "o" option left, as the option has always behaved.
    if (!isAbsolute(value)) {
        state.outputFolder = state.currentFolder;
        if (value.front() == u'\\')
            value.remove_prefix(1);
    }
    state.outputFolder.append(value);
    appendSeparatorIfMissing(state.outputFolder);
}

// A whole number of at most nine digits (so it fits 32 bits unsigned);
// nothing else.
std::optional<uint32_t> smallNumber(std::u16string_view text) {
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    uint32_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + static_cast<uint32_t>(c - u'0');
    }
    return value;
}

// "j", "jN", "j[N]": an empty value means one per core, as 0 does.
bool setJobs(DriverState& state, std::u16string_view value) {
    const auto jobs = value.empty() ? std::optional<uint32_t>(0) : smallNumber(value);
    if (jobs)
        state.jobs = *jobs;
    return jobs.has_value();
}

// "sK/N" or "s[K/N]" with 1 <= K <= N.
bool setShare(DriverState& state, std::u16string_view value) {
    const size_t slash = value.find(u'/');
    if (slash == std::u16string_view::npos)
        return false;
    const auto index = smallNumber(value.substr(0, slash));
    const auto count = smallNumber(value.substr(slash + 1));
    if (!index || !count || *index < 1 || *index > *count)
        return false;
    state.shareIndex = *index;
    state.shareCount = *count;
    return true;
}

// The value of "j" or "s": bracketed, or the rest of the option's token.
std::u16string_view countValue(std::u16string_view argument, std::u16string_view token) {
    if (const auto value = bracketValue(argument, token))
        return *value;
    if (token.find(u'[') != std::u16string_view::npos)
        return u"";
    return token.substr(1);
}

} // namespace

bool isSeparator(char16_t c) {
    return c == u'/' || c == u'\\';
}

void handleArgument(DriverState& state, std::u16string_view argument) {
    const size_t start = argument.find_first_not_of(u'-');
    if (start == std::u16string_view::npos)
        return;
    const size_t end = argument.find(u'-', start);
    const std::u16string_view token =
        argument.substr(start, end == std::u16string_view::npos ? end : end - start);
    const char16_t letter = lowerAscii(token.front());
    if (letter == u'a') {
        state.autoScale = true;
        return;
    }
    if (letter == u'h' || letter == u'?') {
        state.showUsage = true;
        return;
    }
    if (letter == u'v') {
        state.showVersion = true;
        return;
    }
    if (letter == u'j' || letter == u's') {
        const std::u16string_view value = countValue(argument, token);
        const bool read = letter == u'j' ? setJobs(state, value) : setShare(state, value);
        if (!read && state.badArgument.empty())
            state.badArgument = argument;
        return;
    }
    if (letter != u'd' && letter != u'o')
        return;
    const auto value = bracketValue(argument, token);
    if (!value)
        return;
    if (letter == u'd') {
        state.inputFolder = *value;
        appendSeparatorIfMissing(state.inputFolder);
    } else {
        setOutputFolder(state, *value);
    }
}

} // namespace zel
