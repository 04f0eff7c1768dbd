#include "checksum/tallix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "checksum/kernels/crc_kernels.h"
#include "checksum/testing.h"

namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

// Bit-at-a-time reference, independent of the engine's tables.
std::uint32_t ReflectedCRCBitwise(std::uint32_t crc, std::uint32_t poly,
                                  std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1u) ? (crc >> 1) ^ poly : crc >> 1;
        }
    }
    return crc;
}

std::uint32_t TableEntryByRule(std::uint32_t n, std::uint32_t poly) {
    const std::uint8_t none[1] = {0};
    // One zero byte through the bitwise loop, starting from n, is the rule.
    return ReflectedCRCBitwise(n, poly, std::span(none, 1));
}

// The first-use fill, seen from a process of its own: the tables are
// untouched there whatever other tests ran in this one. Returns what went
// wrong, or an empty text.
std::string FirstUseFillFaults() {
    using namespace Tallix::Testing;
    std::string faults;
    const auto expect = [&faults](bool holds, const char* what) {
        if (!holds) {
            faults += std::string(what) + "\n";
        }
    };
    const auto isEmpty = [](std::span<const std::uint32_t, 256> table) {
        return std::all_of(table.begin(), table.end(), [](std::uint32_t e) { return e == 0; });
    };
    expect(isEmpty(CRC32TableView()) && isEmpty(CRC16TableView()), "tables empty at start");

    const auto digits = Bytes("123456789");
    expect(Tallix::CalcCRC32(digits) == "CBF43926", "first CRC-32");
    expect(CRC32TableFills() == 1, "CRC-32 table filled by its first use");
    expect(CRC16TableFills() == 0 && isEmpty(CRC16TableView()),
           "CRC-16 table still empty after a CRC-32");

    expect(Tallix::CalcCRC16(digits) == "6F91", "first CRC-16");
    expect(Tallix::CalcCRC32(digits) == "CBF43926", "second CRC-32");
    expect(Tallix::CalcCRC16(digits) == "6F91", "second CRC-16");
    expect(CRC32TableFills() == 1 && CRC16TableFills() == 1, "each table filled exactly once");
    return faults;
}

TEST(CRCTablesDeathTest, EmptyUntilFirstUseThenFilledOnce) {
    // "threadsafe" runs the child as a fresh execution of this binary.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const std::string faults = FirstUseFillFaults();
            std::fputs(faults.c_str(), stderr);
            std::exit(faults.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(CRCTables, EveryConstantMatchesTheReflectedRule) {
    Tallix::CalcCRC32(Bytes("x"));
    Tallix::CalcCRC16(Bytes("x"));
    const auto crc32 = Tallix::Testing::CRC32TableView();
    const auto crc16 = Tallix::Testing::CRC16TableView();
    for (std::uint32_t n = 0; n < 256; ++n) {
        EXPECT_EQ(crc32[n], TableEntryByRule(n, 0xEDB88320u)) << "CRC-32 entry " << n;
        EXPECT_EQ(crc16[n], TableEntryByRule(n, 0x8408u)) << "CRC-16 entry " << n;
    }
    EXPECT_EQ(crc32[1], 0x77073096u);
    EXPECT_EQ(crc32[128], 0xEDB88320u);
    EXPECT_EQ(crc32[255], 0x2D02EF8Du);
    EXPECT_EQ(crc16[1], 0x1189u);
    EXPECT_EQ(crc16[128], 0x8408u);
    EXPECT_EQ(crc16[255], 0x0F78u);
}

TEST(CalcCRC, KnownValuesKeepTheirFixedWidth) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* crc32;
        const char* crc16;
    };
    const Case cases[] = {
        {Bytes("123456789"), "CBF43926", "6F91"},
        {{0x00}, "D202EF8D", "0F87"},  // leading zero of the CRC-16 kept
        {{0x26}, "000F6A70", "4BB3"},  // three leading zeros of the CRC-32
        {{0xFF}, "FF000000", "00FF"},
        {{}, "00000000", "FFFF"},  // empty input: the CRCs of nothing
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Tallix::CalcCRC32(c.bytes), c.crc32);
        EXPECT_EQ(Tallix::CalcCRC16(c.bytes), c.crc16);
    }
}

TEST(CalcCRC, MatchesBitwiseReferenceForEveryLengthUpTo300) {
    std::mt19937 random(20261207);
    std::vector<std::uint8_t> data(300);
    for (auto& byte : data)
        byte = static_cast<std::uint8_t>(random());
    for (std::size_t length = 0; length <= data.size(); ++length) {
        const std::span<const std::uint8_t> prefix(data.data(), length);
        const std::uint32_t crc32 = ~ReflectedCRCBitwise(0xFFFFFFFFu, 0xEDB88320u, prefix);
        const std::uint32_t crc16 = ReflectedCRCBitwise(0xFFFFu, 0x8408u, prefix);
        ASSERT_EQ(Tallix::CRC32Value(prefix), crc32) << "length " << length;
        ASSERT_EQ(Tallix::CRC16Value(prefix), crc16) << "length " << length;
        char expect32[9], expect16[5];
        std::snprintf(expect32, sizeof expect32, "%08X", crc32);
        std::snprintf(expect16, sizeof expect16, "%04X", crc16);
        ASSERT_EQ(Tallix::CalcCRC32(prefix), expect32);
        ASSERT_EQ(Tallix::CalcCRC16(prefix), expect16);
    }
}

TEST(CRCByteLoop, RunningRegisterCanBeFedInPieces) {
    const auto data = Bytes("The quick brown fox jumps over the lazy dog");
    const std::span<const std::uint8_t> all(data);
    std::uint32_t crc32 = Tallix::kCRC32Initial;
    std::uint16_t crc16 = Tallix::kCRC16Initial;
    crc32 = Tallix::CRC32ByteLoop(crc32, all.first(10));
    crc32 = Tallix::CRC32ByteLoop(crc32, all.subspan(10));
    crc16 = Tallix::CRC16ByteLoop(crc16, all.first(17));
    crc16 = Tallix::CRC16ByteLoop(crc16, all.subspan(17));
    EXPECT_EQ(crc32 ^ Tallix::kCRC32FinalXor, 0x414FA339u);
    EXPECT_EQ(crc16, Tallix::CRC16Value(all));
}

}  // namespace
