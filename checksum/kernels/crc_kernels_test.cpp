// Every kernel the CPU can run is checked against the byte loop, whichever
// one the dispatch would pick.
#include "checksum/kernels/crc_kernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "checksum/kernels/crc_fold.h"
#include "checksum/tallix.h"
#include "tests/support/guarded_pages.h"

namespace {

using Tallix::CRCKernel;

std::vector<std::uint8_t> RandomBytes(std::size_t count, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(count);
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

std::vector<const CRCKernel*> SupportedKernels() {
    std::vector<const CRCKernel*> kernels;
    for (const CRCKernel& kernel : Tallix::CRCKernels()) {
        if (kernel.supported()) {
            kernels.push_back(&kernel);
        }
    }
    return kernels;
}

// The byte loop's register after every prefix of `bytes`: entry k is the
// register after k bytes, so one pass gives the reference for all lengths.
template <typename Register, typename Loop>
std::vector<Register> RegistersAfterEachPrefix(Register start, std::span<const std::uint8_t> bytes,
                                               Loop byteLoop) {
    std::vector<Register> registers{start};
    registers.reserve(bytes.size() + 1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        registers.push_back(byteLoop(registers.back(), bytes.subspan(i, 1)));
    }
    return registers;
}

// Checks every kernel on every length up to `maxLength` from `start`.
void ExpectEveryPrefixMatches(std::span<const std::uint8_t> bytes, std::size_t maxLength,
                              std::uint32_t crc32Start, std::uint16_t crc16Start,
                              const std::string& where) {
    const auto all = bytes.first(std::min(maxLength, bytes.size()));
    const auto crc32 = RegistersAfterEachPrefix(crc32Start, all, Tallix::CRC32ByteLoop);
    const auto crc16 = RegistersAfterEachPrefix(crc16Start, all, Tallix::CRC16ByteLoop);
    for (const CRCKernel* kernel : SupportedKernels()) {
        for (std::size_t length = 0; length <= all.size(); ++length) {
            ASSERT_EQ(kernel->crc32(crc32Start, all.first(length)), crc32[length])
                << kernel->name << " CRC-32, length " << length << where;
            ASSERT_EQ(kernel->crc16(crc16Start, all.first(length)), crc16[length])
                << kernel->name << " CRC-16, length " << length << where;
        }
    }
}

TEST(CRCKernels, ByteLoopComesFirstAndTheDispatchPicksASupportedKernel) {
    ASSERT_FALSE(Tallix::CRCKernels().empty());
    EXPECT_EQ(Tallix::CRCKernels()[0].crc32, &Tallix::CRC32ByteLoop);
    EXPECT_TRUE(Tallix::BestCRCKernel().supported());
    EXPECT_EQ(&Tallix::BestCRCKernel(), SupportedKernels().back());
}

#if defined(TALLIX_HAVE_CLMUL_KERNELS)
// Each kernel needs every extension it is compiled for: a CPU lacking one
// gets the next narrower kernel, never one that would fault.
TEST(CRCKernels, TheDispatchPicksTheWidestKernelTheFeaturesAllow) {
    const auto pick = [](void (*without)(Tallix::CPUFeatures&)) {
        Tallix::CPUFeatures cpu{true, true, true, true, true, true, true};
        without(cpu);
        return std::string(Tallix::BestCRCKernelFor(cpu).name);
    };
    EXPECT_EQ(pick([](auto&) {}), "vpclmul-512");
    EXPECT_EQ(pick([](auto& cpu) { cpu.avx512bw = false; }), "vpclmul-256");
    EXPECT_EQ(pick([](auto& cpu) { cpu.vpclmulqdq = false; }), "pclmul-128");
    EXPECT_EQ(pick([](auto& cpu) { cpu.avx2 = cpu.avx512f = false; }), "pclmul-128");
    EXPECT_EQ(pick([](auto& cpu) { cpu.pclmulqdq = false; }), "slice-by-8");
    EXPECT_EQ(pick([](auto& cpu) { cpu.sse41 = false; }), "slice-by-8");
}
#endif

TEST(CRCKernels, EveryLengthUpTo2048MatchesTheByteLoop) {
    const auto bytes = RandomBytes(2048 + 64, 1);
    for (const std::size_t offset : {0u, 1u, 13u, 63u}) {
        ExpectEveryPrefixMatches(std::span(bytes).subspan(offset), 2048, 0xFFFFFFFFu, 0xFFFFu,
                                 ", offset " + std::to_string(offset));
    }
}

TEST(CRCKernels, RandomLengthsUpTo1MiBAtEveryStartOffsetMatchTheByteLoop) {
    constexpr std::size_t kMaxLength = std::size_t{1} << 20;
    const auto bytes = RandomBytes(kMaxLength + 64, 2);
    const auto crc32 =
        RegistersAfterEachPrefix(0x12345678u, std::span(bytes), Tallix::CRC32ByteLoop);
    std::mt19937 random(3);
    for (std::size_t offset = 0; offset < 64; ++offset) {
        // Lengths spread over every scale, not only near the maximum.
        const int scale = static_cast<int>(random() % 21);
        const std::size_t length = random() % ((std::size_t{1} << scale) + 1);
        const auto piece = std::span(bytes).subspan(offset, length);
        const std::uint32_t crc32Start = static_cast<std::uint32_t>(random());
        const std::uint16_t crc16Start = static_cast<std::uint16_t>(random());
        const std::uint32_t expect32 = Tallix::CRC32ByteLoop(crc32Start, piece);
        const std::uint16_t expect16 = Tallix::CRC16ByteLoop(crc16Start, piece);
        for (const CRCKernel* kernel : SupportedKernels()) {
            ASSERT_EQ(kernel->crc32(crc32Start, piece), expect32)
                << kernel->name << " offset " << offset << " length " << length;
            ASSERT_EQ(kernel->crc16(crc16Start, piece), expect16)
                << kernel->name << " offset " << offset << " length " << length;
        }
    }
    // A full mebibyte, fed in uneven pieces, continues the register exactly.
    for (const CRCKernel* kernel : SupportedKernels()) {
        std::uint32_t reg = 0x12345678u;
        std::size_t done = 0;
        for (const std::size_t step : {1000u, 17u, 300000u, 5u, 256u}) {
            reg = kernel->crc32(reg, std::span(bytes).subspan(done, step));
            done += step;
        }
        reg = kernel->crc32(reg, std::span(bytes).subspan(done, kMaxLength - done));
        EXPECT_EQ(reg, crc32[kMaxLength]) << kernel->name;
    }
}

// Reading one byte before the start or past the end of a buffer crashes.
TEST(CRCKernels, ReadNothingOutsideTheBuffer) {
    TestSupport::GuardedPages pages;
    const auto bytes = RandomBytes(static_cast<std::size_t>(pages.end() - pages.begin()), 4);
    std::copy(bytes.begin(), bytes.end(), pages.begin());
    for (std::size_t length = 0; length <= 1100; ++length) {
        const std::span<const std::uint8_t> atEnd(pages.end() - length, length);
        const std::span<const std::uint8_t> atStart(pages.begin(), length);
        for (const CRCKernel* kernel : SupportedKernels()) {
            ASSERT_EQ(kernel->crc32(0xFFFFFFFFu, atEnd), Tallix::CRC32ByteLoop(0xFFFFFFFFu, atEnd))
                << kernel->name << " length " << length;
            ASSERT_EQ(kernel->crc16(0xFFFFu, atStart), Tallix::CRC16ByteLoop(0xFFFFu, atStart))
                << kernel->name << " length " << length;
        }
    }
}

// Bit-at-a-time reflected CRC of any width up to 64.
std::uint64_t BitwiseCRC(const Tallix::ReflectedCRC& crc, std::uint64_t reg,
                         std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        reg ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            reg = (reg & 1u) != 0 ? (reg >> 1) ^ crc.poly : reg >> 1;
        }
    }
    return reg;
}

