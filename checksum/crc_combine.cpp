// Zeroes and concatenation of finished checksums, without the bytes.
//
// Both CRCs are reflected: the register holds a polynomial over GF(2) of
// degree below w (32 or 16) with bit w-1-d the coefficient of x^d, and one
// message byte takes it to (r * x^8 + byte * x^w) mod P. So the register
// after a message M started from r is
//     R(r, M) = r * x^(8|M|) + R(0, M)      (mod P),
// linear in r and in M. Two consequences do all the work here:
//   - n zero bytes multiply the register by x^(8n) mod P;
//   - R(r0, A+B) = R(r0, A) * x^(8|B|) + R(0, B), and
//     R(0, B) = R(r0, B) + r0 * x^(8|B|), so the register of A+B follows
//     from the registers of A and of B alone.
// The finished CRC-32 is the register XOR F (F = FFFFFFFF, also the starting
// register r0); substituting, the F terms cancel and
//     CRC32(A+B) = CRC32(A) * x^(8|B|) + CRC32(B).
// The CRC-16 starts from r0 = FFFF and has no final XOR:
//     CRC16(A+B) = (CRC16(A) + FFFF) * x^(8|B|) + CRC16(B).
// (The same shift-and-XOR as zlib's crc32_combine.) x^(8n) mod P comes from
// squaring: x^(8n) is the product of x^(2^k) over the bits k of 8n, and the
// powers x^(2^k) mod P are derived from the polynomial at compile time.
#include <array>
#include <cstdint>

#include "checksum/kernels/crc_fold.h"
#include "checksum/kernels/crc_kernels.h"
#include "checksum/tallix.h"

namespace Tallix {
namespace {

// a * b mod P, both in the reflected w-bit form: for each coefficient of a
// that is set, add b times that power of x; b is multiplied by x one bitwise
// CRC step at a time.
constexpr std::uint64_t MultiplyModP(const ReflectedCRC& crc, std::uint64_t a, std::uint64_t b) {
    std::uint64_t product = 0;
    for (std::uint64_t term = std::uint64_t{1} << (crc.width - 1); term != 0; term >>= 1) {
        if ((a & term) != 0) {
            product ^= b;
        }
        b = BitwiseStep(crc, b);
    }
    return product;
}

// x^(2^k) mod P for k = 0..66 (enough for 8 * any 64-bit count): each the
// square of the one before.
using PowerTable = std::array<std::uint64_t, 67>;

constexpr PowerTable PowersOfTwoPowers(const ReflectedCRC& crc) {
    PowerTable powers{};
    powers[0] = XPowModP(crc, 1);
    for (std::size_t k = 1; k < powers.size(); ++k) {
        powers[k] = MultiplyModP(crc, powers[k - 1], powers[k - 1]);
    }
    return powers;
}

constexpr PowerTable kCRC32Powers = PowersOfTwoPowers(kCRC32Polynomial);
constexpr PowerTable kCRC16Powers = PowersOfTwoPowers(kCRC16Polynomial);

// value * x^(8 * count) mod P. Bit j of count is bit j + 3 of the exponent,
// so 8 * count is never formed and cannot overflow.
std::uint64_t ShiftByBytes(const ReflectedCRC& crc, const PowerTable& powers, std::uint64_t value,
                           std::uint64_t count) {
    for (std::size_t k = 3; count != 0; ++k, count >>= 1) {
        if ((count & 1u) != 0) {
            value = MultiplyModP(crc, value, powers[k]);
        }
    }
    return value;
}

std::uint32_t ShiftCRC32(std::uint32_t value, std::uint64_t count) {
    return static_cast<std::uint32_t>(ShiftByBytes(kCRC32Polynomial, kCRC32Powers, value, count));
}

std::uint16_t ShiftCRC16(std::uint16_t value, std::uint64_t count) {
    return static_cast<std::uint16_t>(ShiftByBytes(kCRC16Polynomial, kCRC16Powers, value, count));
}

}  // namespace

std::uint32_t ExtendCRC32ByZeroes(std::uint32_t crc, std::uint64_t count) {
    return ShiftCRC32(crc ^ kCRC32FinalXor, count) ^ kCRC32FinalXor;
}

std::uint16_t ExtendCRC16ByZeroes(std::uint16_t crc, std::uint64_t count) {
    return ShiftCRC16(crc, count);
}

std::uint32_t ConcatCRC32(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength) {
    return ShiftCRC32(first, secondLength) ^ second;
}

std::uint16_t ConcatCRC16(std::uint16_t first, std::uint16_t second, std::uint64_t secondLength) {
    return static_cast<std::uint16_t>(ShiftCRC16(first ^ kCRC16Initial, secondLength) ^ second);
}

}  // namespace Tallix
