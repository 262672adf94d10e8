#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <set>
#include <string>
#include <tuple>

namespace zel::platform {
namespace {

std::string bytesOf(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

bool hasSurrogates(const std::u16string& s) {
    return std::any_of(s.begin(), s.end(), [](char16_t c) { return c >= 0xD800 && c <= 0xDFFF; });
}

// Values from the published Windows code page charts, not from the table
// generator, so that a wrong or shifted table shows here. Bytes a page leaves
// undefined (0x81 in 1252) keep their own value.
TEST(CodePage, CharacteristicBytesOfEveryPage) {
    const std::tuple<int, int, char16_t> cases[] = {
        {1252, 0x80, 0x20AC}, {1252, 0x81, 0x0081}, {1252, 0x9F, 0x0178}, {1250, 0x8A, 0x0160},
        {1250, 0xA3, 0x0141}, {1250, 0xE8, 0x010D}, {1251, 0x80, 0x0402}, {1251, 0x98, 0x0098},
        {1251, 0xFF, 0x044F}, {1253, 0xA2, 0x0386}, {1253, 0xAA, 0x00AA}, {1253, 0xF2, 0x03C2},
        {1254, 0x8E, 0x008E}, {1254, 0xDD, 0x0130}, {1254, 0xFD, 0x0131}, {1255, 0xA4, 0x20AA},
        {1255, 0xFD, 0x200E}, {1255, 0xFF, 0x00FF}, {1256, 0x81, 0x067E}, {1256, 0xC1, 0x0621},
        {1256, 0xFF, 0x06D2}, {1257, 0xA8, 0x00D8}, {1257, 0xC0, 0x0104}, {1257, 0xE0, 0x0105},
        {1258, 0xC3, 0x0102}, {1258, 0xCC, 0x0300}, {1258, 0xFE, 0x20AB}, {874, 0x80, 0x20AC},
        {874, 0xA1, 0x0E01},  {874, 0xDB, 0x00DB},
    };
    for (const auto& [page, byte, expected] : cases)
        EXPECT_EQ(decodeText(bytesOf({byte}), page), std::u16string(1, expected)) << page;
    std::u16string out = u"x";
    appendDecoded(out, bytesOf({0xC0}), 1251);
    appendDecoded(out, bytesOf({0xC3, 0xA9}), 65001);
    appendDecoded(out, "", 65001);
    EXPECT_EQ(out, u"x\u0410\u00E9");
}

// ASCII is itself in every page, and each byte is a different character that
// is never a surrogate: a duplicated or misplaced row breaks this. Pages not
// supported read as 1252.
TEST(CodePage, EverySingleByteTableIsOneToOne) {
    for (int page : {1249, 1259, 0, 437, -1, 65000, 875, 873})
        EXPECT_EQ(supportedCodePage(page), 1252) << page;
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    for (int page : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
        EXPECT_EQ(supportedCodePage(page), page);
        const std::u16string text = decodeText(all, page);
        ASSERT_EQ(text.size(), 256u) << "cp" << page;
        for (char16_t c = 0; c < 128; ++c)
            EXPECT_EQ(text[c], c) << "cp" << page;
        EXPECT_EQ(std::set<char16_t>(text.begin(), text.end()).size(), 256u) << "cp" << page;
        EXPECT_FALSE(hasSurrogates(text)) << "cp" << page;
    }
}

// Each maximal ill-formed part becomes one U+FFFD, as Unicode recommends.
TEST(Utf8Decode, WellFormedAndMalformedSequences) {
    const std::tuple<const char*, std::string, std::u16string> cases[] = {
        {"ascii with nul", bytesOf({0x41, 0x00, 0x7F}), std::u16string{0x41, 0x00, 0x7F}},
        {"two bytes", bytesOf({0xC2, 0x80, 0xDF, 0xBF}), u"\u0080\u07FF"},
        {"three bytes", bytesOf({0xE0, 0xA0, 0x80, 0xED, 0x9F, 0xBF, 0xEE, 0x80, 0x80}),
         u"\u0800\uD7FF\uE000"},
        {"four bytes", bytesOf({0xF0, 0x90, 0x80, 0x80, 0xF4, 0x8F, 0xBF, 0xBF}),
         u"\U00010000\U0010FFFF"},
        {"truncated", bytesOf({0x41, 0xF0, 0x9F, 0x98, 0x41, 0xE2, 0x82, 0xC3, 0xA9, 0xE2, 0x82}),
         u"A\uFFFDA\uFFFD\u00E9\uFFFD"},
        {"bad second byte", bytesOf({0xE2, 0x28, 0xA1}), u"\uFFFD(\uFFFD"},
        {"overlong", bytesOf({0xC0, 0xAF, 0xE0, 0x9F, 0xBF, 0xF0, 0x8F, 0xBF, 0xBF}),
         std::u16string(9, u'\uFFFD')},
        {"surrogate, above U+10FFFF, F5, FE",
         bytesOf({0xED, 0xA0, 0x80, 0xF4, 0x90, 0x80, 0x80, 0xF5, 0x80, 0xFE}),
         std::u16string(10, u'\uFFFD')},
        {"continuation after complete", bytesOf({0xC3, 0xA9, 0xA9}), u"\u00E9\uFFFD"},
        {"mixed",
         bytesOf({0x61, 0xF1, 0x80, 0x80, 0xE1, 0x80, 0xC2, 0x62, 0x80, 0x63, 0x80, 0xBF, 0x64}),
         u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd"},
    };
    for (const auto& [name, input, expected] : cases)
        EXPECT_EQ(decodeText(input, 65001), expected) << name;
}

// Whatever two bytes precede it, a following ASCII character survives (a
// broken sequence never swallows the '=' or line end after it) and the
// result holds no surrogate.
TEST(Utf8Decode, AnyTwoBytesLeaveFollowingAsciiAlone) {
    for (int first = 0; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            const std::u16string text = decodeText(bytesOf({first, second, '='}), 65001);
            ASSERT_TRUE(!text.empty() && text.back() == u'=' && text.size() <= 3 &&
                        !hasSurrogates(text))
                << std::hex << first << ' ' << second;
        }
    }
}

} // namespace
} // namespace zel::platform
