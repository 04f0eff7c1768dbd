// Carry-less-multiply folding for reflected CRCs. Each function carries its
// own target attribute, so the file builds for any x86-64 and the dispatch
// only calls a kernel once the CPU has been seen to support it.
//
// The message is consumed as 128-bit blocks. An accumulator block is moved
// D bits further along the message by multiplying its two 64-bit halves by
// x^(D+63) and x^(D-1) mod P (see crc_fold.h) and XOR-ing the products into
// the block found D bits later. What remains at the end is one block
// congruent to the whole message, which a Barrett step turns into the CRC.
#include "checksum/kernels/crc_kernels.h"

#if defined(TALLIX_HAVE_CLMUL_KERNELS)

#include <immintrin.h>

#include "checksum/kernels/crc_fold.h"

#define TALLIX_TARGET_CLMUL __attribute__((target("pclmul,sse4.1")))
#define TALLIX_TARGET_VPCLMUL256 __attribute__((target("avx2,vpclmulqdq,pclmul,sse4.1")))
#define TALLIX_TARGET_VPCLMUL512 \
    __attribute__((target("avx512f,avx512vl,avx512bw,vpclmulqdq,pclmul,sse4.1")))

namespace Tallix {
namespace {

// Shuffle masks for byte shifts by a run-time count: 16 bytes loaded from
// offset t shift left by 16 - t bytes, from offset 16 + t shift right by t.
// 0x80 makes PSHUFB write a zero.
alignas(16) constexpr std::uint8_t kShiftMasks[48] = {
    0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80,
    0,    1,    2,    3,    4,    5,    6,    7,    8,    9,    10,   11,   12,   13,   14,   15,
    0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80,
};

TALLIX_TARGET_CLMUL inline __m128i Load128(const void* p) {
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}

TALLIX_TARGET_CLMUL inline __m128i Load128(const FoldPair& pair) {
    return _mm_set_epi64x(static_cast<long long>(pair.second), static_cast<long long>(pair.first));
}

TALLIX_TARGET_CLMUL inline __m128i Fold128(__m128i block, __m128i multipliers) {
    return _mm_xor_si128(_mm_clmulepi64_si128(block, multipliers, 0x00),
                         _mm_clmulepi64_si128(block, multipliers, 0x11));
}

// The accumulator covers the message up to `tail`; `count` (1..15) bytes
// follow. Conceptually the accumulator slides right by `count` bytes: its
// first `count` bytes move out and are folded by 128 bits onto a block made
// of its remaining bytes followed by the tail. The tail is loaded as the
// last 16 bytes of the message, which the accumulator's bytes precede, so
// nothing past the end is touched.
TALLIX_TARGET_CLMUL inline __m128i FoldPartialBlock(__m128i acc, const std::uint8_t* tail,
                                                    std::size_t count, __m128i by128) {
    const __m128i lastBlock = Load128(tail + count - 16);
    const __m128i outMask = Load128(kShiftMasks + count);
    const __m128i inMask = Load128(kShiftMasks + 16 + count);
    const __m128i leaving = _mm_shuffle_epi8(acc, outMask);
    const __m128i staying = _mm_shuffle_epi8(acc, inMask);
    // outMask has its top bit set exactly where the staying bytes go.
    const __m128i block = _mm_blendv_epi8(lastBlock, staying, outMask);
    return _mm_xor_si128(Fold128(leaving, by128), block);
}

// Barrett reduction of a 128-bit block B to the CRC register B * x^width
// mod P. First A = B * x^width is folded to width+64 bits; then, with
// A = Ahi * x^width + Alo, the quotient q = floor(Ahi * floor(x^(63+width)
// / P) / x^64) makes A - q * P the remainder. P's constant term is applied
// as a plain XOR of q so the multiplier fits 64 bits even for width 64.
TALLIX_TARGET_CLMUL inline std::uint64_t Reduce128(__m128i block, const FoldConstants& c) {
    const __m128i a = Fold128(block, Load128(c.toWidth));
    const auto lo = static_cast<std::uint64_t>(_mm_cvtsi128_si64(a));
    const auto hi = static_cast<std::uint64_t>(_mm_extract_epi64(a, 1));
    const unsigned shift = 64 - c.width;
    const std::uint64_t aHigh = shift == 0 ? lo : (lo >> shift) | (hi << (64 - shift));
    const __m128i quotientProduct =
        _mm_clmulepi64_si128(_mm_cvtsi64_si128(static_cast<long long>(aHigh)),
                             _mm_cvtsi64_si128(static_cast<long long>(c.barrettQuotient)), 0x00);
    const auto q = static_cast<std::uint64_t>(_mm_cvtsi128_si64(quotientProduct));
    const __m128i qTimesP =
        _mm_clmulepi64_si128(_mm_cvtsi64_si128(static_cast<long long>(q)),
                             _mm_cvtsi64_si128(static_cast<long long>(c.polynomialOverX)), 0x00);
    const std::uint64_t remainder =
        hi ^ static_cast<std::uint64_t>(_mm_extract_epi64(qTimesP, 1)) ^ q;
    return remainder >> shift;
}

// Folds `count` more bytes into the accumulator: whole blocks one at a
// time, then the partial block. `acc` covers at least the 16 bytes before
// `p`.
TALLIX_TARGET_CLMUL inline __m128i FoldBytes(__m128i acc, const std::uint8_t* p, std::size_t count,
                                             __m128i by128) {
    for (; count >= 16; p += 16, count -= 16) {
        acc = _mm_xor_si128(Fold128(acc, by128), Load128(p));
    }
    if (count > 0) {
        acc = FoldPartialBlock(acc, p, count, by128);
    }
    return acc;
}

TALLIX_TARGET_CLMUL inline std::uint64_t Finish128(__m128i acc, const std::uint8_t* p,
                                                   std::size_t count, const FoldConstants& c) {
    return Reduce128(FoldBytes(acc, p, count, Load128(c.by128)), c);
}

// The register's bits meet the first bits of the message: XOR them in.
TALLIX_TARGET_CLMUL inline __m128i RegisterBlock(std::uint64_t crc) {
    return _mm_cvtsi64_si128(static_cast<long long>(crc));
}

// Four 128-bit accumulators, 64 bytes per step. Needs count >= 16.
TALLIX_TARGET_CLMUL std::uint64_t FoldPclmul(std::uint64_t crc, const std::uint8_t* p,
                                             std::size_t count, const FoldConstants& c) {
    __m128i x0 = _mm_xor_si128(Load128(p), RegisterBlock(crc));
    p += 16;
    count -= 16;
    if (count >= 48) {
        __m128i x1 = Load128(p);
        __m128i x2 = Load128(p + 16);
        __m128i x3 = Load128(p + 32);
        p += 48;
        count -= 48;
        const __m128i by512 = Load128(c.by512);
        for (; count >= 64; p += 64, count -= 64) {
            x0 = _mm_xor_si128(Fold128(x0, by512), Load128(p));
            x1 = _mm_xor_si128(Fold128(x1, by512), Load128(p + 16));
            x2 = _mm_xor_si128(Fold128(x2, by512), Load128(p + 32));
            x3 = _mm_xor_si128(Fold128(x3, by512), Load128(p + 48));
        }
        x0 = _mm_xor_si128(
            _mm_xor_si128(Fold128(x0, Load128(c.by384)), Fold128(x1, Load128(c.by256))),
            _mm_xor_si128(Fold128(x2, Load128(c.by128)), x3));
    }
    return Finish128(x0, p, count, c);
}

// Brings `p` to a 64-byte boundary by folding up to 63 bytes on the 128-bit
// path, so that no wide load splits a cache line. Returns the accumulator
// folded onto the first aligned block, ready to XOR into it.
TALLIX_TARGET_CLMUL inline __m128i AlignHead(std::uint64_t crc, const std::uint8_t*& p,
                                             std::size_t& count, const FoldConstants& c) {
    const __m128i by128 = Load128(c.by128);
    __m128i x = _mm_xor_si128(Load128(p), RegisterBlock(crc));
    p += 16;
    count -= 16;
    const std::size_t skew = (64 - (reinterpret_cast<std::uintptr_t>(p) & 63u)) & 63u;
    x = FoldBytes(x, p, skew, by128);
    p += skew;
    count -= skew;
    // The accumulator precedes the next block directly: fold it onto it.
    return Fold128(x, by128);
}

// From this size on the wide kernels align their loads first.
constexpr std::size_t kAlignFrom = 1024;

TALLIX_TARGET_VPCLMUL256 inline __m256i Broadcast256(const FoldPair& pair) {
    const auto first = static_cast<long long>(pair.first);
    const auto second = static_cast<long long>(pair.second);
    return _mm256_set_epi64x(second, first, second, first);
}

TALLIX_TARGET_VPCLMUL256 inline __m256i Load256(const void* p) {
    return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}

// Folds each 128-bit lane of `acc` and XORs in `next`.
TALLIX_TARGET_VPCLMUL256 inline __m256i FoldInto256(__m256i acc, __m256i multipliers,
                                                    __m256i next) {
    return _mm256_xor_si256(_mm256_xor_si256(_mm256_clmulepi64_epi128(acc, multipliers, 0x00),
                                             _mm256_clmulepi64_epi128(acc, multipliers, 0x11)),
                            next);
}

// Four 256-bit accumulators, 128 bytes per step, for CPUs with VPCLMULQDQ
// but without AVX-512. Needs count >= 128.
TALLIX_TARGET_VPCLMUL256 std::uint64_t FoldVpclmul256(std::uint64_t crc, const std::uint8_t* p,
                                                      std::size_t count, const FoldConstants& c) {
    __m128i head = RegisterBlock(crc);
    if (count >= kAlignFrom) {
        head = AlignHead(crc, p, count, c);
    }
    __m256i y0 = _mm256_xor_si256(Load256(p), _mm256_zextsi128_si256(head));
    __m256i y1 = Load256(p + 32);
    __m256i y2 = Load256(p + 64);
    __m256i y3 = Load256(p + 96);
    p += 128;
    count -= 128;
    const __m256i by1024 = Broadcast256(c.by1024);
    for (; count >= 128; p += 128, count -= 128) {
        y0 = FoldInto256(y0, by1024, Load256(p));
        y1 = FoldInto256(y1, by1024, Load256(p + 32));
        y2 = FoldInto256(y2, by1024, Load256(p + 64));
        y3 = FoldInto256(y3, by1024, Load256(p + 96));
    }
    const __m256i by256 = Broadcast256(c.by256);
    __m256i y = _mm256_xor_si256(
        FoldInto256(y0, Broadcast256(c.by768), y3),
        FoldInto256(y1, Broadcast256(c.by512), FoldInto256(y2, by256, _mm256_setzero_si256())));
    for (; count >= 32; p += 32, count -= 32) {
        y = FoldInto256(y, by256, Load256(p));
    }
    // The first lane onto the second: by 128 bits.
    const __m128i x = _mm_xor_si128(Fold128(_mm256_castsi256_si128(y), Load128(c.by128)),
                                    _mm256_extracti128_si256(y, 1));
    return Finish128(x, p, count, c);
}

TALLIX_TARGET_VPCLMUL512 inline __m512i Broadcast512(const FoldPair& pair) {
    const auto first = static_cast<long long>(pair.first);
    const auto second = static_cast<long long>(pair.second);
    return _mm512_set_epi64(second, first, second, first, second, first, second, first);
}

TALLIX_TARGET_VPCLMUL512 inline __m512i Load512(const void* p) {
    return _mm512_loadu_si512(p);
}

TALLIX_TARGET_VPCLMUL512 inline __m512i Xor3(__m512i a, __m512i b, __m512i c) {
    return _mm512_ternarylogic_epi64(a, b, c, 0x96);
}

// Folds each 128-bit lane of `acc` and XORs in `next`.
TALLIX_TARGET_VPCLMUL512 inline __m512i FoldInto512(__m512i acc, __m512i multipliers,
                                                    __m512i next) {
    return Xor3(_mm512_clmulepi64_epi128(acc, multipliers, 0x00),
                _mm512_clmulepi64_epi128(acc, multipliers, 0x11), next);
}

// The masked forms of these intrinsics, because the plain ones trip an
// uninitialized-value warning inside GCC 12's own header.
template <int index>
TALLIX_TARGET_VPCLMUL512 inline __m128i Lane(__m512i z) {
    return _mm512_maskz_extracti32x4_epi32(0xF, z, index);
}

// Four 512-bit accumulators, 256 bytes per step. Needs count >= 256.
TALLIX_TARGET_VPCLMUL512 std::uint64_t FoldVpclmul512(std::uint64_t crc, const std::uint8_t* p,
                                                      std::size_t count, const FoldConstants& c) {
    __m128i head = RegisterBlock(crc);
    if (count >= kAlignFrom) {
        head = AlignHead(crc, p, count, c);
    }
    __m512i z0 = _mm512_xor_si512(Load512(p), _mm512_zextsi128_si512(head));
    __m512i z1 = Load512(p + 64);
    __m512i z2 = Load512(p + 128);
    __m512i z3 = Load512(p + 192);
    p += 256;
    count -= 256;
    const __m512i by2048 = Broadcast512(c.by2048);
    for (; count >= 256; p += 256, count -= 256) {
        z0 = FoldInto512(z0, by2048, Load512(p));
        z1 = FoldInto512(z1, by2048, Load512(p + 64));
        z2 = FoldInto512(z2, by2048, Load512(p + 128));
        z3 = FoldInto512(z3, by2048, Load512(p + 192));
    }
    const __m512i by512 = Broadcast512(c.by512);
    __m512i z = Xor3(FoldInto512(z0, Broadcast512(c.by1536), z3),
                     FoldInto512(z1, Broadcast512(c.by1024), _mm512_setzero_si512()),
                     FoldInto512(z2, by512, _mm512_setzero_si512()));
    for (; count >= 64; p += 64, count -= 64) {
        z = FoldInto512(z, by512, Load512(p));
    }
    // The four lanes onto the last: by 384, 256 and 128 bits.
    const FoldPair laneMultipliers[4] = {c.by384, c.by256, c.by128, {0, 0}};
    static_assert(sizeof laneMultipliers == 64);
    const __m512i lanes = FoldInto512(z, Load512(laneMultipliers), _mm512_setzero_si512());
    const __m128i x = _mm_xor_si128(_mm_xor_si128(Lane<0>(lanes), Lane<1>(lanes)),
                                    _mm_xor_si128(Lane<2>(lanes), Lane<3>(z)));
    return Finish128(x, p, count, c);
}

// A folding kernel for one CRC. Inputs shorter than its widest step,
// `kMinBytes`, go to the narrower kernel `Shorter`: below one 128-bit block
// there is nothing to fold and the byte loop is as fast; below four wide
// blocks the 128-bit loop does the job.
template <typename Register, const FoldConstants& kFold, auto Fold, std::size_t kMinBytes,
          auto Shorter>
Register FoldingKernel(Register crc, std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kMinBytes) {
        return Shorter(crc, bytes);
    }
    return static_cast<Register>(Fold(crc, bytes.data(), bytes.size(), kFold));
}

// The three lane widths for the CRC with register type `Register`.
template <typename Register, const FoldConstants& kFold, auto ByteLoop>
struct FoldingKernelsOf {
    static constexpr auto k128 = FoldingKernel<Register, kFold, FoldPclmul, 16, ByteLoop>;
    static constexpr auto k256 = FoldingKernel<Register, kFold, FoldVpclmul256, 128, k128>;
    static constexpr auto k512 = FoldingKernel<Register, kFold, FoldVpclmul512, 256, k128>;
};
using CRC32Folding = FoldingKernelsOf<std::uint32_t, kCRC32Fold, CRC32ByteLoop>;
using CRC16Folding = FoldingKernelsOf<std::uint16_t, kCRC16Fold, CRC16ByteLoop>;

}  // namespace

