#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "platform/system/os/clock.h"
#include "platform/system/os/decimal_text.h"

namespace {

using System::DecimalText;
using System::ElapsedMilliseconds;

TEST(Text, DecimalIsPlainDigitsWithMinusWhenNegative) {
    EXPECT_EQ(DecimalText(0), "0");
    EXPECT_EQ(DecimalText(1234567), "1234567");
    EXPECT_EQ(DecimalText(-42), "-42");
    EXPECT_EQ(DecimalText(4294967296LL + 17), "4294967313");
    EXPECT_EQ(DecimalText(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(Text, ByteSizeIsReadableThenExact) {
    using System::ByteSizeText;
    EXPECT_EQ(ByteSizeText(1023), "1023 bytes");
    EXPECT_EQ(ByteSizeText(1536), "1.5 KiB (1536 bytes)");
    EXPECT_EQ(ByteSizeText(107374182400), "100 GiB (107374182400 bytes)");
    EXPECT_EQ(ByteSizeText(24650379264), "23 GiB (24650379264 bytes)");
    EXPECT_EQ(ByteSizeText(std::int64_t{1} << 42), "4 TiB (4398046511104 bytes)");
}

TEST(Clock, ElapsedTimeIsRightAcrossTheSignChangeAndTheWrap) {
    const std::int32_t max = std::numeric_limits<std::int32_t>::max();
    const std::int32_t min = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(ElapsedMilliseconds(100, 250), 150u);
    EXPECT_EQ(ElapsedMilliseconds(max - 4, min + 5), 10u);  // 2^31 - 5 -> 2^31 + 5
    EXPECT_EQ(ElapsedMilliseconds(-3, 7), 10u);             // 2^32 - 3 -> 7
    EXPECT_EQ(ElapsedMilliseconds(5, 5), 0u);
}

TEST(Clock, ReadingsAdvanceWithRealTime) {
    const std::int32_t start = System::timeGetTime();
    std::int32_t now = start;
    while (ElapsedMilliseconds(start, now) < 2)
        now = System::timeGetTime();
    EXPECT_LT(ElapsedMilliseconds(start, now), 1000u);
}

}  // namespace
