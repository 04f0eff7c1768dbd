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
// TMS37157, ISO-IEC-14443-3-A) all come from the MCRF4XX pass, s = FFFF. The
// others (IBM-3740, SPI-FUJITSU, XMODEM, GENIBUS, GSM) read bits the other way, which no change of
// start or final XOR undoes, so they get a pass of their own from s = 0
// (XMODEM). Their multiplication by x^(8n) is the same polynomial product
// written with the bits in the other order, so it runs through the reflected
// arithmetic with the value bit-reversed on the way in and out.
//
// The catalogue writes `init` most significant bit first: a reflected
// register starts from it bit-reversed. The finished value is the register
// XOR xorout.
//
// The non-reflected pass reads each byte from bit 7 down, which is the
// reflected pass over the same bytes with their bits mirrored: the same
// stream of message bits, so the same register with its bits in the other
// order. So it mirrors the data a block at a time and runs the engine's
// folding kernel over it, near memory speed, rather than a table loop.
#include "checksum/crc16_family.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "checksum/tallix.h"

namespace Tallix {
namespace {

constexpr std::array<CRC16Variant, 11> kFamily{{
    {"MCRF4XX", "", 0xFFFF, true, 0x0000, 0x6F91},
    {"IBM-SDLC", "X-25", 0xFFFF, true, 0xFFFF, 0x906E},
    {"KERMIT", "", 0x0000, true, 0x0000, 0x2189},
    {"RIELLO", "", 0xB2AA, true, 0x0000, 0x63D0},
    {"TMS37157", "", 0x89EC, true, 0x0000, 0x26B1},
    {"ISO-IEC-14443-3-A", "CRC-A", 0xC6C6, true, 0x0000, 0xBF05},
    {"IBM-3740", "CCITT-FALSE", 0xFFFF, false, 0x0000, 0x29B1},
    {"SPI-FUJITSU", "AUG-CCITT", 0x1D0F, false, 0x0000, 0xE5CC},
    {"XMODEM", "", 0x0000, false, 0x0000, 0x31C3},
    {"GENIBUS", "", 0xFFFF, false, 0xFFFF, 0xD64E},
    {"GSM", "", 0x0000, false, 0xFFFF, 0xCE3C},
}};

// The registers the two passes start from (CRC16FamilySums{}).
constexpr std::uint16_t kMCRF4XXStart = CRC16FamilySums{}.reflected;
constexpr std::uint16_t kXMODEMStart = CRC16FamilySums{}.straight;

constexpr std::uint16_t Reversed(std::uint16_t value) {
    std::uint16_t reversed = 0;
    for (int bit = 0; bit < 16; ++bit, value >>= 1) {
        reversed = static_cast<std::uint16_t>((reversed << 1) | (value & 1u));
    }
    return reversed;
}

// A word's bytes each with its bits in the other order: swap neighbouring
// bits, then pairs, then nibbles.
constexpr std::uint64_t MirroredBytes(std::uint64_t word) {
    constexpr std::uint64_t kOdd = 0x5555555555555555u;
    constexpr std::uint64_t kPairs = 0x3333333333333333u;
    constexpr std::uint64_t kNibbles = 0x0F0F0F0F0F0F0F0Fu;
    word = ((word >> 1) & kOdd) | ((word & kOdd) << 1);
    word = ((word >> 2) & kPairs) | ((word & kPairs) << 2);
    return ((word >> 4) & kNibbles) | ((word & kNibbles) << 4);
}

// `bytes` mirrored into `into`, eight bytes a word: plain integer work the
// compiler turns into vector code.
void MirrorBytes(std::span<const std::uint8_t> bytes, std::uint8_t* into) {
    const std::size_t whole = bytes.size() / 8 * 8;
    for (std::size_t at = 0; at < whole; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, 8);
        word = MirroredBytes(word);
        std::memcpy(into + at, &word, 8);
    }
    for (std::size_t at = whole; at < bytes.size(); ++at) {
        into[at] = static_cast<std::uint8_t>(MirroredBytes(bytes[at]));
    }
}

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
    constexpr std::size_t kBlock = 8192;  // mirrored while it stays in the L1 cache
    alignas(64) std::uint8_t mirrored[kBlock];
    std::uint16_t reflected = Reversed(crc);
    while (!bytes.empty()) {
        const std::size_t count = std::min(bytes.size(), kBlock);
        MirrorBytes(bytes.first(count), mirrored);
        reflected = ExtendCRC16(reflected, std::span(mirrored, count));
        bytes = bytes.subspan(count);
    }
    return Reversed(reflected);
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
