#include "driver/driver.h"

#include "platform/console.h"
#include "platform/utf.h"
#include "support/files.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

// Maps added to the folder between the count and the listing: the
// percentages are shares of the maps actually listed, so they stay below 100
// and the divisor is never zero.
TEST(PerMapPhase, MapsThatAppearAfterTheCountKeepThePercentagesTrue) {
    test::TempDir dir;
    test::WorkingDirectory inside(dir.path());
    std::filesystem::create_directories(dir / "in/maps");
    MapList list{u"in/maps/", {}};
    for (const char16_t* name : {u"a.mp", u"b.mp", u"c.mp"}) {
        test::writeText(dir / "in/maps" / platform::toSystemName(name), "[IMG ID]\n[END]\n");
        list.names.push_back(name);
    }
    DriverState state;
    state.outputFolder = platform::fromSystemName(dir.path().string()) + u"/";
    for (uint32_t counted : {0u, 1u}) {
        platform::ConsoleCapture console;
        runPerMapPhase(state, list, counted);
        const std::string& out = console.text();
        for (const char* line :
             {"Processed maps: 0%, current map: in/maps/a.mp\n",
              "Processed maps: 33%, current map: in/maps/b.mp\n",
              "Processed maps: 66%, current map: in/maps/c.mp\n", "\n\nProcessed files: 3\n"})
            EXPECT_NE(out.find(line), std::string::npos) << counted << ": " << line;
    }
}

} // namespace
} // namespace zel
