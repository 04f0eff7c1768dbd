#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "platform/clock.h"
#include "platform/text.h"

namespace {

using Platform::DecimalText;
using Platform::ElapsedMilliseconds;
using Platform::HexText;

TEST(Text, DecimalIsPlainDigitsWithMinusWhenNegative) {
    EXPECT_EQ(DecimalText(0), "0");
    EXPECT_EQ(DecimalText(1234567), "1234567");
    EXPECT_EQ(DecimalText(-42), "-42");
    EXPECT_EQ(DecimalText(4294967296LL + 17), "4294967313");
    EXPECT_EQ(DecimalText(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(Text, HexIsUpperCaseAndLeftFilled) {
    EXPECT_EQ(HexText(0xCBF43926u), "CBF43926");
    EXPECT_EQ(HexText(0xF6A70u), "F6A70");
    EXPECT_EQ(HexText(0xF6A70u, 8), "000F6A70");
    EXPECT_EQ(HexText(0, 4), "0000");
    EXPECT_EQ(HexText(0xABCDEFu, 2), "ABCDEF");  // never truncated
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
    const std::int32_t start = Platform::timeGetTime();
    std::int32_t now = start;
    while (ElapsedMilliseconds(start, now) < 2)
        now = Platform::timeGetTime();
    EXPECT_LT(ElapsedMilliseconds(start, now), 1000u);
}

TEST(Clock, TimerPeriodRequestsBalance) {
    const int before = Platform::OutstandingTimerPeriods();
    EXPECT_EQ(Platform::timeBeginPeriod(1), 0u);
    EXPECT_EQ(Platform::OutstandingTimerPeriods(), before + 1);
    EXPECT_EQ(Platform::timeEndPeriod(1), 0u);
    EXPECT_EQ(Platform::OutstandingTimerPeriods(), before);
}

}  // namespace
