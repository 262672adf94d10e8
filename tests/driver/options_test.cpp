#include "driver/driver.h"
#include "driver/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zel {
namespace {

struct OptionCase {
    std::vector<std::u16string> arguments;
    std::u16string inputFolder;
    std::u16string outputFolder;
    bool autoScale;
};

class HandleArgument : public testing::TestWithParam<OptionCase> {};

TEST_P(HandleArgument, SettlesFoldersAndOptions) {
    const OptionCase& c = GetParam();
    DriverState state;
    state.currentFolder = u"/w/";
    for (const std::u16string& argument : c.arguments)
        handleArgument(state, argument);
    EXPECT_EQ(state.inputFolder, c.inputFolder);
    EXPECT_EQ(state.outputFolder, c.outputFolder);
    EXPECT_EQ(state.autoScale, c.autoScale);
}

const std::u16string defaultInput = u"in/maps/";

INSTANTIATE_TEST_SUITE_P(
    Options, HandleArgument,
    testing::Values(
        // Input folder: a separator is added unless one ends the value.
        OptionCase{{u"-d[c:\\maps]"}, u"c:\\maps/", u"", false},
        OptionCase{{u"-d[maps\\]"}, u"maps\\", u"", false},
        OptionCase{{u"-d[maps/]"}, u"maps/", u"", false},
        OptionCase{{u"D[maps]"}, u"maps/", u"", false},
        OptionCase{{u"--d[maps]"}, u"maps/", u"", false},
        OptionCase{{u"-d[c:\\maps"}, u"c:\\maps/", u"", false},
        // A hyphen inside the brackets belongs to the folder name.
        OptionCase{{u"-d[c:\\my-maps]"}, u"c:\\my-maps/", u"", false},
        OptionCase{{u"-d[a-b-c]x"}, u"a-b-c/", u"", false},
        // No bracketed value, or a "[" only after a further hyphen: ignored.
        OptionCase{{u"-dc:\\maps"}, defaultInput, u"", false},
        OptionCase{{u"-d-[maps]"}, defaultInput, u"", false},
        OptionCase{{u"-d[]"}, defaultInput, u"", false},
        OptionCase{{u"-d[]]]"}, defaultInput, u"", false},
        OptionCase{{u"-d[]]x]"}, u"x/", u"", false},
        // Output folder: relative values lie in the working folder.
        OptionCase{{u"-o[out]"}, defaultInput, u"/w/out/", false},
        OptionCase{{u"-o[\\out]"}, defaultInput, u"/w/out/", false},
        OptionCase{{u"-o[out/sub/]"}, defaultInput, u"/w/out/sub/", false},
        OptionCase{{u"-o[D:\\x]"}, defaultInput, u"D:\\x/", false},
        OptionCase{{u"-o[/abs/x]"}, defaultInput, u"/abs/x/", false},
        OptionCase{{u"-O[my-out]"}, defaultInput, u"/w/my-out/", false},
        // An absolute value is added to what an earlier option left; a
        // relative one starts again from the working folder.
        OptionCase{{u"-o[D:\\x]", u"-o[E:\\y]"}, defaultInput, u"D:\\x/E:\\y/", false},
        OptionCase{{u"-o[D:\\x]", u"-o[rel]"}, defaultInput, u"/w/rel/", false},
        // Scale by density, in any spelling; other letters and bare hyphens
        // change nothing.
        OptionCase{{u"-a"}, defaultInput, u"", true}, OptionCase{{u"-A"}, defaultInput, u"", true},
        OptionCase{{u"-auto"}, defaultInput, u"", true},
        OptionCase{{u"a"}, defaultInput, u"", true},
        OptionCase{{u"-a-d[x]"}, defaultInput, u"", true},
        OptionCase{{u"-x", u"-", u"---", u""}, defaultInput, u"", false},
        OptionCase{{u"-a", u"-d[m]", u"-o[o]"}, u"m/", u"/w/o/", true}));

struct NameCase {
    std::u16string folder;
    std::u16string map;
    std::u16string output;
};

TEST(OutputName, ReplacesTheLastMapExtension) {
    const std::vector<NameCase> cases = {
        {u"", u"town.mp", u"town.zel"},
        {u"/w/out/", u"town.mp", u"/w/out/town.zel"},
        // Upper case must not keep the input's own name as the output name.
        {u"", u"Town.MP", u"Town.zel"},
        {u"", u"Town.Mp", u"Town.zel"},
        {u"", u"a.mp.mp", u"a.mp.zel"},
        {u"", u"no-extension", u"no-extension"},
        {u"", u"x.mpx", u"x.zel"},
        {u"", u".mp", u".zel"},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(outputName(c.folder, c.map), c.output);
}

} // namespace
} // namespace zel
