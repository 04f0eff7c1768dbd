// Every CRC implementation this build holds, so tests and benchmarks can run
// each one the CPU supports, not only the one the dispatch picks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "checksum/crc_fold.h"

namespace Tallix {

// Each function continues a running register exactly as the byte loop does
// (no initial value or final inversion applied) and accepts any length.
struct CRCKernel {
    const char* name;
    bool (*supported)();
    std::uint32_t (*crc32)(std::uint32_t crc, std::span<const std::uint8_t> bytes);
    std::uint16_t (*crc16)(std::uint16_t crc, std::span<const std::uint8_t> bytes);
};

// All kernels built in, slowest first; the byte loop is always the first.
std::span<const CRCKernel> CRCKernels();

// The fastest kernel this CPU supports, chosen once on first use.
const CRCKernel& BestCRCKernel();

// Slicing-by-8: eight bytes per step through eight derived tables, for CPUs
// without carry-less multiply.
std::uint32_t CRC32Slice8(std::uint32_t crc, std::span<const std::uint8_t> bytes);
std::uint16_t CRC16Slice8(std::uint16_t crc, std::span<const std::uint8_t> bytes);

#if defined(__x86_64__)
#define TALLIX_HAVE_CLMUL_KERNELS 1
// Folding with PCLMULQDQ on 128-bit lanes (needs PCLMUL and SSE4.1).
bool CPUHasPclmul();
std::uint32_t CRC32Pclmul(std::uint32_t crc, std::span<const std::uint8_t> bytes);
std::uint16_t CRC16Pclmul(std::uint16_t crc, std::span<const std::uint8_t> bytes);

// Folding with VPCLMULQDQ on 256-bit lanes (needs AVX2 and VPCLMULQDQ).
bool CPUHasVpclmul256();
std::uint32_t CRC32Vpclmul256(std::uint32_t crc, std::span<const std::uint8_t> bytes);
std::uint16_t CRC16Vpclmul256(std::uint16_t crc, std::span<const std::uint8_t> bytes);

// Folding with VPCLMULQDQ on 512-bit lanes (needs AVX-512F/VL/BW and
// VPCLMULQDQ).
bool CPUHasVpclmul512();
std::uint32_t CRC32Vpclmul512(std::uint32_t crc, std::span<const std::uint8_t> bytes);
std::uint16_t CRC16Vpclmul512(std::uint16_t crc, std::span<const std::uint8_t> bytes);

// The folding itself, for any reflected CRC of width 1 to 64 given its
// constants: continues register `crc` over `bytes`. The 128-bit form needs
// at least 16 bytes, the 256-bit form 128, the 512-bit form 256.
std::uint64_t PclmulFoldCRC(const FoldConstants& c, std::uint64_t crc,
                            std::span<const std::uint8_t> bytes);
std::uint64_t Vpclmul256FoldCRC(const FoldConstants& c, std::uint64_t crc,
                                std::span<const std::uint8_t> bytes);
std::uint64_t Vpclmul512FoldCRC(const FoldConstants& c, std::uint64_t crc,
                                std::span<const std::uint8_t> bytes);
#endif

}  // namespace Tallix
