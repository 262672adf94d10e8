#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <string>

namespace zel::platform {
namespace {

constexpr int kSingleBytePages[] = {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};

std::string bytesOf(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) {
        s.push_back(static_cast<char>(v));
    }
    return s;
}

std::string allBytes(int count) {
    std::string s;
    for (int b = 0; b < count; ++b) {
        s.push_back(static_cast<char>(b));
    }
    return s;
}

bool isWellFormedUtf16(const std::u16string& s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] >= 0xD800 && s[i] <= 0xDBFF) {
            if (i + 1 == s.size() || s[i + 1] < 0xDC00 || s[i + 1] > 0xDFFF) {
                return false;
            }
            ++i;
        } else if (s[i] >= 0xDC00 && s[i] <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

TEST(SupportedCodePage, KeepsSupportedValuesAndFallsBackTo1252) {
    const struct {
        int declared;
        int expected;
    } cases[] = {
        {874, 874},   {1250, 1250},  {1251, 1251}, {1258, 1258}, {65001, 65001},
        {1252, 1252}, {1249, 1252},  {1259, 1252}, {0, 1252},    {437, 1252},
        {-1, 1252},   {65000, 1252}, {875, 1252},  {873, 1252},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(supportedCodePage(c.declared), c.expected) << "declared " << c.declared;
    }
}

// Values taken from the published Windows code page charts rather than from
// the generator, so a wrong or shifted table shows up here. Bytes a page
// leaves undefined (e.g. 0x81 in 1252) keep their own value.
TEST(SingleByteDecode, CharacteristicBytes) {
    const struct {
        int codePage;
        int byte;
        char16_t expected;
    } cases[] = {
        {1252, 0x80, 0x20AC}, {1252, 0x81, 0x0081}, {1252, 0x8D, 0x008D}, {1252, 0x8A, 0x0160},
        {1252, 0x99, 0x2122}, {1252, 0x9F, 0x0178}, {1252, 0xE9, 0x00E9}, {1250, 0x81, 0x0081},
        {1250, 0x8A, 0x0160}, {1250, 0x9A, 0x0161}, {1250, 0xA3, 0x0141}, {1250, 0xA5, 0x0104},
        {1250, 0xB9, 0x0105}, {1250, 0xE8, 0x010D}, {1251, 0x80, 0x0402}, {1251, 0x88, 0x20AC},
        {1251, 0x98, 0x0098}, {1251, 0xA8, 0x0401}, {1251, 0xB8, 0x0451}, {1251, 0xC0, 0x0410},
        {1251, 0xFF, 0x044F}, {1253, 0xA2, 0x0386}, {1253, 0xAA, 0x00AA}, {1253, 0xC1, 0x0391},
        {1253, 0xD2, 0x00D2}, {1253, 0xD3, 0x03A3}, {1253, 0xE1, 0x03B1}, {1253, 0xF2, 0x03C2},
        {1254, 0x8E, 0x008E}, {1254, 0xD0, 0x011E}, {1254, 0xDD, 0x0130}, {1254, 0xF0, 0x011F},
        {1254, 0xFD, 0x0131}, {1254, 0xFE, 0x015F}, {1255, 0xA4, 0x20AA}, {1255, 0xE0, 0x05D0},
        {1255, 0xFA, 0x05EA}, {1255, 0xFD, 0x200E}, {1255, 0xFF, 0x00FF}, {1256, 0x80, 0x20AC},
        {1256, 0x81, 0x067E}, {1256, 0x90, 0x06AF}, {1256, 0xC1, 0x0621}, {1256, 0xC7, 0x0627},
        {1256, 0xFF, 0x06D2}, {1257, 0xA1, 0x00A1}, {1257, 0xA5, 0x00A5}, {1257, 0xA8, 0x00D8},
        {1257, 0xC0, 0x0104}, {1257, 0xD0, 0x0160}, {1257, 0xE0, 0x0105}, {1258, 0xC3, 0x0102},
        {1258, 0xCC, 0x0300}, {1258, 0xD0, 0x0110}, {1258, 0xD5, 0x01A0}, {1258, 0xDD, 0x01AF},
        {1258, 0xF0, 0x0111}, {1258, 0xFE, 0x20AB}, {874, 0x80, 0x20AC},  {874, 0x85, 0x2026},
        {874, 0xA1, 0x0E01},  {874, 0xDB, 0x00DB},  {874, 0xDF, 0x0E3F},  {874, 0xF0, 0x0E50},
        {874, 0xFF, 0x00FF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decodeText(bytesOf({c.byte}), c.codePage), std::u16string(1, c.expected))
            << "cp" << c.codePage << " byte " << std::hex << c.byte;
    }
}

TEST(SingleByteDecode, AsciiIsIdentityInEveryPage) {
    const std::string ascii = allBytes(128);
    std::u16string expected;
    for (char16_t c = 0; c < 128; ++c) {
        expected.push_back(c);
    }
    for (int page : kSingleBytePages) {
        EXPECT_EQ(decodeText(ascii, page), expected) << "cp" << page;
    }
    EXPECT_EQ(decodeText(ascii, 65001), expected);
}

// Each byte is a different character in every Windows single-byte page, and
// never half of a surrogate pair; a duplicated or misplaced row breaks this.
TEST(SingleByteDecode, EveryTableIsOneToOne) {
    for (int page : kSingleBytePages) {
        const std::u16string text = decodeText(allBytes(256), page);
        ASSERT_EQ(text.size(), 256u) << "cp" << page;
        EXPECT_EQ(std::set<char16_t>(text.begin(), text.end()).size(), 256u) << "cp" << page;
        EXPECT_TRUE(isWellFormedUtf16(text)) << "cp" << page;
    }
}

TEST(SingleByteDecode, UnsupportedValueReadsAs1252) {
    const std::string text = bytesOf({'a', 0x80, 0x81, 0x9F});
    EXPECT_EQ(decodeText(text, 437), decodeText(text, 1252));
    EXPECT_EQ(decodeText(text, 0), u"a\u20AC\u0081\u0178");
}

TEST(Decode, AppendKeepsWhatIsAlreadyThere) {
    std::u16string out = u"x";
    appendDecoded(out, bytesOf({0xC0}), 1251);
    appendDecoded(out, bytesOf({0xC3, 0xA9}), 65001);
    appendDecoded(out, "", 65001);
    appendDecoded(out, bytesOf({0xE0}), 874);
    EXPECT_EQ(out, u"x\u0410\u00E9\u0E40");
}

TEST(Utf8Decode, WellFormedAndMalformedSequences) {
    const struct {
        const char* name;
        std::string input;
        std::u16string expected;
    } cases[] = {
        {"empty", "", u""},
        {"ascii with nul", bytesOf({0x41, 0x00, 0x7F}), std::u16string{0x41, 0x00, 0x7F}},
        {"two bytes", bytesOf({0xC2, 0x80, 0xC3, 0xA9, 0xDF, 0xBF}), u"\u0080\u00E9\u07FF"},
        {"three bytes", bytesOf({0xE0, 0xA0, 0x80, 0xE2, 0x82, 0xAC, 0xED, 0x9F, 0xBF}),
         u"\u0800\u20AC\uD7FF"},
        {"three bytes above surrogates", bytesOf({0xEE, 0x80, 0x80, 0xEF, 0xBF, 0xBF}),
         u"\uE000\uFFFF"},
        {"four bytes", bytesOf({0xF0, 0x9F, 0x98, 0x80}), u"\U0001F600"},
        {"four bytes at the limits", bytesOf({0xF0, 0x90, 0x80, 0x80, 0xF4, 0x8F, 0xBF, 0xBF}),
         u"\U00010000\U0010FFFF"},
        {"truncated two at end", bytesOf({0x41, 0xC3}), u"A\uFFFD"},
        {"truncated three at end", bytesOf({0xE2, 0x82}), u"\uFFFD"},
        {"truncated four at end", bytesOf({0xF0, 0x9F, 0x98}), u"\uFFFD"},
        {"truncated before ascii", bytesOf({0xF0, 0x9F, 0x98, 0x41}), u"\uFFFDA"},
        {"truncated before lead", bytesOf({0xE2, 0x82, 0xC3, 0xA9}), u"\uFFFD\u00E9"},
        {"bad second byte", bytesOf({0xE2, 0x28, 0xA1}), u"\uFFFD(\uFFFD"},
        {"overlong C0", bytesOf({0xC0, 0xAF}), u"\uFFFD\uFFFD"},
        {"overlong C1", bytesOf({0xC1, 0xBF}), u"\uFFFD\uFFFD"},
        {"overlong E0", bytesOf({0xE0, 0x80, 0xAF}), u"\uFFFD\uFFFD\uFFFD"},
        {"overlong E0 top", bytesOf({0xE0, 0x9F, 0xBF}), u"\uFFFD\uFFFD\uFFFD"},
        {"overlong F0", bytesOf({0xF0, 0x8F, 0xBF, 0xBF}), u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"high surrogate", bytesOf({0xED, 0xA0, 0x80}), u"\uFFFD\uFFFD\uFFFD"},
        {"low surrogate", bytesOf({0xED, 0xBF, 0xBF}), u"\uFFFD\uFFFD\uFFFD"},
        {"above U+10FFFF", bytesOf({0xF4, 0x90, 0x80, 0x80}), u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"lead F5", bytesOf({0xF5, 0x80, 0x80, 0x80}), u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"FE FF", bytesOf({0xFE, 0xFF}), u"\uFFFD\uFFFD"},
        {"lone continuations", bytesOf({0x61, 0x80, 0xBF, 0x62}), u"a\uFFFD\uFFFDb"},
        {"continuation after complete", bytesOf({0xC3, 0xA9, 0xA9}), u"\u00E9\uFFFD"},
        // The worked example for maximal subparts in the Unicode standard.
        {"mixed",
         bytesOf({0x61, 0xF1, 0x80, 0x80, 0xE1, 0x80, 0xC2, 0x62, 0x80, 0x63, 0x80, 0xBF, 0x64}),
         u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decodeText(c.input, 65001), c.expected) << c.name;
    }
}

// Every scalar value, written out in UTF-8 by hand here, must come back as
// itself: this covers each boundary between sequence lengths at once.
TEST(Utf8Decode, EveryScalarValueRoundTrips) {
    std::string utf8;
    std::u16string expected;
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            continue;
        }
        if (cp < 0x80) {
            utf8.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            utf8.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            utf8.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            utf8.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
        if (cp < 0x10000) {
            expected.push_back(static_cast<char16_t>(cp));
        } else {
            expected.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            expected.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        }
    }
    EXPECT_TRUE(decodeText(utf8, 65001) == expected);
}

// Whatever two bytes precede it, a following ASCII character survives intact
// (a broken sequence never swallows the '=' or newline after it) and the
// result is well-formed UTF-16.
TEST(Utf8Decode, AnyTwoBytesLeaveFollowingAsciiAlone) {
    for (int first = 0; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            const std::u16string text = decodeText(bytesOf({first, second, '='}), 65001);
            ASSERT_TRUE(!text.empty() && text.back() == u'=' && text.size() <= 3 &&
                        isWellFormedUtf16(text))
                << std::hex << first << ' ' << second;
        }
    }
}

} // namespace
} // namespace zel::platform
