#include "crc16.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Crc16, CheckValueAndIncrementalUse) {
    const char* text = "123456789";
    EXPECT_EQ(fnd::crc16(text, 9), 0xBB3D);
    // Feeding the block in two pieces gives the same result.
    auto first = fnd::crc16(text, 4);
    EXPECT_EQ(fnd::crc16(text + 4, 5, first), 0xBB3D);
    EXPECT_EQ(fnd::crc16(text, 0), 0);
}
