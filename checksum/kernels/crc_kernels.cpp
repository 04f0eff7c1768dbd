#include "checksum/kernels/crc_kernels.h"

#include <array>
#include <vector>

#include "checksum/kernels/crc_fold.h"

namespace Tallix {
namespace {

using SliceTables = std::array<std::array<std::uint32_t, 256>, 8>;

// Table k maps a byte to its effect on the register when k more bytes
// follow it: table 0 is the byte loop's table, and each further table is
// the previous one run through one more zero byte.
constexpr SliceTables MakeSliceTables(const ReflectedCRC& crc) {
    SliceTables tables{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint64_t c = n;
        for (int bit = 0; bit < 8; ++bit) {
            c = BitwiseStep(crc, c);
        }
        tables[0][n] = static_cast<std::uint32_t>(c);
    }
    for (std::size_t k = 1; k < 8; ++k) {
        for (std::size_t n = 0; n < 256; ++n) {
            const std::uint32_t prev = tables[k - 1][n];
            tables[k][n] = (prev >> 8) ^ tables[0][prev & 0xFFu];
        }
    }
    return tables;
}

constexpr SliceTables kCRC32Slices = MakeSliceTables(kCRC32Polynomial);
constexpr SliceTables kCRC16Slices = MakeSliceTables(kCRC16Polynomial);

std::uint64_t LoadLittleEndian64(const std::uint8_t* p) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = (value << 8) | p[i];
    }
    return value;
}

// For registers of up to 32 bits, which XOR into the first four bytes.
std::uint32_t Slice8(std::uint32_t crc, std::span<const std::uint8_t> bytes, const SliceTables& t) {
    const std::uint8_t* p = bytes.data();
    std::size_t count = bytes.size();
    for (; count >= 8; p += 8, count -= 8) {
        const std::uint64_t v = LoadLittleEndian64(p) ^ crc;
        crc = t[7][v & 0xFFu] ^ t[6][(v >> 8) & 0xFFu] ^ t[5][(v >> 16) & 0xFFu] ^
              t[4][(v >> 24) & 0xFFu] ^ t[3][(v >> 32) & 0xFFu] ^ t[2][(v >> 40) & 0xFFu] ^
              t[1][(v >> 48) & 0xFFu] ^ t[0][v >> 56];
    }
    for (; count > 0; ++p, --count) {
        crc = (crc >> 8) ^ t[0][(crc ^ *p) & 0xFFu];
    }
    return crc;
}

bool Always(const CPUFeatures&) {
    return true;
}

std::uint32_t CRC32Slice8(std::uint32_t crc, std::span<const std::uint8_t> bytes) {
    return Slice8(crc, bytes, kCRC32Slices);
}

std::uint16_t CRC16Slice8(std::uint16_t crc, std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint16_t>(Slice8(crc, bytes, kCRC16Slices));
}

// Slicing-by-8 serves CPUs without carry-less multiply.
std::vector<CRCKernel> AllKernels() {
    std::vector<CRCKernel> kernels{
        {"byte-loop", Always, CRC32ByteLoop, CRC16ByteLoop},
        {"slice-by-8", Always, CRC32Slice8, CRC16Slice8},
    };
#if defined(TALLIX_HAVE_CLMUL_KERNELS)
    const std::span<const CRCKernel> folding = FoldingKernels();
    kernels.insert(kernels.end(), folding.begin(), folding.end());
#endif
    return kernels;
}

CPUFeatures DetectCPUFeatures() {
    CPUFeatures cpu;
#if defined(__x86_64__)
    __builtin_cpu_init();
    cpu.pclmulqdq = __builtin_cpu_supports("pclmul");
    cpu.sse41 = __builtin_cpu_supports("sse4.1");
    cpu.avx2 = __builtin_cpu_supports("avx2");
    cpu.vpclmulqdq = __builtin_cpu_supports("vpclmulqdq");
    cpu.avx512f = __builtin_cpu_supports("avx512f");
    cpu.avx512vl = __builtin_cpu_supports("avx512vl");
    cpu.avx512bw = __builtin_cpu_supports("avx512bw");
#endif
    return cpu;
}

}  // namespace

std::span<const CRCKernel> CRCKernels() {
    static const std::vector<CRCKernel> kernels = AllKernels();
    return kernels;
}

const CPUFeatures& ThisCPU() {
    static const CPUFeatures cpu = DetectCPUFeatures();
    return cpu;
}

const CRCKernel& BestCRCKernelFor(const CPUFeatures& cpu) {
    const std::span<const CRCKernel> kernels = CRCKernels();
    for (std::size_t i = kernels.size(); i-- > 1;) {
        if (kernels[i].runsOn(cpu)) {
            return kernels[i];
        }
    }
    return kernels[0];
}

const CRCKernel& BestCRCKernel() {
    static const CRCKernel& best = BestCRCKernelFor(ThisCPU());
    return best;
}

}  // namespace Tallix
