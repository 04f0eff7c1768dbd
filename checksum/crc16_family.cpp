// The CRC-16 family of polynomial 0x1021 from two passes over the data.
//
// Write P = x^16 + x^12 + x^5 + 1. A CRC register holds a polynomial over
// GF(2) of degree below 16, and one message byte b takes it to
//     r * x^8 + b(x) * x^16   (mod P),
// where b(x) reads the byte's bits from bit 0 up (reflected CRCs) or from
// bit 7 down (the others); the register's own bit order follows the same
// choice. Whatever the order, the register after a message M of n bytes
// started from r is linear in r:
//     R(r, M) = R(s, M) + (r + s) * x^(8n)   (mod P)
// for any other start s. So one pass from s gives the register for every
// start, at the price of one multiplication by x^(8n) mod P, which the
// engine already does in O(log n) (ExtendCRC16ByZeroes: n zero bytes after
// a register multiply it by exactly that).
//
// The reflected members (MCRF4XX, IBM-SDLC alias X-25, KERMIT, RIELLO,
// TMS37157) all come from the MCRF4XX pass, s = FFFF. The others (IBM-3740,
// SPI-FUJITSU, XMODEM, GENIBUS) read bits the other way, which no change of
// start or final XOR undoes, so they get a pass of their own from s = 0
// (XMODEM). Their multiplication by x^(8n) is the same polynomial product
// written with the bits in the other order, so it runs through the reflected
// arithmetic with the value bit-reversed on the way in and out.
//
// The catalogue writes `init` most significant bit first: a reflected
// register starts from it bit-reversed. The finished value is the register
// XOR xorout.
//
// The non-reflected pass handles eight bytes a step ("slicing by eight"):
// with the register XORed into the first two bytes, the register after the
// eight is the XOR over the bytes of T_k[byte], where T_k[v] is the register
// after byte v followed by k zero bytes and k counts the bytes after it.
#include "checksum/crc16_family.h"

#include <array>

#include "checksum/tallix.h"

namespace Tallix {
namespace {

constexpr std::array<CRC16Variant, 9> kFamily{{
    {"MCRF4XX", "", 0xFFFF, true, 0x0000, 0x6F91},
    {"IBM-SDLC", "X-25", 0xFFFF, true, 0xFFFF, 0x906E},
    {"KERMIT", "", 0x0000, true, 0x0000, 0x2189},
    {"RIELLO", "", 0xB2AA, true, 0x0000, 0x63D0},
    {"TMS37157", "", 0x89EC, true, 0x0000, 0x26B1},
    {"IBM-3740", "CCITT-FALSE", 0xFFFF, false, 0x0000, 0x29B1},
    {"SPI-FUJITSU", "AUG-CCITT", 0x1D0F, false, 0x0000, 0xE5CC},
    {"XMODEM", "", 0x0000, false, 0x0000, 0x31C3},
    {"GENIBUS", "", 0xFFFF, false, 0xFFFF, 0xD64E},
}};

constexpr std::uint16_t kPolynomial = 0x1021;
constexpr std::uint16_t kMCRF4XXStart = 0xFFFF;
constexpr std::uint16_t kXMODEMStart = 0x0000;

constexpr std::uint16_t Reversed(std::uint16_t value) {
    std::uint16_t reversed = 0;
    for (int bit = 0; bit < 16; ++bit, value >>= 1) {
        reversed = static_cast<std::uint16_t>((reversed << 1) | (value & 1u));
    }
    return reversed;
}

// T_k for k = 0..7, as the header comment defines them. T_0 is the bitwise
// rule run over one byte; each further table is the one before followed by
// a zero byte.
using SliceTables = std::array<std::array<std::uint16_t, 256>, 8>;

constexpr SliceTables MakeSliceTables() {
    SliceTables tables{};
    for (unsigned v = 0; v < 256; ++v) {
        unsigned r = v << 8;
        for (int bit = 0; bit < 8; ++bit) {
            r = (r & 0x8000u) != 0 ? (r << 1) ^ kPolynomial : r << 1;
        }
        tables[0][v] = static_cast<std::uint16_t>(r);
    }
    for (std::size_t k = 1; k < tables.size(); ++k) {
        for (unsigned v = 0; v < 256; ++v) {
            const unsigned r = tables[k - 1][v];
            tables[k][v] = static_cast<std::uint16_t>((r << 8) ^ tables[0][r >> 8]);
        }
    }
    return tables;
}

constexpr SliceTables kSlices = MakeSliceTables();

// r * x^(8 * count) mod P for a register written in `reflected` bit order.
std::uint16_t ShiftRegister(std::uint16_t r, bool reflected, std::uint64_t count) {
    return reflected ? ExtendCRC16ByZeroes(r, count)
                     : Reversed(ExtendCRC16ByZeroes(Reversed(r), count));
}

}  // namespace

std::span<const CRC16Variant> CRC16Family() {
    return kFamily;
}

std::uint16_t ExtendCRC16Straight(std::uint16_t crc, std::span<const std::uint8_t> bytes) {
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    const auto& t = kSlices;
    for (; left >= 8; left -= 8, p += 8) {
        crc = static_cast<std::uint16_t>(t[7][(crc >> 8) ^ p[0]] ^ t[6][(crc & 0xFFu) ^ p[1]] ^
                                         t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]] ^ t[2][p[5]] ^
                                         t[1][p[6]] ^ t[0][p[7]]);
    }
    for (; left > 0; --left, ++p) {
        crc = static_cast<std::uint16_t>((crc << 8) ^ t[0][(crc >> 8) ^ *p]);
    }
    return crc;
}

CRC16FamilySums ExtendCRC16Family(CRC16FamilySums sums, std::span<const std::uint8_t> bytes) {
    sums.reflected = ExtendCRC16(sums.reflected, bytes);
    sums.straight = ExtendCRC16Straight(sums.straight, bytes);
    sums.length += bytes.size();
    return sums;
}

std::uint16_t CRC16VariantValue(const CRC16Variant& variant, const CRC16FamilySums& sums) {
    const std::uint16_t start = variant.reflected ? Reversed(variant.init) : variant.init;
    const std::uint16_t passStart = variant.reflected ? kMCRF4XXStart : kXMODEMStart;
    const std::uint16_t pass = variant.reflected ? sums.reflected : sums.straight;
    const std::uint16_t register_ =
        pass ^ ShiftRegister(static_cast<std::uint16_t>(start ^ passStart), variant.reflected,
                             sums.length);
    return static_cast<std::uint16_t>(register_ ^ variant.xorout);
}

}  // namespace Tallix
