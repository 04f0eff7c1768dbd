// Throughput of every CRC kernel this CPU supports, of the dispatching
// CalcCRC32/CalcCRC16, and of public implementations of the same CRCs, on
// buffers of 4 KiB (L1/L2), 1 MiB (L2/L3) and 256 MiB (memory).
#include <benchmark/benchmark.h>
#include <immintrin.h>
#include <isa-l/crc.h>
#include <zlib.h>

#include <boost/crc.hpp>
#include <cstdint>
#include <map>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "checksum/crc16_family.h"
#include "checksum/kernels/crc_kernels.h"
#include "checksum/tallix.h"

namespace {

const std::size_t kSizes[] = {std::size_t{4} << 10, std::size_t{1} << 20, std::size_t{256} << 20};

// One random buffer per size, made once and shared by every benchmark.
std::span<const std::uint8_t> Buffer(std::size_t size) {
    static std::map<std::size_t, std::vector<std::uint8_t>> buffers;
    auto& buffer = buffers[size];
    if (buffer.empty()) {
        buffer.resize(size);
        std::mt19937_64 random(size);
        for (auto& byte : buffer) {
            byte = static_cast<std::uint8_t>(random());
        }
    }
    return buffer;
}

template <typename Compute>
void Run(benchmark::State& state, Compute compute) {
    const auto bytes = Buffer(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(compute(bytes));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
}

void ApplySizes(benchmark::internal::Benchmark* b) {
    for (const std::size_t size : kSizes) {
        b->Arg(static_cast<std::int64_t>(size));
    }
    b->Unit(benchmark::kMicrosecond);
}

// ISA-L's AVX-512 code returns with the upper vector halves dirty, which
// would slow the SSE code after it; clear them as its callers must.
__attribute__((target("avx"))) void ClearUpperVectorState() {
    _mm256_zeroupper();
}

void BM_CalcCRC32(benchmark::State& state) {
    Run(state, [](auto bytes) { return Tallix::CalcCRC32(bytes); });
}
void BM_CalcCRC16(benchmark::State& state) {
    Run(state, [](auto bytes) { return Tallix::CalcCRC16(bytes); });
}
// The non-reflected pass of the CRC-16 family alone, and the whole family:
// both passes, every member's value.
void BM_CRC16Straight(benchmark::State& state) {
    Run(state, [](auto bytes) { return Tallix::ExtendCRC16Straight(0, bytes); });
}
void BM_CRC16Family(benchmark::State& state) {
    Run(state, [](auto bytes) {
        const Tallix::CRC16FamilySums sums = Tallix::ExtendCRC16Family({}, bytes);
        std::uint32_t all = 0;
        for (const Tallix::CRC16Variant& variant : Tallix::CRC16Family()) {
            all += Tallix::CRC16VariantValue(variant, sums);
        }
        return all;
    });
}
void BM_Zlib_crc32_z(benchmark::State& state) {
    Run(state, [](auto bytes) { return crc32_z(0, bytes.data(), bytes.size()); });
}
void BM_ISAL_crc32_gzip_refl(benchmark::State& state) {
    Run(state, [](auto bytes) {
        const std::uint32_t crc =
            crc32_gzip_refl(0, bytes.data(), static_cast<std::uint64_t>(bytes.size()));
        ClearUpperVectorState();
        return crc;
    });
}
void BM_Boost_crc16_mcrf4xx(benchmark::State& state) {
    Run(state, [](auto bytes) {
        boost::crc_optimal<16, 0x1021, 0xFFFF, 0, true, true> crc;
        crc.process_bytes(bytes.data(), bytes.size());
        return crc.checksum();
    });
}
void BM_Boost_crc32(benchmark::State& state) {
    Run(state, [](auto bytes) {
        boost::crc_32_type crc;
        crc.process_bytes(bytes.data(), bytes.size());
        return crc.checksum();
    });
}

BENCHMARK(BM_CalcCRC32)->Apply(ApplySizes);
BENCHMARK(BM_CalcCRC16)->Apply(ApplySizes);
BENCHMARK(BM_CRC16Straight)->Apply(ApplySizes);
BENCHMARK(BM_CRC16Family)->Apply(ApplySizes);
BENCHMARK(BM_ISAL_crc32_gzip_refl)->Apply(ApplySizes);
BENCHMARK(BM_Zlib_crc32_z)->Apply(ApplySizes);
BENCHMARK(BM_Boost_crc32)->Apply(ApplySizes);
BENCHMARK(BM_Boost_crc16_mcrf4xx)->Apply(ApplySizes);

// Each kernel the CPU supports, both CRCs, registered at start-up.
const bool kKernelsRegistered = [] {
    for (const Tallix::CRCKernel& kernel : Tallix::CRCKernels()) {
        if (!kernel.supported()) {
            continue;
        }
        const std::string name = kernel.name;
        benchmark::RegisterBenchmark(("BM_Kernel_CRC32/" + name).c_str(),
                                     [&kernel](benchmark::State& state) {
                                         Run(state, [&kernel](auto bytes) {
                                             return kernel.crc32(Tallix::kCRC32Initial, bytes);
                                         });
                                     })
            ->Apply(ApplySizes);
        benchmark::RegisterBenchmark(("BM_Kernel_CRC16/" + name).c_str(),
                                     [&kernel](benchmark::State& state) {
                                         Run(state, [&kernel](auto bytes) {
                                             return kernel.crc16(Tallix::kCRC16Initial, bytes);
                                         });
                                     })
            ->Apply(ApplySizes);
    }
    return true;
}();

}  // namespace