TEST(FoldConstants, PowersOfXAgreeWithTheByteLoop) {
    // A lone 0x01 byte followed by z zero bytes is the polynomial x^(7+8z),
    // so its CRC register from zero is x^(7+8z+width) mod P.
    std::vector<std::uint8_t> message{1};
    for (std::uint64_t zeros = 0; zeros < 300; ++zeros, message.push_back(0)) {
        const std::uint64_t k = 7 + 8 * zeros;
        ASSERT_EQ(Tallix::XPowModP(Tallix::kCRC32Polynomial, k + 32),
                  Tallix::CRC32ByteLoop(0, message))
            << zeros;
        ASSERT_EQ(Tallix::XPowModP(Tallix::kCRC16Polynomial, k + 16),
                  Tallix::CRC16ByteLoop(0, message))
            << zeros;
    }
}

#if defined(TALLIX_HAVE_CLMUL_KERNELS)

// The folding code serves any reflected CRC up to 64 bits wide.
TEST(FoldConstants, FoldingWorksForReflectedCRCsOfOtherWidths) {
    const Tallix::ReflectedCRC others[] = {
        {0xC96C5795D7870F42u, 64},  // CRC-64/XZ
        {0xD6C9E91ACA649AD4u, 64},  // CRC-64/NVME
        {0x82F63B78u, 32},          // CRC-32C
        {0xDF3261u, 24},            // CRC-24/BLE
        {0x14u, 5},                 // CRC-5/USB
        {0xA001u, 16},              // CRC-16/ARC
    };
    const auto bytes = RandomBytes(1500, 5);
    for (const auto& crc : others) {
        const Tallix::FoldConstants constants = Tallix::MakeFoldConstants(crc);
        const std::uint64_t mask = crc.width == 64 ? ~0ull : (1ull << crc.width) - 1;
        const std::uint64_t start = 0x0123456789ABCDEFull & mask;
        for (std::size_t length = 16; length <= bytes.size(); length += 7) {
            const auto piece = std::span(bytes).first(length);
            const std::uint64_t expect = BitwiseCRC(crc, start, piece);
            if (Tallix::CPUHasPclmul()) {
                ASSERT_EQ(Tallix::PclmulFoldCRC(constants, start, piece), expect)
                    << "width " << crc.width << " length " << length;
            }
            if (Tallix::CPUHasVpclmul256() && length >= 128) {
                ASSERT_EQ(Tallix::Vpclmul256FoldCRC(constants, start, piece), expect)
                    << "width " << crc.width << " length " << length;
            }
            if (Tallix::CPUHasVpclmul512() && length >= 256) {
                ASSERT_EQ(Tallix::Vpclmul512FoldCRC(constants, start, piece), expect)
                    << "width " << crc.width << " length " << length;
            }
        }
    }
    // The bitwise reference itself, on the published CRC-64/XZ check value.
    const std::string digits = "123456789";
    const auto message = std::span(reinterpret_cast<const std::uint8_t*>(digits.data()), 9);
    EXPECT_EQ(BitwiseCRC(others[0], ~0ull, message) ^ ~0ull, 0x995DC9BBDF1939FAull);
}

#endif

}  // namespace
