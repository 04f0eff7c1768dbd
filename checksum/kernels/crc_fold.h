// Constants for carry-less-multiply folding of reflected CRCs, derived from
// the polynomial at compile time so no magic number goes unexplained.
//
// In the reflected domain a 64-bit lane holds a polynomial with bit j as the
// coefficient of x^(63-j), and a 128-bit block of message holds bit j as the
// coefficient of x^(127-j). PCLMULQDQ of two such 64-bit lanes gives the
// 128-bit reflected form of their product times x, which is why every
// exponent below is one less than the plain algebra suggests.
//
// Works for any reflected CRC of width 1 to 64.
#pragma once

#include <cstdint>

namespace Tallix {

// A reflected CRC polynomial P of degree `width`: bit i of `poly` is the
// coefficient of x^(width-1-i); the x^width term is implicit.
struct ReflectedCRC {
    std::uint64_t poly;
    unsigned width;
};

inline constexpr ReflectedCRC kCRC32Polynomial{0xEDB88320u, 32};
inline constexpr ReflectedCRC kCRC16Polynomial{0x8408u, 16};

// One step of the bitwise CRC loop: the register shifted by one bit, the
// polynomial added when a set bit falls out. In polynomial terms, the
// register multiplied by x mod P.
constexpr std::uint64_t BitwiseStep(const ReflectedCRC& crc, std::uint64_t r) {
    return (r >> 1) ^ ((r & 1u) != 0 ? crc.poly : 0);
}

// x^k mod P in the reflected width-bit form (the form the CRC register uses).
constexpr std::uint64_t XPowModP(const ReflectedCRC& crc, std::uint64_t k) {
    std::uint64_t r = std::uint64_t{1} << (crc.width - 1);  // x^0
    for (; k > 0; --k) {
        r = BitwiseStep(crc, r);
    }
    return r;
}

// A reflected width-bit value as a 64-bit PCLMULQDQ operand.
constexpr std::uint64_t AsLane(const ReflectedCRC& crc, std::uint64_t reflected) {
    return reflected << (64 - crc.width);
}

// Multipliers that move a 128-bit block D bits further along the message:
// block * x^D = high-degree half * x^(D+64) + low-degree half * x^D (mod P).
// `first` multiplies the low lane (the block's first 8 bytes, the
// high-degree half) and `second` the high lane. Laid out as one 128-bit
// operand for PCLMULQDQ selectors 0x00 and 0x11.
struct FoldPair {
    std::uint64_t first;
    std::uint64_t second;
};

constexpr FoldPair FoldBy(const ReflectedCRC& crc, std::uint64_t bits) {
    return {AsLane(crc, XPowModP(crc, bits + 63)), AsLane(crc, XPowModP(crc, bits - 1))};
}

// floor(x^(63+width) / P) as a 64-bit operand: the Barrett quotient estimate.
// Its bits are the bits the CRC loop shifts out while raising x^(width-1)
// to x^(width+62).
constexpr std::uint64_t BarrettQuotient(const ReflectedCRC& crc) {
    std::uint64_t r = XPowModP(crc, crc.width - 1);
    std::uint64_t quotient = 0;
    for (unsigned j = 0; j < 64; ++j) {
        quotient |= (r & 1u) << j;
        r = BitwiseStep(crc, r);
    }
    return quotient;
}

// (P - 1) / x as a 64-bit operand: P without its constant term, shifted so
// that P itself never needs the 65th bit a width-64 polynomial would take.
constexpr std::uint64_t PolynomialOverX(const ReflectedCRC& crc) {
    const std::uint64_t mask =
        crc.width == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << crc.width) - 1;
    return AsLane(crc, ((crc.poly << 1) | 1u) & mask);
}

// Everything the folding kernels need for one CRC.
struct FoldConstants {
    unsigned width;
    FoldPair by2048;  // four 512-bit accumulators, one loop step
    FoldPair by1536;
    FoldPair by1024;  // four 256-bit accumulators, one loop step
    FoldPair by768;
    FoldPair by512;  // four 128-bit accumulators, one loop step
    FoldPair by384;
    FoldPair by256;
    FoldPair by128;
    FoldPair toWidth;  // 128 bits down to width+64 bits before the Barrett step
    std::uint64_t barrettQuotient;
    std::uint64_t polynomialOverX;
};

constexpr FoldConstants MakeFoldConstants(const ReflectedCRC& crc) {
    return {crc.width,        FoldBy(crc, 2048),      FoldBy(crc, 1536),    FoldBy(crc, 1024),
            FoldBy(crc, 768), FoldBy(crc, 512),       FoldBy(crc, 384),     FoldBy(crc, 256),
            FoldBy(crc, 128), FoldBy(crc, crc.width), BarrettQuotient(crc), PolynomialOverX(crc)};
}

inline constexpr FoldConstants kCRC32Fold = MakeFoldConstants(kCRC32Polynomial);
inline constexpr FoldConstants kCRC16Fold = MakeFoldConstants(kCRC16Polynomial);

}  // namespace Tallix
