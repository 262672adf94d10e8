#include "platform/utf.h"

#include <gtest/gtest.h>

namespace zel::platform {
namespace {

TEST(Utf, ConsoleTextIsUtf8WithLoneSurrogatesReplaced) {
    EXPECT_EQ(toUtf8(u"town.mp"), "town.mp");
    EXPECT_EQ(toUtf8(u"\u00E9\u20AC\U0001F600"), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(toUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(toUtf8(std::u16string(1, char16_t(0xDC41)) + u"a"), "\xEF\xBF\xBD"
                                                                  "a");
}

// Any byte string a file system gives comes back unchanged; backslashes
// become slashes at the system call.
TEST(Utf, SystemNamesSurviveTheRoundTrip) {
    for (const char* name : {"town.mp", "\xC3\xA9t\xC3\xA9.mp", "\xF0\x9F\x98\x80",
                             "bad\xFF\xFEname.mp", "\xC3", "\xED\xA0\x80", "\xC0\xAF"})
        EXPECT_EQ(toSystemName(fromSystemName(name)), name);
    EXPECT_EQ(fromSystemName("a\xFF"), std::u16string(u"a") + char16_t(0xDCFF));
    EXPECT_EQ(toSystemName(u"in\\maps\\town.mp"), "in/maps/town.mp");
}

} // namespace
} // namespace zel::platform
