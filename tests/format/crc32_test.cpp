#include "format/crc32.h"

#include <gtest/gtest.h>

#include <string_view>

namespace zel {
namespace {

uint32_t registerAfter(std::string_view text) {
    Crc32 crc;
    crc.update(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return crc.value();
}

TEST(Crc32, KeepsTheRegisterWithoutTheFinalComplement) {
    EXPECT_EQ(registerAfter("abc"), 0xCADBBE3Du);
    EXPECT_EQ(~registerAfter("abc"), 0x352441C2u);
    EXPECT_EQ(~registerAfter("123456789"), 0xCBF43926u);
    EXPECT_EQ(registerAfter(""), 0xFFFFFFFFu);
}

TEST(Crc32, PiecesGiveTheSameRegisterAsOneRun) {
    Crc32 pieces;
    const std::string_view text = "the quick brown fox";
    for (char c : text)
        pieces.update(reinterpret_cast<const uint8_t*>(&c), 1);
    EXPECT_EQ(pieces.value(), registerAfter(text));
}

} // namespace
} // namespace zel
