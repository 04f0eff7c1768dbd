// The CRC-16s of polynomial 0x1021 (x^16 + x^12 + x^5 + 1) in the public
// catalogue of parametrised CRCs: the engine's CRC-16/MCRF4XX and its
// siblings, which differ only in starting register, bit order and final XOR.
// Every one of them follows from two passes over the data, one reflected and
// one not; see crc16_family.cpp for why.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "checksum/tallix.h"

namespace Tallix {

// One catalogue entry, its parameters in the catalogue's own form: `init`
// is written most significant bit first even for a reflected CRC.
struct CRC16Variant {
    std::string_view name;   // the catalogue name after "CRC-16/"
    std::string_view alias;  // the older name it is widely known by, or empty
    std::uint16_t init;
    bool reflected;  // input and output reflected (the catalogue's refin = refout)
    std::uint16_t xorout;
    std::uint16_t check;  // the CRC of the ASCII digits "123456789"
};

// MCRF4XX, IBM-SDLC, KERMIT, RIELLO, TMS37157, ISO-IEC-14443-3-A
// (reflected), then IBM-3740, SPI-FUJITSU, XMODEM, GENIBUS, GSM.
std::span<const CRC16Variant> CRC16Family();

// The two registers every variant follows from, over the bytes seen so far.
struct CRC16FamilySums {
    std::uint16_t reflected = kCRC16OfNothing;  // the CRC-16/MCRF4XX register
    std::uint16_t straight = 0x0000;            // the CRC-16/XMODEM register
    std::uint64_t length = 0;
};

// `sums` extended by `bytes`: both passes, each near memory speed.
CRC16FamilySums ExtendCRC16Family(CRC16FamilySums sums, std::span<const std::uint8_t> bytes);

// The finished value of `variant` over the bytes `sums` saw, in O(log n).
std::uint16_t CRC16VariantValue(const CRC16Variant& variant, const CRC16FamilySums& sums);

// The non-reflected pass alone: the CRC-16/XMODEM register `crc` extended by
// `bytes`.
std::uint16_t ExtendCRC16Straight(std::uint16_t crc, std::span<const std::uint8_t> bytes);

}  // namespace Tallix
