#include "reader/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
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

} // namespace
} // namespace zel
