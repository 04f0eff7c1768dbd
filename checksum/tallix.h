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

// The texts of finished checksums: CRC32Text(CRC32Value(b)) == CalcCRC32(b).
std::string CRC32Text(std::uint32_t crc);
std::string CRC16Text(std::uint16_t crc);

// Checksums built up a piece at a time. Every value here is a finished
// checksum, of the bytes seen so far; the values of no bytes at all are
// kCRC32OfNothing and kCRC16OfNothing. So, for byte strings A and B:
//   ExtendCRC32(CRC32Value(A), B)           == CRC32Value(A + B)
//   ExtendCRC32ByZeroes(CRC32Value(A), n)   == CRC32Value(A + n zero bytes)
//   ConcatCRC32(CRC32Value(A), CRC32Value(B), B.size()) == CRC32Value(A + B)
// and the same for the CRC-16. Extending runs the same kernels as
// CRC32Value; zeroes and concatenation take O(log n) work whatever n is.
inline constexpr std::uint32_t kCRC32OfNothing = 0x00000000u;
inline constexpr std::uint16_t kCRC16OfNothing = 0xFFFFu;

std::uint32_t ExtendCRC32(std::uint32_t crc, std::span<const std::uint8_t> bytes);
std::uint16_t ExtendCRC16(std::uint16_t crc, std::span<const std::uint8_t> bytes);
std::uint32_t ExtendCRC32ByZeroes(std::uint32_t crc, std::uint64_t count);
std::uint16_t ExtendCRC16ByZeroes(std::uint16_t crc, std::uint64_t count);
std::uint32_t ConcatCRC32(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength);
std::uint16_t ConcatCRC16(std::uint16_t first, std::uint16_t second, std::uint64_t secondLength);

}  // namespace Tallix
