#include "driver/driver.h"
#include "driver/options.h"
#include "platform/utf.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace zel {
namespace {

TEST(Options, ArgumentsSettleFoldersAndScaling) {
    const std::u16string in = u"in/maps/";
    // The arguments, then the input and output folders and auto scaling.
    const std::tuple<std::vector<std::u16string>, std::u16string, std::u16string, bool> cases[] = {
        // A separator is added unless one ends the value; the letter in
        // either case, hyphens optional, the closing bracket too.
        {{u"-d[c:\\maps]"}, u"c:\\maps/", u"", false},
        {{u"-d[maps\\]"}, u"maps\\", u"", false},
        {{u"D[maps]"}, u"maps/", u"", false},
        {{u"--d[maps"}, u"maps/", u"", false},
        // A hyphen inside the brackets belongs to the folder name; without a
        // bracketed value, or with "[" only after a further hyphen: ignored.
        {{u"-d[c:\\my-maps]"}, u"c:\\my-maps/", u"", false},
        {{u"-d[a-b-c]x"}, u"a-b-c/", u"", false},
        {{u"-dc:\\maps", u"-d-[maps]", u"-d[]"}, in, u"", false},
        // Relative output folders lie in the working folder; an absolute one
        // is added to what an earlier option left.
        {{u"-o[out]"}, in, u"/w/out/", false},
        {{u"-o[\\out]"}, in, u"/w/out/", false},
        {{u"-o[/abs/x]"}, in, u"/abs/x/", false},
        {{u"-O[my-out]"}, in, u"/w/my-out/", false},
        {{u"-o[D:\\x]", u"-o[E:\\y]"}, in, u"D:\\x/E:\\y/", false},
        {{u"-o[D:\\x]", u"-o[rel]"}, in, u"/w/rel/", false},
        // Scale by density in any spelling; other arguments change nothing.
        {{u"-A"}, in, u"", true},
        {{u"-auto"}, in, u"", true},
        {{u"a"}, in, u"", true},
        {{u"-x", u"-", u"---", u""}, in, u"", false},
        {{u"-a", u"-d[m]", u"-o[o]"}, u"m/", u"/w/o/", true},
    };
    for (const auto& [arguments, input, output, autoScale] : cases) {
        DriverState state;
        state.currentFolder = u"/w/";
        for (const std::u16string& argument : arguments)
            handleArgument(state, argument);
        SCOPED_TRACE(platform::toUtf8(arguments[0]));
        EXPECT_EQ(std::tie(state.inputFolder, state.outputFolder, state.autoScale),
                  std::tie(input, output, autoScale));
    }
}

TEST(Options, JobsAndSharesFollowTheRulesOfTheOtherOptions) {
    struct Case {
        std::vector<std::u16string> arguments;
        uint32_t jobs, shareIndex, shareCount;
        std::u16string bad;
    };
    const Case cases[] = {
        {{u"-j4"}, 4, 1, 1, u""},
        {{u"J[8]"}, 8, 1, 1, u""},
        {{u"--j2"}, 2, 1, 1, u""},
        // Without a number, or with 0: one per core.
        {{u"-j"}, 0, 1, 1, u""},
        {{u"-j0"}, 0, 1, 1, u""},
        {{u"-j[]"}, 0, 1, 1, u""},
        {{u"-s2/4"}, 1, 2, 4, u""},
        {{u"-S[4/4]"}, 1, 4, 4, u""},
        {{u"s1/1", u"-j3"}, 3, 1, 1, u""},
        // What cannot be a share or a count; the first such argument is kept.
        {{u"-s0/4"}, 1, 1, 1, u"-s0/4"},
        {{u"-s5/4"}, 1, 1, 1, u"-s5/4"},
        {{u"-s1/0"}, 1, 1, 1, u"-s1/0"},
        {{u"-s"}, 1, 1, 1, u"-s"},
        {{u"-s[1/x]"}, 1, 1, 1, u"-s[1/x]"},
        {{u"-s1/4/2"}, 1, 1, 1, u"-s1/4/2"},
        {{u"-s-1/4"}, 1, 1, 1, u"-s-1/4"},
        {{u"-jx", u"-s9/2"}, 1, 1, 1, u"-jx"},
        {{u"-j1234567890"}, 1, 1, 1, u"-j1234567890"},
    };
    for (const Case& c : cases) {
        DriverState state;
        for (const std::u16string& argument : c.arguments)
            handleArgument(state, argument);
        SCOPED_TRACE(platform::toUtf8(c.arguments[0]));
        EXPECT_EQ(std::tie(state.jobs, state.shareIndex, state.shareCount, state.badArgument),
                  std::tie(c.jobs, c.shareIndex, c.shareCount, c.bad));
    }
}

TEST(Options, UsageAndVersionAreLettersLikeTheOthers) {
    // The arguments, then whether they ask for the usage and for the version.
    const std::tuple<std::u16string, bool, bool> cases[] = {
        {u"-h", true, false}, {u"--help", true, false}, {u"-?", true, false},
        {u"H", true, false},  {u"-v", false, true},     {u"--version", false, true},
        {u"-V", false, true}, {u"-x", false, false},    {u"-d[help]", false, false},
    };
    for (const auto& [argument, usage, version] : cases) {
        DriverState state;
        handleArgument(state, argument);
        SCOPED_TRACE(platform::toUtf8(argument));
        EXPECT_EQ(std::tie(state.showUsage, state.showVersion), std::tie(usage, version));
    }
}

TEST(Options, OutputNameReplacesTheLastMapExtensionInAnyCase) {
    const std::vector<std::pair<std::u16string, std::u16string>> cases = {
        {u"town.mp", u"town.zel"}, {u"Town.MP", u"Town.zel"},          {u"Town.Mp", u"Town.zel"},
        {u"a.mp.mp", u"a.mp.zel"}, {u"no-extension", u"no-extension"}, {u"x.mpx", u"x.zel"},
        {u".mp", u".zel"},
    };
    for (const auto& [map, output] : cases)
        EXPECT_EQ(outputName(u"", map), output);
    EXPECT_EQ(outputName(u"/w/out/", u"town.mp"), u"/w/out/town.zel");
}

} // namespace
} // namespace zel