bool CPUHasPclmul(const CPUFeatures& cpu) {
    return cpu.pclmulqdq && cpu.sse41;
}

bool CPUHasVpclmul256(const CPUFeatures& cpu) {
    return CPUHasPclmul(cpu) && cpu.avx2 && cpu.vpclmulqdq;
}

// Every extension the 512-bit code is compiled for, not only those its
// intrinsics name: the compiler may use any of them.
bool CPUHasVpclmul512(const CPUFeatures& cpu) {
    return CPUHasPclmul(cpu) && cpu.avx512f && cpu.avx512vl && cpu.avx512bw && cpu.vpclmulqdq;
}

std::uint64_t PclmulFoldCRC(const FoldConstants& c, std::uint64_t crc,
                            std::span<const std::uint8_t> bytes) {
    return FoldPclmul(crc, bytes.data(), bytes.size(), c);
}

std::uint64_t Vpclmul256FoldCRC(const FoldConstants& c, std::uint64_t crc,
                                std::span<const std::uint8_t> bytes) {
    return FoldVpclmul256(crc, bytes.data(), bytes.size(), c);
}

std::uint64_t Vpclmul512FoldCRC(const FoldConstants& c, std::uint64_t crc,
                                std::span<const std::uint8_t> bytes) {
    return FoldVpclmul512(crc, bytes.data(), bytes.size(), c);
}

std::span<const CRCKernel> FoldingKernels() {
    static constexpr CRCKernel kFoldingKernels[] = {
        {"pclmul-128", [](const CPUFeatures& cpu) { return CPUHasPclmul(cpu); }, CRC32Folding::k128,
         CRC16Folding::k128},
        {"vpclmul-256", [](const CPUFeatures& cpu) { return CPUHasVpclmul256(cpu); },
         CRC32Folding::k256, CRC16Folding::k256},
        {"vpclmul-512", [](const CPUFeatures& cpu) { return CPUHasVpclmul512(cpu); },
         CRC32Folding::k512, CRC16Folding::k512},
    };
    return kFoldingKernels;
}

}  // namespace Tallix

#endif  // TALLIX_HAVE_CLMUL_KERNELS
