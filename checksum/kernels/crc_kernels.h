// The engine's CRC implementations, internal to the checksum engine: the
// program reaches them only through checksum/tallix.h. Tests and benchmarks
// use this header to run every kernel the CPU supports, not only the one
// the dispatch picks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "checksum/kernels/crc_fold.h"
#include "checksum/tallix.h"

namespace Tallix {

// The CRC registers' starting values and the CRC-32's final inversion
// (the CRC-16 has none), which make the checksums of no bytes at all.
inline constexpr std::uint32_t kCRC32Initial = 0xFFFFFFFFu;
inline constexpr std::uint32_t kCRC32FinalXor = 0xFFFFFFFFu;
inline constexpr std::uint16_t kCRC16Initial = 0xFFFFu;
static_assert((kCRC32Initial ^ kCRC32FinalXor) == kCRC32OfNothing);
static_assert(kCRC16Initial == kCRC16OfNothing);

// The instruction-set extensions the kernels are chosen by. All false on
// CPUs the folding kernels are not built for.
struct CPUFeatures {
    bool pclmulqdq = false;
    bool sse41 = false;
    bool avx2 = false;
    bool vpclmulqdq = false;
    bool avx512f = false;
    bool avx512vl = false;
    bool avx512bw = false;
};

// What the CPU running this process has, read once.
const CPUFeatures& ThisCPU();

// Each function continues a running register (no initial value or final
// inversion applied) and accepts any length, so feeding a buffer in pieces
// gives the same register as feeding it whole.
struct CRCKernel {
    const char* name;
    bool (*runsOn)(const CPUFeatures& cpu);
    std::uint32_t (*crc32)(std::uint32_t crc, std::span<const std::uint8_t> bytes);
    std::uint16_t (*crc16)(std::uint16_t crc, std::span<const std::uint8_t> bytes);

    bool supported() const { return runsOn(ThisCPU()); }
};

// The reference: one lookup in the engine's table per byte, filling the
// table on first use.
std::uint32_t CRC32ByteLoop(std::uint32_t crc, std::span<const std::uint8_t> bytes);
std::uint16_t CRC16ByteLoop(std::uint16_t crc, std::span<const std::uint8_t> bytes);

// The byte loop's tables as they stand: all zero until the first checksum
// of their kind (whichever kernel computes it) fills them, the same for the
// rest of the run after. So they show whether the engine has computed a
// checksum of that kind in this process.
std::span<const std::uint32_t, 256> CRC32ByteLoopTable();
std::span<const std::uint32_t, 256> CRC16ByteLoopTable();

// All kernels built in, slowest first; the byte loop is always the first.
std::span<const CRCKernel> CRCKernels();

// The fastest kernel a CPU with `cpu` can run: the dispatch, which tests
// can hand any set of features.
const CRCKernel& BestCRCKernelFor(const CPUFeatures& cpu);

// BestCRCKernelFor(ThisCPU()), chosen once on first use.
const CRCKernel& BestCRCKernel();

#if defined(__x86_64__)
#define TALLIX_HAVE_CLMUL_KERNELS 1
// Carry-less-multiply folding on 128-, 256- and 512-bit lanes, narrowest
// first (crc_clmul.cpp).
std::span<const CRCKernel> FoldingKernels();

bool CPUHasPclmul(const CPUFeatures& cpu = ThisCPU());      // PCLMULQDQ and SSE4.1
bool CPUHasVpclmul256(const CPUFeatures& cpu = ThisCPU());  // and AVX2, VPCLMULQDQ
bool CPUHasVpclmul512(const CPUFeatures& cpu = ThisCPU());  // and AVX-512F/VL/BW, VPCLMULQDQ

// The folding the kernels above run, for any reflected CRC of width 1 to 64
// given its constants; continues register `crc` over `bytes`. The 128-bit
// form needs at least 16 bytes, the 256-bit form 128, the 512-bit form 256.
std::uint64_t PclmulFoldCRC(const FoldConstants& c, std::uint64_t crc,
                            std::span<const std::uint8_t> bytes);
std::uint64_t Vpclmul256FoldCRC(const FoldConstants& c, std::uint64_t crc,
                                std::span<const std::uint8_t> bytes);
std::uint64_t Vpclmul512FoldCRC(const FoldConstants& c, std::uint64_t crc,
                                std::span<const std::uint8_t> bytes);
#endif

}  // namespace Tallix
