#include "reader/numbers.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace zel {
namespace {

TEST(Numbers, IntegersStopAtTheFirstNonDigitAndClamp) {
    const std::vector<std::pair<std::string, int32_t>> cases = {
        {"42", 42}, {"  -17x", -17}, {"+5", 5},  {"\t\v\f 9", 9}, {"", 0},
        {"abc", 0}, {"-", 0},        {"3.9", 3}, {"12 34", 12},   {"- 5", 0},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(parseInteger(text), value) << text;
    // Identifiers up to 2^32-1 keep their low 32 bits; beyond, values clamp.
    EXPECT_EQ(parseInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseInteger("4294967295"), -1);
    EXPECT_EQ(parseInteger("99999999999999999999999"), -1);
    EXPECT_EQ(parseInteger("-2147483648"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(parseInteger("-99999999999"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(scanDecimal("x7"), std::nullopt);
    EXPECT_EQ(scanDecimal(" +"), std::nullopt);
    EXPECT_EQ(scanDecimal(" 0"), 0);
}

TEST(Numbers, HexKeepsTheOldValueWhenNothingConverts) {
    const std::vector<std::pair<std::string, std::optional<int32_t>>> cases = {
        {"0x2F00", 0x2f00},  {"2f00", 0x2f00}, {" 0X10", 0x10},    {"-0x10", -16},
        {"0x", 0},           {"0xg", 0},       {"", std::nullopt}, {"xyz", std::nullopt},
        {"-", std::nullopt}, {"ffffffff", -1}, {"1ffffffff", -1},  {"12g4", 0x12},
        {"+a", 10},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(scanHex(text), value) << text;
}

TEST(Numbers, CoordinatesAreDecimalOnly) {
    const std::vector<std::pair<std::string, double>> cases = {
        {"45.5102", 45.5102}, {" -12.5,", -12.5}, {"+3", 3.0},    {"1e2", 100.0}, {"1E-2x", 0.01},
        {"1e", 1.0},          {"1e+", 1.0},       {"7.", 7.0},    {".5", 0.5},    {"", 0.0},
        {"abc", 0.0},         {"inf", 0.0},       {"nan", 0.0},   {"0x10", 0.0},  {"-", 0.0},
        {"1,5", 1.0},         {"1e-400", 0.0},    {"1e39", 1e39},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(parseCoordinate(text), value) << text;
    EXPECT_TRUE(std::isinf(parseCoordinate("1e400")));
    EXPECT_TRUE(std::isinf(parseCoordinate("-0.001e999")));
}

// Plain decimals take a shorter way than from_chars; random ones of up to 25
// digits, with leading and trailing zeros, signs and text after them, must
// come out bit for bit as from_chars reads them.
TEST(Numbers, PlainDecimalsReadAsFromChars) {
    std::mt19937 random(3);
    for (int n = 0; n < 200000; ++n) {
        std::string digits;
        const size_t whole = random() % 12, fraction = random() % 14;
        for (size_t i = 0; i < whole; ++i)
            digits += static_cast<char>('0' + (i == 0 && random() % 2 ? 0 : random() % 10));
        std::string text = digits;
        if (fraction > 0 || random() % 2) {
            text += '.';
            for (size_t i = 0; i < fraction; ++i)
                text += static_cast<char>('0' + random() % 10);
        }
        if (text.find_first_of("0123456789") == std::string::npos)
            continue;
        double expected = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        const bool negative = random() % 2;
        const std::string input = (negative ? "-" : "") + text + (random() % 2 ? ",9" : "");
        const double read = parseCoordinate(input);
        ASSERT_EQ(std::bit_cast<uint64_t>(read),
                  std::bit_cast<uint64_t>(negative ? -expected : expected))
            << input;
    }
}

} // namespace
} // namespace zel
