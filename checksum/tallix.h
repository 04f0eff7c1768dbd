// The checksum engine: CRC-32 (reflected 0xEDB88320, zlib/Ethernet) and
// CRC-16/MCRF4XX (reflected 0x8408, initial 0xFFFF, no final inversion).
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace Tallix {

// Fixed-width upper-case hex text of the checksum of the whole array:
// 8 digits for CRC-32, 4 for CRC-16. Empty input gives "00000000" / "FFFF".
std::string CalcCRC32(std::span<const std::uint8_t> bytes);
std::string CalcCRC16(std::span<const std::uint8_t> bytes);

// The finished numeric checksums behind the texts above.
std::uint32_t CRC32Value(std::span<const std::uint8_t> bytes);
std::uint16_t CRC16Value(std::span<const std::uint8_t> bytes);

}  // namespace Tallix
