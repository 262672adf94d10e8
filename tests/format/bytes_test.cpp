#include "format/bytes.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(ByteReader, ReadsLittleEndianAndFailsForGoodAtTheEnd) {
    const Bytes data = {0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0x00, 0x00, 0x80, 0x3F, 0xEE};
    ByteReader in(data);
    EXPECT_EQ(in.readU8(), 0x01);
    EXPECT_EQ(in.readU16(), 0x1234);
    EXPECT_EQ(in.readU32(), 0x12345678u);
    EXPECT_EQ(in.readF32(), 1.0f);
    EXPECT_TRUE(in.ok());
    EXPECT_EQ(in.readU32(), 0u); // one byte left: too short
    EXPECT_TRUE(in.failed());
    EXPECT_EQ(in.position(), 11u);
    EXPECT_EQ(in.readU8(), 0u); // the failure sticks
    EXPECT_FALSE(in.skip(0));

    ByteReader empty;
    EXPECT_TRUE(empty.skip(0));
    EXPECT_FALSE(empty.skip(1));
    const Bytes minusTwo = {0xFE, 0xFF, 0xFF, 0xFF};
    ByteReader signedField(minusTwo);
    EXPECT_EQ(signedField.readI32(), -2);
}

} // namespace
} // namespace zel
