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
    using Tallix::CRC16ByteLoopTable;
    using Tallix::CRC32ByteLoopTable;
    std::string faults;
    const auto expect = [&faults](bool holds, const char* what) {
        if (!holds) {
            faults += std::string(what) + "\n";
        }
    };
    const auto isEmpty = [](std::span<const std::uint32_t, 256> table) {
        return std::all_of(table.begin(), table.end(), [](std::uint32_t e) { return e == 0; });
    };
    const auto isFull = [](std::span<const std::uint32_t, 256> table, std::uint32_t poly) {
        for (std::uint32_t n = 0; n < 256; ++n) {
            if (table[n] != TableEntryByRule(n, poly)) {
                return false;
            }
        }
        return true;
    };
    expect(isEmpty(CRC32ByteLoopTable()) && isEmpty(CRC16ByteLoopTable()), "tables empty at start");

    const auto digits = Bytes("123456789");
    expect(Tallix::CalcCRC32(digits) == "CBF43926", "first CRC-32");
    expect(isFull(CRC32ByteLoopTable(), 0xEDB88320u), "CRC-32 table filled by its first use");
    expect(isEmpty(CRC16ByteLoopTable()), "CRC-16 table still empty after a CRC-32");

    expect(Tallix::CalcCRC16(digits) == "6F91", "first CRC-16");
    expect(isFull(CRC16ByteLoopTable(), 0x8408u), "CRC-16 table filled by its first use");
    expect(Tallix::CalcCRC32(digits) == "CBF43926", "second CRC-32");
    expect(Tallix::CalcCRC16(digits) == "6F91", "second CRC-16");
    return faults;
}

TEST(CRCTablesDeathTest, EmptyUntilFirstUseThenFilledWhole) {
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
    const auto crc32 = Tallix::CRC32ByteLoopTable();
    const auto crc16 = Tallix::CRC16ByteLoopTable();
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

// The running checksums against the whole-buffer ones: pieces cut at
// random (as a file read in chunks, or split between threads and joined),
// runs of zeroes folded in without bytes, and the values of no bytes.
TEST(IncrementalChecksums, PiecesZeroesAndJoinsMatchTheWholeBuffer) {
    std::mt19937_64 random(18);
    std::vector<std::uint8_t> data(300000);
    for (auto& byte : data) {
        byte = static_cast<std::uint8_t>(random());
    }
    std::fill(data.begin() + 70000, data.begin() + 200000, 0);  // a long run of zeroes
    EXPECT_EQ(Tallix::ExtendCRC32(Tallix::kCRC32OfNothing, {}), Tallix::CRC32Value({}));
    EXPECT_EQ(Tallix::ExtendCRC16(Tallix::kCRC16OfNothing, {}), Tallix::CRC16Value({}));
    for (int round = 0; round < 40; ++round) {
        const std::size_t size = random() % data.size();
        const std::span<const std::uint8_t> all(data.data(), size);
        std::uint32_t extended32 = Tallix::kCRC32OfNothing;
        std::uint16_t extended16 = Tallix::kCRC16OfNothing;
        std::uint32_t joined32 = Tallix::kCRC32OfNothing;
        std::uint16_t joined16 = Tallix::kCRC16OfNothing;
        for (std::size_t at = 0; at < size;) {
            const std::size_t length = std::min<std::size_t>(size - at, random() % 70000);
            const auto piece = all.subspan(at, length);
            extended32 = Tallix::ExtendCRC32(extended32, piece);
            extended16 = Tallix::ExtendCRC16(extended16, piece);
            joined32 = Tallix::ConcatCRC32(joined32, Tallix::CRC32Value(piece), length);
            joined16 = Tallix::ConcatCRC16(joined16, Tallix::CRC16Value(piece), length);
            at += length;
        }
        ASSERT_EQ(extended32, Tallix::CRC32Value(all)) << "size " << size;
        ASSERT_EQ(extended16, Tallix::CRC16Value(all)) << "size " << size;
        ASSERT_EQ(joined32, Tallix::CRC32Value(all)) << "size " << size;
        ASSERT_EQ(joined16, Tallix::CRC16Value(all)) << "size " << size;
    }
    const auto head = std::span<const std::uint8_t>(data).first(70000 + random() % 1000);
    const auto withZeroes = std::span<const std::uint8_t>(data).first(200000);
    const std::uint64_t zeroes = withZeroes.size() - head.size();
    EXPECT_EQ(Tallix::ExtendCRC32ByZeroes(Tallix::CRC32Value(head), zeroes),
              Tallix::CRC32Value(withZeroes));
    EXPECT_EQ(Tallix::ExtendCRC16ByZeroes(Tallix::CRC16Value(head), zeroes),
              Tallix::CRC16Value(withZeroes));
    EXPECT_EQ(Tallix::ExtendCRC32ByZeroes(Tallix::kCRC32OfNothing, zeroes),
              Tallix::CRC32Value(withZeroes.last(zeroes)));
    EXPECT_EQ(Tallix::CRC32Text(Tallix::CRC32Value(head)), Tallix::CalcCRC32(head));
    EXPECT_EQ(Tallix::CRC16Text(Tallix::CRC16Value(head)), Tallix::CalcCRC16(head));
}

}  // namespace
